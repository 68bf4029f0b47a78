#include "platform/TerminalModes-posix.hpp"

#include "platform/DurableFile.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <termios.h>
#include <unistd.h>

namespace {

enum Mode : int { foundMode, lineMode, keyMode };

// Kept where signal handlers can reach them: the three settings, whether they are known yet, the
// mode the game wants and the mode the terminal was last put in.
termios foundSettings{};
termios lineSettings{};
termios keySettings{};
volatile std::sig_atomic_t haveSettings = 0;
volatile std::sig_atomic_t wantedMode = foundMode;
volatile std::sig_atomic_t appliedMode = foundMode;
// Line mode differs from what was found only in an 8-bit set; elsewhere the terminal is left as it
// was found until a key is awaited.
Mode usualMode = foundMode;

void apply(Mode mode)
{
    const termios& settings = mode == keyMode ? keySettings : mode == lineMode ? lineSettings : foundSettings;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &settings);
    appliedMode = mode;
}

// Only while the game's job owns the terminal: a job in the background that changed it would be
// stopped for it, and would take the terminal from the shell that has it then.
void enterWantedMode()
{
    if (haveSettings != 0 && appliedMode != wantedMode && ::tcgetpgrp(STDIN_FILENO) == ::getpgrp()) {
        apply(static_cast<Mode>(static_cast<int>(wantedMode)));
    }
}

void giveTerminalBack()
{
    if (haveSettings != 0 && appliedMode != foundMode) {
        apply(foundMode);
    }
}

void want(Mode mode)
{
    wantedMode = mode;
    enterWantedMode();
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

void cleanUpAndReraise(int signalNumber)
{
    giveTerminalBack();
    removeUnfinishedFile();
    installHandler(signalNumber, SIG_DFL);
    static_cast<void>(std::raise(signalNumber));
}

// Stopped, the game gives the shell its terminal as it found it. The raise returns once the game
// is continued, or at once when the system would not stop it (a game that leads its own session
// has no shell to come back to): either way the game's mode comes back.
void stopWithTerminalGivenBack(int signalNumber)
{
    const int savedErrno = errno;
    giveTerminalBack();
    installHandler(signalNumber, SIG_DFL);
    static_cast<void>(std::raise(signalNumber));
    installHandler(signalNumber, stopWithTerminalGivenBack);
    enterWantedMode();
    errno = savedErrno;
}

// Continued after any stop, by Ctrl-Z or by reading in the background.
void reenterWantedMode(int /*signalNumber*/)
{
    const int savedErrno = errno;
    enterWantedMode();
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

} // namespace

void takeTerminal(bool eightBitCharacterSet)
{
    if (haveSettings != 0 || ::tcgetattr(STDIN_FILENO, &foundSettings) != 0) {
        return;
    }
    lineSettings = foundSettings;
    if (eightBitCharacterSet) {
        lineSettings.c_iflag &= static_cast<tcflag_t>(~IUTF8);
    }
    keySettings = lineSettings;
    keySettings.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keySettings.c_cc[VMIN] = 1;
    keySettings.c_cc[VTIME] = 0;
    haveSettings = 1;
    if (hasDefaultAction(SIGTSTP)) {
        installHandler(SIGTSTP, stopWithTerminalGivenBack);
    }
    installHandler(SIGCONT, reenterWantedMode);
    static_cast<void>(std::atexit(giveTerminalBack));
    usualMode = eightBitCharacterSet ? lineMode : foundMode;
    want(usualMode);
}

void enterKeyMode()
{
    want(keyMode);
}

void enterLineMode()
{
    want(usualMode);
}

void handleEndingSignals()
{
    for (int signalNumber = 1; signalNumber <= SIGRTMAX; ++signalNumber) {
        if (endsTheProcessByDefault(signalNumber) && hasDefaultAction(signalNumber)) {
            installHandler(signalNumber, cleanUpAndReraise);
        }
    }
}
