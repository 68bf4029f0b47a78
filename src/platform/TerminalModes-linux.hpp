#pragma once

#include <cstddef>
#include <string>

// All of the game's dealings with the settings of the terminal on standard input, in one place.
// The settings found when the game first takes the terminal are the ones it always goes back to:
// read again later, they could be those of a shell's line editor that had the terminal meanwhile.
// From them come the game's two modes:
// - line mode: the found settings made a working line mode (lines edited and echoed, Enter ends
//   a line, keyboard signals), with IUTF8 on in UTF-8 and off in an 8-bit character set, so the
//   kernel's Backspace erases one character;
// - key mode: line mode without line editing and echo; a read waits for at least one byte and
//   has no timeout of its own (the key reader keeps its own time).
// The mode the game wants is entered again after the game is continued (SIGCONT) and after a
// Ctrl-Z that did not stop it. The found settings come back at exit and on every signal that
// stops or ends the game. Standard input found non-blocking is made to wait while the game runs.

// A terminal hands over a long paste in parts, one soon after another.
constexpr int restOfPasteMilliseconds = 50;

// How many bytes the terminal holds that a read would return now, and whether more come within
// a time. Both are safe in a signal handler.
std::size_t bytesWaiting();
bool moreComesWithin(int milliseconds);

// Called once at start when standard input is a terminal.
void takeTerminal(bool eightBitCharacterSet);

// Waiting for a pause's key: key mode with the keyboard's signal keys reaching the game as bytes,
// for it to act on as the kernel would, so that a Ctrl-V sent with the key still makes a signal
// key after it a character.
void enterPauseMode();
void enterKeyMode();
void enterLineMode();
// Key mode for typing on a line the game edits itself: the keyboard's signal keys reach the game
// as bytes, so it can act on them as line mode would (a Ctrl-V before one makes it a character),
// and a read returns at once, so a wait is only ever a poll, which a signal interrupts.
void enterTypingMode();
// What the kernel does for a signal key typed in line mode: output stopped by Ctrl-S goes on (the
// first, before the key's echo), and the signal goes to the terminal's foreground process group.
void restartOutput();
void raiseFromKeyboard(int signalNumber);
bool inForeground();
// Line mode, unless bytes that came in key mode are still waiting: the terminal then stays in key
// mode for them. A stop never finds them waiting in line mode, where they would go to the shell.
bool enterLineModeUnlessBytesWait();

// How often the game has been stopped by SIGTSTP and continued.
int timesStopped();
// Whether a stop typed at the terminal has discarded what it held since this was last asked,
// as line mode does: what the game holds of the same typing goes too.
bool takeInputDiscarded();

// What a stop took out of the terminal in key mode, not yet read; it comes before whatever the
// terminal holds now.
std::string takeWhatAStopKept();

// How line mode edits and echoes a typed line, for text the game must echo itself. A key of 0
// is none.
struct LineEditing {
    unsigned char erase = 0x7F;
    unsigned char kill = 0x15;
    unsigned char endOfInput = 0x04;
    unsigned char endOfLine = 0;
    // These three only with the keyboard's signals (ISIG).
    unsigned char interrupt = 0x03;
    unsigned char quit = 0x1C;
    unsigned char suspend = 0x1A;
    bool signals = true;
    bool discardAtSignal = true; // unless NOFLSH
    // These four only with the extended keys (IEXTEN).
    unsigned char endOfLine2 = 0;
    unsigned char wordErase = 0x17;
    unsigned char literalNext = 0x16;
    unsigned char reprint = 0x12;
    bool extendedKeys = true;
    bool killErasesOnScreen = true; // ECHOKE; else the kill key is echoed, then a line feed (ECHOK)
    bool killEndsRow = true;
    bool controlsShownAsCaret = true; // ^X for a control character, as ECHOCTL does
    bool utf8 = true; // Backspace erases a whole UTF-8 character
};
LineEditing lineEditing();
LineEditing lineEditingOf(const struct termios& settings);

// Every signal that would end the game first gives the terminal back (when it was taken) and
// removes the temporary file of a save cut short, then ends the game as it would have.
void handleEndingSignals();
