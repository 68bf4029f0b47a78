#pragma once

#include <filesystem>
#include <string_view>

// Replaces `target` with `content` so that a crash, a full disk or a size limit leaves either
// the old file or the new one, never a mix: the content goes to a temporary file in the same
// folder, reaches the disk, and is then renamed over the target. On failure the target is
// untouched, the temporary file is gone, and the result is false.
// `content` is text with LF line ends; it is written with the system's own text line end, as a
// file opened in text mode would be (CR LF on Windows), so the game's code need not know it.
bool replaceFileDurably(const std::filesystem::path& target, std::string_view content);
