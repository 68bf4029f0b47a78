#include "text/Utf16.hpp"

#include "text/Utf8.hpp"

#include <cstddef>

namespace {

constexpr char32_t firstHighSurrogate = 0xD800;
constexpr char32_t firstLowSurrogate = 0xDC00;
constexpr char32_t firstSupplementary = 0x10000;

void appendUtf16(std::u16string& units, char32_t codePoint)
{
    if (codePoint < firstSupplementary) {
        units += static_cast<char16_t>(codePoint);
        return;
    }
    const char32_t offset = codePoint - firstSupplementary;
    units += static_cast<char16_t>(firstHighSurrogate + (offset >> 10U));
    units += static_cast<char16_t>(firstLowSurrogate + (offset & 0x3FFU));
}

} // namespace

bool isHighSurrogate(char32_t unit)
{
    return unit >= firstHighSurrogate && unit < firstLowSurrogate;
}

bool isLowSurrogate(char32_t unit)
{
    return unit >= firstLowSurrogate && unit <= 0xDFFF;
}

char32_t combineSurrogates(char32_t high, char32_t low)
{
    return firstSupplementary + ((high - firstHighSurrogate) << 10U) + (low - firstLowSurrogate);
}

std::string utf16ToUtf8(std::u16string_view units)
{
    std::string text;
    text.reserve(units.size() * 3 / 2);
    for (std::size_t at = 0; at < units.size(); ++at) {
        const char32_t unit = units[at];
        if (isHighSurrogate(unit) && at + 1 < units.size() && isLowSurrogate(units[at + 1])) {
            appendUtf8(text, combineSurrogates(unit, units[++at]));
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendUtf8(text, replacementCodePoint);
        } else {
            appendUtf8(text, unit);
        }
    }
    return text;
}

std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string units;
    units.reserve(text.size());
    while (!text.empty()) {
        const DecodedCharacter character = decodeFirst(text);
        appendUtf16(units, character.codePoint);
        text.remove_prefix(character.length);
    }
    return units;
}
