#include "platform/TerminalWidth.hpp"

#include <emscripten.h>

namespace {

// clang-format off

// The page's console has columns() when it shows a real terminal: the terminal's width now.
EM_JS(int, pageColumns, (), {
    return typeof Module.rpgConsole.columns === "function" ? Module.rpgConsole.columns() : 0;
});

// clang-format on

} // namespace

std::function<int()> terminalColumns()
{
    if (pageColumns() <= 0) {
        return {};
    }
    return [] { return pageColumns(); };
}
