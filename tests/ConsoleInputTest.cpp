#include "TestSupport.hpp"

#include "core/ReadChoice.hpp"
#include "core/ScreenErrors.hpp"
#include "core/Utf8Input.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

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
    EXPECT_EQ(screen.console.readSymbolAfterWhiteSpace(), "x");
}

TEST(ReadChoice, SkipsEmptyLinesWithoutAskingAgain)
{
    ScriptedConsole screen("\n\n \t\r\n\v\fm\n");
    const Asked asked = ask(screen);
    EXPECT_EQ(asked.choice, 'm');
    EXPECT_EQ(asked.prompts, 1);
    EXPECT_EQ(screen.output(), "?");
}

TEST(ReadChoice, AsksAgainForEveryRejectedKey)
{
    ScriptedConsole screen("1\nq\nT\n");
    const Asked asked = ask(screen);
    EXPECT_EQ(asked.choice, 't');
    EXPECT_EQ(asked.prompts, 3);
}

TEST(ReadChoice, UpperCaseKeysAreAcceptedAsLowerCase)
{
    ScriptedConsole screen("P F T S M");
    for (const char expected : {'p', 'f', 't', 's', 'm'}) {
        EXPECT_EQ(ask(screen).choice, expected);
    }
}

TEST(ReadChoice, RejectsACyrillicOrBrokenKeyOnceAsAWhole)
{
    // "т" is two bytes; 0xFF and a stray continuation byte are characters of their own.
    for (const std::string input : {"т\nt\n", "\xFF\nt\n", "\x80t\n"}) {
        ScriptedConsole screen(input);
        const Asked asked = ask(screen);
        EXPECT_EQ(asked.choice, 't');
        EXPECT_EQ(asked.prompts, 2) << input;
    }
}

TEST(ReadChoice, EndOfInputEndsTheQuestionWithoutAskingAgain)
{
    for (const std::string input : {"", "\n \n", "1"}) {
        ScriptedConsole screen(input);
        const Asked asked = ask(screen);
        EXPECT_EQ(asked.choice, std::nullopt);
        EXPECT_EQ(asked.prompts, input == "1" ? 2 : 1) << input;
        EXPECT_TRUE(screen.console.inputEnded());
    }
}

TEST(Utf8Input, ACharacterStopsAtTheFirstByteThatDoesNotContinueIt)
{
    std::istringstream in("\xD0"
                          "a"
                          "\xE2\x82\xAC"
                          "\xF0\x9F\x98\x80"
                          "\xF8"
                          "\xE2\x82"
                          "b");
    for (const std::string expected : {"\xD0", "a", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF8", "\xE2\x82", "b"}) {
        EXPECT_EQ(readUtf8Character(in), expected);
    }
    EXPECT_EQ(readUtf8Character(in), std::nullopt);
}

std::optional<std::string> nameFrom(ScriptedConsole& screen)
{
    return screen.console.readName();
}

TEST(NameInput, KeepsElevenCharactersAndDropsTheRestOfTheLine)
{
    ScriptedConsole screen("Ivan\n"
                           "Abcdefghijk\n"
                           "Abcdefghijklmnop\n"
                           "Александр Македонский\n"
                           " padded  \n"
                           "\n"
                           "next");
    EXPECT_EQ(nameFrom(screen), "Ivan");
    EXPECT_EQ(nameFrom(screen), "Abcdefghijk");
    EXPECT_EQ(nameFrom(screen), "Abcdefghijk");
    EXPECT_EQ(nameFrom(screen), "Александр М");
    EXPECT_EQ(nameFrom(screen), " padded  ");
    EXPECT_EQ(nameFrom(screen), "");
    EXPECT_EQ(nameFrom(screen), "next");
    EXPECT_FALSE(screen.console.inputEnded());
    EXPECT_EQ(nameFrom(screen), std::nullopt);
    EXPECT_TRUE(screen.console.inputEnded());
}

TEST(NameInput, DropsControlCharactersBeforeCounting)
{
    // An arrow key, a delete, a tab, a NUL and the carriage return of a Windows line end.
    using namespace std::string_literals;
    ScriptedConsole screen("\x1b[AIv\x7F\tan\0\x01"
                           "ABCDEFGHIJ\r\nafter\n"s);
    EXPECT_EQ(nameFrom(screen), "[AIvanABCDE");
    EXPECT_EQ(nameFrom(screen), "after");

    // C1 controls and the bidirectional formatting characters go too; their neighbours stay.
    ScriptedConsole unicode("\u0080\u009F\u00A0|\u2029\u202A\u202E\u202F|\u2065\u2066\u2069\u206A\n");
    EXPECT_EQ(nameFrom(unicode), "\u00A0|\u2029\u202F|\u2065\u206A");
}

TEST(NameInput, EachBrokenCharacterBecomesOneReplacementCharacter)
{
    // A stray continuation byte, an overlong form, a surrogate, a code point past U+10FFFF and a
    // byte no character starts with; the control character goes first, as always.
    ScriptedConsole screen("\x80\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF8\x01Ivan Petrov\n"
                           "Ив\xD0\n");
    EXPECT_EQ(nameFrom(screen), "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDIvan P");
    EXPECT_EQ(nameFrom(screen), "Ив\uFFFD");
}

TEST(NameInput, AVeryLongLineIsReadThroughWithoutKeepingIt)
{
    ScriptedConsole screen(std::string(1024 * 1024, 'x') + "\nw\n");
    EXPECT_EQ(nameFrom(screen), std::string(maxNameCharacters, 'x'));
    EXPECT_EQ(screen.console.readSymbolAfterWhiteSpace(), "w");
}

TEST(Screen, PauseAndClearWithoutATerminal)
{
    ScriptedConsole screen("");
    screen.console.write("text");
    screen.console.pauseScreen();
    screen.console.clearScreen();
    EXPECT_EQ(screen.output(), "text" + std::string(pausePrompt) + "\f");
}

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
    EXPECT_EQ(console.readSymbolAfterWhiteSpace(), "w");
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
    EXPECT_EQ(console.readSymbolAfterWhiteSpace(), std::nullopt);
    EXPECT_TRUE(console.inputEnded());
}

} // namespace
