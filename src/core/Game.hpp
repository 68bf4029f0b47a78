#pragma once

// The operations that one part of the game calls in another.

#include <iosfwd>

class Character;
class Console;

// Start-up: continue the saved game or start a new one, then the main menu. Returns the
// process exit status. A save that cannot be read is reported on `errors`, and nothing is played.
int runGame(Console& console, std::ostream& errors);

// The main menu, shown again after every training and save until the game ends.
void runMainMenu(Character& character, Console& console);

// A new game: the introduction, then the class choice.
void playIntroduction(Character& character, Console& console);
void chooseClass(Character& character, Console& console);

void runTrainingMenu(Character& character, Console& console);

// The save file in the working folder.
void saveGame(Character& character, Console& console);

// What start-up found in the save file: a saved game, now loaded; none; or a file that is there
// but could not be read.
enum class SavedGame { loaded, none, unreadable };

// Reads the save file once, as a whole, and loads a saved game from it into the character. There
// is none when the file is missing, is not a regular file or holds no text. A file that cannot be
// read is not taken for none, since a new game would then be saved over it: the reason goes to
// `errors`, as one line.
SavedGame loadGame(Character& character, std::ostream& errors);
