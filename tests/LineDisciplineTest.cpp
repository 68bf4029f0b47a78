// What came with a pause's key is edited and echoed by the game as Linux's line mode does: each
// row is also typed on a real pseudo-terminal in line mode, and the game's echo and pieces must
// be the kernel's own.
#include "platform/LineDiscipline-linux.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

struct Typed {
    std::string echo;
    std::string pieces; // each piece, then "|"; the end of input is "<eof>"
};

// After the row's bytes, Ctrl-D hands over the line being typed, and a marker line ends the echo.
const std::string marker = "\x04~\n";

Typed typedOnTheKernel(const std::string& bytes, tcflag_t clearedLocal, tcflag_t clearedInput, termios& used)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    const int slave = ::grantpt(master) == 0 && ::unlockpt(master) == 0
        ? ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK)
        : -1;
    EXPECT_GE(slave, 0);
    ::tcgetattr(slave, &used);
    used.c_lflag
        = (used.c_lflag | ICANON | ECHO | ECHOE | ECHOK | ECHOKE | ECHOCTL | IEXTEN) & ~(ECHOPRT | clearedLocal);
    used.c_iflag = (used.c_iflag | ICRNL | IUTF8) & ~clearedInput;
    used.c_oflag |= OPOST | ONLCR;
    ::tcsetattr(slave, TCSANOW, &used);
    const std::string sent = bytes + marker;
    EXPECT_EQ(::write(master, sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
    Typed typed;
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (pollfd echo{master, POLLIN, 0};
         !typed.echo.ends_with("~\r\n") && std::chrono::steady_clock::now() < deadline;) {
        const ssize_t got = ::poll(&echo, 1, 100) > 0 ? ::read(master, buffer, sizeof buffer) : 0;
        typed.echo.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    for (ssize_t got = 0; (got = ::read(slave, buffer, sizeof buffer)) >= 0;) {
        typed.pieces += got == 0 ? "<eof>|" : std::string(buffer, static_cast<std::size_t>(got)) + "|";
    }
    ::close(slave);
    ::close(master);
    return typed;
}

Typed typedOnTheGame(const std::string& bytes, const termios& settings)
{
    LineDiscipline discipline(lineEditingOf(settings));
    for (const char byte : bytes + marker) {
        discipline.receive(static_cast<unsigned char>(byte), false);
    }
    Typed typed;
    for (const char byte : discipline.takeEcho()) {
        typed.echo += byte == '\n' ? std::string("\r\n") : std::string(1, byte); // as ONLCR writes it
    }
    for (bool endOfInput = false; discipline.hasPiece();) {
        const std::string piece = discipline.takePiece(endOfInput);
        typed.pieces += endOfInput ? "<eof>|" : piece + "|";
    }
    return typed;
}

TEST(LineDiscipline, EditsAndEchoesAsLinuxLineMode)
{
    const struct {
        const char* what;
        std::string bytes;
        tcflag_t clearedLocal = 0;
        tcflag_t clearedInput = 0;
    } rows[] = {
        {"Ctrl-W erases a word", "abc\x17s\n"},
        {"Ctrl-W erases the blanks before a word and the word", "ab cd  \x17\x17x\n"},
        {"Ctrl-W takes UTF-8 Cyrillic as letters", "Ян Иван\x17я\n"},
        {"Ctrl-V makes the next key a character",
            "a\x16\x15\x16\x04\x16\n\x7f"
            "b\n"},
        {"Ctrl-R shows the line again",
            "ab\x01\x12"
            "c\n"},
        {"Backspace steps back over a tab from where Ctrl-D began the line",
            "ab\x04\t\x7f"
            "cd\n"},
        {"Backspace steps back over a tab",
            "abcdefgж\tb\tc\x7f\x7f\x7f\x7f"
            "d\n"},
        {"Backspace and Ctrl-U take whole UTF-8 characters", "Иван\x7f\x15ок\n"},
        {"a control character shown as ^X is erased twice", "x\x01\x7fy\n"},
        {"a wide character is erased as one cell", "你\x7fz\n"},
        {"Ctrl-D hands over a line so far, and ends the input on an empty one",
            "ab\x04"
            "\x04"
            "cd\n"},
        {"without ECHOCTL control characters are echoed as they are", "x\x01\x16\x02\x7f\x12y\n", ECHOCTL},
        {"without IEXTEN Ctrl-W, Ctrl-V and Ctrl-R are characters", "ab\x17\x16\x12\n", IEXTEN},
        {"without ECHOKE Ctrl-U is echoed, then a line feed",
            "abc\x15"
            "d\n",
            ECHOKE},
        {"without IUTF8 Backspace erases one byte", "ж\x7f\x7fz\n", 0, IUTF8},
    };
    for (const auto& row : rows) {
        termios settings{};
        const Typed kernel = typedOnTheKernel(row.bytes, row.clearedLocal, row.clearedInput, settings);
        const Typed game = typedOnTheGame(row.bytes, settings);
        EXPECT_EQ(game.echo, kernel.echo) << row.what;
        EXPECT_EQ(game.pieces, kernel.pieces) << row.what;
    }
}

// Typed ahead in line mode before a pause, Ctrl-D is left in the terminal as a zero byte.
TEST(LineDiscipline, TakesTheKernelsMarkOfCtrlDAsTheEndOfAPiece)
{
    LineDiscipline discipline{LineEditing{}};
    for (const char byte : std::string("ab\0", 3)) {
        discipline.receive(static_cast<unsigned char>(byte), true);
    }
    bool endOfInput = true;
    EXPECT_TRUE(
        discipline.hasPiece() && discipline.takePiece(endOfInput) == "ab" && !endOfInput && !discipline.typing());
}

} // namespace
