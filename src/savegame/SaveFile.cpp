#include "savegame/SaveFile.hpp"

#include "core/Character.hpp"
#include "core/ClampedMath.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"
#include "core/TextDecoding.hpp"
#include "core/Utf8Input.hpp"
#include "platform/DurableFile.hpp"
#include "platform/WholeFile.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr const char* saveFileName = "chartype1.txt";

// Lines 1 to 9, in file order.
constexpr std::array<std::int32_t Character::*, 9> numberLines{&Character::health, &Character::attack, &Character::exp,
    &Character::mana, &Character::coins, &Character::strength, &Character::maxHealth, &Character::maxStrength,
    &Character::maxMana};

bool isDigit(int byte)
{
    return byte >= '0' && byte <= '9';
}

bool isBlank(int byte)
{
    return byte == ' ' || byte == '\t' || byte == '\v' || byte == '\f' || byte == '\r';
}

// Reads one line after another and stops storing after the read that reached the end of the file.
class LineReader {
public:
    explicit LineReader(std::istream& in)
        : in_(in)
    {
    }

    // Leading blanks, a sign, then digits, as atoi reads them; stops at the 32-bit limits.
    void readNumber(std::int32_t& field)
    {
        if (ended_) {
            return;
        }
        while (isBlank(in_.peek())) {
            in_.get();
        }
        const bool negative = in_.peek() == '-';
        if (negative || in_.peek() == '+') {
            in_.get();
        }
        // Past this the value is clamped anyway, so further digits need not grow it.
        constexpr std::int64_t beyondRange = std::int64_t{1} << 32;
        std::int64_t magnitude = 0;
        while (isDigit(in_.peek())) {
            magnitude = std::min(magnitude * 10 + (in_.get() - '0'), beyondRange);
        }
        field = clampToInt32(negative ? -magnitude : magnitude);
        ended_ = skipRestOfLine(in_);
    }

    // The same rules as a typed name.
    void readName(std::string& field)
    {
        if (ended_) {
            return;
        }
        std::optional<NameLine> line = readNameLine(in_);
        field = line ? std::move(line->name) : std::string();
        ended_ = !line || line->reachedEnd;
    }

private:
    std::istream& in_;
    bool ended_ = false;
};

// Exactly one flag: one of the two lines set names a rogue or a warrior; both set is how a mage
// is marked, and both clear is how a mage is written.
void setClassFromFlags(Character& character, bool rogueFlag, bool warriorFlag)
{
    character.isRogue = rogueFlag && !warriorFlag;
    character.isWarrior = warriorFlag && !rogueFlag;
    character.isMage = rogueFlag == warriorFlag;
}

void readSaveText(std::string decoded, Character& character)
{
    std::istringstream text(std::move(decoded));
    LineReader reader(text);
    for (const auto field : numberLines) {
        reader.readNumber(character.*field);
    }
    reader.readName(character.name);
    std::int32_t rogueFlag = 0;
    std::int32_t warriorFlag = 0;
    reader.readNumber(rogueFlag);
    reader.readNumber(warriorFlag);
    setClassFromFlags(character, rogueFlag != 0, warriorFlag != 0);
}

} // namespace

std::string formatSaveFile(const Character& character)
{
    std::string content;
    for (const auto field : numberLines) {
        content += std::to_string(character.*field);
        content += '\n';
    }
    content += character.name;
    content += '\n';
    content += character.isRogue ? "1\n" : "0\n";
    content += character.isWarrior ? "1\n" : "0\n";
    return content;
}

void saveGame(Character& character, Console& console)
{
    if (!replaceFileDurably(saveFileName, formatSaveFile(character))) {
        console.write("Не удалось сохранить игру");
        console.endLine();
    }
}

SavedGame loadSaveFile(WholeFile file, Character& character, std::ostream& errors)
{
    if (file.outcome == WholeFile::Outcome::failed) {
        errors << "Не удалось прочитать сохранённую игру " << saveFileName << ": " << file.reason << std::endl;
        return SavedGame::unreadable;
    }
    // A file of nothing but a byte-order mark holds no more of a game than an empty one.
    std::string text = decodeText(std::move(file.bytes));
    if (text.empty()) {
        return SavedGame::none;
    }
    readSaveText(std::move(text), character);
    return SavedGame::loaded;
}

SavedGame loadGame(Character& character, std::ostream& errors)
{
    return loadSaveFile(readWholeFile(saveFileName), character, errors);
}
