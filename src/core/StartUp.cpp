#include "core/Character.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"

#include <optional>
#include <ostream>
#include <string>

namespace {

// Output that could not be written is no success: one line on standard error says so, as the
// standard tools do, and the exit status tells whoever started the game.
int statusAtEnd(const Console& console, std::ostream& errors)
{
    const std::optional<std::string> failure = console.outputFailure();
    if (!failure) {
        return 0;
    }
    errors << "Не удалось вывести текст игры: " << *failure << std::endl;
    return 1;
}

} // namespace

int runGame(Console& console, std::ostream& errors)
{
    Character hero;
    switch (loadGame(hero, errors)) {
    case SavedGame::unreadable:
        // Nothing is played, so nothing is saved over the file the game failed to read. The pause
        // keeps a console window open until the player has seen why.
        console.pauseScreen();
        return 1;
    case SavedGame::loaded:
        console.write("Вы уже играли, загружаю...\n");
        console.pauseScreen();
        console.clearScreen();
        runMainMenu(hero, console);
        break;
    case SavedGame::none:
        playIntroduction(hero, console);
        if (!console.inputEnded()) {
            runMainMenu(hero, console);
        }
        break;
    }
    console.pauseScreen();
    return statusAtEnd(console, errors);
}
