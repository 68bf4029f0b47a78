#pragma once

#include <string_view>

// Home, erase the screen, erase the scrollback: how a clear reaches a terminal that reads escape
// codes, on Linux and in the browser's terminal alike.
inline constexpr std::string_view terminalClear = "\x1b[H\x1b[2J\x1b[3J";
