#pragma once

#include <istream>
#include <string>

class Character;

// The save file's twelve lines: nine numbers, the name, the rogue flag and the warrior flag.
std::string formatSaveFile(const Character& character);

// Reads the save file's bytes, in any encoding the game decodes, and its lines into the character,
// as far as the file goes: fields of lines it never reaches keep their values. The class comes
// out as exactly one flag.
void readSaveFile(std::istream& fin, Character& character);

// The same, from text already decoded.
void readSaveText(std::string decoded, Character& character);
