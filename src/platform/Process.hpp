#pragma once

// Settles how the process meets its system before the game starts.
void prepareProcess();
