#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <streambuf>
#include <string>

// Standard input when it is a terminal: the lines the game reads, and the one key a pause takes.
// A key arrives with whatever was sent with it (a paste, keys typed faster than the pause
// ended). That rest is kept, never lost: the next pause takes its first key from it, and the game
// reads it before anything typed later, echoed as the terminal would have echoed it, so nothing
// reaches the game that the screen did not show.
class TerminalInput final : public std::streambuf {
public:
    explicit TerminalInput(bool eightBitCharacterSet);

    // Waits for one key, in any form a terminal sends, and takes it unseen.
    void waitForKey();

protected:
    int_type underflow() override;

private:
    // Bytes read from the terminal but not yet by the game; `shown` when the terminal echoed
    // them itself, as it does for what is typed in line mode.
    struct Held {
        std::string bytes;
        bool shown = false;
    };

    bool takeKeyByte(unsigned char& byte, bool firstOfKey, std::size_t& shownInTerminal);
    void keepWhatCameWithTheKey(std::size_t shownInTerminal);
    void keepWaitingBytes(std::size_t shown);
    void hold(std::string bytes, bool shown);
    std::string echoAsTyped(std::string bytes);

    bool eightBitCharacterSet_;
    std::deque<Held> held_;
    bool endOfInputHeld_ = false;
    std::string text_;
    std::array<char, 4096> buffer_{};
};
