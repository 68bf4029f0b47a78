#include "platform/ConsoleStreams-win32.hpp"

#include <gtest/gtest.h>

#include <istream>
#include <iterator>
#include <ostream>
#include <string>
#include <windows.h>

namespace {

// The console's own read takes 1024 units at most: a line this long puts its next unit at the
// start of the second read.
const std::wstring fillsARead(1023, L'a');
const std::string fillsAReadUtf8(1023, 'a');

// The console the test runs in (windows.console-streams gives it one), read in lines as the game
// reads it, without the echo that would fill the test's log.
HANDLE consoleInput()
{
    const HANDLE console = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, 0, nullptr);
    ::SetConsoleMode(console, ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    return console;
}

// Each unit pressed and let go, as the keyboard gives it; Enter is a CR.
void type(HANDLE console, std::wstring_view keys)
{
    for (const wchar_t unit : keys) {
        for (const BOOL down : {TRUE, FALSE}) {
            INPUT_RECORD record{};
            record.EventType = KEY_EVENT;
            record.Event.KeyEvent.bKeyDown = down;
            record.Event.KeyEvent.wRepeatCount = 1;
            record.Event.KeyEvent.wVirtualKeyCode = unit == L'\r' ? VK_RETURN : 0;
            record.Event.KeyEvent.uChar.UnicodeChar = unit;
            DWORD written = 0;
            ASSERT_TRUE(::WriteConsoleInputW(console, &record, 1, &written));
        }
    }
}

TEST(ConsoleStreams, TypedLinesReachTheGameAsUtf8UntilCtrlZStartsALine)
{
    const struct {
        std::wstring typed;
        std::string read;
    } cases[] = {
        {L"Привет, мир\r\x1A\r", "Привет, мир\n"},
        // The CR ends one read and its LF starts the next: one line end, not two.
        {fillsARead + L"\r\x1A\r", fillsAReadUtf8 + "\n"},
        // A surrogate pair split between two reads is one character.
        {fillsARead + L"\U0001F600!\r\x1A\r", fillsAReadUtf8 + "\U0001F600!\n"},
        // Ctrl+Z inside a line is a character; at a line's start it ends the input, and what
        // follows stays unread.
        {L"a\x1A\r\x1A\rb\r", "a\x1A\n"},
        {L"\x1A\rb\r", ""},
    };
    const HANDLE console = consoleInput();
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    for (const auto& [typed, read] : cases) {
        ::FlushConsoleInputBuffer(console);
        type(console, typed);
        const auto buffer = consoleInputBuffer(console);
        std::istream input(buffer.get());
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(input), {}), read) << typed.size();
    }
    ::CloseHandle(console);
}

TEST(ConsoleStreams, ACharacterSplitByTheOutputBufferShowsWhole)
{
    // The buffer holds 4096 bytes: the character's first byte fills it, or its first three. The
    // carriage returns before it keep it at the start of the first line.
    const struct {
        std::size_t before;
        std::string written;
        std::wstring shown;
    } cases[] = {{4095, "Ж", L"Ж"}, {4095, "\U0001F600", L"\U0001F600"}, {4093, "\U0001F600", L"\U0001F600"}};
    for (const auto& [before, written, shown] : cases) {
        const HANDLE screen = ::CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE,
            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
        ASSERT_NE(screen, INVALID_HANDLE_VALUE);
        {
            const auto buffer = consoleOutputBuffer(screen);
            std::ostream output(buffer.get());
            output << std::string(before, '\r') << written << std::flush;
        }
        std::wstring cells(shown.size(), L'\0');
        DWORD read = 0;
        ASSERT_TRUE(
            ::ReadConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(cells.size()), COORD{0, 0}, &read));
        EXPECT_EQ(cells, shown) << before;
        ::CloseHandle(screen);
    }
}

} // namespace
