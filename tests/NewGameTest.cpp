#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"

#include <gtest/gtest.h>

namespace {

// What the introduction writes for a given Intro.txt, up to the class list.
std::string introductionFor(const std::optional<std::string>& introFile)
{
    const TemporaryFolder folder;
    if (introFile) {
        writeFile("Intro.txt", *introFile);
    }
    Character character;
    ScriptedConsole screen("");
    playIntroduction(character, screen.console);
    const std::string output = screen.output();
    const std::size_t list = output.rfind("\n(W)arrior");
    EXPECT_NE(list, std::string::npos) << output;
    return output.substr(0, list);
}

TEST(Introduction, JoinsTheLinesWithNothingBetween)
{
    EXPECT_EQ(introductionFor("ab\ncd\n"), "abcd\n\n");
    EXPECT_EQ(introductionFor("ab\ncd"), "abcd\n\n");
    EXPECT_EQ(introductionFor("Тихо. \n\nТемно.\n"), "Тихо. Темно.\n\n");
}

TEST(Introduction, DropsOnlyTheCarriageReturnsThatEndALine)
{
    EXPECT_EQ(introductionFor("ab\r\ncd\r\n"), "abcd\n\n");
    EXPECT_EQ(introductionFor("ab\r\ncd\r"), "abcd\n\n");
    EXPECT_EQ(introductionFor("a\rb\t\x1b\n"), "a\rb\t\x1b\n\n");
}

TEST(Introduction, AnEmptyOrMissingFileWritesOnlyTheLineEnds)
{
    EXPECT_EQ(introductionFor(""), "\n\n");
    EXPECT_EQ(introductionFor(std::nullopt), "\n\n");
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

// The wording is the transcripts' to pin; here, the order of the screens.
TEST(ClassChoice, TheTrainerGreetsAsksTheNameAndPaysInThatOrder)
{
    const std::string list = createFrom("").output;
    const std::string greeted = createFrom("q\nr\n").output;
    const std::string paid = createFrom("q\nr\nЛис\n").output;
    // The line end before the list comes once; a rejected key brings back the list alone.
    EXPECT_TRUE(list.starts_with("\n(W)arrior")) << list;
    EXPECT_TRUE(greeted.starts_with(list + list.substr(1))) << greeted;
    EXPECT_GT(greeted.size(), 2 * list.size());
    EXPECT_EQ(greeted.find("200"), std::string::npos);
    EXPECT_TRUE(paid.starts_with(greeted)) << paid;
    EXPECT_NE(paid.find("200", greeted.size()), std::string::npos);
    EXPECT_TRUE(paid.ends_with("\n\n" + std::string(pausePrompt) + "\f"));
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
