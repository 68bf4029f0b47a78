#include "core/Character.hpp"
#include "core/Console.hpp"

#include <string>
#include <string_view>

namespace {

void writeLabelled(Console& console, std::string_view label, std::string_view value)
{
    console.write(label);
    console.write(value);
    console.endLine();
}

} // namespace

void Character::showCharacterSheet(Console& console) const
{
    writeLabelled(console, "Exp = ", std::to_string(exp));
    writeLabelled(console, "Health = ", std::to_string(health));
    writeLabelled(console, "Mana = ", std::to_string(mana));
    // "Strenght" is the game's own spelling, kept as players know it.
    writeLabelled(console, "Strenght = ", std::to_string(strength));
    writeLabelled(console, "Name = ", name);

    // Each flag has its own line, not one of three: a save with both class lines set gives all
    // three flags, and the sheet names every one.
    if (isWarrior) {
        console.write("Вы воин\n");
    }
    if (isRogue) {
        console.write("Вы вор\n");
    }
    if (isMage) {
        console.write("Вы маг\n");
    }
    console.pauseScreen();
    console.clearScreen();
}
