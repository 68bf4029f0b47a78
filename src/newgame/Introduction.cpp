#include "core/Character.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"

#include <fstream>
#include <string>

namespace {

// A carriage return at a line's end would send the cursor back over the text just written.
void dropTrailingCarriageReturn(std::string& line)
{
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
}

// The story's lines are joined with nothing between them; a missing file writes nothing.
void writeIntroductionText(Console& console)
{
    std::ifstream fin("Intro.txt", std::ios::binary);
    std::string out_s;
    while (std::getline(fin, out_s)) {
        dropTrailingCarriageReturn(out_s);
        console.write(out_s);
    }
}

} // namespace

void playIntroduction(Character& character, Console& console)
{
    writeIntroductionText(console);
    console.endLine();
    console.endLine();
    chooseClass(character, console);
}
