#pragma once

#include "core/Game.hpp"
#include "platform/WholeFile.hpp"

#include <iosfwd>
#include <string>

class Character;

// The save file's twelve lines: nine numbers, the name, the rogue flag and the warrior flag.
std::string formatSaveFile(const Character& character);

// What start-up makes of the save file as it was read: its bytes, in any encoding the game
// decodes, loaded into the character as far as the file goes (fields of lines it never reaches
// keep their values, and the class comes out as exactly one flag); no saved game when it is
// absent or holds no text; or, when it could not be read, the reason as one line on `errors`.
// loadGame is this on the file in the working folder; tests and fuzzers hand it bytes.
SavedGame loadSaveFile(WholeFile file, Character& character, std::ostream& errors);
