#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The steps of replaceFileDurably that each system takes its own way, one implementation file
// per system. The order of the steps, the temporary file's name, the retry when that name is
// taken and the removal of the temporary file after a failure live in DurableFile.cpp.
namespace durable {

// The file that saving to `target` replaces: the file behind a link, or `target` itself. Nothing
// when that may not be replaced: it is not a regular file (a device, a pipe, a folder), or the
// way to it is not the player's own.
std::optional<std::filesystem::path> fileToReplace(const std::filesystem::path& target);

enum class NewFile {
    written, // Created, filled, on the disk and closed.
    nameTaken, // Something already stands at the name; nothing was touched.
    notCreated, // The system refused to create it; nothing was touched.
    notWritten, // Created, but the content did not all reach the disk.
};

// Creates `temporary` as a new file, never opening anything that already stands at that name (a
// link included), and writes `content` to it with the system's text line ends. It gets the
// permissions `destination` has, or those of any new file when there is none.
NewFile writeNewFile(
    const std::filesystem::path& temporary, const std::filesystem::path& destination, std::string_view content);

// Renames `from` over `to` in one step that a crash cannot split, and makes the rename last.
bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace durable
