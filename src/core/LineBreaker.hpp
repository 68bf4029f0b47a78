#pragma once

#include "platform/ScreenControl.hpp"

#include <string>
#include <string_view>

// Lays the game's text out on rows of a screen's width: a line is broken at the last space that
// fits, so no word is cut by the screen's edge, and the space is not shown at the start of the
// next row. A word longer than a row is cut at the width. Widths are counted in character cells
// (a wide East Asian character takes two, a combining mark none). The column carries across
// texts, so a line written in pieces is laid out as one; a row is never filled past the width,
// so the terminal never wraps by itself.
class LineBreaker {
public:
    explicit LineBreaker(RowBreaks breaks = {});

    // What to write for `text` on rows `width` cells wide. The last word, and the spaces before
    // it, wait until what follows shows whether the word fits; flush() gives them out.
    std::string layOut(std::string_view text, int width);

    // Whatever waits, before the game waits for the player or clears the screen. Spaces that end
    // a prompt are kept as far as the row has room for them.
    std::string flush(int width);

    // The cursor is back at the start of a row: the player pressed Enter, or the screen was cleared.
    void startRow();

    // The terminal showed what the player typed, which moved the cursor on as text would,
    // wrapping at the screen's edge; a control character shows in `controlCells` cells.
    void followEcho(std::string_view echoed, int width, int controlCells);

private:
    void add(std::string_view character, int width);
    void endLine(int width);
    void placeWord(int width);
    void cutWord(int width);
    void giveOutSpaces(int room);
    int spaceCells() const;
    bool fits(int width) const;

    RowBreaks breaks_;
    std::string out_;
    int column_ = 0;
    std::string spaces_;
    std::string word_;
    int wordCells_ = 0;
};
