#pragma once

#include "platform/WholeFile.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Reading a whole file with POSIX calls, shared by the systems that have POSIX files: Linux and
// the browser's in-memory folder.

inline WholeFile failedToRead(std::string reason)
{
    return {WholeFile::Outcome::failed, {}, std::move(reason)};
}

inline constexpr std::size_t readStep = std::size_t{64} * 1024;

enum class ReadAll { whole, failed, tooLarge };

// Reads to the end in large steps, going on after an interrupted read, and stops one byte past
// the limit, so a file that grows while it is read, or never ends, costs no more than that.
inline ReadAll readAll(int fd, std::string& bytes)
{
    while (true) {
        const std::size_t before = bytes.size();
        if (before > maxWholeFileBytes) {
            return ReadAll::tooLarge;
        }
        const std::size_t step = std::min(readStep, maxWholeFileBytes + 1 - before);
        bytes.resize(before + step);
        const ssize_t got = ::read(fd, bytes.data() + before, step);
        bytes.resize(before + static_cast<std::size_t>(got > 0 ? got : 0));
        if (got == 0) {
            return ReadAll::whole;
        }
        if (got < 0 && errno != EINTR) {
            return ReadAll::failed;
        }
    }
}

inline void readRegularFile(int fd, const struct stat& status, WholeFile& file)
{
    // Compared as the file's own 64-bit size: on a 32-bit system a size_t would cut it down.
    if (status.st_size > static_cast<off_t>(maxWholeFileBytes)) {
        file = failedToRead(std::string(fileTooLargeReason));
        return;
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    file.outcome = WholeFile::Outcome::read;
    file.bytes.reserve(size + 1);
    switch (readAll(fd, file.bytes)) {
    case ReadAll::whole:
        return;
    case ReadAll::failed:
        file = failedToRead(std::strerror(errno));
        return;
    case ReadAll::tooLarge:
        file = failedToRead(std::string(fileTooLargeReason));
        return;
    }
}

// What stands at the name is looked at through the descriptor just opened, so it is the same file
// that is read. O_NONBLOCK keeps a pipe at that name from holding up the open; O_NOFOLLOW refuses
// a link, since the caller has already followed those it may.
inline WholeFile readWholeFileWithPosixCalls(const char* path)
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
        readRegularFile(fd, status, file);
    }
    // Every byte is in hand by now; a failed close of a file only read loses nothing.
    ::close(fd);
    return file;
}
