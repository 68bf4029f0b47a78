#pragma once

#include "core/LineBreaker.hpp"
#include "platform/ScreenControl.hpp"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

// Everything the game says and hears goes through here, so each screen can be driven from a
// string in tests and the real terminal stays behind the screen control chosen once at start.
class Console {
public:
    Console(std::istream& in, std::ostream& out, ScreenControl screen = {});

    // Text only: a number is written as text by whoever shows it, so a char can never come
    // out as its code. On a screen with a width, lines are broken between words.
    void write(std::string_view text);

    // A line end: a line feed, then everything written so far is shown.
    void endLine();

    // A symbol is one UTF-8 character as typed, of one to four bytes. This read skips white
    // space first, then reads one symbol: a key typed at a prompt.
    std::optional<std::string> readSymbolAfterWhiteSpace();

    // Reads the very next symbol, white space included.
    std::optional<std::string> readSymbolAsIs();

    // The rest of the line as a name, cleaned of control characters and cut to length.
    std::optional<std::string> readName();

    // True once a read found standard input at its end; the game then winds down quietly.
    bool inputEnded() const;

    void pauseScreen();
    void clearScreen();

private:
    // After every read: the player's Enter has put the cursor at the start of a row, and a read
    // that came back empty marks the end of input.
    template <typename T>
    std::optional<T> noteEnd(std::optional<T> result);

    // Writes what the line breaker still holds and shows everything written so far.
    void flush();
    // The player's Enter, or a clear, has put the cursor at the start of a row.
    void startRow();
    int width() const;

    std::istream& in_;
    std::ostream& out_;
    ScreenControl screen_;
    LineBreaker breaker_;
    bool inputEnded_ = false;
};
