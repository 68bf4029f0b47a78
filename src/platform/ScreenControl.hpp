#pragma once

#include <functional>
#include <iosfwd>

// How a pause and a clear reach a real screen. Each is chosen once at start and left empty when
// that side is a file or a pipe: a pause then does not wait, and a clear writes a page break.
struct ScreenControl {
    // Waits for one key, unseen; the game's own input is not touched.
    std::function<void()> waitForKey;
    // Blanks the screen and its scrollback; gets the game's output stream, already flushed.
    std::function<void(std::ostream&)> clear;
};
