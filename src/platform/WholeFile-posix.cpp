#include "platform/WholeFile.hpp"

#include "platform/OwnLinks-posix.hpp"
#include "platform/ReadWholeFilePosix.hpp"

WholeFile readWholeFile(const std::filesystem::path& path)
{
    const LinkEnd end = followOwnLinks(path);
    if (end.path.empty()) {
        return failedToRead(end.reason);
    }
    if (!end.isRegularFile) {
        return {};
    }
    return readWholeFileWithPosixCalls(end.path.c_str());
}
