#include "core/Character.hpp"
#include "core/Console.hpp"

void Character::showCharacterSheet(Console& console) const
{
    console.write("Exp = ");
    console.write(exp);
    console.endLine();
    console.write("Health = ");
    console.write(health);
    console.endLine();
    console.write("Mana = ");
    console.write(mana);
    console.endLine();
    console.write("Strenght = ");
    console.write(strength);
    console.endLine();
    console.write("Name = ");
    console.write(name);
    console.endLine();

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
