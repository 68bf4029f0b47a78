#include "core/Console.hpp"
#include "core/Game.hpp"
#include "core/Terminal.hpp"

#include <iostream>
#include <unistd.h>

int main()
{
    std::ios::sync_with_stdio(false);
    ignoreFileSizeSignal();

    // Decided once: a terminal gets escape codes and real key waits, a file or a pipe plain text.
    const bool inputIsTerminal = isTerminal(STDIN_FILENO);
    Console::KeyWait waitForKey;
    if (inputIsTerminal) {
        restoreTerminalOnSignals();
        waitForKey = waitForKeyFromTerminal;
    }
    Console console(std::cin, std::cout, isTerminal(STDOUT_FILENO), waitForKey);
    return runGame(console);
}
