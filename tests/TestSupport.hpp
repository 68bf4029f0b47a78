#pragma once

#include "core/Console.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

// A console that reads a fixed script and records everything the game writes.
struct ScriptedConsole {
    explicit ScriptedConsole(std::string input)
        : in(std::move(input))
    {
    }

    std::string output() const { return out.str(); }

    std::istringstream in;
    std::ostringstream out;
    std::ostringstream errors;
    Console console{in, out};
};

// Runs a test inside a fresh empty folder, since the game keeps its files in the working folder.
class TemporaryFolder {
public:
    TemporaryFolder()
        : previous_(std::filesystem::current_path())
    {
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() / ("rpg-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
        std::filesystem::current_path(path_);
    }

    ~TemporaryFolder()
    {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(path_);
    }

    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, std::string_view content)
{
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A saved file's text with CR LF read as LF: each system saves with its own text line end, and
// the transcripts check which, byte for byte.
inline std::string readSavedText(const std::filesystem::path& path)
{
    std::string text = readFile(path);
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

// The names in the working folder other than `expected`: whatever a save left behind, by any name.
inline std::vector<std::string> filesOtherThan(std::initializer_list<std::string_view> expected)
{
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) {
            others.push_back(name);
        }
    }
    return others;
}

// How many times `part` occurs in `text`.
inline int countOf(std::string_view text, std::string_view part)
{
    int count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

inline constexpr std::string_view pausePrompt = "Для продолжения нажмите любую клавишу . . . \n";
inline constexpr std::string_view mainMenuHeader = "\t::::::Меню:::::::\n";
