#include "platform/WholeFile.hpp"

#include "platform/ReadWholeFilePosix.hpp"

WholeFile readWholeFile(const std::filesystem::path& path)
{
    return readWholeFileWithPosixCalls(path.c_str());
}
