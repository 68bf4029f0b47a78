#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"
#include "platform/DurableFile.hpp"
#include "platform/WholeFile.hpp"
#include "savegame/SaveFile.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <windows.h>

namespace {

namespace fs = std::filesystem;

// The manifest lifts Windows' old limit of 260 characters on a path, so a game folder may lie
// deeper than that; the game's own file code must then save and read the save there too. Wine
// cannot start a program in such a folder, so the save is made and read by its full path here.
TEST(LongPaths, ASaveIsReplacedAndLoadedInAFolderDeeperThan260Characters)
{
    const TemporaryFolder folder;
    fs::path game = fs::absolute(L"Папка игрока");
    while (game.native().size() <= 300) {
        game /= L"a-folder-deep-in-the-tree";
    }
    fs::create_directories(game);

    Character ivan;
    ScriptedConsole screen("w\nIvan\n");
    chooseClass(ivan, screen.console);
    const fs::path save = game / "chartype1.txt";
    EXPECT_TRUE(replaceFileDurably(save, "old\n"));
    EXPECT_TRUE(replaceFileDurably(save, formatSaveFile(ivan)));
    Character loaded;
    std::ostringstream errors;
    ASSERT_EQ(loadSaveFile(readWholeFile(save), loaded, errors), SavedGame::loaded) << errors.str();
    EXPECT_EQ(formatSaveFile(loaded), formatSaveFile(ivan));

    // MinGW's std::filesystem lists and removes folders only up to 260 characters, so the deep
    // ones are taken away here, deepest first.
    ::DeleteFileW(save.c_str());
    for (fs::path deep = game; deep.native().size() > 260; deep = deep.parent_path()) {
        ::RemoveDirectoryW(deep.c_str());
    }
}

} // namespace
