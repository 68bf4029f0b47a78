#include "core/Console.hpp"

#include "core/Utf8Input.hpp"

#include <istream>
#include <limits>
#include <ostream>
#include <utility>

namespace {

constexpr std::string_view pausePrompt = "Для продолжения нажмите любую клавишу . . . ";

// A page break marks a new screen in a file or a pipe, without escape codes.
constexpr std::string_view pageBreak = "\f";

} // namespace

Console::Console(std::istream& in, std::ostream& out, ScreenControl screen)
    : in_(in)
    , out_(out)
    , screen_(std::move(screen))
    , breaker_(screen_.rowBreaks)
{
}

int Console::width() const
{
    return screen_.columns ? screen_.columns() : 0;
}

// A screen that no longer reports a width, like a pipe, gets whatever the breaker still holds,
// then the text as it is.
void Console::write(std::string_view text)
{
    const int columns = width();
    if (columns > 0) {
        out_ << breaker_.layOut(text, columns);
    } else {
        out_ << breaker_.flush(std::numeric_limits<int>::max()) << text;
    }
}

void Console::endLine()
{
    write("\n");
    flush();
}

void Console::flush()
{
    const int columns = width();
    out_ << breaker_.flush(columns > 0 ? columns : std::numeric_limits<int>::max());
    out_.flush();
}

void Console::startRow()
{
    breaker_.startRow();
}

template <typename T>
std::optional<T> Console::noteEnd(std::optional<T> result)
{
    startRow();
    if (!result) {
        inputEnded_ = true;
    }
    return result;
}

std::optional<std::string> Console::readSymbolAfterWhiteSpace()
{
    flush();
    skipWhiteSpace(in_);
    return noteEnd(readUtf8Character(in_));
}

std::optional<std::string> Console::readSymbolAsIs()
{
    flush();
    return noteEnd(readUtf8Character(in_));
}

std::optional<std::string> Console::readName()
{
    flush();
    std::optional<NameLine> line = noteEnd(readNameLine(in_));
    if (!line) {
        return std::nullopt;
    }
    return std::move(line->name);
}

bool Console::inputEnded() const
{
    return inputEnded_;
}

void Console::pauseScreen()
{
    write(pausePrompt);
    flush();
    if (screen_.waitForKey) {
        screen_.waitForKey();
    }
    endLine();
}

void Console::clearScreen()
{
    if (screen_.clear) {
        flush();
        screen_.clear(out_);
    } else {
        write(pageBreak);
    }
    flush();
    startRow();
}
