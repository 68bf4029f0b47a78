#include "TestSupport.hpp"

#include "core/Character.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Character, HasAClassOnceOneFlagIsSet)
{
    EXPECT_FALSE(hasClass(Character{}));
    for (bool Character::*flag : {&Character::isRogue, &Character::isMage, &Character::isWarrior}) {
        Character character;
        character.*flag = true;
        EXPECT_TRUE(hasClass(character));
    }
}

// The transcripts pin each class's sheet byte for byte: its numbers, their order, the class's
// line and the pause; none of them has an empty name.
TEST(CharacterSheet, EmptyNameLeavesTheLabelAlone)
{
    Character character;
    character.isWarrior = true;
    ScriptedConsole screen("");
    character.showCharacterSheet(screen.console);
    EXPECT_NE(screen.output().find("Name = \n"), std::string::npos);
}

} // namespace
