#include "platform/OwnLinks-linux.hpp"

#include "platform/WholeFile.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the kernel itself follows in one path before it calls it a loop.
constexpr int maxLinksInChain = 40;

// The link's own status and text, read through one descriptor, so it is the same link whose
// owner was checked that is followed, whatever happens at its name meanwhile. False with errno
// set when it cannot be read.
bool readLink(int fd, const struct stat& status, std::string& text)
{
    text.assign(static_cast<std::size_t>(status.st_size) + 1, '\0');
    const ssize_t length = ::readlinkat(fd, "", text.data(), text.size());
    if (length < 0) {
        return false;
    }
    // A link rewritten meanwhile to a longer text is a race lost, not a target to guess at.
    if (static_cast<std::size_t>(length) >= text.size()) {
        errno = ELOOP;
        return false;
    }
    text.resize(static_cast<std::size_t>(length));
    return true;
}

} // namespace

LinkEnd followOwnLinks(const std::filesystem::path& name)
{
    std::filesystem::path path = name;
    for (int link = 0; link <= maxLinksInChain; ++link) {
        const int fd = ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            // Nothing there is no failure: a file may still be made at that name.
            return errno == ENOENT ? LinkEnd{path, {}} : LinkEnd{{}, std::strerror(errno)};
        }
        struct stat status {};
        if (::fstat(fd, &status) != 0) {
            const int error = errno;
            ::close(fd);
            return {{}, std::strerror(error)};
        }
        if (!S_ISLNK(status.st_mode)) {
            ::close(fd);
            return {path, {}, S_ISREG(status.st_mode)};
        }
        if (status.st_uid != ::geteuid()) {
            ::close(fd);
            return {{}, std::string(foreignLinkReason)};
        }
        std::string target;
        const bool read = readLink(fd, status, target);
        const int error = errno;
        ::close(fd);
        if (!read) {
            return {{}, std::strerror(error)};
        }
        path = path.parent_path() / target;
    }
    return {{}, std::strerror(ELOOP)};
}

bool isReplaceableByPlayer(const std::filesystem::path& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}
