#include "core/Character.hpp"
#include "core/Console.hpp"

#include <string_view>

namespace {

template <typename Value>
void writeLabelled(Console& console, std::string_view label, const Value& value)
{
    console.write(label);
    console.write(value);
    console.endLine();
}

} // namespace

void Character::showCharacterSheet(Console& console) const
{
    writeLabelled(console, "Exp = ", exp);
    writeLabelled(console, "Health = ", health);
    writeLabelled(console, "Mana = ", mana);
    writeLabelled(console, "Strenght = ", strength);
    writeLabelled(console, "Name = ", name);

    // Each flag speaks for itself, so a mage is named as such.
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
