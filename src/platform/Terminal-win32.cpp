#include "platform/Terminal.hpp"

#include "platform/ConsoleStreams-win32.hpp"
#include "platform/TerminalWidth.hpp"
#include "platform/WholeCharacterOutput.hpp"
#include "text/Utf16.hpp"

#include <array>
#include <atomic>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <windows.h>

namespace {

constexpr char16_t ctrlZ = u'\x1A';

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != 0;
}

// The console reads and writes UTF-16 through untyped buffers, counted in wchar_t, which is 16
// bits wide on Windows: the game's char16_t units go to it and come from it as they are.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

// The game's UTF-8 goes to the console as UTF-16, so every text shows whatever the console's
// code page, and the code page is left as it was.
class ConsoleWrite final : public CharacterSink {
public:
    explicit ConsoleWrite(HANDLE console)
        : console_(console)
    {
    }

    bool write(std::string_view whole) override
    {
        const std::u16string units = utf8ToUtf16(whole);
        std::u16string_view left = units;
        while (!left.empty()) {
            DWORD written = 0;
            if (::WriteConsoleW(console_, left.data(), static_cast<DWORD>(left.size()), &written, nullptr) == 0
                || written == 0) {
                return false;
            }
            left.remove_prefix(written);
        }
        return true;
    }

private:
    HANDLE console_;
};

std::unique_ptr<std::streambuf> consoleOutput(HANDLE console)
{
    return std::make_unique<WholeCharacterOutput>(std::make_unique<ConsoleWrite>(console));
}

// The console's lines, read as UTF-16, reach the game as UTF-8 ending in a line feed. A line
// that starts with Ctrl+Z ends the input, as it does for every Windows program reading text.
class ConsoleInput final : public std::streambuf {
public:
    explicit ConsoleInput(HANDLE console)
        : console_(console)
    {
    }

protected:
    int_type underflow() override
    {
        while (gptr() == egptr() && !ended_) {
            readSomeOfLine();
        }
        return gptr() == egptr() ? traits_type::eof() : traits_type::to_int_type(*gptr());
    }

private:
    void readSomeOfLine()
    {
        std::array<char16_t, 1024> units{};
        DWORD got = 0;
        if (::ReadConsoleW(console_, units.data(), static_cast<DWORD>(units.size()), &got, nullptr) == 0) {
            ended_ = true;
            return;
        }
        // Ctrl+C interrupts a read with nothing in it; the game then ends as Windows ends it.
        if (got == 0) {
            ended_ = ::GetLastError() != ERROR_OPERATION_ABORTED;
            return;
        }
        std::u16string line = std::exchange(carried_, {});
        line.append(units.data(), got);
        if (atLineStart_ && line.front() == ctrlZ) {
            ended_ = true;
            return;
        }
        // Half of a surrogate pair, or a CR whose LF comes in the next read, waits for the rest.
        if (isHighSurrogate(line.back()) || line.back() == u'\r') {
            carried_ = line.back();
            line.pop_back();
        }
        for (std::size_t at = line.find(u"\r\n"); at != std::u16string::npos; at = line.find(u"\r\n", at)) {
            line.erase(at, 1);
        }
        if (!line.empty()) {
            atLineStart_ = line.back() == u'\n';
        }
        text_ = utf16ToUtf8(line);
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

    HANDLE console_;
    std::u16string carried_;
    std::string text_;
    bool atLineStart_ = true;
    bool ended_ = false;
};

// The input mode to go back to, kept where the Ctrl+C handler's thread can reach it.
HANDLE keyInput = nullptr;
DWORD savedInputMode = 0;
std::atomic<bool> keyModeOn = false;

void restoreInputMode()
{
    if (keyModeOn.exchange(false)) {
        ::SetConsoleMode(keyInput, savedInputMode);
    }
}

// Returning FALSE hands the event on, so the process then ends as Windows ends it.
BOOL WINAPI restoreInputModeOnCtrl(DWORD /*event*/)
{
    restoreInputMode();
    return FALSE;
}

// Modifier, lock and Windows keys pressed alone are not "any key".
bool isKeyPress(const INPUT_RECORD& record)
{
    if (record.EventType != KEY_EVENT || record.Event.KeyEvent.bKeyDown == 0) {
        return false;
    }
    switch (record.Event.KeyEvent.wVirtualKeyCode) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_LWIN:
    case VK_RWIN:
        return false;
    default:
        return true;
    }
}

// One key press, unseen; Ctrl+C still ends the game. The key and whatever else waits in the
// console's input then are taken out of it, so none of it turns up in the next answer.
void waitForKeyAtConsole(HANDLE input)
{
    if (::GetConsoleMode(input, &savedInputMode) == 0) {
        return;
    }
    keyInput = input;
    keyModeOn = true;
    ::SetConsoleMode(input, ENABLE_PROCESSED_INPUT);
    INPUT_RECORD record{};
    DWORD got = 0;
    while (::ReadConsoleInputW(input, &record, 1, &got) != 0 && got == 1 && !isKeyPress(record)) {}
    ::FlushConsoleInputBuffer(input);
    restoreInputMode();
}

// Blanks the whole screen buffer, the lines scrolled out of the window included, and puts the
// cursor at the top left, as the console's own "cls" does.
void clearConsole(HANDLE output)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(output, &info) == 0) {
        return;
    }
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    const COORD home{0, 0};
    DWORD done = 0;
    ::FillConsoleOutputCharacterW(output, L' ', cells, home, &done);
    ::FillConsoleOutputAttribute(output, info.wAttributes, cells, home, &done);
    ::SetConsoleCursorPosition(output, home);
}

} // namespace

TerminalStreams openTerminal()
{
    // First, since it gives every standard stream a buffer of its own again.
    std::ios::sync_with_stdio(false);
    const HANDLE errors = ::GetStdHandle(STD_ERROR_HANDLE);
    const bool errorsAtConsole = isConsole(errors);
    // Standard error in a console window shows its Russian text as standard output does. The
    // buffer is never destroyed: the standard streams are flushed once more at exit, after it
    // would be gone.
    if (errorsAtConsole) {
        std::cerr.rdbuf(consoleOutput(errors).release());
    }
    ScreenControl screen;
    std::istream* input = &std::cin;
    std::ostream* output = &std::cout;
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    if (isConsole(in)) {
        static ConsoleInput buffer(in);
        static std::istream stream(&buffer);
        input = &stream;
        ::SetConsoleCtrlHandler(restoreInputModeOnCtrl, TRUE);
        screen.waitForKey = [in] { waitForKeyAtConsole(in); };
        screen.inputEchoed = true;
    }
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const bool outputAtConsole = isConsole(out);
    if (outputAtConsole) {
        static const std::unique_ptr<std::streambuf> buffer = consoleOutput(out);
        static std::ostream stream(buffer.get());
        output = &stream;
        screen.clear = [out](std::ostream& /*flushed*/) { clearConsole(out); };
        screen.columns = terminalColumns();
    }
    // A process has one console: standard error in a console shows beside the game's text.
    return {*input, *output, std::cerr, std::move(screen), outputAtConsole && errorsAtConsole};
}

std::unique_ptr<std::streambuf> consoleInputBuffer(HANDLE console)
{
    return std::make_unique<ConsoleInput>(console);
}

std::unique_ptr<std::streambuf> consoleOutputBuffer(HANDLE console)
{
    return consoleOutput(console);
}
