#include "platform/DurableFileSteps.hpp"

#include "platform/FileDescriptors.hpp"
#include "platform/OwnLinks-linux.hpp"
#include "platform/Signals-posix.hpp"

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The temporary file being written, where a signal handler can reach it without allocating. Its
// name stays noted after a failed save has removed it; unlinking that name again does nothing.
std::array<char, PATH_MAX> unfinishedFile{};
volatile std::sig_atomic_t haveUnfinishedFile = 0;

void noteUnfinishedFile(const std::filesystem::path& file)
{
    haveUnfinishedFile = 0;
    if (file.native().size() < unfinishedFile.size()) {
        std::memcpy(unfinishedFile.data(), file.c_str(), file.native().size() + 1);
        haveUnfinishedFile = 1;
    }
}

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
// private, so it never shows more than the earlier file did, and then takes its bits. A signal
// waits until the new file is noted, so its handler finds every file the game made, and only
// those: one noted before open could be someone else's.
NewFile writeNewFile(
    const std::filesystem::path& temporary, const std::filesystem::path& destination, std::string_view content)
{
    const std::optional<mode_t> earlier = permissionsOf(destination);
    int fd = -1;
    {
        const SignalsHeld held;
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
            earlier ? S_IRUSR | S_IWUSR : 0666);
        if (fd < 0) {
            return errno == EEXIST ? NewFile::nameTaken : NewFile::notCreated;
        }
        noteUnfinishedFile(temporary);
    }
    return fillAndClose(fd, earlier, content) ? NewFile::written : NewFile::notWritten;
}

// Once renamed, the name is no longer the game's to remove.
bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    {
        const SignalsHeld held;
        if (std::rename(from.c_str(), to.c_str()) != 0) {
            return false;
        }
        haveUnfinishedFile = 0;
    }
    syncFolder(to.parent_path());
    return true;
}

} // namespace durable

void removeUnfinishedFile()
{
    if (haveUnfinishedFile != 0) {
        ::unlink(unfinishedFile.data());
    }
}
