#pragma once

#include <functional>
#include <iosfwd>

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
};
