#include "platform/DurableFile.hpp"

#include "platform/WriteAll.hpp"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

struct TemporaryFile {
    std::filesystem::path name;
    int fd = -1;
};

// "<target>." and sixteen random hexadecimal digits: a name no one can take before the game does.
std::optional<std::filesystem::path> unguessableNameBeside(const std::filesystem::path& target)
{
    std::array<unsigned char, 8> bytes{};
    if (::getentropy(bytes.data(), bytes.size()) != 0) {
        return std::nullopt;
    }
    constexpr std::string_view hexDigits = "0123456789abcdef";
    std::string suffix = ".";
    for (const unsigned char byte : bytes) {
        suffix += hexDigits[byte >> 4U];
        suffix += hexDigits[byte & 0xFU];
    }
    std::filesystem::path name = target;
    name += suffix;
    return name;
}

// Only a file created here is ever written: O_EXCL and O_NOFOLLOW refuse whatever already stands
// at the name, a link included. A name taken by chance is followed by a fresh one.
std::optional<TemporaryFile> createFileBeside(const std::filesystem::path& target, mode_t mode)
{
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::optional<std::filesystem::path> name = unguessableNameBeside(target);
        if (!name) {
            return std::nullopt;
        }
        const int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            return TemporaryFile{std::move(*name), fd};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The read, write and execute bits of the file as it is now, or nothing if there is none.
std::optional<mode_t> permissionsOf(const std::filesystem::path& target)
{
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return status.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO);
}

bool fillAndClose(int fd, std::optional<mode_t> permissions, std::string_view content)
{
    const bool filled = (!permissions || ::fchmod(fd, *permissions) == 0) && writeAll(fd, content) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return filled && closed;
}

// Makes the rename itself survive a power cut; a folder that cannot be synced is no failure.
void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A link to a file elsewhere is saved through, so the file it points at stays the save.
std::filesystem::path fileBehindLink(const std::filesystem::path& target)
{
    std::error_code error;
    if (std::filesystem::is_symlink(target, error)) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
        if (!error) {
            return resolved;
        }
    }
    return target;
}

} // namespace

bool replaceFileDurably(const std::filesystem::path& target, std::string_view content)
{
    const std::filesystem::path destination = fileBehindLink(target);
    // A first file gets from open the bits any new file gets (0666 less the umask). A replacement
    // starts private, so it never shows more than the earlier file did, and then takes its bits.
    const std::optional<mode_t> earlier = permissionsOf(destination);
    const std::optional<TemporaryFile> temporary = createFileBeside(destination, earlier ? S_IRUSR | S_IWUSR : 0666);
    if (!temporary) {
        return false;
    }
    if (!fillAndClose(temporary->fd, earlier, content)
        || std::rename(temporary->name.c_str(), destination.c_str()) != 0) {
        ::unlink(temporary->name.c_str());
        return false;
    }
    syncFolder(destination.parent_path());
    return true;
}
