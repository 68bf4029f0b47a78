#include "platform/TerminalWidth.hpp"

#include <windows.h>

namespace {

// The console moves the cursor to the next row as soon as a row's last column is written, so a
// line end after a full row would leave a blank row: the game's rows stop one column short.
int columnsOf(HANDLE console)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(console, &info) == 0) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left;
}

} // namespace

// The width of the console's window, asked before each text, so a resized window is followed.
std::function<int()> terminalColumns()
{
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(output, &mode) == 0) {
        return {};
    }
    return [output] { return columnsOf(output); };
}
