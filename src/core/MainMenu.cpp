#include "core/Character.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"
#include "core/ReadChoice.hpp"

#include <optional>

namespace {

void showMainMenu(Console& console)
{
    console.write("\t::::::Меню:::::::\n");
    console.write("Сыграть в таверне в кости(P)\n"
                  "Пойти в ближайшую локацию(F)\n"
                  "Тренироватся(T)\n"
                  "Увидеть свои характеристики и количество денег(M)\n");
    console.write("Сохранить игру(S)\n");
}

} // namespace

// A loop rather than a call back from every action, so a game of any length keeps a flat stack.
void runMainMenu(Character& character, Console& console)
{
    while (true) {
        const std::optional<char> choice = readChoice(console, "pftsm", [&] { showMainMenu(console); });
        if (!choice) {
            return;
        }
        console.clearScreen();
        switch (*choice) {
        case 't':
            runTrainingMenu(character, console);
            break;
        case 's':
            saveGame(character, console);
            break;
        case 'm':
            character.showCharacterSheet(console);
            return;
        default:
            // The tavern and the trip have no content yet: the game ends.
            return;
        }
        if (console.inputEnded()) {
            return;
        }
    }
}
