#pragma once

#include <functional>

// The width, in character cells, of the screen that shows standard output, for the console to
// break its lines at. Empty when standard output is no screen (a file, a pipe), so those get the
// game's bytes as they are.
std::function<int()> terminalColumns();
