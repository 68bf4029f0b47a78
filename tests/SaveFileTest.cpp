#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"
#include "savegame/SaveFile.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <sstream>
#include <utility>
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

TEST(SaveFile, ANewWarriorIsSavedAsTwelveLines)
{
    const TemporaryFolder folder;
    Character ivan = created("w\nIvan\n");
    EXPECT_EQ(saveAndReport(ivan), "");
    EXPECT_EQ(readSavedText("chartype1.txt"), "200\n20\n0\n20\n200\n50\n200\n50\n20\nIvan\n0\n1\n");
    EXPECT_TRUE(filesOtherThan({"chartype1.txt"}).empty());
}

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

TEST(SaveFile, TrainingsThenASaveKeepTheirNumbers)
{
    const TemporaryFolder folder;
    writeFile("Intro.txt", "");
    ScriptedConsole screen("w\nIvan\nt\na\ny\nt\na\nY\ns\np\n");
    runGame(screen.console, screen.errors);
    EXPECT_EQ(readSavedText("chartype1.txt"), "200\n30\n0\n20\n0\n50\n200\n50\n20\nIvan\n0\n1\n");
}

TEST(SaveFile, TheLaterOfTwoSavesIsTheOneKept)
{
    const TemporaryFolder folder;
    writeFile("Intro.txt", "");
    ScriptedConsole screen("r\nLongNameHere\ns\nt\nh\ny\ns\np\n");
    runGame(screen.console, screen.errors);
    EXPECT_EQ(readSavedText("chartype1.txt"), "130\n15\n0\n20\n100\n40\n135\n40\n20\nLongNameHer\n1\n0\n");
}

TEST(LoadGame, NumbersAreReadAsAtoiDoesAndStopAtTheLimits)
{
    // An empty line is a 0 of its own, never the start of the next line's number.
    const Character c = characterFrom("12abc\n"
                                      "\n"
                                      " \t-7\n"
                                      "+5\n"
                                      "99999999999999999999999\n"
                                      "-2147483649\n"
                                      "2147483647\n"
                                      "- 3\n"
                                      "0x1F\n"
                                      "Name\n"
                                      "0\n"
                                      "1\n");
    EXPECT_EQ(c.health, 12);
    EXPECT_EQ(c.attack, 0);
    EXPECT_EQ(c.exp, -7);
    EXPECT_EQ(c.mana, 5);
    EXPECT_EQ(c.coins, int32Max);
    EXPECT_EQ(c.strength, int32Min);
    EXPECT_EQ(c.maxHealth, int32Max);
    EXPECT_EQ(c.maxStrength, 0);
    EXPECT_EQ(c.maxMana, 0);
}

TEST(LoadGame, WindowsLineEndsLoadTheSame)
{
    const std::string unix = "200\n20\n0\n20\n-300\n50\n200\n50\n20\nIvan\n0\n1\n";
    std::string windows;
    for (const char byte : unix) {
        windows += byte == '\n' ? "\r\n" : std::string(1, byte);
    }
    expectSameCharacter(characterFrom(windows), characterFrom(unix));
    EXPECT_EQ(characterFrom(windows).name, "Ivan");
}

TEST(LoadGame, AMegabyteLineIsReadSafely)
{
    const std::string huge(1024 * 1024, '7');
    const Character c = characterFrom(huge + "\n" + "20\n0\n20\n200\n50\n200\n50\n20\n" + huge + "\n1\n0\n");
    EXPECT_EQ(c.health, int32Max);
    EXPECT_EQ(c.attack, 20);
    EXPECT_EQ(c.name, std::string(11, '7'));
    EXPECT_TRUE(c.isRogue);
}

TEST(LoadGame, TheNameFollowsTheRulesOfATypedName)
{
    const std::string head = "1\n2\n3\n4\n5\n6\n7\n8\n9\n";
    EXPECT_EQ(characterFrom(head + "\x1b[31mКрасный Рыцарь\n0\n1\n").name, "[31mКрасный");
    EXPECT_EQ(characterFrom(head + "\n0\n1\n").name, "");
}

TEST(LoadGame, AShortFileStopsAfterTheReadThatReachesItsEnd)
{
    Character before;
    before.health = before.attack = before.exp = before.mana = before.coins = 111;
    before.name = "Старое";

    // With its final line break, the read after the last line finds nothing and stores nothing as 0.
    const Character ended = characterFrom("5\n6\n", before);
    EXPECT_EQ(ended.health, 5);
    EXPECT_EQ(ended.attack, 6);
    EXPECT_EQ(ended.exp, 0);
    EXPECT_EQ(ended.mana, 111);
    EXPECT_EQ(ended.name, "Старое");

    // Without it, the last line's own read reaches the end.
    const Character cut = characterFrom("5\n6", before);
    EXPECT_EQ(cut.attack, 6);
    EXPECT_EQ(cut.exp, 111);

    const Character noName = characterFrom("1\n2\n3\n4\n5\n6\n7\n8\n9\n", before);
    EXPECT_EQ(noName.maxMana, 9);
    EXPECT_EQ(noName.name, "");
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

TEST(SavedGame, ContinuingShowsTheMessageThenTheMenu)
{
    const TemporaryFolder folder;
    writeFile("chartype1.txt", "100\n10\n3\n100\n-50\n30\n105\n30\n100\nМерлин\n0\n0\n");
    ScriptedConsole screen("m\n");
    EXPECT_EQ(runGame(screen.console, screen.errors), 0);
    const std::string output = screen.output();
    EXPECT_TRUE(output.starts_with(
        "Вы уже играли, загружаю...\n" + std::string(pausePrompt) + "\f" + std::string(mainMenuHeader)));
    EXPECT_NE(
        output.find("Exp = 3\nHealth = 100\nMana = 100\nStrenght = 30\nName = Мерлин\nВы маг\n"), std::string::npos);
}

} // namespace
