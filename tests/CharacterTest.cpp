#include "TestSupport.hpp"

#include "core/Character.hpp"

#include <gtest/gtest.h>

namespace {

// The three states the loader and class choice can make, and a character before either.
enum class Class { none, rogue, mage, warrior };

Character sampleCharacter(Class given)
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
    character.isRogue = given == Class::rogue;
    character.isMage = given == Class::mage;
    character.isWarrior = given == Class::warrior;
    return character;
}

std::string sheetOf(const Character& character)
{
    ScriptedConsole screen("");
    character.showCharacterSheet(screen.console);
    return screen.output();
}

TEST(Character, HasAClassOnceOneFlagIsSet)
{
    EXPECT_FALSE(hasClass(Character{}));
    for (const Class given : {Class::rogue, Class::mage, Class::warrior}) {
        EXPECT_TRUE(hasClass(sampleCharacter(given))) << static_cast<int>(given);
    }
}

// The wording is the transcripts' to pin; here, which numbers the sheet shows, in which order,
// and that it ends with a pause and a clear.
TEST(CharacterSheet, ShowsExpHealthManaStrengthAndNameThenPausesAndClears)
{
    const std::string sheet = sheetOf(sampleCharacter(Class::rogue));
    std::size_t at = 0;
    for (const std::string_view shown : {" 7\n", " 130\n", " 20\n", " 40\n", " Тень\n"}) {
        at = sheet.find(shown, at);
        ASSERT_NE(at, std::string::npos) << shown << " in\n" << sheet;
    }
    for (const std::string_view hidden : {"300", "99", "1000"}) {
        EXPECT_EQ(sheet.find(hidden), std::string::npos) << hidden;
    }
    EXPECT_TRUE(sheet.ends_with("\n" + std::string(pausePrompt) + "\f"));
}

TEST(CharacterSheet, NamesEachClassOnALineOfItsOwn)
{
    const std::string classless = sheetOf(sampleCharacter(Class::none));
    const std::string rogue = sheetOf(sampleCharacter(Class::rogue));
    const std::string mage = sheetOf(sampleCharacter(Class::mage));
    const std::string warrior = sheetOf(sampleCharacter(Class::warrior));
    for (const std::string* sheet : {&rogue, &mage, &warrior}) {
        EXPECT_EQ(countOf(*sheet, "\n"), countOf(classless, "\n") + 1) << *sheet;
    }
    EXPECT_NE(rogue, mage);
    EXPECT_NE(mage, warrior);
    EXPECT_NE(warrior, rogue);
}

TEST(CharacterSheet, EmptyNameLeavesTheLabelAlone)
{
    Character character = sampleCharacter(Class::warrior);
    character.name.clear();
    EXPECT_NE(sheetOf(character).find(" = \n"), std::string::npos);
}

} // namespace
