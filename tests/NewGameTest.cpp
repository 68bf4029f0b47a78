#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// What the introduction writes for a given Intro.txt, up to the class list.
std::string introductionFor(const std::string& introFile)
{
    const TemporaryFolder folder;
    writeFile("Intro.txt", introFile);
    Character character;
    ScriptedConsole screen("");
    playIntroduction(character, screen.console);
    const std::string output = screen.output();
    const std::size_t list = output.rfind("\n(W)arrior");
    EXPECT_NE(list, std::string::npos) << output;
    return output.substr(0, list);
}

// The transcripts play the shared introduction, one saved by Notepad in UTF-16 with CR LF, and none.
TEST(Introduction, JoinsTheLinesWithNothingBetweenAndDropsOnlyTheCarriageReturnsThatEndThem)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"ab\ncd", "abcd\n\n"},
        {"Тихо. \n\nТемно.\n", "Тихо. Темно.\n\n"},
        {"ab\r\ncd\r", "abcd\n\n"},
        {"a\rb\t\x1b\n", "a\rb\t\x1b\n\n"},
        {"", "\n\n"},
    };
    for (const auto& [file, shown] : cases) {
        EXPECT_EQ(introductionFor(file), shown) << file;
    }
}

struct Created {
    Character character;
    std::string output;
};

Created createFrom(const std::string& input)
{
    Created created;
    ScriptedConsole screen(input);
    chooseClass(created.character, screen.console);
    created.output = screen.output();
    return created;
}

TEST(ClassChoice, EachClassGetsItsTemplateAndTheStartingCoins)
{
    struct Expected {
        std::string keys;
        bool warrior, mage, rogue;
        int health, mana, strength, attack;
    };
    for (const Expected& column :
        {Expected{"wW", true, false, false, 200, 20, 50, 20}, Expected{"mM", false, true, false, 100, 100, 30, 10},
            Expected{"rR", false, false, true, 130, 20, 40, 15}}) {
        for (const char key : column.keys) {
            const Character c = createFrom(std::string(1, key) + "\nГерой\n").character;
            EXPECT_EQ(c.isWarrior, column.warrior) << key;
            EXPECT_EQ(c.isMage, column.mage) << key;
            EXPECT_EQ(c.isRogue, column.rogue) << key;
            EXPECT_EQ(c.exp, 0);
            EXPECT_EQ(c.health, column.health) << key;
            EXPECT_EQ(c.mana, column.mana) << key;
            EXPECT_EQ(c.strength, column.strength) << key;
            EXPECT_EQ(c.attack, column.attack) << key;
            EXPECT_EQ(c.coins, 200);
            EXPECT_EQ(c.maxHealth, c.health);
            EXPECT_EQ(c.maxMana, c.mana);
            EXPECT_EQ(c.maxStrength, c.strength);
            EXPECT_EQ(c.name, "Герой");
        }
    }
}

TEST(ClassChoice, TheCharacterAfterTheKeyIsDroppedAndTheRestOfTheLineIsTheName)
{
    EXPECT_EQ(createFrom("m\n\nt\n").character.name, "");
    // The dropped character is a whole Cyrillic letter, never half of one.
    EXPECT_EQ(createFrom("mЖрец\n").character.name, "рец");
}

TEST(ClassChoice, EndOfInputStopsTheDialogueWhereItIs)
{
    for (const std::string input : {"", "w", "w\n"}) {
        const Created created = createFrom(input);
        EXPECT_EQ(created.output.find("Вы поперхнулись?"), std::string::npos) << input;
        EXPECT_EQ(created.output.find("Для продолжения"), std::string::npos) << input;
    }
    // A name that ends with the input still counts; the game then ends at the next question.
    EXPECT_EQ(createFrom("w\nIvan").character.name, "Ivan");
}

TEST(NewGame, EndOfInputDuringCreationEndsTheGameWithOneFinalPause)
{
    const TemporaryFolder folder;
    writeFile("Intro.txt", "Начало.");
    ScriptedConsole screen("w\n");
    EXPECT_EQ(runGame(screen.console, screen.errors), 0);
    const std::string output = screen.output();
    EXPECT_TRUE(output.ends_with("зовут?\n" + std::string(pausePrompt))) << output;
    EXPECT_EQ(countOf(output, mainMenuHeader), 0);
}

} // namespace
