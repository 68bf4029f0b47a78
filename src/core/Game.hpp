#pragma once

// The operations that one part of the game calls in another.

class Character;
class Console;

// Start-up: continue the saved game or start a new one, then the main menu. Returns the
// process exit status.
int runGame(Console& console);

// The main menu, shown again after every training and save until the game ends.
void runMainMenu(Character& character, Console& console);

// A new game: the introduction, then the class choice.
void playIntroduction(Character& character, Console& console);
void chooseClass(Character& character, Console& console);

void runTrainingMenu(Character& character, Console& console);

// The save file in the working folder.
bool hasSavedGame();
void saveGame(Character& character, Console& console);
void loadGame(Character& character);
