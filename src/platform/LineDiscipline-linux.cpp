#include "platform/LineDiscipline-linux.hpp"

#include "text/Utf8.hpp"

#include <csignal>
#include <utility>

namespace {

// The kernel's own idea of a letter, not the locale's: in its table the bytes from 0xC0 up are
// Latin-1 letters, so a word of UTF-8 Cyrillic is one word to Ctrl-W.
bool isWordByte(unsigned char byte)
{
    const bool ascii = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
    return ascii || byte == '_' || (byte >= 0xC0 && byte != 0xD7 && byte != 0xF7);
}

constexpr int tabStop = 8;

} // namespace

LineDiscipline::LineDiscipline(LineEditing editing)
    : editing_(editing)
{
}

bool LineDiscipline::isExtendedKey(unsigned char byte, unsigned char key) const
{
    return editing_.extendedKeys && key != 0 && byte == key;
}

int LineDiscipline::signalOf(unsigned char byte) const
{
    if (!editing_.signals || byte == 0) {
        return 0;
    }
    return byte == editing_.interrupt ? SIGINT
        : byte == editing_.quit       ? SIGQUIT
        : byte == editing_.suspend    ? SIGTSTP
                                      : 0;
}

bool LineDiscipline::isLineEnd(unsigned char byte) const
{
    return byte == '\n' || (editing_.endOfLine != 0 && byte == editing_.endOfLine)
        || isExtendedKey(byte, editing_.endOfLine2);
}

void LineDiscipline::receive(unsigned char byte, bool shown)
{
    if (line_.empty()) {
        lineColumn_ = column_;
    }
    if (shown) {
        // The kernel marks where Ctrl-D handed over a line with a zero byte.
        if (byte == 0) {
            endPiece(line_.empty());
            return;
        }
        line_ += static_cast<char>(byte);
        if (isLineEnd(byte)) {
            endPiece(false);
        }
    } else if (literalNext_) {
        literalNext_ = false;
        line_ += static_cast<char>(byte);
        echoCharacter(byte);
    } else if (const int signal = signalOf(byte); signal != 0) {
        if (editing_.discardAtSignal) {
            discard();
        }
        echoCharacter(byte);
        signal_ = signal;
    } else if (byte == editing_.erase || byte == editing_.kill || isExtendedKey(byte, editing_.wordErase)) {
        erase(byte);
    } else if (isExtendedKey(byte, editing_.literalNext)) {
        literalNext_ = true;
        if (editing_.controlsShownAsCaret) {
            echo("^\b");
        }
    } else if (isExtendedKey(byte, editing_.reprint)) {
        echoCharacter(byte);
        echo("\n");
        echoLine();
    } else if (byte == editing_.endOfInput) {
        endPiece(line_.empty());
    } else {
        line_ += static_cast<char>(byte);
        if (byte == '\n') {
            echo("\n");
        } else {
            echoCharacter(byte);
        }
        if (isLineEnd(byte)) {
            endPiece(false);
        }
    }
}

void LineDiscipline::endPiece(bool endOfInput)
{
    pieces_.push_back({std::exchange(line_, {}), endOfInput});
}

// Backspace takes one character, Ctrl-W the blanks before a word and the word, Ctrl-U the line;
// each erased character is wiped with "\b \b", one cell whatever its width, twice for a control
// character shown as ^X.
void LineDiscipline::erase(unsigned char key)
{
    if (line_.empty()) {
        return;
    }
    const bool oneCharacter = key == editing_.erase;
    const bool word = !oneCharacter && isExtendedKey(key, editing_.wordErase);
    if (!oneCharacter && !word && !editing_.killErasesOnScreen) {
        line_.clear();
        echoCharacter(key);
        if (editing_.killEndsRow) {
            echo("\n");
        }
        return;
    }
    bool seenWord = false;
    while (!line_.empty()) {
        std::size_t start = line_.size() - 1;
        while (editing_.utf8 && start > 0 && isContinuationByte(static_cast<unsigned char>(line_[start]))) {
            --start;
        }
        const auto first = static_cast<unsigned char>(line_[start]);
        if (editing_.utf8 && isContinuationByte(first)) {
            return;
        }
        if (word) {
            if (isWordByte(first)) {
                seenWord = true;
            } else if (seenWord) {
                return;
            }
        }
        line_.erase(start);
        if (first == '\t') {
            eraseTab();
        } else if (!isAsciiControlByte(first)) {
            echo("\b \b");
        } else if (editing_.controlsShownAsCaret) {
            echo("\b \b\b \b");
        }
        if (oneCharacter) {
            return;
        }
    }
}

// Back to the tab's stop: counted from the tab before it, or else from where the line began.
void LineDiscipline::eraseTab()
{
    int cells = 0;
    std::size_t at = line_.size();
    for (; at > 0 && line_[at - 1] != '\t'; --at) {
        const auto before = static_cast<unsigned char>(line_[at - 1]);
        cells += isAsciiControlByte(before) ? (editing_.controlsShownAsCaret ? 2 : 0)
                                            : (editing_.utf8 && isContinuationByte(before) ? 0 : 1);
    }
    if (at == 0) {
        cells += lineColumn_;
    }
    echo(std::string(static_cast<std::size_t>(tabStop - cells % tabStop), '\b'));
}

void LineDiscipline::echoCharacter(unsigned char byte)
{
    if (editing_.controlsShownAsCaret && isAsciiControlByte(byte) && byte != '\t') {
        const char caret[] = {'^', static_cast<char>(byte ^ 0x40)};
        echo(std::string_view(caret, 2));
    } else {
        const char character = static_cast<char>(byte);
        echo(std::string_view(&character, 1));
    }
}

// As the kernel moves its column with what it writes.
void LineDiscipline::echo(std::string_view bytes)
{
    for (const char each : bytes) {
        const auto byte = static_cast<unsigned char>(each);
        if (byte == '\n' || byte == '\r') {
            column_ = 0;
        } else if (byte == '\b') {
            column_ -= column_ > 0 ? 1 : 0;
        } else if (byte == '\t') {
            column_ = (column_ | (tabStop - 1)) + 1;
        } else if (!isAsciiControlByte(byte) && !(editing_.utf8 && isContinuationByte(byte))) {
            ++column_;
        }
    }
    echo_ += bytes;
}

void LineDiscipline::echoLine()
{
    for (const char typed : line_) {
        echoCharacter(static_cast<unsigned char>(typed));
    }
}

// On a row of its own: what the cursor was left after is not known.
void LineDiscipline::showLineAgain()
{
    echo("\n");
    lineColumn_ = 0;
    echoLine();
}

std::string LineDiscipline::takeEcho()
{
    return std::exchange(echo_, {});
}

bool LineDiscipline::hasSignal() const
{
    return signal_ != 0;
}

int LineDiscipline::takeSignal()
{
    return std::exchange(signal_, 0);
}

void LineDiscipline::echoFromRowStart()
{
    column_ = 0;
}

bool LineDiscipline::hasPiece() const
{
    return !pieces_.empty();
}

bool LineDiscipline::typing() const
{
    return !line_.empty() || literalNext_;
}

void LineDiscipline::discard()
{
    pieces_.clear();
    line_.clear();
    literalNext_ = false;
}

std::string LineDiscipline::takePiece(bool& endOfInput)
{
    Piece piece = std::move(pieces_.front());
    pieces_.pop_front();
    endOfInput = piece.endOfInput;
    return std::move(piece.text);
}

unsigned char LineDiscipline::takeByte()
{
    std::string& text = pieces_.empty() ? line_ : pieces_.front().text;
    if (text.empty()) {
        if (!pieces_.empty()) {
            pieces_.pop_front();
        }
        return editing_.endOfInput;
    }
    const auto byte = static_cast<unsigned char>(text.front());
    text.erase(0, 1);
    if (text.empty() && !pieces_.empty() && &text == &pieces_.front().text) {
        pieces_.pop_front();
    }
    return byte;
}
