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
};

// Called once, before anything is read or written. Decides, once, whether each side is a
// terminal: a file or a pipe gets plain text and pauses that do not wait. The game reads and
// writes UTF-8 either way; a console with an encoding of its own gets the text converted. While a
// key is awaited, Ctrl-C and the like give the terminal back its usual settings before they take
// effect.
TerminalStreams openTerminal();
