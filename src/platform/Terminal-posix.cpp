#include "platform/Terminal.hpp"

#include "platform/TerminalClear.hpp"
#include "platform/TerminalEncoding.hpp"
#include "platform/TerminalModes-posix.hpp"
#include "platform/TerminalWidth.hpp"
#include "text/Utf8.hpp"

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr unsigned char escape = 0x1B;

// A terminal sends the bytes of one key together; this only decides when a lone Esc has ended.
constexpr int restOfKeyMilliseconds = 100;

bool readByte(unsigned char& byte)
{
    while (true) {
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got == 1) {
            return true;
        }
        if (got == 0 || errno != EINTR) {
            return false;
        }
    }
}

// The next byte of the same key, if it comes in time. A stop and a continue in between start the
// wait again rather than end the key.
bool readByteOfSameKey(unsigned char& byte)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (true) {
        const int ready = ::poll(&input, 1, restOfKeyMilliseconds);
        if (ready > 0) {
            return readByte(byte);
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// One character in the terminal's character set: a byte in an 8-bit set, else a whole UTF-8
// sequence, as many bytes as its first announces.
void readRestOfCharacter(unsigned char first, bool eightBitCharacterSet)
{
    if (eightBitCharacterSet) {
        return;
    }
    unsigned char byte = 0;
    for (std::size_t left = announcedLength(first) - 1; left > 0 && readByteOfSameKey(byte); --left) {}
}

// Esc alone; or a control sequence, ESC [, parameters and one final byte (arrows, function keys);
// or ESC O and one byte (arrows in application mode); or ESC and a character (Alt with a key).
void readRestOfEscapeSequence(bool eightBitCharacterSet)
{
    unsigned char byte = 0;
    if (!readByteOfSameKey(byte)) {
        return;
    }
    if (byte == '[') {
        while (readByteOfSameKey(byte) && byte >= 0x20 && byte <= 0x3F) {}
    } else if (byte == 'O') {
        static_cast<void>(readByteOfSameKey(byte));
    } else {
        readRestOfCharacter(byte, eightBitCharacterSet);
    }
}

// Reads exactly one key straight from the terminal, with no echo and no Enter, so nothing typed
// after it is touched. A game that waits in the background is stopped by the system when it
// reads, and takes the key once it is in the foreground again.
void waitForKeyFromTerminal(bool eightBitCharacterSet)
{
    enterKeyMode();
    unsigned char key = 0;
    if (readByte(key)) {
        if (key == escape) {
            readRestOfEscapeSequence(eightBitCharacterSet);
        } else {
            readRestOfCharacter(key, eightBitCharacterSet);
        }
    }
    enterLineMode();
}

// A terminal with no TERM, or TERM=dumb (an editor's shell buffer, some IDE consoles), shows
// escape codes as garbage; it gets the page break that a pipe gets.
bool readsEscapeCodes()
{
    const char* type = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) == 1 && type != nullptr && *type != '\0' && std::string_view(type) != "dumb";
}

bool sameTerminal(int one, int other)
{
    struct stat first {};
    struct stat second {};
    return ::isatty(one) == 1 && ::isatty(other) == 1 && ::fstat(one, &first) == 0 && ::fstat(other, &second) == 0
        && first.st_rdev == second.st_rdev;
}

} // namespace

TerminalStreams openTerminal()
{
    std::ios::sync_with_stdio(false);
    handleEndingSignals();
    const std::string charset = cyrillicCharacterSet();
    const bool eightBit = !charset.empty();
    ScreenControl screen;
    if (::isatty(STDIN_FILENO) == 1) {
        takeTerminal(eightBit);
        screen.waitForKey = [eightBit] { waitForKeyFromTerminal(eightBit); };
    }
    if (readsEscapeCodes()) {
        screen.clear = [](std::ostream& out) { out << terminalClear; };
    }
    screen.columns = terminalColumns();
    static TerminalEncoding streams(charset);
    return {streams.input(), streams.output(), streams.errors(), std::move(screen),
        sameTerminal(STDOUT_FILENO, STDERR_FILENO)};
}
