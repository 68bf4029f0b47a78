#pragma once

#include <filesystem>
#include <string>

// A file read once, as a whole, and what came of it.
struct WholeFile {
    enum class Outcome {
        // `bytes` holds all of the file.
        read,
        // There is no such file, or it is not a regular file (a folder, a device, a pipe).
        absent,
        // The file is there but could not be opened or read; `reason` gives the system's own words.
        failed,
    };

    Outcome outcome = Outcome::absent;
    std::string bytes;
    std::string reason;
};

// Opens the file once and reads all of it, so what it holds cannot change between two looks.
// A file that is there but refuses to be read is never taken for an absent one. On Windows, a file
// another program holds open without sharing (a virus scanner, a sync client) is waited for, for
// about two seconds.
WholeFile readWholeFile(const std::filesystem::path& path);
