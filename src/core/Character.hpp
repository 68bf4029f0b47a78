#pragma once

#include <cstdint>
#include <string>

class Console;

// The player's character: the one record of the game, owned by start-up for the whole run.
class Character {
public:
    Character();
    ~Character();
    Character(const Character&) = default;
    Character& operator=(const Character&) = default;
    Character(Character&&) = default;
    Character& operator=(Character&&) = default;

    // Lists the main numbers, the name and the class; the last screen of a game.
    void showCharacterSheet(Console& console) const;

    // Fill the record from a class template and run the trainer's name dialogue.
    void becomeWarrior(Console& console);
    void becomeMage(Console& console);
    void becomeRogue(Console& console);

    std::string name;
    std::int32_t exp = 0;
    std::int32_t mana = 0;
    std::int32_t health = 0;
    std::int32_t strength = 0;
    std::int32_t coins = 0;
    std::int32_t attack = 0;
    std::int32_t maxMana = 0;
    std::int32_t maxHealth = 0;
    std::int32_t maxStrength = 0;
    bool isRogue = false;
    bool isMage = false;
    bool isWarrior = false;
};

// True once a class has been given, by creation or by loading.
bool hasClass(const Character& character);
