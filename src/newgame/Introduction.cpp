#include "core/Character.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"
#include "core/TextDecoding.hpp"
#include "platform/WholeFile.hpp"

#include <sstream>
#include <string>
#include <utility>

namespace {

// A carriage return at a line's end would send the cursor back over the text just written.
void dropTrailingCarriageReturn(std::string& line)
{
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
}

// The story's lines are joined with nothing between them. The game plays on without a story it
// cannot have: a missing file, something that is not a regular file, a file that cannot be read or
// is too large all write nothing.
void writeIntroductionText(Console& console)
{
    WholeFile file = readWholeFile("Intro.txt");
    if (file.outcome != WholeFile::Outcome::read) {
        return;
    }
    std::istringstream fin(decodeText(std::move(file.bytes)));
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
