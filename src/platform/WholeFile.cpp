#include "platform/WholeFile.hpp"

#include "platform/WholeFileRead.hpp"

#include <algorithm>

namespace wholefile {

Read readRegularFile(std::uintmax_t size, std::string& bytes, const ReadSome& readSome)
{
    if (size > maxWholeFileBytes) {
        return Read::tooLarge;
    }
    // Room for one byte more than the size, so the read that finds the end needs no new block.
    constexpr std::size_t readStep = std::size_t{64} * 1024;
    bytes.reserve(static_cast<std::size_t>(size) + 1);
    while (bytes.size() <= maxWholeFileBytes) {
        const std::size_t before = bytes.size();
        const std::size_t step = std::min(readStep, maxWholeFileBytes + 1 - before);
        bytes.resize(before + step);
        const std::optional<std::size_t> got = readSome(bytes.data() + before, step);
        bytes.resize(before + got.value_or(0));
        if (!got) {
            return Read::failed;
        }
        if (*got == 0) {
            return Read::whole;
        }
    }
    return Read::tooLarge;
}

} // namespace wholefile
