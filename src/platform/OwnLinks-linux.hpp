#pragma once

#include <filesystem>
#include <string>

// Linux only. A symbolic link that someone else put at a name in a shared folder could send the
// game's reads and saves anywhere its player may write, so, as Linux itself does in shared
// folders, only the player's own links are followed.

struct LinkEnd {
    // Where the name leads: the name itself when it is no link, or the end of a chain of the
    // player's own links. Empty when the chain could not be followed.
    std::filesystem::path path;
    // Why not, in the system's words, or the game's when a link is someone else's.
    std::string reason;
    // What stands there is a regular file. Nothing else is ever opened, since merely opening a
    // device can set it going.
    bool isRegularFile = false;
};

// Follows the links at `name`, one after another, each only when the player owns it. The path
// that comes out may still name nothing at all.
LinkEnd followOwnLinks(const std::filesystem::path& name);

// True when the file at `path` may be replaced by a save: nothing stands there, or the player's
// own regular file does. A link there is never replaced; its end is what counts.
bool isReplaceableByPlayer(const std::filesystem::path& path);
