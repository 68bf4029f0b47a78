#include "platform/TerminalWidth.hpp"

#include "platform/Signals-posix.hpp"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The width is asked once at start and again only after the window has changed size, so a write
// costs no extra system call.
volatile std::sig_atomic_t sizeChanged = 1;
int knownColumns = 0;

void noteSizeChange(int /*signalNumber*/)
{
    sizeChanged = 1;
}

int columns()
{
    if (sizeChanged != 0) {
        sizeChanged = 0;
        winsize size{};
        knownColumns = ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
    }
    return knownColumns;
}

} // namespace

std::function<int()> terminalColumns()
{
    onSignal(SIGWINCH, noteSizeChange);
    return columns;
}
