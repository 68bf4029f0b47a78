#include "TestSupport.hpp"

#include "core/Character.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Character, StartsWithoutClassAndWithDefinedValues)
{
    const Character character;
    EXPECT_FALSE(character.isRogue || character.isMage || character.isWarrior);
    EXPECT_FALSE(hasClass(character));
    EXPECT_EQ(character.name, "");
    for (const auto value : {character.exp, character.mana, character.health, character.strength, character.coins,
             character.attack, character.maxMana, character.maxHealth, character.maxStrength}) {
        EXPECT_EQ(value, 0);
    }
}

TEST(Character, HasClassWhenAnyFlagIsSet)
{
    for (int flags = 1; flags < 8; ++flags) {
        Character character;
        character.isRogue = (flags & 1) != 0;
        character.isMage = (flags & 2) != 0;
        character.isWarrior = (flags & 4) != 0;
        EXPECT_TRUE(hasClass(character)) << "flags " << flags;
    }
}

Character sampleCharacter()
{
    Character character;
    character.exp = 7;
    character.health = 130;
    character.mana = 20;
    character.strength = 40;
    character.name = "Тень";
    // None of these is on the sheet.
    character.coins = -300;
    character.attack = 99;
    character.maxHealth = 1000;
    return character;
}

TEST(CharacterSheet, ListsNumbersNameAndClassThenPausesAndClears)
{
    Character character = sampleCharacter();
    character.isRogue = true;
    ScriptedConsole screen("");
    character.showCharacterSheet(screen.console);
    EXPECT_EQ(screen.output(),
        "Exp = 7\nHealth = 130\nMana = 20\nStrenght = 40\nName = Тень\nВы вор\n" + std::string(pausePrompt) + "\f");
}

TEST(CharacterSheet, NamesEachClassFromItsOwnFlag)
{
    const std::string numbers = "Exp = 7\nHealth = 130\nMana = 20\nStrenght = 40\nName = Тень\n";
    const std::string ending = std::string(pausePrompt) + "\f";
    struct Case {
        bool rogue, mage, warrior;
        std::string classLines;
    };
    for (const Case& sheet : {Case{false, false, true, "Вы воин\n"}, Case{false, true, false, "Вы маг\n"},
             Case{true, true, true, "Вы воин\nВы вор\nВы маг\n"}, Case{false, false, false, ""}}) {
        Character character = sampleCharacter();
        character.isRogue = sheet.rogue;
        character.isMage = sheet.mage;
        character.isWarrior = sheet.warrior;
        ScriptedConsole screen("");
        character.showCharacterSheet(screen.console);
        EXPECT_EQ(screen.output(), numbers + sheet.classLines + ending);
    }
}

TEST(CharacterSheet, EmptyNameLeavesTheLabelAlone)
{
    Character character;
    character.isWarrior = true;
    ScriptedConsole screen("");
    character.showCharacterSheet(screen.console);
    EXPECT_NE(screen.output().find("\nName = \nВы воин\n"), std::string::npos);
}

} // namespace
