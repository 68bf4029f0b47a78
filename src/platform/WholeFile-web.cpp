#include "platform/WholeFile.hpp"

#include "platform/ReadWholeFilePosix.hpp"

// The game's folder is in memory, filled from the browser's storage before the game starts; it
// is read like any POSIX folder.
WholeFile readWholeFile(const std::filesystem::path& path)
{
    return readWholeFileWithPosixCalls(path.c_str());
}
