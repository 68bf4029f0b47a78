#pragma once

#include <filesystem>
#include <string_view>

// Replaces `target` with `content` so that a crash, a full disk or a size limit leaves either
// the old file or the new one, never a mix: the content goes to "<target>.tmp" in the same
// folder, reaches the disk, and is then renamed over the target. On failure the target is
// untouched, the temporary file is gone, and the result is false.
bool replaceFileDurably(const std::filesystem::path& target, std::string_view content);
