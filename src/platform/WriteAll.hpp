#pragma once

#include <cerrno>
#include <string_view>
#include <unistd.h>

// Writes all of `content` to a file descriptor, going on after an interrupted or short write.
// Shared by the systems that have POSIX files: Linux and the browser's in-memory folder.
inline bool writeAll(int fd, std::string_view content)
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
