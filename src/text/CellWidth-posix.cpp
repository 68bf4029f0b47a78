#include "text/CellWidth.hpp"

#include <clocale>
#include <locale.h>
#include <wchar.h>

// Linux asks its own C library, as the terminals beside it do, so a newer Unicode's widths come
// with the system. The UTF-8 locale is this thread's alone while it answers: the game's own text
// handling never depends on the player's locale.
int cellWidth(char32_t codePoint)
{
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (utf8 == nullptr) {
        return cellWidthFromTable(codePoint);
    }
    const locale_t previous = ::uselocale(utf8);
    const int width = ::wcwidth(static_cast<wchar_t>(codePoint));
    ::uselocale(previous);
    return width >= 0 ? width : cellWidthFromTable(codePoint);
}
