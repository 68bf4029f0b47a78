#pragma once

#include <iostream>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

// A Linux terminal whose locale uses one of the 8-bit character sets that have Cyrillic letters
// gets the game's UTF-8 converted to that set, and the player's typed text converted back, with
// the C library's iconv, as a Windows console gets it for its code page. The game itself, its
// files and its save stay in UTF-8.

// The locale's character set when it is KOI8-R, KOI8-U, CP1251, ISO-8859-5 or CP866; empty for
// UTF-8, the C locale and anything else, which are left as UTF-8.
std::string cyrillicCharacterSet();

// Text written here reaches `target` in `charset`; a character the set lacks is shown as "?".
std::unique_ptr<std::streambuf> convertingToCharacterSet(std::streambuf& target, const std::string& charset);

// Text read here comes from `source`, in `charset`, as UTF-8.
std::unique_ptr<std::streambuf> convertingFromCharacterSet(std::streambuf& source, const std::string& charset);

// Which of standard input, output and error are terminals, asked once at start.
struct Terminals {
    bool input = false;
    bool output = false;
    bool errors = false;
};

// Standard input, output and error as the game uses them: each side that is a terminal is
// converted when `charset` is not empty; files and pipes never are. Input is read from `source`.
class TerminalEncoding {
public:
    TerminalEncoding(const std::string& charset, Terminals terminals, std::streambuf& source);

    std::istream& input() { return *input_; }
    std::ostream& output() { return output_ ? *output_ : std::cout; }
    std::ostream& errors() { return errors_ ? *errors_ : std::cerr; }

private:
    std::unique_ptr<std::streambuf> inputBuffer_;
    std::unique_ptr<std::streambuf> outputBuffer_;
    std::unique_ptr<std::streambuf> errorsBuffer_;
    std::unique_ptr<std::istream> input_;
    std::unique_ptr<std::ostream> output_;
    std::unique_ptr<std::ostream> errors_;
};
