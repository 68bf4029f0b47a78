#include "platform/Terminal.hpp"

#include "platform/TerminalClear.hpp"
#include "platform/TerminalEncoding.hpp"
#include "platform/TerminalInput-posix.hpp"
#include "platform/TerminalModes-linux.hpp"
#include "platform/TerminalWidth.hpp"

#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// A terminal with no TERM, or TERM=dumb (an editor's shell buffer, some IDE consoles), shows
// escape codes as garbage; it gets the page break that a pipe gets.
bool readsEscapeCodes()
{
    const char* type = std::getenv("TERM");
    return type != nullptr && *type != '\0' && std::string_view(type) != "dumb";
}

bool sameTerminal(int one, int other)
{
    struct stat first {};
    struct stat second {};
    return ::fstat(one, &first) == 0 && ::fstat(other, &second) == 0 && first.st_rdev == second.st_rdev;
}

// Line mode's echo goes to the terminal itself, as the kernel's does. Standard input opened only
// for reading (rpg 0</dev/tty) cannot carry it; the terminal opened again by its name can.
int echoDescriptor()
{
    if ((::fcntl(STDIN_FILENO, F_GETFL) & O_ACCMODE) != O_RDONLY) {
        return STDIN_FILENO;
    }
    const char* name = ::ttyname(STDIN_FILENO);
    return name != nullptr ? ::open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC) : -1;
}

} // namespace

TerminalStreams openTerminal()
{
    std::ios::sync_with_stdio(false);
    handleEndingSignals();
    const std::string charset = cyrillicCharacterSet();
    const bool eightBit = !charset.empty();
    const Terminals terminals{::isatty(STDIN_FILENO) == 1, ::isatty(STDOUT_FILENO) == 1, ::isatty(STDERR_FILENO) == 1};
    if (terminals.input) {
        takeTerminal(eightBit);
    }
    static TerminalInput keyboard(eightBit, lineEditing(), terminals.input ? echoDescriptor() : -1);
    ScreenControl screen;
    if (terminals.input) {
        screen.waitForKey = [] { keyboard.waitForKey(); };
        screen.inputEchoed = true;
        screen.controlEchoCells = lineEditing().controlsShownAsCaret ? 2 : 0;
    }
    if (terminals.output) {
        if (readsEscapeCodes()) {
            screen.clear = [](std::ostream& out) { out << terminalClear; };
        }
        screen.columns = terminalColumns();
    }
    static TerminalEncoding streams(charset, terminals, terminals.input ? keyboard : *std::cin.rdbuf());
    return {streams.input(), streams.output(), streams.errors(), std::move(screen),
        terminals.output && terminals.errors && sameTerminal(STDOUT_FILENO, STDERR_FILENO)};
}
