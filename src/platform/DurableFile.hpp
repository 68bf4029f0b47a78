#pragma once

#include <filesystem>
#include <string_view>

// Replaces `target` with `content` so that a crash, a full disk or a size limit leaves either
// the old file or the new one, never a mix. The content goes to a new file that this call itself
// creates beside the target, under a name no one can guess ("<target>." and random characters);
// it reaches the disk and is then renamed over the target. Nothing that already stood in the
// folder is written, truncated or removed, apart from the target being replaced, so several games
// may save into one folder at once. The new target keeps the permissions the old one had; a file
// saved for the first time gets those of any newly created file. On failure the target is
// untouched, the temporary file is gone, and the result is false. A target that is a symbolic
// link is saved through: the file it points at is replaced and the link stays.
// `content` is text with LF line ends; it is written with the system's own text line end, as a
// file opened in text mode would be (CR LF on Windows), so the game's code need not know it.
//
// In a browser the folder is the game's own, in memory, and:
// - it has no links and no permission bits, so those promises have nothing to act on;
// - the disk is the browser's storage: the save counts only once the browser has stored it, and
//   until then, or when the browser refuses, the old file stays in memory too, as the browser
//   still keeps it.
bool replaceFileDurably(const std::filesystem::path& target, std::string_view content);

// Linux: removes the temporary file of a save that is being written right now, if there is one.
// Safe in a signal handler: a signal that ends the game in the middle of a save (the window
// closed, a kill) leaves no file behind. Other systems have no such signals.
void removeUnfinishedFile();
