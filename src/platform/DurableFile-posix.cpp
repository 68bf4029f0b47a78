#include "platform/DurableFileSteps.hpp"

#include "platform/FileDescriptors.hpp"
#include "platform/OwnLinks-posix.hpp"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The read, write and execute bits of the file as it is now, or nothing if there is none.
std::optional<mode_t> permissionsOf(const std::filesystem::path& file)
{
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return status.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO);
}

bool fillAndClose(int fd, std::optional<mode_t> permissions, std::string_view content)
{
    const bool filled
        = (!permissions || ::fchmod(fd, *permissions) == 0) && descriptors::writeAll(fd, content) && ::fsync(fd) == 0;
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

} // namespace

namespace durable {

// The player's own link to a file elsewhere is saved through, so the file it points at stays the
// save; what a rename would put aside must be the player's own regular file, or nothing at all.
std::optional<std::filesystem::path> fileToReplace(const std::filesystem::path& target)
{
    LinkEnd end = followOwnLinks(target);
    if (end.path.empty() || !isReplaceableByPlayer(end.path)) {
        return std::nullopt;
    }
    return std::move(end.path);
}

// O_EXCL and O_NOFOLLOW refuse whatever already stands at the name, a link included. A first
// file gets from open the bits any new file gets (0666 less the umask). A replacement starts
// private, so it never shows more than the earlier file did, and then takes its bits.
NewFile writeNewFile(
    const std::filesystem::path& temporary, const std::filesystem::path& destination, std::string_view content)
{
    const std::optional<mode_t> earlier = permissionsOf(destination);
    const int fd = ::open(
        temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, earlier ? S_IRUSR | S_IWUSR : 0666);
    if (fd < 0) {
        return errno == EEXIST ? NewFile::nameTaken : NewFile::notCreated;
    }
    return fillAndClose(fd, earlier, content) ? NewFile::written : NewFile::notWritten;
}

bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    syncFolder(to.parent_path());
    return true;
}

} // namespace durable
