#pragma once

#include "core/Console.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

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
