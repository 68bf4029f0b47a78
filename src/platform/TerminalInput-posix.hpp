#pragma once

#include "platform/LineDiscipline-linux.hpp"

#include <array>
#include <cstddef>
#include <streambuf>
#include <string>

// Standard input when it is a terminal: the lines the game reads, and the one key a pause takes.
// A key arrives with whatever was sent with it (a paste, keys typed faster than the pause
// ended). That rest is kept, never lost: the next pause takes its first key from it, and the game
// reads it before anything typed later, echoed and edited as line mode would have, so nothing
// reaches the game that the screen did not show. When no read follows the pause, it stays in the
// terminal for whatever reads it next, such as the shell.
class TerminalInput final : public std::streambuf {
public:
    // The echo of kept text goes to `echoDescriptor`, the terminal itself.
    TerminalInput(bool eightBitCharacterSet, LineEditing editing, int echoDescriptor);

    // Waits for one key, in any form a terminal sends, and takes it unseen.
    void waitForKey();

protected:
    int_type underflow() override;

private:
    bool takeKeyByte(unsigned char& byte, bool firstOfKey);
    void takeWhatCameInKeyMode();
    bool typeOnHeldLine();
    enum class Typed { byte, nothing, ended };
    Typed readTypedOn(unsigned char& byte) const;
    void noticeStops();
    bool readByteOfSameKey(unsigned char& byte);
    bool takeStoppedByte(unsigned char& byte);
    bool keepWaitingBytes();
    void receive(unsigned char byte);
    void writeEcho();

    bool eightBitCharacterSet_;
    int echoDescriptor_;
    LineDiscipline typedAhead_;
    // Key mode stays on after a pause until the next read, so what came with the key is not
    // handed to the game unedited the moment line mode comes back, and while a line it began is
    // typed on.
    bool inKeyMode_ = false;
    // How many of the bytes the terminal holds were typed in line mode, and so already echoed.
    std::size_t shownWaiting_ = 0;
    // What a stop took out of the terminal, read before the terminal itself.
    std::string stopped_;
    int stopsSeen_ = 0;
    std::string text_;
    std::array<char, 4096> buffer_{};
};
