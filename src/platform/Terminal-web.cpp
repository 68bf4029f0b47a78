#include "platform/Terminal.hpp"

#include "platform/TerminalClear.hpp"
#include "platform/TerminalWidth.hpp"

#include <emscripten.h>

#include <array>
#include <ios>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string_view>
#include <utility>

namespace {

// clang-format off

// The page that runs the game hands it a console (Module.rpgConsole): read(count) resolves to at
// most count bytes the player has entered, none at the end of input; write(bytes) shows bytes;
// writeError(bytes), when present, shows what the game says of a failure (else it goes to the
// module's error output, as a test reads it); and waitForKey() and columns(), present only when the
// page shows a real terminal, resolve on the next key and give the terminal's width.

EM_ASYNC_JS(int, readFromPage, (char* buffer, int capacity), {
    const bytes = await Module.rpgConsole.read(capacity);
    HEAPU8.set(bytes, buffer);
    return bytes.length;
});

EM_JS(void, writeToPage, (const char* bytes, int count), {
    Module.rpgConsole.write(HEAPU8.slice(bytes, bytes + count));
});

EM_JS(void, writeErrorToPage, (const char* bytes, int count), {
    const text = HEAPU8.slice(bytes, bytes + count);
    if (typeof Module.rpgConsole.writeError === "function") {
        Module.rpgConsole.writeError(text);
    } else {
        err(new TextDecoder().decode(text).replace(new RegExp("\n$"), ""));
    }
});

EM_JS(int, pageHasTerminal, (), {
    return typeof Module.rpgConsole.waitForKey === "function" ? 1 : 0;
});

EM_ASYNC_JS(void, waitForKeyOnPage, (), {
    await Module.rpgConsole.waitForKey();
});

// clang-format on

// Bytes as the page hands them over, a line at a time when a player types.
class PageInput : public std::streambuf {
protected:
    int_type underflow() override
    {
        const int count = readFromPage(buffer_.data(), static_cast<int>(buffer_.size()));
        if (count <= 0) {
            return traits_type::eof();
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
        return traits_type::to_int_type(buffer_.front());
    }

private:
    std::array<char, 1024> buffer_{};
};

// Collects what the game writes and hands it to the page on every flush, through `handOver`.
class PageOutput : public std::streambuf {
public:
    using HandOver = void (*)(const char*, int);

    explicit PageOutput(HandOver handOver)
        : handOver_(handOver)
    {
        resetBuffer();
    }

protected:
    int_type overflow(int_type byte) override
    {
        handOver();
        if (!traits_type::eq_int_type(byte, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(byte);
            pbump(1);
        }
        return traits_type::not_eof(byte);
    }

    int sync() override
    {
        handOver();
        return 0;
    }

private:
    void resetBuffer() { setp(buffer_.data(), buffer_.data() + buffer_.size()); }

    void handOver()
    {
        if (pptr() != pbase()) {
            handOver_(pbase(), static_cast<int>(pptr() - pbase()));
        }
        resetBuffer();
    }

    HandOver handOver_;
    std::array<char, 4096> buffer_{};
};

} // namespace

TerminalStreams openTerminal()
{
    static PageInput inputBuffer;
    static PageOutput outputBuffer(writeToPage);
    static PageOutput errorBuffer(writeErrorToPage);
    static std::istream input(&inputBuffer);
    static std::ostream output(&outputBuffer);
    // Like the standard error stream: each message whole as it is written, after the output before it.
    static std::ostream errors(&errorBuffer);
    input.tie(&output);
    errors.tie(&output);
    errors.setf(std::ios::unitbuf);

    // Without a terminal (a test handing over a whole input at once) the page is treated like a
    // pipe: a page break for each clear, and pauses that do not wait.
    ScreenControl screen;
    if (pageHasTerminal() != 0) {
        screen.waitForKey = [] { waitForKeyOnPage(); };
        screen.inputEchoed = true;
        screen.clear = [](std::ostream& out) { out << terminalClear; };
        screen.columns = terminalColumns();
        // Both end a row in the page's terminal; the carriage return tells them from the game's own
        // line feeds, and its place a break at a space from a cut word, so the page's screen-reader
        // copy can join the rows again.
        screen.rowBreaks = {.atSpace = "\r\n", .inWord = "\n\r"};
    }
    return {input, output, errors, std::move(screen)};
}
