#include "TestSupport.hpp"

#include "core/LineBreaker.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Row breaks that can be told apart: in the expected output "|" stands for a break at a space and
// "/" for a word cut at the edge.
constexpr RowBreaks breaks{.atSpace = "|", .inWord = "/"};

struct Case {
    std::vector<std::string> writes;
    int width;
    std::string echoed; // what the terminal showed of the player's typing before the writes
    std::string expected;
};

TEST(LineBreaker, BreaksLinesBetweenWordsAtTheWidth)
{
    // clang-format off
    const std::vector<Case> cases{
        {{"один два три"}, 8, "", "один два|три"},
        {{"один два три\nчетыре"}, 7, "", "один|два три\nчетыре"},
        {{"ab cd"}, 5, "", "ab cd"}, // fills the row exactly: no break, no blank row
        {{"ab cd\nef"}, 5, "", "ab cd\nef"}, // the game's line end right at the edge
        {{"ab   cd"}, 4, "", "ab|cd"}, // all the spaces at the break go
        {{" abc de"}, 6, ">>>", "|abc de"}, // the column carries over from the echo
        {{"cd ef"}, 12, "ab\t", "cd|ef"}, // an echoed tab reaches the next stop of eight
        {{"cd ef"}, 6, "a\x18", "cd|ef"}, // an echoed control character shows as ^X
        {{"Na", "me = Ив", "ан"}, 8, "", "Name =|Иван"},
        {{"abcdefgh ij"}, 3, "", "abc/def/gh|ij"},
        {{"日本語 x"}, 5, "", "日本/語 x"}, // wide characters take two cells
        {{"a\xFF b"}, 3, "", "a\xFF|b"}, // a stray byte shows as U+FFFD, one cell
        {{"и\u0306и\u0306и\u0306 ab"}, 5, "", "и\u0306и\u0306и\u0306|ab"}, // combining marks none
        {{"\tab cd"}, 10, "", "\tab|cd"}, // a tab reaches the next stop of eight
        {{"a b "}, 3, "", "a b"}, // trailing spaces beyond the row are dropped
        {{"ab "}, 3, "", "ab "}, // a prompt's space that fills the row is kept
        {{"a\f b"}, 3, "", "a\f b"},
        {{"\t::::::Меню:::::::\n"}, 20, "", "::::::Меню:::::::\n"}, // a word led by a tab moves whole
        {{"ab \tcd"}, 4, "", "ab|cd"}, // a tab after a word breaks like a space
        {{"\tabcdefghij"}, 8, "", "abcdefgh/ij"}, // no row of only the tab
        {{"日本 x\n"}, 1, "", "日/本/x\n"}, // narrower than a character: no row of a space
    };
    // clang-format on
    for (const Case& test : cases) {
        LineBreaker breaker(breaks);
        breaker.followEcho(test.echoed, test.width, 2);
        std::string out;
        for (const std::string& text : test.writes) {
            out += breaker.layOut(text, test.width);
        }
        out += breaker.flush(test.width);
        EXPECT_EQ(out, test.expected) << test.writes.front() << " at width " << test.width;
    }
}

// Enter and a clear put the cursor back at the start of a row; the transcripts pin that a pipe
// gets the text as it is.
TEST(LineBreaker, ConsoleStartsARowAfterEachReadAndWrapsOnlyOnAScreen)
{
    // A key then Enter; or Enter on an empty line, then a key and the end of input; or a key and
    // the end of input that nothing echoed (input from a file, output on a screen).
    const struct {
        std::string input;
        bool echoed;
        std::string output;
    } cases[] = {{"x\n", true, "Ваш\nвыбор:ab cd\nef\n"}, {"\nx", true, "Ваш\nвыбор:ab cd\nef\n"},
        {"x", false, "Ваш\nвыбор:\nab cd\nef\n"}};
    for (const auto& [input, echoed, output] : cases) {
        std::istringstream in(input);
        std::ostringstream out;
        ScreenControl screen;
        screen.columns = [] { return 6; };
        screen.inputEchoed = echoed;
        Console console(in, out, screen);
        console.write("Ваш выбор: ");
        static_cast<void>(console.readCharacterAfterWhiteSpace());
        console.write("ab cd ef");
        console.endLine();
        EXPECT_EQ(out.str(), output) << input;
    }
}

} // namespace
