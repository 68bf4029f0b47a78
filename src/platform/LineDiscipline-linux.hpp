#pragma once

#include "platform/TerminalModes-linux.hpp"

#include <deque>
#include <string>

// Linux's line mode, for bytes the terminal handed over in key mode: each is edited and echoed
// as the kernel would have done had it come in line mode, so the game reads what the screen
// shows. Kept: whole lines, each piece Ctrl-D handed over (an empty one is the end of input), and
// the line still being typed.
class LineDiscipline {
public:
    explicit LineDiscipline(LineEditing editing);

    // `shown` bytes were typed in line mode: the terminal has echoed and edited them already.
    void receive(unsigned char byte, bool shown);
    // The echo of what was received since the last call.
    std::string takeEcho();

    bool empty() const;
    // The next piece, ended or not; the line being typed too, which later bytes no longer edit.
    std::string takePiece(bool& endOfInput);
    // The first byte kept, for a pause's key; the end of input ends a pause as a key would.
    unsigned char takeByte();

private:
    void endPiece(bool endOfInput);
    void erase(unsigned char key);
    void echoCharacter(unsigned char byte);
    bool isLineEnd(unsigned char byte) const;
    bool isExtendedKey(unsigned char byte, unsigned char key) const;

    struct Piece {
        std::string text;
        bool endOfInput = false;
    };

    LineEditing editing_;
    std::deque<Piece> pieces_;
    std::string line_;
    std::string echo_;
    bool literalNext_ = false;
};
