#include "platform/ConsoleStreams-win32.hpp"

#include <gtest/gtest.h>

#include <istream>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
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

// What the game reads from what is typed, until a line starting with Ctrl+Z (no echo, no wait).
std::string readTyped(HANDLE console, std::wstring_view typed)
{
    ::FlushConsoleInputBuffer(console);
    type(console, typed);
    const auto buffer = consoleInputBuffer(console);
    std::istream input(buffer.get());
    return {std::istreambuf_iterator<char>(input), {}};
}

// What a screen of its own shows at its start once the game has written `text`.
std::wstring shownAfter(std::string_view text, std::size_t length)
{
    const HANDLE screen = ::CreateConsoleScreenBuffer(
        GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
    {
        const auto buffer = consoleOutputBuffer(screen);
        std::ostream(buffer.get()) << text << std::flush;
    }
    std::wstring cells(length, L'\0');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(length), COORD{0, 0}, &read);
    ::CloseHandle(screen);
    return cells;
}

// The output buffer holds 4096 bytes: a character after 4095 carriage returns (which keep it at
// the start of the line) is split after its first byte, after 4093 after its third.
const std::string outputsAFullBuffer(4095, '\r');

TEST(ConsoleStreams, TypedLinesReachTheGameAsUtf8AndItsTextShowsWhole)
{
    const struct {
        bool typed; // Else written by the game.
        std::wstring console;
        std::string game;
    } cases[] = {
        {true, L"Привет, мир\r\x1A\r", "Привет, мир\n"},
        // The CR ends one read and its LF starts the next: one line end, not two.
        {true, fillsARead + L"\r\x1A\r", fillsAReadUtf8 + "\n"},
        // A surrogate pair split between two reads is one character.
        {true, fillsARead + L"\U0001F600!\r\x1A\r", fillsAReadUtf8 + "\U0001F600!\n"},
        // Ctrl+Z inside a line is a character; at a line's start it ends the input, and what
        // follows stays unread.
        {true, L"a\x1A\r\x1A\rb\r", "a\x1A\n"},
        {true, L"\x1A\rb\r", ""},
        {false, L"Ж", outputsAFullBuffer + "Ж"},
        {false, L"\U0001F600", outputsAFullBuffer + "\U0001F600"},
        {false, L"\U0001F600", outputsAFullBuffer.substr(2) + "\U0001F600"},
        // A byte that starts no character is not held back for more: it shows as U+FFFD.
        {false, L"a\uFFFD", "a\xFF"},
    };
    const HANDLE console = consoleInput();
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    for (const auto& [typed, shown, game] : cases) {
        if (typed) {
            EXPECT_EQ(readTyped(console, shown), game) << shown.size();
        } else {
            EXPECT_EQ(shownAfter(game, shown.size()), shown) << game.size();
        }
    }
    ::CloseHandle(console);
}

} // namespace
