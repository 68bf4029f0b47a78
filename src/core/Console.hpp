#pragma once

#include "core/LineBreaker.hpp"
#include "core/TypedLines.hpp"
#include "platform/ScreenControl.hpp"

#include <iosfwd>
#include <istream>
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

    // One UTF-8 character as typed, of one to four bytes, after any white space: a key typed at
    // a prompt.
    std::optional<std::string> readCharacterAfterWhiteSpace();

    // The very next character, white space included.
    std::optional<std::string> readCharacterAsIs();

    // The rest of the line as a name, cleaned of control characters and cut to length.
    std::optional<std::string> readName();

    // Text for standard error when it shows on this screen: laid out with the game's own text, so
    // its lines break between words too and the game's next text starts where it ended.
    void writeError(std::ostream& errors, std::string_view text);

    // True once a read found standard input at its end, or standard output could not be written
    // (a full disk): the game then winds down without waiting for the player.
    bool inputEnded() const;

    // Why standard output could not be written, in the system's words; nothing while it can be.
    std::optional<std::string> outputFailure() const;

    void pauseScreen();
    void clearScreen();

private:
    // Shows what is waiting before a read; false when no read should be made, since the player
    // cannot see the question.
    bool readyToRead();
    // The terminal echoed what arrived, and the cursor moved on with it.
    void followEcho(std::string_view echoed);
    // A read that came back empty marks the end of input.
    template <typename T>
    std::optional<T> noteEnd(std::optional<T> result);

    // Writes what the line breaker still holds and shows everything written so far.
    void flush();
    // The player's Enter, or a clear, has put the cursor at the start of a row.
    void startRow();
    int width() const;

    std::ostream& out_;
    ScreenControl screen_;
    LineBreaker breaker_;
    TypedLines typed_;
    std::istream in_;
    bool inputEnded_ = false;
    std::optional<std::string> outputFailure_;
};
