#pragma once

#include <memory>
#include <streambuf>
#include <windows.h>

// Windows only: the console's own stream buffers that openTerminal gives the game, so that a test
// can fill a console's input with key events and read back what reached its screen.

// Lines typed at the console, as UTF-8 ending in a line feed; a line starting with Ctrl+Z ends them.
std::unique_ptr<std::streambuf> consoleInputBuffer(HANDLE console);

// UTF-8 written as UTF-16 to the console, whole characters at a time.
std::unique_ptr<std::streambuf> consoleOutputBuffer(HANDLE console);
