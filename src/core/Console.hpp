#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

// How a pause and a clear reach a real screen. Each is chosen once at start and left empty when
// that side is a file or a pipe: a pause then does not wait, and a clear writes a page break.
struct ScreenControl {
    // Waits for one key, unseen; the game's own input is not touched.
    std::function<void()> waitForKey;
    // Blanks the screen and its scrollback; gets the game's output stream, already flushed.
    std::function<void(std::ostream&)> clear;
};

// Everything the game says and hears goes through here, so each screen can be driven from a
// string in tests and the real terminal stays behind the screen control chosen once at start.
class Console {
public:
    Console(std::istream& in, std::ostream& out, ScreenControl screen = {});

    void write(std::string_view text);
    void write(std::int32_t number);

    // A line end: a line feed, then everything written so far is shown.
    void endLine();

    // One character after any white space, as typed at a prompt.
    std::optional<std::string> readCharacter();

    // One character exactly as it comes, white space included.
    std::optional<std::string> takeCharacter();

    // The rest of the line as a name, cleaned of control characters and cut to length.
    std::optional<std::string> readName();

    // True once a read found standard input at its end; the game then winds down quietly.
    bool inputEnded() const;

    void pauseScreen();
    void clearScreen();

private:
    // Marks the end of input when a read came back empty.
    template <typename T>
    std::optional<T> noteEnd(std::optional<T> result);

    std::istream& in_;
    std::ostream& out_;
    ScreenControl screen_;
    bool inputEnded_ = false;
};
