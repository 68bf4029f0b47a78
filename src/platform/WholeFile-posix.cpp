#include "platform/WholeFile.hpp"

#include "platform/FileDescriptors.hpp"
#include "platform/OwnLinks-linux.hpp"

#include <utility>

WholeFile readWholeFile(const std::filesystem::path& path)
{
    LinkEnd end = followOwnLinks(path);
    if (end.path.empty()) {
        return {WholeFile::Outcome::failed, {}, std::move(end.reason)};
    }
    if (!end.isRegularFile) {
        return {};
    }
    return descriptors::readWholeFile(end.path.c_str());
}
