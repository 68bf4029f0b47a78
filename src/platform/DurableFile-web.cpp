#include "platform/DurableFileSteps.hpp"

#include "platform/WholeFile.hpp"
#include "platform/WriteAll.hpp"

#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

// clang-format off

// The game's folder lives in memory and is copied into the browser's IndexedDB after each save.
// A browser that never answers counts as refusing, so the game is not left waiting for ever.
EM_ASYNC_JS(int, storeFolderInBrowser, (), {
    return await new Promise((resolve) => {
        const refused = setTimeout(() => resolve(0), 10000);
        const finish = (stored) => { clearTimeout(refused); resolve(stored); };
        try {
            FS.syncfs(false, (error) => finish(error ? 0 : 1));
        } catch (error) {
            finish(0);
        }
    });
});

// clang-format on

// Puts the folder in memory back as the browser still keeps it: the earlier file, or none.
void restore(const std::filesystem::path& file, const WholeFile& earlier)
{
    if (earlier.outcome != WholeFile::Outcome::read) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        return;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << earlier.bytes;
}

} // namespace

namespace durable {

// No one but the game makes files in its folder in memory, so there are no links to follow, and
// only the game's own files stand there.
std::optional<std::filesystem::path> fileToReplace(const std::filesystem::path& target)
{
    return target;
}

// The folder in memory has no permission bits that matter, so `destination` is not needed.
NewFile writeNewFile(
    const std::filesystem::path& temporary, const std::filesystem::path& /*destination*/, std::string_view content)
{
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno == EEXIST ? NewFile::nameTaken : NewFile::notCreated;
    }
    const bool written = writeAll(fd, content);
    const bool closed = ::close(fd) == 0;
    return written && closed ? NewFile::written : NewFile::notWritten;
}

// The rename is in memory; what lasts is the browser's copy. When the browser refuses it, the
// old file is put back in memory too, so the running game and the next visit both have the old
// save, as the failure message says.
bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    // A file that is there but cannot be read could not be put back, so it is not replaced.
    const WholeFile earlier = readWholeFile(to);
    if (earlier.outcome == WholeFile::Outcome::failed || std::rename(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    if (storeFolderInBrowser() == 0) {
        restore(to, earlier);
        return false;
    }
    return true;
}

} // namespace durable
