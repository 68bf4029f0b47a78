#include "core/Character.hpp"

// Every field has its default; the record owns nothing to release.
Character::Character() = default;

Character::~Character() = default;

bool hasClass(const Character& character)
{
    return character.isRogue || character.isMage || character.isWarrior;
}
