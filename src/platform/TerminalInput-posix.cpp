#include "platform/TerminalInput-posix.hpp"

#include "platform/FileDescriptors.hpp"
#include "platform/Signals-posix.hpp"
#include "platform/TerminalModes-linux.hpp"
#include "text/Utf8.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <poll.h>
#include <string_view>
#include <unistd.h>

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

} // namespace

TerminalInput::TerminalInput(bool eightBitCharacterSet, LineEditing editing, int echoDescriptor)
    : eightBitCharacterSet_(eightBitCharacterSet)
    , echoDescriptor_(echoDescriptor)
    , typedAhead_(editing)
{
}

// Reads exactly one key with no echo and no Enter. A game that waits in the background is stopped
// by the system when it reads, and takes the key once it is in the foreground again.
void TerminalInput::waitForKey()
{
    noticeStops();
    enterPauseMode();
    if (!inKeyMode_) {
        inKeyMode_ = true;
        shownWaiting_ = bytesWaiting();
    }
    KeyForm key(eightBitCharacterSet_);
    unsigned char byte = 0;
    for (bool first = true; takeKeyByte(byte, first) && !key.completedBy(byte); first = false) {}
    enterKeyMode();
}

// A signal key is no key: it is acted on, and a key it cuts into ends there.
bool TerminalInput::takeKeyByte(unsigned char& byte, bool firstOfKey)
{
    if (typedAhead_.hasPiece() || typedAhead_.typing()) {
        byte = typedAhead_.takeByte();
        return true;
    }
    while (true) {
        const bool read = firstOfKey ? takeStoppedByte(byte) || readByte(byte) : readByteOfSameKey(byte);
        if (read && shownWaiting_ > 0) {
            --shownWaiting_;
            return true;
        }
        const int signal = read ? typedAhead_.signalOf(byte) : 0;
        if (signal == 0) {
            return read;
        }
        raiseFromKeyboard(signal);
        if (!firstOfKey) {
            return false;
        }
    }
}

// Left in the terminal, the rest would be handed to the game as a line the moment line mode
// comes back, though it was never echoed. A paste longer than the terminal's buffer comes in
// parts, so all that follows without a pause is taken in key mode, and echoed before line mode
// can echo anything after it. A line it began but did not end is typed on in key mode, so that
// Backspace still reaches all of it. Whatever slips in while line mode is being entered is
// fetched the same way, until the terminal holds nothing unseen.
void TerminalInput::takeWhatCameInKeyMode()
{
    if (!typedAhead_.typing()) {
        typedAhead_.echoFromRowStart();
    }
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        while (keepWaitingBytes() && moreComesWithin(restOfPasteMilliseconds)) {}
        if (typedAhead_.typing()) {
            enterTypingMode();
            writeEcho();
            return;
        }
        writeEcho();
        if (!enterLineModeUnlessBytesWait()) {
            continue;
        }
        inKeyMode_ = false;
        stopped_ += takeWhatAStopKept();
        if (stopped_.empty()) {
            return;
        }
        enterKeyMode();
        inKeyMode_ = true;
    }
    enterLineMode();
    inKeyMode_ = false;
}

// One byte more of a line typed on in key mode, if one comes; false at the end of input. Its
// signal keys are acted on here, so that after a Ctrl-V, however fast the next key follows, it
// is a character. Once the line has ended the kernel acts on them again.
bool TerminalInput::typeOnHeldLine()
{
    unsigned char byte = 0;
    if (!takeStoppedByte(byte)) {
        enterTypingMode();
        const Typed typed = readTypedOn(byte);
        if (typed != Typed::byte) {
            return typed == Typed::nothing;
        }
        noticeStops();
    }
    receive(byte);
    if (!typedAhead_.typing()) {
        enterKeyMode();
    }
    writeEcho();
    return true;
}

// In typing mode a read returns at once, so the wait is a poll, which a signal always interrupts
// where a read would be restarted unseen: a stop and continue are noticed at once. The read comes
// first, so a game in the background is stopped by it, as any program that reads there is, and is
// continued when it has the terminal again.
TerminalInput::Typed TerminalInput::readTypedOn(unsigned char& byte) const
{
    const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
    if (got == 1) {
        return Typed::byte;
    }
    if (got < 0) {
        return errno == EINTR ? Typed::nothing : Typed::ended;
    }
    // A stop that ended in the read, or lands before the poll, is seen before the wait.
    const SignalsHeld held;
    if (timesStopped() != stopsSeen_) {
        return Typed::nothing;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (::ppoll(&input, 1, nullptr, &held.letThroughBefore()) < 0) {
        return errno == EINTR ? Typed::nothing : Typed::ended;
    }
    return (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 ? Typed::ended : Typed::nothing;
}

// A Ctrl-Z typed at the terminal discarded what it held, so what the game holds of the same typing
// goes too, as it would in line mode. After a stop the shell has written below the line being
// typed, so the line is shown again where typing goes on, once the game has the terminal again.
void TerminalInput::noticeStops()
{
    if (takeInputDiscarded()) {
        typedAhead_.discard();
        shownWaiting_ = 0;
    }
    const int stops = timesStopped();
    if (stops != stopsSeen_ && inForeground()) {
        stopsSeen_ = stops;
        if (typedAhead_.typing()) {
            typedAhead_.showLineAgain();
            writeEcho();
        }
    }
}

// The next byte of the same key, if it comes in time. A stop and a continue in between start the
// wait again rather than end the key, and the stop may have taken the byte out of the terminal.
bool TerminalInput::readByteOfSameKey(unsigned char& byte)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (!takeStoppedByte(byte)) {
        const int ready = ::poll(&input, 1, restOfKeyMilliseconds);
        if (ready > 0) {
            return readByte(byte);
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool TerminalInput::takeStoppedByte(unsigned char& byte)
{
    stopped_ += takeWhatAStopKept();
    if (stopped_.empty()) {
        return false;
    }
    byte = static_cast<unsigned char>(stopped_.front());
    stopped_.erase(0, 1);
    return true;
}

bool TerminalInput::keepWaitingBytes()
{
    bool kept = false;
    for (unsigned char byte = 0; takeStoppedByte(byte); kept = true) {
        receive(byte);
    }
    for (std::size_t waiting = bytesWaiting(); waiting > 0;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer_.data(), std::min(waiting, buffer_.size()));
        if (got <= 0) {
            break;
        }
        waiting -= static_cast<std::size_t>(got);
        for (const char byte : std::string_view(buffer_.data(), static_cast<std::size_t>(got))) {
            receive(static_cast<unsigned char>(byte));
        }
        kept = true;
    }
    return kept;
}

void TerminalInput::receive(unsigned char byte)
{
    typedAhead_.receive(byte, shownWaiting_ > 0);
    shownWaiting_ -= shownWaiting_ > 0 ? 1 : 0;
    // Before anything after it is taken in, as the kernel sends a signal key's signal at once.
    if (typedAhead_.hasSignal()) {
        writeEcho();
    }
}

// A signal key among what came is acted on once its echo is out, as in line mode. Output that
// Ctrl-S stopped holds the echo up, and meanwhile what is typed is still taken in: its signal
// keys, which the kernel leaves to the game in key mode, must still act (and let output go on).
void TerminalInput::writeEcho()
{
    if (typedAhead_.hasSignal()) {
        restartOutput();
    }
    std::string echo = typedAhead_.takeEcho();
    while (!echo.empty()) {
        std::array<pollfd, 2> watched{{{echoDescriptor_, POLLOUT, 0}, {STDIN_FILENO, POLLIN, 0}}};
        if (::poll(watched.data(), inKeyMode_ ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (watched[0].revents != 0) {
            static_cast<void>(descriptors::writeAll(echoDescriptor_, echo));
            break;
        }
        unsigned char byte = 0;
        if ((watched[1].revents & POLLIN) == 0 || ::read(STDIN_FILENO, &byte, 1) != 1) {
            break;
        }
        typedAhead_.receive(byte, false);
        if (typedAhead_.hasSignal()) {
            restartOutput();
        }
        echo += typedAhead_.takeEcho();
    }
    if (const int signal = typedAhead_.takeSignal(); signal != 0) {
        raiseFromKeyboard(signal);
    }
}

TerminalInput::int_type TerminalInput::underflow()
{
    while (gptr() == egptr()) {
        noticeStops();
        if (inKeyMode_) {
            takeWhatCameInKeyMode();
        }
        if (typedAhead_.hasPiece()) {
            bool endOfInput = false;
            text_ = typedAhead_.takePiece(endOfInput);
            if (endOfInput) {
                return traits_type::eof();
            }
            setg(text_.data(), text_.data(), text_.data() + text_.size());
            continue;
        }
        if (inKeyMode_) {
            if (!typeOnHeldLine()) {
                return traits_type::eof();
            }
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
