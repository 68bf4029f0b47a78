#include "platform/WholeFile.hpp"

#include "platform/FileDescriptors.hpp"

// The game's folder is in memory, filled from the browser's storage before the game starts; it
// is read like any POSIX folder.
WholeFile readWholeFile(const std::filesystem::path& path)
{
    return descriptors::readWholeFile(path.c_str());
}
