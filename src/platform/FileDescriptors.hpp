#pragma once

#include "platform/WholeFile.hpp"

#include <string_view>

// Files through POSIX file descriptors, shared by the two systems whose files have them: Linux
// and the browser, whose folder in memory Emscripten gives POSIX calls.
namespace descriptors {

// Writes all of `content` to `fd`, going on after an interrupted or short write.
bool writeAll(int fd, std::string_view content);

// Reads the file at `path` whole, as readWholeFile promises, without following a link: the caller
// has already followed those it may.
WholeFile readWholeFile(const char* path);

} // namespace descriptors
