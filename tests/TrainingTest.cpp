#include "TestSupport.hpp"

#include "core/Character.hpp"
#include "core/Game.hpp"
#include "savegame/SaveFile.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

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

// One training through its menu changes the number it trains and the coins, nothing else. The
// transcripts pin the texts, the mage's two pauses, going into debt and input that ends here.
TEST(Training, EachTrainingChangesItsNumberAndTheCoinsOnly)
{
    struct Case {
        bool mage;
        std::string keys;
        std::int32_t Character::*trained; // nothing when the training is refused
    };
    const std::vector<Case> cases{
        {false, "a\ny\n", &Character::attack},
        {false, "s\nY\n", &Character::maxStrength}, // the ceilings, not the numbers under them
        {false, "h\nYes\n", &Character::maxHealth},
        {false, "a\nn\n", nullptr}, // any answer but y is a refusal
        {false, "a\nд\n", nullptr},
        {false, "a\n1\n", nullptr},
        {false, "a\n", nullptr}, // input ends before the answer
        {true, "s\ny\n", nullptr}, // a mage is refused stamina, free of charge
        {true, "a\ny\n", &Character::attack},
        {true, "h\ny\n", &Character::maxHealth},
    };
    for (const Case& test : cases) {
        Character character = newCharacter(test.mage);
        train(character, test.keys);
        Character expected = newCharacter(test.mage);
        if (test.trained != nullptr) {
            expected.*test.trained += 5;
            expected.coins -= 100;
        }
        EXPECT_EQ(formatSaveFile(character), formatSaveFile(expected)) << test.mage << " " << test.keys;
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

TEST(Training, MoneyAndNumbersStopAtTheirLimitsInsteadOfWrapping)
{
    Character warrior = newCharacter(false);
    warrior.coins = std::numeric_limits<std::int32_t>::min() + 50;
    warrior.attack = std::numeric_limits<std::int32_t>::max() - 4;
    train(warrior, "a\ny\n");
    train(warrior, "a\ny\n");
    EXPECT_EQ(warrior.coins, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(warrior.attack, std::numeric_limits<std::int32_t>::max());
}

} // namespace
