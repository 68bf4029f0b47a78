#include "platform/TerminalEncoding.hpp"
#include "text/CellWidth.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <gnu/libc-version.h>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>
#include <wchar.h>

namespace {

struct Case {
    std::string charset;
    // "Жук 日", a combining acute and "日" in that set: what the set lacks becomes a "?" for each
    // cell the line breaker counted, two for each wide character and none for the mark.
    std::string bytes;
};

// The game's UTF-8 reaches the terminal in its own set, and the player's keys come back as
// UTF-8; what the set lacks is a "?" on the screen only.
TEST(TerminalEncoding, ConvertsToAndFromEachCyrillicSet)
{
    const std::vector<Case> cases{
        {"KOI8-R", "\xF6\xD5\xCB ????"},
        {"KOI8-U", "\xF6\xD5\xCB ????"},
        {"CP1251", "\xC6\xF3\xEA ????"},
        {"ISO-8859-5", "\xB6\xE3\xDA ????"},
        {"CP866", "\x86\xE3\xAA ????"},
    };
    for (const Case& test : cases) {
        std::stringbuf screen;
        {
            const auto converting = convertingToCharacterSet(screen, test.charset);
            std::ostream out(converting.get());
            // The wide character is split across two writes, as a full buffer may split it.
            out << "Жук \xE6\x97" << std::flush << "\xA5\u0301日";
        }
        EXPECT_EQ(screen.str(), test.bytes) << test.charset;

        std::stringbuf keys(test.bytes.substr(0, 3) + "\n");
        const auto reading = convertingFromCharacterSet(keys, test.charset);
        std::string line;
        std::getline(std::istream(reading.get()) >> std::ws, line);
        EXPECT_EQ(line, "Жук") << test.charset;
    }
}

// A terminal that takes `room` bytes and refuses the rest, and counts the flushes passed to it.
class SmallTerminal final : public std::stringbuf {
public:
    explicit SmallTerminal(std::streamsize room)
        : room_(room)
    {
    }
    int flushes = 0;

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override
    {
        count = std::min(count, room_);
        room_ -= count;
        return std::stringbuf::xsputn(bytes, count);
    }
    int sync() override { return ++flushes, 0; }

private:
    std::streamsize room_;
};

// Each piece is written and flushed; the terminal shows whole characters only, each as soon as it
// is whole, and a write it refused makes the stream bad.
TEST(TerminalEncoding, HandsOnWholeCharactersAtEachFlush)
{
    const struct {
        std::vector<std::string> pieces;
        std::streamsize room;
        std::string shown;
        bool good;
    } cases[] = {
        {{"Ж\xD0", "\x96!"}, 100, "\xF6\xF6!", true},
        {{"a\xFF"}, 100, "a?", true},
        {{"\xD0", "a"}, 100, "?a", true},
        {{"abc", "def"}, 4, "abcd", false},
    };
    for (const auto& [pieces, room, shown, good] : cases) {
        SmallTerminal terminal(room);
        const auto converting = convertingToCharacterSet(terminal, "KOI8-R");
        std::ostream out(converting.get());
        for (const std::string& piece : pieces) {
            out << piece << std::flush;
        }
        EXPECT_EQ(terminal.str(), shown) << pieces.front();
        EXPECT_EQ(out.good(), good) << pieces.front();
        EXPECT_EQ(terminal.flushes, static_cast<int>(pieces.size())) << pieces.front();
    }
}

// The line breaker counts cells as a terminal that follows the C library does; where the C library
// knows no width (controls, unassigned code points) the game keeps its own. The table, for the
// systems that cannot ask, is checked against the C library it was made from.
TEST(CellWidth, AgreesWithTheCLibraryForEveryCodePoint)
{
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    const bool tableFromThisLibrary = std::string_view(::gnu_get_libc_version()) == "2.36";
    std::ostringstream differing;
    for (char32_t codePoint = 0; codePoint <= 0x10FFFF; ++codePoint) {
        const int expected = ::wcwidth(static_cast<wchar_t>(codePoint));
        if (expected >= 0
            && (cellWidth(codePoint) != expected
                || (tableFromThisLibrary && cellWidthFromTable(codePoint) != expected))) {
            differing << std::hex << " U+" << static_cast<unsigned>(codePoint);
        }
    }
    std::setlocale(LC_CTYPE, previous.c_str());
    EXPECT_EQ(differing.str(), "");
}

} // namespace
