#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace {

Character newCharacter(bool mage)
{
    Character character;
    character.isMage = mage;
    character.isWarrior = !mage;
    character.coins = 200;
    character.strength = 50;
    character.maxStrength = 50;
    character.attack = 20;
    character.health = 200;
    character.maxHealth = 200;
    return character;
}

// Runs one training through its menu, as key T does, and returns what it wrote.
std::string train(Character& character, const std::string& input)
{
    ScriptedConsole screen(input);
    runTrainingMenu(character, screen.console);
    return screen.output();
}

TEST(Training, EachPaidTrainingCostsAHundredEvenIntoDebt)
{
    Character warrior = newCharacter(false);
    train(warrior, "a\ny\n");
    train(warrior, "A\nY\n");
    EXPECT_EQ(warrior.attack, 30);
    EXPECT_EQ(warrior.coins, 0);
    train(warrior, "a y");
    EXPECT_EQ(warrior.attack, 35);
    EXPECT_EQ(warrior.coins, -100);
}

TEST(Training, StaminaAndHealthRaiseTheCeilingsOnly)
{
    Character warrior = newCharacter(false);
    train(warrior, "s\ny\n");
    train(warrior, "h\ny\n");
    EXPECT_EQ(warrior.maxStrength, 55);
    EXPECT_EQ(warrior.strength, 50);
    EXPECT_EQ(warrior.maxHealth, 205);
    EXPECT_EQ(warrior.health, 200);
    EXPECT_EQ(warrior.coins, 0);
}

TEST(Training, AnyAnswerButYesIsARefusal)
{
    for (const std::string answer : {"n", "д", "1", "Yes"}) {
        Character warrior = newCharacter(false);
        const std::string output = train(warrior, "a\n" + answer + "\n");
        const bool paid = answer == "Yes";
        EXPECT_EQ(warrior.attack, paid ? 25 : 20) << answer;
        EXPECT_EQ(warrior.coins, paid ? 100 : 200) << answer;
        EXPECT_EQ(output.find("Приходи когда надумаешь\n") != std::string::npos, !paid) << answer;
    }
}

// The wording is the transcripts' to pin; here, which screens follow which.
TEST(Training, APaidTrainingClearsBeforeTheQuestionAfterTheAnswerAndAfterItsPause)
{
    const std::string pauseAndClear = std::string(pausePrompt) + "\f";
    Character warrior = newCharacter(false);
    const std::string menu = train(warrior, "");
    for (const std::string keys : {"a\ny\n", "h\ny\n"}) {
        const std::string output = train(warrior, "x\n" + keys);
        EXPECT_TRUE(output.starts_with(menu + menu + "\f")) << keys;
        EXPECT_EQ(countOf(output, "\f"), 3) << keys;
        EXPECT_TRUE(output.ends_with("\n" + pauseAndClear)) << keys;
    }
    // The refused training leaves the pause prompt on the same line.
    const std::string refused = train(warrior, "h\nn\n");
    EXPECT_EQ(countOf(refused, "\f"), 3);
    EXPECT_FALSE(refused.ends_with("\n" + pauseAndClear));
    EXPECT_EQ(warrior.coins, 0);
}

TEST(Training, AMageIsRefusedStaminaWithTwoPausesButMayTrainTheRest)
{
    Character mage = newCharacter(true);
    const std::string output = train(mage, "s\ny\n");
    const std::string pauseAndClear = std::string(pausePrompt) + "\f";
    EXPECT_TRUE(output.ends_with("\n" + pauseAndClear + pauseAndClear));
    EXPECT_EQ(mage.maxStrength, 50);
    EXPECT_EQ(mage.coins, 200);
    train(mage, "a\ny\n");
    train(mage, "h\ny\n");
    EXPECT_EQ(mage.attack, 25);
    EXPECT_EQ(mage.maxHealth, 205);
    EXPECT_EQ(mage.coins, 0);
}

TEST(Training, MoneyAndNumbersStopAtTheirLimitsInsteadOfWrapping)
{
    Character warrior = newCharacter(false);
    warrior.coins = std::numeric_limits<std::int32_t>::min() + 50;
    warrior.attack = std::numeric_limits<std::int32_t>::max() - 3;
    train(warrior, "a\ny\n");
    train(warrior, "a\ny\n");
    EXPECT_EQ(warrior.coins, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(warrior.attack, std::numeric_limits<std::int32_t>::max());
}

TEST(Training, EndOfInputBeforeTheAnswerChangesNothingAndWritesNoMore)
{
    Character warrior = newCharacter(false);
    const std::string output = train(warrior, "a\n");
    EXPECT_TRUE(output.ends_with("100 дашь?(y\n)\n"));
    EXPECT_EQ(warrior.coins, 200);
}

} // namespace
