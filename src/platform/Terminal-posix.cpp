#include "platform/Terminal.hpp"

#include "platform/TerminalClear.hpp"
#include "platform/TerminalEncoding.hpp"
#include "platform/TerminalInput-posix.hpp"
#include "platform/TerminalModes-linux.hpp"
#include "platform/TerminalWidth.hpp"

#include <cstdlib>
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

} // namespace

TerminalStreams openTerminal()
{
    std::ios::sync_with_stdio(false);
    handleEndingSignals();
    const std::string charset = cyrillicCharacterSet();
    const bool eightBit = !charset.empty();
    const Terminals terminals{::isatty(STDIN_FILENO) == 1, ::isatty(STDOUT_FILENO) == 1, ::isatty(STDERR_FILENO) == 1};
    static TerminalInput keyboard(eightBit);
    ScreenControl screen;
    if (terminals.input) {
        takeTerminal(eightBit);
        screen.waitForKey = [] { keyboard.waitForKey(); };
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
