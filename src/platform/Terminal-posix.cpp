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

// All of the game's dealings with the terminal's settings are in this section. The settings found
// before the game first changed them are the ones it always goes back to: read again later, they
// could be those of a shell's line editor that had the terminal meanwhile.
// They, and whether they are known yet, whether a pause is waiting for its key and whether the
// terminal is in key mode now, are kept where signal handlers can reach them.
termios originalSettings{};
volatile std::sig_atomic_t haveOriginalSettings = 0;
volatile std::sig_atomic_t waitingForKey = 0;
volatile std::sig_atomic_t keyModeOn = 0;

void applySettings(const termios& settings)
{
    ::tcsetattr(STDIN_FILENO, TCSANOW, &settings);
}

bool captureOriginalSettings()
{
    if (haveOriginalSettings == 0 && ::tcgetattr(STDIN_FILENO, &originalSettings) == 0) {
        haveOriginalSettings = 1;
    }
    return haveOriginalSettings != 0;
}

void restoreTerminal()
{
    if (keyModeOn != 0) {
        applySettings(originalSettings);
        keyModeOn = 0;
    }
}

// One key at a time, unseen; Ctrl-C still raises its signal.
termios keySettings(cc_t minimumBytes, cc_t tenthsOfSecond)
{
    termios settings = originalSettings;
    settings.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    settings.c_cc[VMIN] = minimumBytes;
    settings.c_cc[VTIME] = tenthsOfSecond;
    return settings;
}

// Only while the game's job owns the terminal: a job in the background that changed it would be
// stopped for it, and would take the terminal from the shell that has it then.
void enterKeyModeInForeground()
{
    if (keyModeOn == 0 && ::tcgetpgrp(STDIN_FILENO) == ::getpgrp()) {
        keyModeOn = 1;
        applySettings(keySettings(1, 0));
    }
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

// The rest of a key that sends several bytes (an arrow, a Cyrillic letter), so none of it is
// left behind to turn up in the next answer. Bytes typed later are not touched.
void readRestOfKey(unsigned char first)
{
    const bool isEscapeSequence = first == 0x1B;
    std::size_t continuationBytes = announcedLength(first) - 1;
    if (!isEscapeSequence && continuationBytes == 0) {
        return;
    }
    applySettings(keySettings(0, 1));
    unsigned char byte = 0;
    while ((isEscapeSequence || continuationBytes-- > 0) && readByte(byte)) {}
}

// Reads one key straight from the terminal, with no echo and no Enter, and puts the terminal
// back as it was before returning. A game that waits in the background is stopped by the system
// when it reads, and takes the key once it is in the foreground again.
void waitForKeyFromTerminal()
{
    const bool canSetKeys = captureOriginalSettings();
    waitingForKey = 1;
    if (canSetKeys) {
        enterKeyModeInForeground();
    }
    unsigned char key = 0;
    if (readByte(key) && keyModeOn != 0) {
        readRestOfKey(key);
    }
    waitingForKey = 0;
    restoreTerminal();
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

// Stopped, the game gives the shell its terminal as it found it; continued, the handler below
// takes the key mode back if a pause still waits.
void restoreAndStop(int signalNumber)
{
    const int savedErrno = errno;
    restoreTerminal();
    installHandler(signalNumber, SIG_DFL);
    static_cast<void>(std::raise(signalNumber));
    installHandler(signalNumber, restoreAndStop);
    errno = savedErrno;
}

void resumeKeyMode(int /*signalNumber*/)
{
    const int savedErrno = errno;
    if (waitingForKey != 0 && haveOriginalSettings != 0) {
        enterKeyModeInForeground();
    }
    errno = savedErrno;
}

// The signals whose default action is to stop or continue the process, or to do nothing.
bool endsTheProcessByDefault(int signalNumber)
{
    for (const int other : {SIGKILL, SIGSTOP, SIGTSTP, SIGTTIN, SIGTTOU, SIGCONT, SIGCHLD, SIGURG, SIGWINCH}) {
        if (signalNumber == other) {
            return false;
        }
    }
    return true;
}

// True when the signal still does what it does by default: not ignored, as a shell may have set
// it for the game (nohup), nor handled by someone else (a sanitizer's runtime).
bool hasDefaultAction(int signalNumber)
{
    struct sigaction current = {};
    return ::sigaction(signalNumber, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0
        && current.sa_handler == SIG_DFL;
}

// Every signal that would end the game gives the terminal back its echo and line mode first, and
// Ctrl-Z does before stopping.
void restoreTerminalOnSignals()
{
    for (int signalNumber = 1; signalNumber <= SIGRTMAX; ++signalNumber) {
        if (endsTheProcessByDefault(signalNumber) && hasDefaultAction(signalNumber)) {
            installHandler(signalNumber, restoreAndReraise);
        }
    }
    if (hasDefaultAction(SIGTSTP)) {
        installHandler(SIGTSTP, restoreAndStop);
    }
    installHandler(SIGCONT, resumeKeyMode);
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
