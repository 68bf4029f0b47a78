#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"
#include "platform/WholeFileRead.hpp"
#include "savegame/SaveFile.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

Character characterFrom(const std::string& content, Character character = {})
{
    std::ostringstream errors;
    loadSaveFile(WholeFile{WholeFile::Outcome::read, content, {}}, character, errors);
    return character;
}

std::string saveAndReport(Character& character)
{
    ScriptedConsole screen("");
    saveGame(character, screen.console);
    return screen.output();
}

// Loads the save as start-up does; a file the tests write is always readable.
Character loadFromDisk()
{
    Character character;
    std::ostringstream errors;
    EXPECT_EQ(loadGame(character, errors), SavedGame::loaded);
    EXPECT_EQ(errors.str(), "");
    return character;
}

bool hasSavedGame()
{
    std::ostringstream errors;
    Character character;
    const SavedGame found = loadGame(character, errors);
    EXPECT_NE(found, SavedGame::unreadable) << errors.str();
    return found == SavedGame::loaded;
}

Character created(const std::string& keys)
{
    Character character;
    ScriptedConsole screen(keys);
    chooseClass(character, screen.console);
    return character;
}

void expectSameCharacter(const Character& a, const Character& b)
{
    EXPECT_EQ(formatSaveFile(a), formatSaveFile(b));
    EXPECT_EQ(a.isMage, b.isMage);
}

// The transcripts pin the twelve lines of a save byte for byte, after trainings and after two saves.
TEST(SaveFile, EveryClassComesBackFromTheDiskAsItWas)
{
    const TemporaryFolder folder;
    for (const std::string keys : {"w\nВоин Света\n", "m\nМерлин\n", "r\nЛис\n"}) {
        Character original = created(keys);
        original.coins = -12345;
        original.attack = int32Max;
        original.maxHealth = int32Min;
        saveAndReport(original);
        const Character loaded = loadFromDisk();
        expectSameCharacter(loaded, original);
        EXPECT_EQ(loaded.isWarrior, original.isWarrior) << keys;
        EXPECT_EQ(loaded.isRogue, original.isRogue) << keys;
        EXPECT_EQ(loaded.isMage, original.isMage) << keys;
        EXPECT_TRUE(hasSavedGame());
    }
}

// What a save's text loads as, written back as twelve lines, over a character that had other
// numbers and a name before.
TEST(LoadGame, EachLineIsReadByItsOwnRules)
{
    const std::string head = "1\n2\n3\n4\n5\n6\n7\n8\n9\n";
    const std::string huge(1024 * 1024, '7');
    struct Case {
        std::string file;
        std::string loaded;
    };
    // clang-format off
    const std::vector<Case> cases{
        // Numbers are read as atoi reads them and stop at the 32-bit limits; an empty line is a 0
        // of its own, never the start of the next line's number.
        {"12abc\n\n \t-7\n+5\n99999999999999999999999\n-2147483649\n2147483648\n- 3\n0x1F\nName\n0\n1\n",
            "12\n0\n-7\n5\n2147483647\n-2147483648\n2147483647\n0\n0\nName\n0\n1\n"},
        {"200\r\n20\r\n0\r\n20\r\n-300\r\n50\r\n200\r\n50\r\n20\r\nIvan\r\n0\r\n1\r\n",
            "200\n20\n0\n20\n-300\n50\n200\n50\n20\nIvan\n0\n1\n"},
        {huge + "\n20\n0\n20\n200\n50\n200\n50\n20\n" + huge + "\n1\n0\n",
            "2147483647\n20\n0\n20\n200\n50\n200\n50\n20\n77777777777\n1\n0\n"},
        // The name follows the rules of a typed name.
        {head + "\x1b[31mКрасный Рыцарь\n0\n1\n", head + "[31mКрасный\n0\n1\n"},
        {head + "\n0\n1\n", head + "\n0\n1\n"},
        // A short file stops storing after the read that reached its end: with a final line
        // break, that is the read after the last line, which stores a 0 or an empty name.
        {"5\n6\n", "5\n6\n0\n111\n111\n0\n0\n0\n0\nСтарое\n0\n0\n"},
        {"5\n6", "5\n6\n111\n111\n111\n0\n0\n0\n0\nСтарое\n0\n0\n"},
        {head, head + "\n0\n0\n"},
    };
    // clang-format on
    Character before;
    before.health = before.attack = before.exp = before.mana = before.coins = 111;
    before.name = "Старое";
    for (const Case& test : cases) {
        EXPECT_EQ(formatSaveFile(characterFrom(test.file, before)), test.loaded) << test.file.substr(0, 40);
    }
}

TEST(LoadGame, TheClassIsAlwaysExactlyOneFlag)
{
    const std::string head = "1\n2\n3\n4\n5\n6\n7\n8\n9\nX\n";
    struct Case {
        std::string flagLines;
        bool rogue, mage, warrior;
    };
    for (const Case& file : {Case{"1\n0\n", true, false, false}, Case{"0\n7\n", false, false, true},
             Case{"1\n1\n", false, true, false}, Case{"0\n0\n", false, true, false}, Case{"", false, true, false},
             Case{"-1\nwarrior\n", true, false, false}}) {
        Character previous;
        previous.isWarrior = true;
        const Character c = characterFrom(head + file.flagLines, previous);
        EXPECT_EQ(c.isRogue, file.rogue) << file.flagLines;
        EXPECT_EQ(c.isMage, file.mage) << file.flagLines;
        EXPECT_EQ(c.isWarrior, file.warrior) << file.flagLines;
    }
}

// A file the player hands the page: only one the game could have written is taken, in any of the
// encodings and line ends its builds have written.
TEST(WhyNotWrittenByGame, TakesOnlyWhatTheGameWrites)
{
    const auto save
        = [](const std::string& name, const std::string& coins = "200", const std::string& flags = "0\n1\n") {
              return "-2147483648\n20\n0\n20\n" + coins + "\n50\n2147483647\n50\n20\n" + name + "\n" + flags;
          };
    const auto withCrLf = [](const std::string& text) {
        std::string windows;
        for (const char byte : text) {
            windows += byte == '\n' ? "\r\n" : std::string(1, byte);
        }
        return windows;
    };
    const std::string ivan = save("Иван");
    std::string utf16 = "\xFF\xFE";
    for (const char byte : withCrLf(save("Ivan"))) {
        utf16 += std::string{byte, '\0'};
    }
    const std::pair<std::string, std::string> cases[] = {
        {ivan, ""},
        {withCrLf(ivan), ""},
        {"\xEF\xBB\xBF" + ivan, ""},
        {utf16, ""},
        {save("\xCC\xE5\xF0\xEB\xE8\xED", "200", "1\r\n1\r\n"), ""},
        {ivan.substr(0, ivan.size() - 1), ""},
        {"", "в файле нет текста"},
        {save("Ив\u009Bан"), "в файле есть управляющие символы"},
        {save("Ив\u202Eан"), "в файле есть управляющие символы"},
        {save("Иван", "2\r00"), "в файле есть управляющие символы"},
        {ivan + "junk\n", "в файле больше 12 строк"},
        {ivan + "\n", "в файле больше 12 строк"},
        {save("Иван", "2147483648"), "в строке 5 число вне допустимых пределов"},
        {save("Иван", "+200"), "в строке 5 не число"},
        {save("Иван", " 200"), "в строке 5 не число"},
        {save("Иван", "0200"), "в строке 5 число записано не так, как его пишет игра"},
        {save("Иван", "200 "), "в строке 5 не число"},
        {save("Иван", ""), "в строке 5 не число"},
        {save("Иван", "200", "0\n7\n"), "в строке 12 не 0 и не 1"},
        {save("Иван Иванов"), ""},
        {save("Иван Иванов!"), "в имени больше 11 знаков"},
        {save("Иван", "200", "0\n"), "файл обрывается после строки 11"},
        {"1\n2", "файл обрывается после строки 2"},
    };
    for (const auto& [file, reason] : cases) {
        EXPECT_EQ(whyNotWrittenByGame(file), reason) << file;
    }
}

TEST(SavedGame, OnlyANonEmptyReadableFileIsASavedGame)
{
    const TemporaryFolder folder;
    EXPECT_FALSE(hasSavedGame());
    writeFile("chartype1.txt", "");
    EXPECT_FALSE(hasSavedGame());
    writeFile("chartype1.txt", "200\n");
    EXPECT_TRUE(hasSavedGame());
    fs::remove("chartype1.txt");
    fs::create_directory("chartype1.txt");
    EXPECT_FALSE(hasSavedGame());
    fs::remove("chartype1.txt");
    fs::create_symlink("elsewhere.txt", "chartype1.txt");
    EXPECT_FALSE(hasSavedGame());
    writeFile("elsewhere.txt", "200\n");
    EXPECT_TRUE(hasSavedGame());
}

TEST(SavedGame, AByteOrderMarkAloneIsNoSavedGame)
{
    const TemporaryFolder folder;
    for (const std::string mark : {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"}) {
        writeFile("chartype1.txt", mark);
        EXPECT_FALSE(hasSavedGame()) << mark;
        writeFile("chartype1.txt", mark + "2");
        EXPECT_TRUE(hasSavedGame()) << mark;
    }
}

// A file said to be over the limit is refused before anything is read; one that grows while it
// is read, or never ends, costs no more than the limit and one byte.
TEST(WholeFile, NoMoreThanTheLimitAndOneByteIsEverRead)
{
    for (const std::uintmax_t size : {std::uintmax_t{maxWholeFileBytes + 1}, std::uintmax_t{0}}) {
        std::size_t read = 0;
        std::string bytes;
        // Ends only far past the limit, so a loop that does not stop there still ends.
        const auto growing = [&](char* /*into*/, std::size_t count) -> std::optional<std::size_t> {
            read += count;
            return read > 4 * maxWholeFileBytes ? 0 : count;
        };
        EXPECT_EQ(wholefile::readRegularFile(size, bytes, growing), wholefile::Read::tooLarge) << size;
        EXPECT_EQ(read, size == 0 ? maxWholeFileBytes + 1 : 0) << size;
    }
}

} // namespace
