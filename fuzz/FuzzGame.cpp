// A whole game driven by arbitrary bytes: the introduction, the save file and what is typed.
//
// The input is split at the record separator byte 0x1E:
//   no separator:   everything is typed; there is neither an introduction nor a save;
//   one separator:  INTRO 0x1E TYPED; there is no save;
//   two or more:    INTRO 0x1E SAVE 0x1E TYPED (an empty SAVE is an empty file; any further
//                   separators belong to what is typed).

#include "core/Character.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"
#include "savegame/SaveFile.hpp"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

constexpr char partSeparator = '\x1E';
constexpr const char* introName = "Intro.txt";
constexpr const char* saveName = "chartype1.txt";
constexpr std::string_view temporarySavePrefix = "chartype1.txt.";

void removePlayFolder();

// The input that got here is saved by libFuzzer, so the play folder is of no further use.
[[noreturn]] void fail(const std::string& message)
{
    (void)std::fprintf(stderr, "fuzz_game: %s\n", message.c_str());
    removePlayFolder();
    std::abort();
}

// The game's screens are of no interest here, only what it does; a discarding sink keeps a
// long game from filling memory.
class DiscardingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
    std::streamsize xsputn(const char* /*text*/, std::streamsize count) override { return count; }
};

struct GameInput {
    std::optional<std::string_view> intro;
    std::optional<std::string_view> save;
    std::string_view typed;
};

GameInput splitInput(std::string_view data)
{
    GameInput input;
    const std::size_t first = data.find(partSeparator);
    if (first == std::string_view::npos) {
        input.typed = data;
        return input;
    }
    input.intro = data.substr(0, first);
    const std::string_view rest = data.substr(first + 1);
    const std::size_t second = rest.find(partSeparator);
    if (second == std::string_view::npos) {
        input.typed = rest;
        return input;
    }
    input.save = rest.substr(0, second);
    input.typed = rest.substr(second + 1);
    return input;
}

// The folder the game plays in: private to this process and on tmpfs, so a save's fsync costs
// nothing. Left only around each game, so libFuzzer's own relative paths keep working.
struct PlayFolder {
    std::string path;
    int home = -1;
};

PlayFolder& playFolder()
{
    static PlayFolder folder;
    return folder;
}

void removeIfPresent(const char* name)
{
    if (::unlink(name) != 0 && errno != ENOENT) {
        fail(std::string("cannot remove ") + name + ": " + std::strerror(errno));
    }
}

void removePlayFolder()
{
    const PlayFolder& folder = playFolder();
    if (folder.path.empty()) {
        return;
    }
    // A temporary file left behind by a failing game goes too.
    std::error_code ignored;
    std::filesystem::remove_all(folder.path, ignored);
}

void createPlayFolder()
{
    PlayFolder& folder = playFolder();
    for (const char* parent : {"/dev/shm", "/tmp"}) {
        std::string pattern = std::string(parent) + "/rpg-fuzz-game-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            folder.path = pattern;
            break;
        }
    }
    if (folder.path.empty()) {
        fail("cannot create a private folder in /dev/shm or /tmp");
    }
    folder.home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.home < 0) {
        fail(std::string("cannot open the current folder: ") + std::strerror(errno));
    }
    // Should registering fail, the folder merely stays behind on tmpfs.
    (void)std::atexit(removePlayFolder);
}

void enterPlayFolder()
{
    if (::chdir(playFolder().path.c_str()) != 0) {
        fail("cannot enter " + playFolder().path + ": " + std::strerror(errno));
    }
}

void leavePlayFolder()
{
    if (::fchdir(playFolder().home) != 0) {
        fail(std::string("cannot go back to the starting folder: ") + std::strerror(errno));
    }
}

void writeFile(const char* name, std::string_view content)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        fail(std::string("cannot write ") + name);
    }
}

std::string readFile(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<ino_t> inodeOf(const char* name)
{
    struct stat status = {};
    if (::lstat(name, &status) != 0) {
        return std::nullopt;
    }
    return status.st_ino;
}

// The name of a temporary file of the save still in the play folder, if there is one.
std::optional<std::string> leftoverTemporarySave()
{
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        std::string name = entry.path().filename().string();
        if (name.starts_with(temporarySavePrefix)) {
            return name;
        }
    }
    return std::nullopt;
}

// A save the game wrote: exactly twelve complete lines, and reading it back and writing it
// again changes nothing, so a saved game survives any number of loads and saves.
void checkWrittenSave(const std::string& content)
{
    std::size_t lines = 0;
    for (const char byte : content) {
        lines += byte == '\n' ? 1 : 0;
    }
    if (lines != 12 || content.back() != '\n') {
        fail("the game wrote a save that is not twelve lines:\n" + content);
    }
    Character reloaded;
    std::ostringstream errors;
    loadSaveFile(WholeFile{WholeFile::Outcome::read, content, {}}, reloaded, errors);
    if (formatSaveFile(reloaded) != content) {
        fail("the game wrote a save that does not read back as itself:\n" + content);
    }
}

void playOneGame(const GameInput& input)
{
    for (const char* name : {introName, saveName}) {
        removeIfPresent(name);
    }
    if (input.intro) {
        writeFile(introName, *input.intro);
    }
    if (input.save) {
        writeFile(saveName, *input.save);
    }
    const std::optional<ino_t> saveBefore = inodeOf(saveName);

    std::istringstream typed{std::string(input.typed)};
    DiscardingBuffer discard;
    std::ostream screen(&discard);
    Console console(typed, screen);
    const int status = runGame(console, screen);
    if (status != 0) {
        fail("runGame returned " + std::to_string(status));
    }

    if (const std::optional<std::string> left = leftoverTemporarySave()) {
        fail(*left + " was left behind");
    }
    const std::optional<ino_t> saveAfter = inodeOf(saveName);
    if (saveBefore && !saveAfter) {
        fail("the save file is gone after the game");
    }
    if (saveAfter) {
        const std::string content = readFile(saveName);
        const bool rewritten = !saveBefore || *saveBefore != *saveAfter || content != *input.save;
        if (rewritten) {
            checkWrittenSave(content);
        }
    }
}

} // namespace

// Crash files are written while the play folder is current, so unless the caller chose where
// they go, they go to the starting folder by its full path.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    for (int i = 1; i < *argc; ++i) {
        const std::string_view arg = (*argv)[i];
        if (arg.starts_with("-artifact_prefix=") || arg.starts_with("-exact_artifact_path=")) {
            createPlayFolder();
            return 0;
        }
    }
    static std::string prefix;
    static std::vector<char*> arguments;
    std::vector<char> here(4096);
    if (::getcwd(here.data(), here.size()) == nullptr) {
        fail(std::string("cannot read the current folder: ") + std::strerror(errno));
    }
    prefix = std::string("-artifact_prefix=") + here.data() + "/";
    arguments.assign(*argv, *argv + *argc);
    arguments.push_back(prefix.data());
    arguments.push_back(nullptr);
    *argc += 1;
    *argv = arguments.data();
    createPlayFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const GameInput input = splitInput(std::string_view(reinterpret_cast<const char*>(data), size));
    enterPlayFolder();
    playOneGame(input);
    leavePlayFolder();
    return 0;
}
