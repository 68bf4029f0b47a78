#include "platform/TerminalEncoding.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Case {
    std::string charset;
    // "Жук 日" and a combining acute in that set: what the set lacks becomes a "?" for each cell
    // the line breaker counted, two for the wide character and none for the mark.
    std::string bytes;
};

// The game's UTF-8 reaches the terminal in its own set, and the player's keys come back as
// UTF-8; what the set lacks is a "?" on the screen only.
TEST(TerminalEncoding, ConvertsToAndFromEachCyrillicSet)
{
    const std::vector<Case> cases{
        {"KOI8-R", "\xF6\xD5\xCB ??"},
        {"KOI8-U", "\xF6\xD5\xCB ??"},
        {"CP1251", "\xC6\xF3\xEA ??"},
        {"ISO-8859-5", "\xB6\xE3\xDA ??"},
        {"CP866", "\x86\xE3\xAA ??"},
    };
    for (const Case& test : cases) {
        std::stringbuf screen;
        {
            const auto converting = convertingToCharacterSet(screen, test.charset);
            std::ostream out(converting.get());
            // The wide character is split across two writes, as a full buffer may split it.
            out << "Жук \xE6\x97" << std::flush << "\xA5\u0301";
        }
        EXPECT_EQ(screen.str(), test.bytes) << test.charset;

        std::stringbuf keys(test.bytes.substr(0, 3) + "\n");
        const auto reading = convertingFromCharacterSet(keys, test.charset);
        std::string line;
        std::getline(std::istream(reading.get()) >> std::ws, line);
        EXPECT_EQ(line, "Жук") << test.charset;
    }
}

} // namespace
