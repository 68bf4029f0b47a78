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

// Why the game cannot have written `bytes` as its save, in the player's words, or nothing when it
// could have: in any encoding the game decodes and with either line end, exactly its twelve lines,
// numbers within the 32-bit limits, flags of 0 or 1, and a name it would keep whole. The page asks
// this of a file the player loads; start-up's loadSaveFile takes more, as players edit their saves.
std::string whyNotWrittenByGame(std::string bytes);
