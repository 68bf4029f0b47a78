#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// A file read once, as a whole, and what came of it.
struct WholeFile {
    enum class Outcome {
        // `bytes` holds all of the file.
        read,
        // There is no such file, or it is not a regular file (a folder, a device, a pipe).
        absent,
        // The file is there but could not be opened or read, is larger than any file the game
        // reads, or is reached through someone else's symbolic link; `reason` says which, in the
        // system's own words where the system refused.
        failed,
    };

    Outcome outcome = Outcome::absent;
    std::string bytes;
    std::string reason;
};

// Far above any introduction or save, and small enough that holding it costs nothing. A file
// that grows while it is read is cut off here too.
inline constexpr std::size_t maxWholeFileBytes = std::size_t{1024} * 1024;

inline constexpr std::string_view fileTooLargeReason = "файл слишком большой";
inline constexpr std::string_view foreignLinkReason = "ссылка принадлежит другому пользователю";

// Opens the file once and reads all of it, so what it holds cannot change between two looks.
// A file that is there but refuses to be read is never taken for an absent one, and one over
// maxWholeFileBytes is refused before anything is allocated for it. A symbolic link at the name
// is followed only when it is the player's own, as Linux does in shared folders. On Windows, a
// file another program holds open without sharing (a virus scanner, a sync client) is waited
// for, for about two seconds.
WholeFile readWholeFile(const std::filesystem::path& path);
