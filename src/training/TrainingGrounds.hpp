#pragma once

class Character;
class Console;

// One paid training each: 100 coins for 5 more of one number; a mage is refused stamina.
void trainStamina(Character& character, Console& console);
void trainAttack(Character& character, Console& console);
void trainHealth(Character& character, Console& console);
