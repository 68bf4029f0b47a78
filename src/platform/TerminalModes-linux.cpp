#include "platform/TerminalModes-linux.hpp"

#include "platform/DurableFile.hpp"
#include "platform/Signals-posix.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <iterator>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

enum Mode : int { foundMode, lineMode, pauseMode, keyMode, typingMode };

// Kept where signal handlers can reach them: the settings of each mode, whether they are known
// yet, the mode the game wants and the mode the terminal was last put in.
termios foundSettings{};
termios lineSettings{};
termios keySettings{};
termios typingSettings{};
termios pauseSettings{};
volatile std::sig_atomic_t haveSettings = 0;
volatile std::sig_atomic_t wantedMode = foundMode;
volatile std::sig_atomic_t appliedMode = foundMode;
// A terminal found in a working line mode is left as it was found until a key is awaited.
Mode usualMode = foundMode;

// The change and its note are one step to a signal handler: glibc's tcsetattr makes a second call
// after the change, and a handler that ran in between would think the terminal unchanged.
void apply(Mode mode)
{
    const std::array<const termios*, 5> settingsOf{
        &foundSettings, &lineSettings, &pauseSettings, &keySettings, &typingSettings};
    const termios& settings = *settingsOf.at(mode);
    const SignalsHeld held;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &settings);
    appliedMode = mode;
}

// Only while the game's job owns the terminal: a job in the background that changed it would be
// stopped for it, and would take the terminal from the shell that has it then.
void enterWantedMode()
{
    if (haveSettings != 0 && appliedMode != wantedMode && inForeground()) {
        apply(static_cast<Mode>(static_cast<int>(wantedMode)));
    }
}

void giveTerminalBack()
{
    if (haveSettings != 0 && appliedMode != foundMode) {
        apply(foundMode);
    }
}

// A program before the game may have left standard input non-blocking: every read would return
// at once with nothing, and the game would end before its first key. The game's reads wait, and
// the flags found come back when it ends.
volatile std::sig_atomic_t foundStatusFlags = -1;

void makeReadsWait()
{
    const int flags = ::fcntl(STDIN_FILENO, F_GETFL);
    if (flags >= 0 && (flags & O_NONBLOCK) != 0) {
        const SignalsHeld held;
        foundStatusFlags = flags;
        static_cast<void>(::fcntl(STDIN_FILENO, F_SETFL, flags & ~O_NONBLOCK));
    }
}

void giveTerminalBackAtEnd()
{
    giveTerminalBack();
    if (foundStatusFlags >= 0) {
        static_cast<void>(::fcntl(STDIN_FILENO, F_SETFL, static_cast<int>(foundStatusFlags)));
    }
}

void want(Mode mode)
{
    wantedMode = mode;
    enterWantedMode();
}

void cleanUpAndReraise(int signalNumber)
{
    giveTerminalBackAtEnd();
    removeUnfinishedFile();
    onSignal(signalNumber, SIG_DFL);
    static_cast<void>(std::raise(signalNumber));
}

// In key mode the terminal may hold what was sent with a pause's key and not read yet. Given back
// with the settings found, it would be the shell's next line, though it was typed for the game,
// so a stop takes it out first, for the game to read when it is continued.
// As much as a long paste that goes on after the key, so none of it is the shell's.
std::array<char, 65536> stoppedWith{};
volatile std::sig_atomic_t stoppedWithBytes = 0;

// What the terminal holds, or what comes within a paste's pause if it holds nothing.
std::size_t bytesWaitingSoon()
{
    const std::size_t waiting = bytesWaiting();
    return waiting == 0 && moreComesWithin(restOfPasteMilliseconds) ? bytesWaiting() : waiting;
}

void keepWhatWaitsForTheGame()
{
    if (appliedMode == foundMode || appliedMode == lineMode || !inForeground()) {
        return;
    }
    for (std::size_t waiting = bytesWaitingSoon(); waiting > 0; waiting = bytesWaitingSoon()) {
        const auto kept = static_cast<std::size_t>(stoppedWithBytes);
        const std::size_t room = std::min(stoppedWith.size() - kept, waiting);
        const ssize_t got = room > 0 ? ::read(STDIN_FILENO, stoppedWith.data() + kept, room) : 0;
        if (got <= 0) {
            return;
        }
        stoppedWithBytes = static_cast<std::sig_atomic_t>(kept + static_cast<std::size_t>(got));
    }
}

volatile std::sig_atomic_t inputDiscarded = 0;
volatile std::sig_atomic_t continues = 0;
volatile std::sig_atomic_t stops = 0;
// While the stop handler's own stop is under way, the handler is not yet set again: a continue
// then must not bring the game's mode back, or a second stop would leave it to the shell.
volatile std::sig_atomic_t stopping = 0;

// Stopped, the game gives the shell its terminal as it found it. The raise returns once the game
// is continued, or at once when the system would not stop it (a game that leads its own session
// has no shell to come back to): either way the game's mode comes back.
// A continue that comes before the stop is made cancels it, as it cancels a stop signal not yet
// taken; a stop signal while one is being made adds nothing.
void stopWithTerminalGivenBack(int signalNumber, siginfo_t* sender, void* /*context*/)
{
    if (sentForATypedKey(*sender) && (lineSettings.c_lflag & NOFLSH) == 0) {
        inputDiscarded = 1;
    }
    if (stopping != 0) {
        return;
    }
    const int savedErrno = errno;
    const int continuesBefore = continues;
    stopping = 1;
    keepWhatWaitsForTheGame();
    giveTerminalBack();
    if (continues == continuesBefore) {
        onSignal(signalNumber, SIG_DFL);
        static_cast<void>(std::raise(signalNumber));
    }
    {
        const SignalsHeld held;
        onSignalWithSender(signalNumber, stopWithTerminalGivenBack);
        stopping = 0;
    }
    if (continues != continuesBefore) {
        stops = stops + 1;
    }
    enterWantedMode();
    errno = savedErrno;
}

// Continued after any stop, by Ctrl-Z or by reading in the background.
void reenterWantedMode(int /*signalNumber*/)
{
    const int savedErrno = errno;
    continues = continues + 1;
    if (stopping == 0) {
        enterWantedMode();
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

// A program before the game may have left the terminal in any mode (raw, no line editing, reads
// that return at once). Line mode is the found settings made a working line mode: typed lines
// are edited and echoed (on a screen, not as on paper), Enter ends them, the keyboard's signals
// work, a line feed starts a row.
// In an 8-bit set IUTF8 is off, so Backspace erases one byte, which there is one character; in
// UTF-8 it is on, so Backspace never leaves half a letter in the line.
termios workingLineMode(termios settings, bool eightBitCharacterSet)
{
    settings.c_iflag |= ICRNL;
    settings.c_iflag &= static_cast<tcflag_t>(~(INLCR | IGNCR | ISTRIP | IUCLC));
    if (eightBitCharacterSet) {
        settings.c_iflag &= static_cast<tcflag_t>(~IUTF8);
    } else {
        settings.c_iflag |= IUTF8;
    }
    settings.c_oflag |= OPOST | ONLCR;
    settings.c_lflag |= ICANON | ECHO | ECHOE | ISIG;
    settings.c_lflag &= static_cast<tcflag_t>(~ECHOPRT);
    // The usual keys, where the found settings have none.
    constexpr std::array<std::pair<int, cc_t>, 4> usualKeys{
        {{VINTR, 0x03}, {VEOF, 0x04}, {VERASE, 0x7F}, {VKILL, 0x15}}};
    for (const auto& [key, code] : usualKeys) {
        if (settings.c_cc[key] == _POSIX_VDISABLE) {
            settings.c_cc[key] = code;
        }
    }
    return settings;
}

bool sameSettings(const termios& one, const termios& other)
{
    return one.c_iflag == other.c_iflag && one.c_oflag == other.c_oflag && one.c_cflag == other.c_cflag
        && one.c_lflag == other.c_lflag && std::equal(std::begin(one.c_cc), std::end(one.c_cc), std::begin(other.c_cc));
}

} // namespace

void takeTerminal(bool eightBitCharacterSet)
{
    if (haveSettings != 0 || ::tcgetattr(STDIN_FILENO, &foundSettings) != 0) {
        return;
    }
    lineSettings = workingLineMode(foundSettings, eightBitCharacterSet);
    keySettings = lineSettings;
    keySettings.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keySettings.c_cc[VMIN] = 1;
    keySettings.c_cc[VTIME] = 0;
    pauseSettings = keySettings;
    pauseSettings.c_lflag &= static_cast<tcflag_t>(~ISIG);
    typingSettings = pauseSettings;
    typingSettings.c_cc[VMIN] = 0;
    haveSettings = 1;
    if (hasDefaultAction(SIGTSTP)) {
        onSignalWithSender(SIGTSTP, stopWithTerminalGivenBack);
    }
    onSignal(SIGCONT, reenterWantedMode);
    makeReadsWait();
    static_cast<void>(std::atexit(giveTerminalBackAtEnd));
    usualMode = sameSettings(lineSettings, foundSettings) ? foundMode : lineMode;
    want(usualMode);
}

void enterKeyMode()
{
    want(keyMode);
}

void enterPauseMode()
{
    want(pauseMode);
}

void enterTypingMode()
{
    want(typingMode);
}

// TCOON alone lets go only of output that TCOOFF stopped, not of output Ctrl-S stopped.
void restartOutput()
{
    if ((lineSettings.c_iflag & IXON) != 0) {
        static_cast<void>(::tcflow(STDIN_FILENO, TCOOFF));
        static_cast<void>(::tcflow(STDIN_FILENO, TCOON));
    }
}

void raiseFromKeyboard(int signalNumber)
{
    restartOutput();
    const pid_t foreground = ::tcgetpgrp(STDIN_FILENO);
    static_cast<void>(foreground > 0 ? ::kill(-foreground, signalNumber) : std::raise(signalNumber));
}

bool inForeground()
{
    return ::tcgetpgrp(STDIN_FILENO) == ::getpgrp();
}

void enterLineMode()
{
    want(usualMode);
}

bool enterLineModeUnlessBytesWait()
{
    const SignalsHeld held;
    enterLineMode();
    if (bytesWaiting() == 0) {
        return true;
    }
    enterKeyMode();
    return false;
}

std::size_t bytesWaiting()
{
    int count = 0;
    return ::ioctl(STDIN_FILENO, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool moreComesWithin(int milliseconds)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return ::poll(&input, 1, milliseconds) > 0;
}

int timesStopped()
{
    return stops;
}

bool takeInputDiscarded()
{
    const SignalsHeld held;
    const bool discarded = inputDiscarded != 0;
    inputDiscarded = 0;
    return discarded;
}

void handleEndingSignals()
{
    for (int signalNumber = 1; signalNumber <= SIGRTMAX; ++signalNumber) {
        if (endsTheProcessByDefault(signalNumber) && hasDefaultAction(signalNumber)) {
            onSignal(signalNumber, cleanUpAndReraise);
        }
    }
}

LineEditing lineEditingOf(const termios& settings)
{
    const cc_t* key = settings.c_cc;
    const tcflag_t local = settings.c_lflag;
    return {key[VERASE], key[VKILL], key[VEOF], key[VEOL], key[VINTR], key[VQUIT], key[VSUSP], (local & ISIG) != 0,
        (local & NOFLSH) == 0, key[VEOL2], key[VWERASE], key[VLNEXT], key[VREPRINT], (local & IEXTEN) != 0,
        (local & ECHOK) != 0 && (local & ECHOKE) != 0, (local & ECHOK) != 0, (local & ECHOCTL) != 0,
        (settings.c_iflag & IUTF8) != 0};
}

LineEditing lineEditing()
{
    return lineEditingOf(lineSettings);
}

std::string takeWhatAStopKept()
{
    if (stoppedWithBytes == 0) {
        return {};
    }
    const SignalsHeld held;
    std::string kept(stoppedWith.data(), static_cast<std::size_t>(stoppedWithBytes));
    stoppedWithBytes = 0;
    return kept;
}
