#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"
#include "platform/DurableFile.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sstream>
#include <windows.h>

namespace {

namespace fs = std::filesystem;

long entriesIn(const fs::path& folder)
{
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

TEST(DurableFile, ReplacesWithWindowsLineEndsInAFolderNamedInRussian)
{
    const TemporaryFolder folder;
    const fs::path game = fs::absolute(L"Папка игрока");
    fs::create_directory(game);
    writeFile(game / "chartype1.txt", "old\r\n");
    EXPECT_TRUE(replaceFileDurably(game / "chartype1.txt", "200\nИван\n"));
    EXPECT_EQ(readFile(game / "chartype1.txt"), "200\r\nИван\r\n");
    EXPECT_EQ(entriesIn(game), 1);
}

TEST(DurableFile, AFailedReplaceKeepsTheOldFileAndRemovesItsTemporaryFile)
{
    const TemporaryFolder folder;
    fs::create_directory("chartype1.txt");
    writeFile("chartype1.txt/inside", "x");
    EXPECT_FALSE(replaceFileDurably("chartype1.txt", "200\n"));
    EXPECT_EQ(readFile("chartype1.txt/inside"), "x");
    EXPECT_EQ(entriesIn("."), 1);

    EXPECT_FALSE(replaceFileDurably("missing/chartype1.txt", "200\n"));
    EXPECT_EQ(entriesIn("."), 1);
}

TEST(DurableFile, SavingThroughALinkReplacesTheFileItPointsAt)
{
    const TemporaryFolder folder;
    fs::create_directory("saves");
    writeFile("saves/hero.txt", "old\r\n");
    // Wine says yes and makes nothing; Windows may refuse anyone but an administrator.
    ::CreateSymbolicLinkW(L"chartype1.txt", L"saves\\hero.txt", SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    if (::GetFileAttributesW(L"chartype1.txt") == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no symbolic link could be made here";
    }
    EXPECT_TRUE(replaceFileDurably("chartype1.txt", "200\n"));
    EXPECT_EQ(readFile("saves/hero.txt"), "200\r\n");
    EXPECT_EQ(entriesIn("saves"), 1);
}

// Text mode would end a file at a Ctrl+Z byte; the game's files are read as on every system.
TEST(TextFiles, ACtrlZInsideAFileIsAnOrdinaryByte)
{
    const TemporaryFolder folder;
    writeFile("Intro.txt", "Начало\x1a конец\n");
    Character hero;
    ScriptedConsole screen("w\nIvan\n");
    playIntroduction(hero, screen.console);
    EXPECT_NE(screen.output().find("конец"), std::string::npos);

    writeFile("chartype1.txt",
        "1\n2\n3\n4\n5\n6\n7\n8\n9\nIv\x1a"
        "an\n0\n1\n");
    std::ostringstream errors;
    EXPECT_EQ(loadGame(hero, errors), SavedGame::loaded);
    EXPECT_EQ(hero.name, "Ivan");
    EXPECT_TRUE(hero.isWarrior);
}

} // namespace
