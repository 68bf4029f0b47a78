#include "platform/DurableFile.hpp"

#include "platform/DurableFileSteps.hpp"

#include <cstddef>
#include <exception>
#include <optional>
#include <random>
#include <string>
#include <system_error>

namespace {

// "<target>." and sixteen random letters and digits: a name no one can prepare in advance. One
// case only, since Windows names ignore case. Without a source of randomness there is no name,
// and the save fails rather than use one that could be guessed.
std::optional<std::filesystem::path> unguessableNameBeside(const std::filesystem::path& target)
{
    constexpr std::string_view letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int length = 16;
    try {
        static std::random_device random;
        std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
        std::string suffix = ".";
        for (int i = 0; i < length; ++i) {
            suffix += letters[pick(random)];
        }
        std::filesystem::path name = target;
        name += suffix;
        return name;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Only a file this save created is ever removed.
void removeTemporaryFile(const std::filesystem::path& temporary)
{
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
}

// A new temporary file beside the destination, holding the content, or nothing. A name taken by
// chance is followed by a fresh one; a file made but not filled is removed again.
std::optional<std::filesystem::path> writeTemporaryFile(
    const std::filesystem::path& destination, std::string_view content)
{
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::optional<std::filesystem::path> temporary = unguessableNameBeside(destination);
        if (!temporary) {
            return std::nullopt;
        }
        switch (durable::writeNewFile(*temporary, destination, content)) {
        case durable::NewFile::written:
            return temporary;
        case durable::NewFile::nameTaken:
            continue;
        case durable::NewFile::notWritten:
            removeTemporaryFile(*temporary);
            return std::nullopt;
        case durable::NewFile::notCreated:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

bool replaceFileDurably(const std::filesystem::path& target, std::string_view content)
{
    const std::optional<std::filesystem::path> destination = durable::fileToReplace(target);
    if (!destination) {
        return false;
    }
    const std::optional<std::filesystem::path> temporary = writeTemporaryFile(*destination, content);
    if (!temporary) {
        return false;
    }
    if (!durable::moveOver(*temporary, *destination)) {
        removeTemporaryFile(*temporary);
        return false;
    }
    return true;
}
