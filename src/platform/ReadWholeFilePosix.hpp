#pragma once

#include "platform/WholeFile.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Reading a whole file with POSIX calls, shared by the systems that have POSIX files: Linux and
// the browser's in-memory folder.

inline WholeFile failedToRead(int error)
{
    return {WholeFile::Outcome::failed, {}, std::strerror(error)};
}

inline constexpr std::size_t readStep = std::size_t{64} * 1024;

// Reads to the end in large steps, going on after an interrupted read.
inline bool readAll(int fd, std::string& bytes)
{
    while (true) {
        const std::size_t before = bytes.size();
        bytes.resize(before + readStep);
        const ssize_t got = ::read(fd, bytes.data() + before, readStep);
        bytes.resize(before + static_cast<std::size_t>(got > 0 ? got : 0));
        if (got == 0) {
            return true;
        }
        if (got < 0 && errno != EINTR) {
            return false;
        }
    }
}

// What stands at the name is looked at through the descriptor just opened, so it is the same file
// that is read. O_NONBLOCK keeps a pipe at that name from holding up the open.
inline WholeFile readWholeFileWithPosixCalls(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? WholeFile{} : failedToRead(errno);
    }
    WholeFile file;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        file = failedToRead(errno);
    } else if (S_ISREG(status.st_mode)) {
        file.outcome = WholeFile::Outcome::read;
        file.bytes.reserve(static_cast<std::size_t>(status.st_size) + readStep);
        if (!readAll(fd, file.bytes)) {
            file = failedToRead(errno);
        }
    }
    // Every byte is in hand by now; a failed close of a file only read loses nothing.
    ::close(fd);
    return file;
}
