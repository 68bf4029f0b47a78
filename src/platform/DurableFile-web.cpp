#include "platform/DurableFile.hpp"

#include "platform/WriteAll.hpp"

#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
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

// "<target>." and random letters, so no one can prepare a file or a link at that name.
std::filesystem::path unguessableSibling(const std::filesystem::path& target)
{
    constexpr std::string_view letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr int nameLength = 12;
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    std::string suffix = ".";
    for (int i = 0; i < nameLength; ++i) {
        suffix += letters[pick(random)];
    }
    std::filesystem::path sibling = target;
    sibling += suffix;
    return sibling;
}

// A new file of the game's own, never one that stood there before.
bool writeNewFile(const std::filesystem::path& path, std::string_view content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const bool written = writeAll(fd, content);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

} // namespace

bool replaceFileDurably(const std::filesystem::path& target, std::string_view content)
{
    const std::filesystem::path temporary = unguessableSibling(target);
    if (!writeNewFile(temporary, content)) {
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return storeFolderInBrowser() != 0;
}
