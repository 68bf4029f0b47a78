#include "platform/TerminalInput-posix.hpp"

#include "platform/FileDescriptors.hpp"
#include "platform/TerminalModes-linux.hpp"
#include "text/Utf8.hpp"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <string_view>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr unsigned char escape = 0x1B;

// A terminal sends the bytes of one key together; this only decides when a key has ended that
// could go on, like a lone Esc.
constexpr int restOfKeyMilliseconds = 100;

// Where one key ends, byte by byte; every byte read belongs to the key. The forms: a character
// (one byte in an 8-bit set, else a whole UTF-8 sequence); Esc alone; Esc and a character (Alt
// with a key), and Esc before another escape sequence (Alt with an arrow); a control sequence,
// ESC [, parameters and intermediates, and one final byte (arrows, function keys, SGR mouse
// reports, bracketed paste's brackets; rxvt ends some with "$"); the Linux console's function
// keys, ESC [ [ and a letter; an X10 mouse report, ESC [ M and three bytes; SS3, ESC O,
// parameters and one byte; and ESC, intermediates and one final byte.
class KeyForm {
public:
    explicit KeyForm(bool eightBitCharacterSet)
        : eightBitCharacterSet_(eightBitCharacterSet)
    {
    }

    bool completedBy(unsigned char byte)
    {
        switch (part_) {
        case Part::first:
            return byte == escape ? next(Part::afterEscape) : character(byte);
        case Part::afterEscape:
            return afterEscape(byte);
        case Part::afterBracket:
            if (byte == '[') {
                return next(Part::lastByte);
            }
            if (byte == 'M') {
                left_ = 3;
                return next(Part::counted);
            }
            part_ = Part::parameters;
            [[fallthrough]];
        case Part::parameters:
            return byte < 0x20 || byte > 0x3F || byte == '$';
        case Part::ss3Parameters:
            return byte < 0x30 || byte > 0x3F;
        case Part::intermediates:
            return byte < 0x20 || byte > 0x2F;
        case Part::lastByte:
            return true;
        case Part::counted:
            return --left_ == 0;
        }
        return true;
    }

private:
    enum class Part { first, afterEscape, afterBracket, parameters, ss3Parameters, intermediates, lastByte, counted };

    bool next(Part part)
    {
        part_ = part;
        return false;
    }

    bool character(unsigned char lead)
    {
        left_ = eightBitCharacterSet_ ? 0 : announcedLength(lead) - 1;
        return left_ == 0 || next(Part::counted);
    }

    bool afterEscape(unsigned char byte)
    {
        if (byte == '[') {
            return next(Part::afterBracket);
        }
        if (byte == 'O') {
            return next(Part::ss3Parameters);
        }
        if (byte == escape) {
            return false;
        }
        if (byte >= 0x20 && byte <= 0x2F) {
            return next(Part::intermediates);
        }
        return character(byte);
    }

    bool eightBitCharacterSet_;
    Part part_ = Part::first;
    std::size_t left_ = 0;
};

// How many bytes the terminal holds that a read would return now.
std::size_t bytesWaiting()
{
    int count = 0;
    return ::ioctl(STDIN_FILENO, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
}

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

// Line mode's echo goes to the terminal itself, as the kernel's does.
void echo(std::string_view text)
{
    static_cast<void>(descriptors::writeAll(STDIN_FILENO, text));
}

bool isControl(unsigned char byte)
{
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

TerminalInput::TerminalInput(bool eightBitCharacterSet)
    : eightBitCharacterSet_(eightBitCharacterSet)
{
}

// Reads exactly one key with no echo and no Enter. A game that waits in the background is stopped
// by the system when it reads, and takes the key once it is in the foreground again.
void TerminalInput::waitForKey()
{
    enterKeyMode();
    // What was typed before the pause, in line mode, the terminal has already echoed.
    std::size_t shownInTerminal = bytesWaiting();
    KeyForm key(eightBitCharacterSet_);
    unsigned char byte = 0;
    for (bool first = true; takeKeyByte(byte, first, shownInTerminal) && !key.completedBy(byte); first = false) {}
    keepWhatCameWithTheKey(shownInTerminal);
}

bool TerminalInput::takeKeyByte(unsigned char& byte, bool firstOfKey, std::size_t& shownInTerminal)
{
    if (!held_.empty()) {
        std::string& bytes = held_.front().bytes;
        byte = static_cast<unsigned char>(bytes.front());
        bytes.erase(0, 1);
        if (bytes.empty()) {
            held_.pop_front();
        }
        return true;
    }
    const bool read = firstOfKey ? readByte(byte) : readByteOfSameKey(byte);
    if (read && shownInTerminal > 0) {
        --shownInTerminal;
    }
    return read;
}

// Left in the terminal, the rest would be handed to the game as a line the moment line mode
// comes back, though it was never echoed. Whatever slips in while line mode is being entered is
// fetched the same way, until the terminal holds nothing unseen.
void TerminalInput::keepWhatCameWithTheKey(std::size_t shownInTerminal)
{
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        keepWaitingBytes(shownInTerminal);
        shownInTerminal = 0;
        enterLineMode();
        if (bytesWaiting() == 0) {
            return;
        }
        enterKeyMode();
    }
    enterLineMode();
}

void TerminalInput::keepWaitingBytes(std::size_t shown)
{
    for (std::size_t waiting = bytesWaiting(); waiting > 0;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer_.data(), std::min(waiting, buffer_.size()));
        if (got <= 0) {
            return;
        }
        std::string bytes(buffer_.data(), static_cast<std::size_t>(got));
        waiting -= bytes.size();
        const std::size_t shownPart = std::min(shown, bytes.size());
        shown -= shownPart;
        hold(bytes.substr(0, shownPart), true);
        hold(bytes.substr(shownPart), false);
    }
}

void TerminalInput::hold(std::string bytes, bool shown)
{
    if (bytes.empty()) {
        return;
    }
    if (!held_.empty() && held_.back().shown == shown) {
        held_.back().bytes += bytes;
    } else {
        held_.push_back({std::move(bytes), shown});
    }
}

// As line mode would have taken the bytes if they had come then: shown as they are, a control
// character as ^X, Backspace and Ctrl-U taking back what is before them on the line, and Ctrl-D
// handing over the line so far, or the end of input on an empty line. What follows Ctrl-D stays
// held for the next read.
std::string TerminalInput::echoAsTyped(std::string bytes)
{
    const LineEditing editing = lineEditing();
    std::string line;
    std::string shown;
    std::size_t lineStart = 0;
    const auto eraseLast = [&] {
        std::size_t last = line.size() - 1;
        while (editing.utf8 && last > lineStart && isContinuationByte(static_cast<unsigned char>(line[last]))) {
            --last;
        }
        const bool caret = editing.controlsShownAsCaret && isControl(static_cast<unsigned char>(line[last]));
        shown += caret ? "\b \b\b \b" : "\b \b";
        line.erase(last);
    };
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte == editing.endOfInput) {
            endOfInputHeld_ = line.size() == lineStart;
            if (at + 1 < bytes.size()) {
                held_.push_front({bytes.substr(at + 1), false});
            }
            break;
        }
        if (byte == editing.erase || byte == editing.kill) {
            while (line.size() > lineStart) {
                eraseLast();
                if (byte == editing.erase) {
                    break;
                }
            }
            continue;
        }
        line += static_cast<char>(byte);
        if (byte == '\n') {
            lineStart = line.size();
        }
        if (editing.controlsShownAsCaret && isControl(byte) && byte != '\n' && byte != '\t') {
            shown += '^';
            shown += static_cast<char>(byte ^ 0x40);
        } else {
            shown += static_cast<char>(byte);
        }
    }
    echo(shown);
    return line;
}

TerminalInput::int_type TerminalInput::underflow()
{
    while (gptr() == egptr()) {
        if (endOfInputHeld_) {
            endOfInputHeld_ = false;
            return traits_type::eof();
        }
        if (!held_.empty()) {
            Held next = std::move(held_.front());
            held_.pop_front();
            text_ = next.shown ? std::move(next.bytes) : echoAsTyped(std::move(next.bytes));
            setg(text_.data(), text_.data(), text_.data() + text_.size());
            continue;
        }
        ssize_t got = -1;
        do {
            got = ::read(STDIN_FILENO, buffer_.data(), buffer_.size());
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            return traits_type::eof();
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    }
    return traits_type::to_int_type(*gptr());
}
