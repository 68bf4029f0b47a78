#include "core/Character.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"

int runGame(Console& console)
{
    Character hero;
    if (hasSavedGame()) {
        console.write("Вы уже играли, загружаю...\n");
        loadGame(hero);
        console.pauseScreen();
        console.clearScreen();
        runMainMenu(hero, console);
    } else {
        playIntroduction(hero, console);
        if (!console.inputEnded()) {
            runMainMenu(hero, console);
        }
    }
    console.pauseScreen();
    return 0;
}
