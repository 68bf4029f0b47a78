#include "core/Console.hpp"

#include "core/Utf8Input.hpp"

#include <istream>
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
{
}

void Console::write(std::string_view text)
{
    out_ << text;
}

void Console::endLine()
{
    out_ << '\n';
    out_.flush();
}

template <typename T>
std::optional<T> Console::noteEnd(std::optional<T> result)
{
    if (!result) {
        inputEnded_ = true;
    }
    return result;
}

std::optional<std::string> Console::readSymbolAfterWhiteSpace()
{
    out_.flush();
    skipWhiteSpace(in_);
    return noteEnd(readUtf8Character(in_));
}

std::optional<std::string> Console::readSymbolAsIs()
{
    out_.flush();
    return noteEnd(readUtf8Character(in_));
}

std::optional<std::string> Console::readName()
{
    out_.flush();
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
    out_ << pausePrompt;
    out_.flush();
    if (screen_.waitForKey) {
        screen_.waitForKey();
    }
    endLine();
}

void Console::clearScreen()
{
    if (screen_.clear) {
        out_.flush();
        screen_.clear(out_);
    } else {
        out_ << pageBreak;
    }
    out_.flush();
}
