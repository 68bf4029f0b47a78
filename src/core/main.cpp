#include "core/Console.hpp"
#include "core/Game.hpp"
#include "core/ScreenErrors.hpp"
#include "platform/Process.hpp"
#include "platform/Terminal.hpp"

int main()
{
    prepareProcess();
    const TerminalStreams terminal = openTerminal();
    Console console(terminal.input, terminal.output, terminal.screen);
    ScreenErrors errorsOnScreen(console, terminal.errors);
    return runGame(console, terminal.errorsOnScreen ? errorsOnScreen : terminal.errors);
}
