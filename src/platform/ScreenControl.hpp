#pragma once

#include <functional>
#include <iosfwd>
#include <string_view>

// The bytes of the row breaks the console adds where a line meets the screen's edge: at a space
// (which is left out) or inside a word too long for a row. Plain line feeds unless the screen
// must tell them from the game's own line ends.
struct RowBreaks {
    std::string_view atSpace = "\n";
    std::string_view inWord = "\n";
};

// How a pause, a clear and the screen's width reach a real screen. Each is chosen once at start
// and left empty when that side is a file or a pipe: a pause then does not wait, a clear writes a
// page break, and lines are written as they are.
struct ScreenControl {
    // Waits for one key, unseen; the game's own input is not touched.
    std::function<void()> waitForKey;
    // Blanks the screen and its scrollback; gets the game's output stream, already flushed.
    std::function<void(std::ostream&)> clear;
    // The screen's width in character cells, asked before each text; a width below one leaves
    // the lines as they are.
    std::function<int()> columns;
    RowBreaks rowBreaks;
    // Whether what is typed is echoed where the game writes: only when input is the terminal
    // itself does the cursor move on with what was read.
    bool inputEchoed = false;
    // The cells a typed control character takes in the terminal's echo ("^X" takes two).
    int controlEchoCells = 0;
};
