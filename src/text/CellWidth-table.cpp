#include "text/CellWidth.hpp"

// Windows and the page have no C library that knows the widths in UTF-8.
int cellWidth(char32_t codePoint)
{
    return cellWidthFromTable(codePoint);
}
