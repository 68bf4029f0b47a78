// The save file's reader on arbitrary content. Whatever a file holds, the character it loads
// must save and load again unchanged, have exactly one class and a name that is safe to show.
// The text it is decoded to is always UTF-8, and UTF-8 without a byte-order mark is kept as it is.

#include "core/Character.hpp"
#include "core/TextDecoding.hpp"
#include "savegame/SaveFile.hpp"
#include "text/Utf8.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(const std::string& message, std::string_view content)
{
    (void)std::fprintf(stderr, "fuzz_save_file: %s\n--- content (%zu bytes) ---\n", message.c_str(), content.size());
    (void)std::fwrite(content.data(), 1, content.size(), stderr);
    (void)std::fprintf(stderr, "\n---\n");
    std::abort();
}

Character load(std::string_view content, Character character = {})
{
    std::ostringstream errors;
    loadSaveFile(WholeFile{WholeFile::Outcome::read, std::string(content), {}}, character, errors);
    return character;
}

// The numbers in file order, so a field is named by its line.
std::array<std::int32_t, 9> numbersByLine(const Character& c)
{
    return {c.health, c.attack, c.exp, c.mana, c.coins, c.strength, c.maxHealth, c.maxStrength, c.maxMana};
}

bool sameCharacter(const Character& a, const Character& b)
{
    return numbersByLine(a) == numbersByLine(b) && a.name == b.name && a.isRogue == b.isRogue && a.isMage == b.isMage
        && a.isWarrior == b.isWarrior;
}

// Characters in well-formed UTF-8, counted independently of the game's own reader: every byte
// but a continuation byte (80 to BF) starts one.
std::size_t countCharacters(std::string_view text)
{
    std::size_t count = 0;
    for (const char byte : text) {
        const auto value = static_cast<unsigned char>(byte);
        count += value < 0x80 || value > 0xBF ? 1 : 0;
    }
    return count;
}

void checkLoaded(const Character& character, std::string_view which, std::string_view content)
{
    const int classes = static_cast<int>(character.isRogue) + static_cast<int>(character.isMage)
        + static_cast<int>(character.isWarrior);
    if (classes != 1) {
        fail(std::string(which) + " has " + std::to_string(classes) + " classes instead of one", content);
    }
    for (const char byte : character.name) {
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x20 || value == 0x7F) {
            fail(std::string(which) + " has control byte " + std::to_string(value) + " in its name", content);
        }
    }
    if (!isWellFormedUtf8(character.name)) {
        fail(std::string(which) + " has a name that is not UTF-8", content);
    }
    const std::size_t characters = countCharacters(character.name);
    if (characters > 11) {
        fail(std::string(which) + " has a name of " + std::to_string(characters) + " characters", content);
    }
}

std::size_t countLineBreaks(std::string_view content)
{
    std::size_t count = 0;
    for (const char byte : content) {
        count += byte == '\n' ? 1 : 0;
    }
    return count;
}

// A short file fills only the fields of the lines it reaches and leaves the rest alone: line k
// is reached once k - 1 line breaks of the decoded text precede it. The class is always decided.
void checkPartialLoad(std::string_view content, std::string_view text, const Character& fresh)
{
    Character before;
    before.name = "Старый";
    before.isWarrior = true;
    before.health = 11;
    before.attack = 12;
    before.exp = 13;
    before.mana = 14;
    before.coins = 15;
    before.strength = 16;
    before.maxHealth = 17;
    before.maxStrength = 18;
    before.maxMana = 19;
    const Character after = load(content, before);

    const std::size_t breaks = countLineBreaks(text);
    const auto untouched = numbersByLine(before);
    const auto loaded = numbersByLine(fresh);
    const auto got = numbersByLine(after);
    for (std::size_t line = 1; line <= loaded.size(); ++line) {
        const std::int32_t expected = breaks >= line - 1 ? loaded[line - 1] : untouched[line - 1];
        if (got[line - 1] != expected) {
            fail("loading over an old character gives " + std::to_string(got[line - 1]) + " on line "
                    + std::to_string(line) + " instead of " + std::to_string(expected),
                content);
        }
    }
    const std::string& expectedName = breaks >= 9 ? fresh.name : before.name;
    if (after.name != expectedName) {
        fail("loading over an old character gives the name '" + after.name + "' instead of '" + expectedName + "'",
            content);
    }
    if (after.isRogue != fresh.isRogue || after.isMage != fresh.isMage || after.isWarrior != fresh.isWarrior) {
        fail("loading over an old character keeps part of its old class", content);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view content(reinterpret_cast<const char*>(data), size);

    const std::string text = decodeText(std::string(content));
    if (!isWellFormedUtf8(text)) {
        fail("the decoded text is not UTF-8", content);
    }
    if (isWellFormedUtf8(content) && !content.starts_with("\xEF\xBB\xBF") && text != content) {
        fail("UTF-8 without a byte-order mark changed on decoding", content);
    }

    // Nothing, or nothing but a byte-order mark: no saved game, and nothing is loaded.
    if (text.empty()) {
        std::ostringstream errors;
        Character untouched;
        if (loadSaveFile(WholeFile{WholeFile::Outcome::read, std::string(content), {}}, untouched, errors)
            != SavedGame::none) {
            fail("a file with no text was taken for a saved game", content);
        }
        return 0;
    }

    const Character first = load(content);
    checkLoaded(first, "the loaded character", content);

    const std::string firstText = formatSaveFile(first);
    if (countLineBreaks(firstText) != 12 || firstText.back() != '\n') {
        fail("the written save is not twelve lines:\n" + firstText, content);
    }

    // The page must take back any save the game writes.
    if (const std::string why = whyNotWrittenByGame(firstText); !why.empty()) {
        fail("the game's own save is turned away: " + why + "\n" + firstText, content);
    }

    const Character second = load(firstText);
    checkLoaded(second, "the reloaded character", content);
    if (!sameCharacter(first, second)) {
        fail("the character changed on saving and loading again; written as:\n" + firstText + "\nwritten again as:\n"
                + formatSaveFile(second),
            content);
    }
    if (formatSaveFile(second) != firstText) {
        fail("saving the reloaded character gives different text:\n" + firstText + "\nthen:\n" + formatSaveFile(second),
            content);
    }

    checkPartialLoad(content, text, first);
    return 0;
}
