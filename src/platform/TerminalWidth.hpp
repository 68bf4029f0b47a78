#pragma once

#include <functional>

// The width, in character cells, of the screen that shows standard output, for the console to
// break its lines at. Asked only when standard output is a screen: a file or a pipe gets the
// game's bytes as they are. Empty when the screen has no width to tell.
std::function<int()> terminalColumns();
