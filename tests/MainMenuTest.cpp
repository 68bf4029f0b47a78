#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace {

std::string menuOutput(const std::string& input, Character character = {})
{
    ScriptedConsole screen(input);
    runMainMenu(character, screen.console);
    return screen.output();
}

// The menu as written when input ends at once; its wording is the transcripts' to pin.
const std::string& mainMenu()
{
    static const std::string menu = menuOutput("");
    return menu;
}

// A rejected key writes the whole menu again.
TEST(MainMenu, TavernAndTripClearTheScreenAndEndTheGame)
{
    EXPECT_TRUE(mainMenu().starts_with(mainMenuHeader));
    for (const auto& [keys, menus] : {std::pair{"p\nt\n", 1}, {"F\nt\n", 1}, {"7 x й p", 4}}) {
        std::string expected;
        for (int shown = 0; shown < menus; ++shown) {
            expected += mainMenu();
        }
        EXPECT_EQ(menuOutput(keys), expected + "\f") << keys;
    }
}

// The transcripts pin a new player's way from the introduction to the menu, the sheet as the last
// screen and the menu after each training.
TEST(StartUp, EndOfInputAtTheMenuEndsTheGameWithoutShowingItAgain)
{
    const TemporaryFolder folder;
    ScriptedConsole screen("r\nЛис\n");
    EXPECT_EQ(runGame(screen.console, screen.errors), 0);
    EXPECT_TRUE(screen.output().ends_with("\f" + mainMenu() + std::string(pausePrompt)));
    EXPECT_EQ(countOf(screen.output(), mainMenuHeader), 1);
}

} // namespace
