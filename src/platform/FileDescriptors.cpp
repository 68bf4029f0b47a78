#include "platform/FileDescriptors.hpp"

#include "platform/WholeFileRead.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

WholeFile failedToRead(std::string reason)
{
    return {WholeFile::Outcome::failed, {}, std::move(reason)};
}

std::optional<std::size_t> readSome(int fd, char* into, std::size_t count)
{
    while (true) {
        const ssize_t got = ::read(fd, into, count);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

WholeFile readRegularFile(int fd, const struct stat& status)
{
    WholeFile file{WholeFile::Outcome::read, {}, {}};
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    switch (wholefile::readRegularFile(
        size, file.bytes, [fd](char* into, std::size_t count) { return readSome(fd, into, count); })) {
    case wholefile::Read::whole:
        return file;
    case wholefile::Read::failed:
        return failedToRead(std::strerror(errno));
    case wholefile::Read::tooLarge:
        return failedToRead(std::string(fileTooLargeReason));
    }
    return file;
}

} // namespace

namespace descriptors {

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// What stands at the name is looked at through the descriptor just opened, so it is the same file
// that is read. O_NONBLOCK keeps a pipe at that name from holding up the open; O_NOFOLLOW refuses
// a link.
WholeFile readWholeFile(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? WholeFile{} : failedToRead(std::strerror(errno));
    }
    WholeFile file;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        file = failedToRead(std::strerror(errno));
    } else if (S_ISREG(status.st_mode)) {
        file = readRegularFile(fd, status);
    }
    // Every byte is in hand by now; a failed close of a file only read loses nothing.
    ::close(fd);
    return file;
}

} // namespace descriptors
