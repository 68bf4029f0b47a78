#include "core/Console.hpp"
#include "core/Game.hpp"
#include "platform/Process.hpp"
#include "platform/Terminal.hpp"

int main()
{
    prepareProcess();
    const TerminalStreams terminal = openTerminal();
    Console console(terminal.input, terminal.output, terminal.screen);
    return runGame(console, terminal.errors);
}
