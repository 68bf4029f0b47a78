#pragma once

#include "platform/ScreenControl.hpp"

#include <iosfwd>

// The only place that knows about the real terminal or console window.

// Standard input, output and error as the game uses them, and how a pause and a clear reach the
// screen.
struct TerminalStreams {
    std::istream& input;
    std::ostream& output;
    std::ostream& errors;
    ScreenControl screen;
    // Standard error shows on the same terminal or console as standard output, so its lines are
    // laid out with the game's own.
    bool errorsOnScreen = false;
};

// Called once, before anything is read or written. Decides, once, whether each side is a
// terminal: a file or a pipe gets plain text and pauses that do not wait. The game reads and
// writes UTF-8 either way; a console with an encoding of its own gets the text converted. A pause
// takes exactly one key, as the terminal sends it. Ctrl-C and the like give the terminal back its
// usual settings before they take effect.
TerminalStreams openTerminal();
