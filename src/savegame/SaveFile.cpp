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

// White space but the line feed, which ends the number's line.
bool isBlank(int byte)
{
    return byte != '\n' && isWhiteSpaceByte(byte);
}

// Reads one line after another and stops storing after the read that reached the end of the file.
// It also notes, for a file the player hands over, the first line that is not as the game writes
// it; start-up's load takes whatever it can read.
class LineReader {
public:
    explicit LineReader(std::istream& in)
        : in_(in)
    {
    }

    // Leading blanks, a sign, then digits, as atoi reads them; stops at the 32-bit limits. As the
    // game writes it: an optional minus, digits within the limits with no leading zero (nor a "-0"),
    // and nothing else on the line.
    void readNumber(std::int32_t& field)
    {
        if (!startLine()) {
            return;
        }
        bool written = !isBlank(in_.peek()) && in_.peek() != '+';
        while (isBlank(in_.peek())) {
            in_.get();
        }
        const bool negative = in_.peek() == '-';
        if (negative || in_.peek() == '+') {
            in_.get();
        }
        written = written && isDigit(in_.peek());
        const bool leadingZero = in_.peek() == '0';
        int digits = 0;
        // Past this the value is clamped anyway, so further digits need not grow it.
        constexpr std::int64_t beyondRange = std::int64_t{1} << 32;
        std::int64_t magnitude = 0;
        while (isDigit(in_.peek())) {
            magnitude = std::min(magnitude * 10 + (in_.get() - '0'), beyondRange);
            ++digits;
        }
        const std::int64_t value = negative ? -magnitude : magnitude;
        field = clampToInt32(value);
        written = endLine() && written;
        if (!written) {
            note("в строке " + std::to_string(line_) + " не число");
        } else if (leadingZero && (negative || digits > 1)) {
            note("в строке " + std::to_string(line_) + " число записано не так, как его пишет игра");
        } else if (field != value) {
            note("в строке " + std::to_string(line_) + " число вне допустимых пределов");
        }
    }

    // A flag is a number the game writes as 0 or 1.
    void readFlag(bool& flag)
    {
        std::int32_t value = 0;
        readNumber(value);
        flag = value != 0;
        if (value != 0 && value != 1) {
            note("в строке " + std::to_string(line_) + " не 0 и не 1");
        }
    }

    // The same rules as a typed name.
    void readName(std::string& field)
    {
        if (!startLine()) {
            return;
        }
        std::optional<NameLine> line = readNameLine(in_);
        field = line ? std::move(line->name) : std::string();
        ended_ = !line || line->reachedEnd;
        if (line && line->shortened) {
            note("в имени больше " + std::to_string(maxNameCharacters) + " знаков");
        }
    }

    // Why the lines read so far, and what follows them, are not as the game writes them; empty when
    // they are.
    std::string fault()
    {
        if (!ended_ && in_.peek() != std::char_traits<char>::eof()) {
            note("в файле больше " + std::to_string(line_) + " строк");
        }
        return fault_;
    }

private:
    // False once a read has reached the end of the file: nothing more is stored.
    bool startLine()
    {
        if (ended_) {
            note("файл обрывается после строки " + std::to_string(line_));
            return false;
        }
        if (in_.peek() == std::char_traits<char>::eof()) {
            note("файл обрывается после строки " + std::to_string(line_));
        }
        ++line_;
        return true;
    }

    // Takes the rest of the line; true when nothing but its line break was left.
    bool endLine()
    {
        const std::optional<std::string> next = readUtf8Character(in_);
        if (!next || *next == "\n") {
            ended_ = !next;
            return true;
        }
        ended_ = skipRestOfLine(in_);
        return false;
    }

    void note(std::string why)
    {
        if (fault_.empty()) {
            fault_ = std::move(why);
        }
    }

    std::istream& in_;
    bool ended_ = false;
    int line_ = 0;
    std::string fault_;
};

// Exactly one flag: one of the two lines set names a rogue or a warrior; both set is how a mage
// is marked, and both clear is how a mage is written.
void setClassFromFlags(Character& character, bool rogueFlag, bool warriorFlag)
{
    character.isRogue = rogueFlag && !warriorFlag;
    character.isWarrior = warriorFlag && !rogueFlag;
    character.isMage = rogueFlag == warriorFlag;
}

// Loads the text into the character; returns why the game could not have written it, or nothing.
std::string readSaveText(std::string decoded, Character& character)
{
    std::istringstream text(std::move(decoded));
    LineReader reader(text);
    for (const auto field : numberLines) {
        reader.readNumber(character.*field);
    }
    reader.readName(character.name);
    bool rogueFlag = false;
    bool warriorFlag = false;
    reader.readFlag(rogueFlag);
    reader.readFlag(warriorFlag);
    setClassFromFlags(character, rogueFlag, warriorFlag);
    return reader.fault();
}

// The game writes no control character but its line ends, in a name or anywhere else.
bool holdsControlCharacter(const std::string& text)
{
    std::istringstream in(text);
    for (std::optional<std::string> character = readUtf8Character(in); character; character = readUtf8Character(in)) {
        if (*character != "\n" && isControlCharacter(*character)) {
            return true;
        }
    }
    return false;
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

std::string whyNotWrittenByGame(std::string bytes)
{
    std::string text = decodeText(std::move(bytes));
    if (text.empty()) {
        return "в файле нет текста";
    }
    if (holdsControlCharacter(text)) {
        return "в файле есть управляющие символы";
    }
    Character scratch;
    return readSaveText(std::move(text), scratch);
}

SavedGame loadGame(Character& character, std::ostream& errors)
{
    return loadSaveFile(readWholeFile(saveFileName), character, errors);
}
