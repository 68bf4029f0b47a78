#pragma once

// The only place that knows about the real terminal.

// True when the file descriptor is a terminal rather than a file or a pipe.
bool isTerminal(int fd);

// Reads one key straight from the terminal on standard input, with no echo and no Enter,
// and puts the terminal back as it was before returning.
void waitForKeyFromTerminal();

// On Ctrl-C, Ctrl-\, a hang-up or a kill while a key is awaited, the terminal gets its echo and
// line mode back before the signal takes its usual course; Ctrl-Z likewise before stopping.
void restoreTerminalOnSignals();

// A file-size limit makes a save fail and say so, instead of killing the game mid-write.
void ignoreFileSizeSignal();
