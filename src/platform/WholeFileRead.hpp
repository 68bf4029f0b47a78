#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The part of readWholeFile that every system shares, in WholeFile.cpp: the size limit, checked
// before anything is allocated, and the loop that reads in large steps and stops one byte past
// it. Each WholeFile-*.cpp opens the file, looks at what stands there and supplies its one read.
namespace wholefile {

// One read of at most `count` bytes into `into`: how many came, none at the end of the file, or
// nothing when the system refused, with the system's error left set for the caller to report. An
// interrupted read that may simply be tried again is tried again here, not reported.
using ReadSome = std::function<std::optional<std::size_t>(char* into, std::size_t count)>;

enum class Read {
    whole, // `bytes` holds the whole file.
    failed, // The system refused a read; its error is still set.
    tooLarge, // The file is, or grew while it was read, over maxWholeFileBytes.
};

// Reads a regular file that its system says is `size` bytes long into `bytes`. A file that grows
// while it is read, or never ends, costs no more than the limit and one byte.
Read readRegularFile(std::uintmax_t size, std::string& bytes, const ReadSome& readSome);

} // namespace wholefile
