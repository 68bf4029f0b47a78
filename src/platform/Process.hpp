#pragma once

// Settles how the process meets its system before the game starts: the signals it ignores, the
// folder it plays in when the system started it on its own.
void prepareProcess();
