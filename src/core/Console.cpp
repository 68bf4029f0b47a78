#include "core/Console.hpp"

#include "core/Utf8Input.hpp"

#include <cerrno>
#include <cstring>
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
    : out_(out)
    , screen_(std::move(screen))
    , breaker_(screen_.rowBreaks)
    , typed_(in.rdbuf(), [this](std::string_view echoed) { followEcho(echoed); })
    , in_(&typed_)
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

// A write that failed is noted once, with the system's reason while errno still holds it.
void Console::flush()
{
    const int columns = width();
    out_ << breaker_.flush(columns > 0 ? columns : std::numeric_limits<int>::max());
    out_.flush();
    if (!out_ && !outputFailure_) {
        outputFailure_ = std::strerror(errno != 0 ? errno : EIO);
    }
}

void Console::writeError(std::ostream& errors, std::string_view text)
{
    flush();
    const int columns = width();
    if (columns > 0) {
        errors << breaker_.layOut(text, columns) << breaker_.flush(columns);
    } else {
        errors << text;
    }
    errors.flush();
}

void Console::startRow()
{
    breaker_.startRow();
}

bool Console::readyToRead()
{
    flush();
    if (outputFailure_) {
        inputEnded_ = true;
    }
    return !outputFailure_;
}

// A terminal echoes each line as the player types it: Enter puts the cursor at the start of a
// row, and input that ended in mid-line (Ctrl-D after a few letters) leaves it after all that was
// typed, blanks and control characters included, whatever the game keeps of it.
void Console::followEcho(std::string_view echoed)
{
    const int columns = width();
    if (screen_.inputEchoed && columns > 0) {
        breaker_.followEcho(echoed, columns, screen_.controlEchoCells);
    }
}

template <typename T>
std::optional<T> Console::noteEnd(std::optional<T> result)
{
    if (!result) {
        inputEnded_ = true;
    }
    return result;
}

std::optional<std::string> Console::readCharacterAfterWhiteSpace()
{
    if (!readyToRead()) {
        return std::nullopt;
    }
    skipWhiteSpace(in_);
    return noteEnd(readUtf8Character(in_));
}

std::optional<std::string> Console::readCharacterAsIs()
{
    if (!readyToRead()) {
        return std::nullopt;
    }
    return noteEnd(readUtf8Character(in_));
}

std::optional<std::string> Console::readName()
{
    if (!readyToRead()) {
        return std::nullopt;
    }
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

std::optional<std::string> Console::outputFailure() const
{
    return outputFailure_;
}

void Console::pauseScreen()
{
    write(pausePrompt);
    flush();
    if (screen_.waitForKey && !outputFailure_) {
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
