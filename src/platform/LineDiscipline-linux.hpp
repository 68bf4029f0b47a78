#pragma once

#include "platform/TerminalModes-linux.hpp"

#include <deque>
#include <string>
#include <string_view>

// Linux's line mode, for bytes the terminal handed over in key mode: each is edited and echoed
// as the kernel would have done had it come in line mode, so the game reads what the screen
// shows. Kept: whole lines and each piece Ctrl-D handed over (an empty one is the end of input),
// and the line still being typed, which only later bytes can end.
class LineDiscipline {
public:
    explicit LineDiscipline(LineEditing editing);

    // `shown` bytes were typed in line mode: the terminal has echoed and edited them already.
    void receive(unsigned char byte, bool shown);
    // The echo of what was received since the last call.
    std::string takeEcho();
    // The signal of a signal key received since the last call (0 for none), as a terminal in line
    // mode would have sent it: what was kept is discarded first (unless NOFLSH), and the key echoed.
    int takeSignal();
    bool hasSignal() const;
    // SIGINT, SIGQUIT or SIGTSTP for the keyboard's signal keys, 0 for any other byte.
    int signalOf(unsigned char byte) const;

    // The game has written since the last echo; its questions end with a line feed.
    void echoFromRowStart();
    bool hasPiece() const;
    // A line is begun, or a Ctrl-V waits for the key it makes a character.
    bool typing() const;
    // All that is kept goes, as when a typed signal key discards what the terminal holds.
    void discard();
    // The line being typed, shown again from the start of a row.
    void showLineAgain();
    std::string takePiece(bool& endOfInput);
    // The first byte kept, ended or not, for a pause's key; the end of input ends a pause as a
    // key would.
    unsigned char takeByte();

private:
    void endPiece(bool endOfInput);
    void erase(unsigned char key);
    void eraseTab();
    void echoCharacter(unsigned char byte);
    void echoLine();
    void echo(std::string_view bytes);
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
    int signal_ = 0;
    // The echo's column as the kernel counts it, and where the line being typed began: a tab is
    // erased back to its stop.
    int column_ = 0;
    int lineColumn_ = 0;
};
