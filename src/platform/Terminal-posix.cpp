#include "platform/Terminal.hpp"

#include "platform/TerminalClear.hpp"
#include "platform/TerminalEncoding.hpp"
#include "platform/TerminalWidth.hpp"
#include "text/Utf8.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <iostream>
#include <string_view>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// The settings to go back to, kept where a signal handler can reach them.
termios savedSettings{};
volatile std::sig_atomic_t keyModeOn = 0;

void applySettings(const termios& settings)
{
    ::tcsetattr(STDIN_FILENO, TCSANOW, &settings);
}

void restoreTerminal()
{
    if (keyModeOn != 0) {
        applySettings(savedSettings);
        keyModeOn = 0;
    }
}

// One key at a time, unseen; Ctrl-C still raises its signal.
termios keySettings(const termios& original, cc_t minimumBytes, cc_t tenthsOfSecond)
{
    termios settings = original;
    settings.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    settings.c_cc[VMIN] = minimumBytes;
    settings.c_cc[VTIME] = tenthsOfSecond;
    return settings;
}

void enterKeyMode()
{
    if (::tcgetattr(STDIN_FILENO, &savedSettings) != 0) {
        return;
    }
    keyModeOn = 1;
    applySettings(keySettings(savedSettings, 1, 0));
}

struct KeyModeGuard {
    KeyModeGuard() { enterKeyMode(); }
    ~KeyModeGuard() { restoreTerminal(); }
    KeyModeGuard(const KeyModeGuard&) = delete;
    KeyModeGuard& operator=(const KeyModeGuard&) = delete;
    KeyModeGuard(KeyModeGuard&&) = delete;
    KeyModeGuard& operator=(KeyModeGuard&&) = delete;
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

// The rest of a key that sends several bytes (an arrow, a Cyrillic letter), so none of it is
// left behind to turn up in the next answer. Bytes typed later are not touched.
void readRestOfKey(unsigned char first)
{
    const bool isEscapeSequence = first == 0x1B;
    std::size_t continuationBytes = announcedLength(first) - 1;
    if (!isEscapeSequence && continuationBytes == 0) {
        return;
    }
    applySettings(keySettings(savedSettings, 0, 1));
    unsigned char byte = 0;
    while ((isEscapeSequence || continuationBytes-- > 0) && readByte(byte)) {}
}

// Handlers run with their own signal unblocked, so raising it again inside takes effect at once.
void installHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_NODEFER;
    ::sigaction(signalNumber, &action, nullptr);
}

void restoreAndReraise(int signalNumber)
{
    restoreTerminal();
    installHandler(signalNumber, SIG_DFL);
    static_cast<void>(std::raise(signalNumber));
}

void restoreAndStop(int signalNumber)
{
    const bool wasWaiting = keyModeOn != 0;
    restoreTerminal();
    installHandler(signalNumber, SIG_DFL);
    static_cast<void>(std::raise(signalNumber));
    // Continued: wait for the key again as before.
    installHandler(signalNumber, restoreAndStop);
    if (wasWaiting) {
        enterKeyMode();
    }
}

// Reads one key straight from the terminal, with no echo and no Enter, and puts the terminal
// back as it was before returning.
void waitForKeyFromTerminal()
{
    const KeyModeGuard guard;
    unsigned char key = 0;
    if (readByte(key)) {
        readRestOfKey(key);
    }
}

// Ctrl-C, Ctrl-\, a hang-up or a kill while a key is awaited give the terminal back its echo and
// line mode before the signal takes its usual course; Ctrl-Z likewise before stopping.
void restoreTerminalOnSignals()
{
    for (const int signalNumber : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
        installHandler(signalNumber, restoreAndReraise);
    }
    installHandler(SIGTSTP, restoreAndStop);
}

// A terminal with no TERM, or TERM=dumb (an editor's shell buffer, some IDE consoles), shows
// escape codes as garbage; it gets the page break that a pipe gets.
bool readsEscapeCodes()
{
    const char* type = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) == 1 && type != nullptr && *type != '\0' && std::string_view(type) != "dumb";
}

} // namespace

TerminalStreams openTerminal()
{
    std::ios::sync_with_stdio(false);
    ScreenControl screen;
    if (::isatty(STDIN_FILENO) == 1) {
        restoreTerminalOnSignals();
        screen.waitForKey = waitForKeyFromTerminal;
    }
    if (readsEscapeCodes()) {
        screen.clear = [](std::ostream& out) { out << terminalClear; };
    }
    screen.columns = terminalColumns();
    static TerminalEncoding streams(cyrillicCharacterSet());
    return {streams.input(), streams.output(), streams.errors(), std::move(screen)};
}
