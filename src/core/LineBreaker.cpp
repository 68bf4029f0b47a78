#include "core/LineBreaker.hpp"

#include "text/CellWidth.hpp"
#include "text/Utf8.hpp"

#include <utility>

namespace {

constexpr int tabStop = 8;

// One character as it goes to the screen; a stray byte shows as the replacement character.
std::size_t characterLength(std::string_view text)
{
    return decodeFirst(text).length;
}

int cellsOf(std::string_view character)
{
    return cellWidth(decodeFirst(character).codePoint);
}

bool isSpace(std::string_view character)
{
    return character == " " || character == "\t";
}

int spaceWidth(char space, int column)
{
    return space == '\t' ? tabStop - column % tabStop : 1;
}

} // namespace

LineBreaker::LineBreaker(RowBreaks breaks)
    : breaks_(breaks)
{
}

std::string LineBreaker::layOut(std::string_view text, int width)
{
    while (!text.empty()) {
        const std::size_t length = characterLength(text);
        add(text.substr(0, length), width);
        text.remove_prefix(length);
    }
    return std::exchange(out_, {});
}

std::string LineBreaker::flush(int width)
{
    placeWord(width);
    giveOutSpaces(width - column_);
    return std::exchange(out_, {});
}

void LineBreaker::startRow()
{
    column_ = 0;
}

void LineBreaker::followEcho(std::string_view echoed, int width, int controlCells)
{
    while (!echoed.empty()) {
        const std::string_view character = echoed.substr(0, characterLength(echoed));
        echoed.remove_prefix(character.size());
        if (character == "\n") {
            column_ = 0;
            continue;
        }
        const auto byte = static_cast<unsigned char>(character.front());
        const int cells = isSpace(character) ? spaceWidth(character.front(), column_)
            : isAsciiControlByte(byte)       ? controlCells
                                             : cellsOf(character);
        // A row the echo filled is left for the next one when more follows.
        column_ = column_ + cells > width && column_ > 0 ? cells : column_ + cells;
    }
}

void LineBreaker::add(std::string_view character, int width)
{
    if (character == "\n") {
        endLine(width);
    } else if (isSpace(character)) {
        placeWord(width);
        spaces_ += character;
    } else {
        word_ += character;
        wordCells_ += cellsOf(character);
        while (!fits(width)) {
            cutWord(width);
        }
    }
}

// The game's own line end: trailing spaces stay while the row has room, as on a pipe.
void LineBreaker::endLine(int width)
{
    placeWord(width);
    giveOutSpaces(width - column_);
    out_ += '\n';
    column_ = 0;
}

// The word is known to fit where it stands, spaces before it included.
void LineBreaker::placeWord(int width)
{
    if (word_.empty()) {
        return;
    }
    giveOutSpaces(width - column_);
    out_ += word_;
    column_ += wordCells_;
    word_.clear();
    wordCells_ = 0;
}

// The word does not fit after what the row holds: it goes to the next row, without the spaces
// before it. At the start of a row the spaces before it go, as at any break, so a word that fits
// a row is never cut for them. Only a word longer than a row is cut at the width, though at least
// one character is written, so a screen narrower than a wide character still moves on.
void LineBreaker::cutWord(int width)
{
    if (column_ > 0) {
        out_ += spaces_.empty() ? breaks_.inWord : breaks_.atSpace;
        spaces_.clear();
        column_ = 0;
        return;
    }
    if (!spaces_.empty()) {
        spaces_.clear();
        return;
    }
    std::string_view rest = word_;
    while (!rest.empty()) {
        const std::string_view character = rest.substr(0, characterLength(rest));
        const int cells = cellsOf(character);
        if (column_ + cells > width && column_ > 0) {
            break;
        }
        out_ += character;
        column_ += cells;
        wordCells_ -= cells;
        rest.remove_prefix(character.size());
    }
    word_ = std::string(rest);
    out_ += breaks_.inWord;
    column_ = 0;
}

// Spaces are written as far as `room` cells allow; the rest are dropped with the row's end.
void LineBreaker::giveOutSpaces(int room)
{
    for (const char space : spaces_) {
        const int cells = spaceWidth(space, column_);
        if (cells > room) {
            break;
        }
        out_ += space;
        column_ += cells;
        room -= cells;
    }
    spaces_.clear();
}

int LineBreaker::spaceCells() const
{
    int column = column_;
    for (const char space : spaces_) {
        column += spaceWidth(space, column);
    }
    return column - column_;
}

bool LineBreaker::fits(int width) const
{
    return column_ + spaceCells() + wordCells_ <= width;
}
