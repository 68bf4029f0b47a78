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

TEST(MainMenu, TheSheetIsTheLastScreen)
{
    Character character;
    character.isWarrior = true;
    const std::string output = menuOutput("m\nt\n", character);
    EXPECT_TRUE(output.starts_with(mainMenu() + "\fExp = 0\n"));
    EXPECT_TRUE(output.ends_with("Вы воин\n" + std::string(pausePrompt) + "\f"));
    EXPECT_EQ(countOf(output, mainMenuHeader), 1);
}

TEST(MainMenu, TrainingsComeBackToTheMenuUntilInputEnds)
{
    Character character;
    character.isRogue = true;
    ScriptedConsole screen("t\na\ny\nt\nh\nn\n");
    runMainMenu(character, screen.console);
    EXPECT_EQ(countOf(screen.output(), mainMenuHeader), 3);
    EXPECT_TRUE(screen.output().ends_with(mainMenu()));
    EXPECT_TRUE(screen.console.inputEnded());
}

TEST(StartUp, ANewPlayerMeetsTheIntroductionThenTheMenuAndTheGameEndsWithAPause)
{
    const TemporaryFolder folder;
    writeFile("Intro.txt", "Сказ.");
    ScriptedConsole screen("r\nЛис\np\n");
    EXPECT_EQ(runGame(screen.console, screen.errors), 0);
    const std::string output = screen.output();
    EXPECT_TRUE(output.starts_with("Сказ.\n\n\n(W)arrior"));
    EXPECT_TRUE(output.ends_with("\f" + mainMenu() + "\f" + std::string(pausePrompt)));
}

TEST(StartUp, EndOfInputAtTheMenuEndsTheGameWithoutShowingItAgain)
{
    const TemporaryFolder folder;
    ScriptedConsole screen("r\nЛис\n");
    EXPECT_EQ(runGame(screen.console, screen.errors), 0);
    EXPECT_TRUE(screen.output().ends_with("\f" + mainMenu() + std::string(pausePrompt)));
    EXPECT_EQ(countOf(screen.output(), mainMenuHeader), 1);
}

} // namespace
