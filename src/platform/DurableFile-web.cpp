#include "platform/DurableFileSteps.hpp"

#include "platform/FileDescriptors.hpp"

#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

// clang-format off

// The game's folder lives in memory; the page's save store (see web/game-folder.js) keeps a saved
// file in the browser's storage too. The answer is the browser's own: 1 once it has stored the
// bytes, 0 as soon as it has refused them, however long either takes.
EM_ASYNC_JS(int, keepInBrowser, (const char* path, const char* bytes, int count), {
    return await Module.saveStore.store(UTF8ToString(path), HEAPU8.slice(bytes, bytes + count)) ? 1 : 0;
});

// clang-format on

} // namespace

namespace durable {

// No one but the game makes files in its folder in memory, so there are no links to follow, and
// only the game's own files stand there.
std::optional<std::filesystem::path> fileToReplace(const std::filesystem::path& target)
{
    return target;
}

// The folder in memory has no permission bits that matter. Its disk is the browser's storage: the
// content is written there too, under the destination's name, before the file counts as written,
// so the rename comes only once the browser has stored it, and a refusal leaves the running game
// and the next visit both with the old save, as the failure message says.
NewFile writeNewFile(
    const std::filesystem::path& temporary, const std::filesystem::path& destination, std::string_view content)
{
    std::error_code failed;
    const std::filesystem::path key = std::filesystem::absolute(destination, failed);
    if (failed) {
        return NewFile::notCreated;
    }
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno == EEXIST ? NewFile::nameTaken : NewFile::notCreated;
    }
    const bool written = descriptors::writeAll(fd, content);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        return NewFile::notWritten;
    }
    const bool stored = keepInBrowser(key.c_str(), content.data(), static_cast<int>(content.size())) != 0;
    return stored ? NewFile::written : NewFile::notWritten;
}

// A rename within the folder in memory does not fail once the file is there to rename.
bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace durable
