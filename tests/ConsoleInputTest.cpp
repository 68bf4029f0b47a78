#include "TestSupport.hpp"

#include "core/ReadChoice.hpp"
#include "core/ScreenErrors.hpp"
#include "core/Utf8Input.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Asks for one of "pftsm" with the prompt "?" and reports the answer and how often it asked.
struct Asked {
    std::optional<char> choice;
    int prompts = 0;
};

Asked ask(ScriptedConsole& screen)
{
    Asked asked;
    asked.choice = readChoice(screen.console, "pftsm", [&] {
        ++asked.prompts;
        screen.console.write("?");
    });
    return asked;
}

TEST(ReadChoice, TakesTheFirstKeyAndLeavesTheRestOfTheLine)
{
    ScriptedConsole screen("  tsx\n");
    EXPECT_EQ(ask(screen).choice, 't');
    EXPECT_EQ(ask(screen).choice, 's');
    EXPECT_EQ(screen.console.readCharacterAfterWhiteSpace(), "x");
}

TEST(ReadChoice, AsksOnceAndAgainOnlyForEachRejectedKey)
{
    struct Case {
        std::string input;
        std::optional<char> choice; // nothing: the input ended first
        int prompts;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"\n\n \t\r\n\v\fm\n", 'm', 1}, // empty lines are skipped without asking again
        {"1\nq\nT\n", 't', 3}, // an upper-case key is taken as lower case
        {"т\nt\n", 't', 2}, // a Cyrillic key of two bytes is rejected once, as a whole
        {"\xFF\nt\n", 't', 2}, // so are bytes no character starts with
        {"\x80t\n", 't', 2},
        {"", std::nullopt, 1},
        {"\n \n", std::nullopt, 1},
        {"1", std::nullopt, 2},
    };
    // clang-format on
    for (const Case& test : cases) {
        ScriptedConsole screen(test.input);
        const Asked asked = ask(screen);
        EXPECT_EQ(asked.choice, test.choice) << test.input;
        EXPECT_EQ(screen.output(), std::string(static_cast<std::size_t>(test.prompts), '?')) << test.input;
        EXPECT_EQ(asked.prompts, test.prompts) << test.input;
        EXPECT_EQ(screen.console.inputEnded(), !test.choice) << test.input;
    }
}

TEST(Utf8Input, ACharacterStopsAtTheFirstByteThatDoesNotContinueIt)
{
    std::istringstream in("\xD0"
                          "a"
                          "\xE2\x82\xAC"
                          "\xF0\x9F\x98\x80"
                          "\xF8"
                          "\xF7\xBF\xBF\xBF"
                          "\xE2\x82"
                          "b");
    for (const std::string expected :
        {"\xD0", "a", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF8", "\xF7\xBF\xBF\xBF", "\xE2\x82", "b"}) {
        EXPECT_EQ(readUtf8Character(in), expected);
    }
    EXPECT_EQ(readUtf8Character(in), std::nullopt);
}

// Each line is read whole as a name, so the read after it starts on the next line.
TEST(NameInput, KeepsElevenCharactersWithoutControlsOrBrokenBytes)
{
    using namespace std::string_literals;
    struct Case {
        std::string line;
        std::string name;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"Ivan\n", "Ivan"},
        {"Abcdefghijk\n", "Abcdefghijk"},
        {"Abcdefghijklmnop\n", "Abcdefghijk"},
        {"Александр Македонский\n", "Александр М"},
        {" padded  \n", " padded  "},
        {"\n", ""},
        {std::string(1024 * 1024, 'x') + "\n", "xxxxxxxxxxx"}, // read through without keeping it
        // An arrow key, a delete, a tab, a NUL and the carriage return of a Windows line end go
        // before counting.
        {"\x1b[AIv\x7F\tan\0\x01"
         "ABCDEFGHIJ\r\n"s, "[AIvanABCDE"},
        // C1 controls and the bidirectional formatting characters go too; their neighbours stay.
        {"\u0080\u009F\u00A0|\u2029\u202A\u202E\u202F|\u2065\u2066\u2069\u206A\n", "\u00A0|\u2029\u202F|\u2065\u206A"},
        // A stray continuation byte, an overlong form, a surrogate, a code point past U+10FFFF and
        // a byte no character starts with each become one U+FFFD; the control goes first.
        {"\x80\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF8\x01Ivan Petrov\n", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDIvan P"},
        {"Ив\xD0\n", "Ив\uFFFD"},
    };
    // clang-format on
    for (const Case& test : cases) {
        ScriptedConsole screen(test.line + "w\n");
        EXPECT_EQ(screen.console.readName(), test.name) << test.line.substr(0, 40);
        EXPECT_EQ(screen.console.readCharacterAfterWhiteSpace(), "w") << test.line.substr(0, 40);
    }
    // A last line without a line break is still a name; only then has the input ended.
    ScriptedConsole screen("next");
    EXPECT_EQ(screen.console.readName(), "next");
    EXPECT_FALSE(screen.console.inputEnded());
    EXPECT_EQ(screen.console.readName(), std::nullopt);
    EXPECT_TRUE(screen.console.inputEnded());
}

// The transcripts pin a pause and a clear on a pipe: the prompt and a form feed.
TEST(Screen, PauseWaitsForOneKeyAndClearGoesToTheTerminal)
{
    std::istringstream in("w\n");
    std::ostringstream out;
    int keysAwaited = 0;
    ScreenControl screen;
    screen.waitForKey = [&] {
        // The prompt is on the screen before the wait begins.
        EXPECT_EQ(out.str(), "Для продолжения нажмите любую клавишу . . . ");
        ++keysAwaited;
    };
    screen.clear = [](std::ostream& shown) { shown << "<clear>"; };
    Console console(in, out, screen);
    console.pauseScreen();
    console.clearScreen();
    EXPECT_EQ(keysAwaited, 1);
    EXPECT_EQ(out.str(), std::string(pausePrompt) + "<clear>");
    // The pause took nothing from the game's own input.
    EXPECT_EQ(console.readCharacterAfterWhiteSpace(), "w");
}

// One of a terminal's two streams: what is written reaches the shared screen only when flushed.
class HeldUntilFlushed : public std::stringbuf {
public:
    explicit HeldUntilFlushed(std::string& screen)
        : screen_(screen)
    {
    }

protected:
    int sync() override
    {
        screen_ += str();
        str("");
        return 0;
    }

private:
    std::string& screen_;
};

TEST(Screen, AnErrorComesAfterThePendingTextAndTellsOfItsOwnFailure)
{
    for (const int columns : {0, 40}) {
        std::string shown;
        HeldUntilFlushed outBuffer(shown);
        HeldUntilFlushed errorBuffer(shown);
        std::ostream out(&outBuffer);
        std::ostream errors(&errorBuffer);
        std::istringstream in;
        ScreenControl screen;
        if (columns > 0) {
            screen.columns = [columns] { return columns; };
        }
        Console console(in, out, screen);
        ScreenErrors onScreen(console, errors);
        console.write("Ваш выбор: ");
        onScreen << "нет места" << std::endl;
        EXPECT_EQ(shown, "Ваш выбор: нет места\n") << columns;
        EXPECT_TRUE(onScreen.good());
    }
    std::ostream closed(nullptr);
    ScriptedConsole screen("");
    ScreenErrors onScreen(screen.console, closed);
    onScreen << "x" << std::endl;
    EXPECT_TRUE(onScreen.bad());
}

TEST(Screen, OutputThatFailedEndsTheGameWithoutWaiting)
{
    std::istringstream in("w\n");
    std::ostream out(nullptr);
    int keysAwaited = 0;
    ScreenControl screen;
    screen.waitForKey = [&] { ++keysAwaited; };
    Console console(in, out, screen);
    console.pauseScreen();
    EXPECT_EQ(keysAwaited, 0);
    EXPECT_TRUE(console.outputFailure());
    EXPECT_EQ(console.readCharacterAfterWhiteSpace(), std::nullopt);
    EXPECT_TRUE(console.inputEnded());
}

} // namespace
