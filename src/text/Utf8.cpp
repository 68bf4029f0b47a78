#include "text/Utf8.hpp"

#include <array>

namespace {

// The bytes a well-formed sequence may have at one position: the second byte's range depends on
// the lead byte, which is how overlong forms, surrogates and code points past U+10FFFF are kept out.
struct ByteRange {
    unsigned char low;
    unsigned char high;
};

constexpr ByteRange anyContinuation{0x80, 0xBF};

struct SequenceShape {
    std::size_t length;
    ByteRange second;
};

// Zero length: the byte cannot start a sequence.
SequenceShape shapeAfter(unsigned char lead)
{
    if (lead < 0x80) {
        return {1, anyContinuation};
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {2, anyContinuation};
    }
    if (lead == 0xE0) {
        return {3, {0xA0, 0xBF}};
    }
    if (lead == 0xED) {
        return {3, {0x80, 0x9F}};
    }
    if (lead >= 0xE1 && lead <= 0xEF) {
        return {3, anyContinuation};
    }
    if (lead == 0xF0) {
        return {4, {0x90, 0xBF}};
    }
    if (lead >= 0xF1 && lead <= 0xF3) {
        return {4, anyContinuation};
    }
    if (lead == 0xF4) {
        return {4, {0x80, 0x8F}};
    }
    return {0, anyContinuation};
}

bool isWithin(char byte, ByteRange range)
{
    const auto value = static_cast<unsigned char>(byte);
    return value >= range.low && value <= range.high;
}

} // namespace

bool isContinuationByte(unsigned char byte)
{
    return isWithin(static_cast<char>(byte), anyContinuation);
}

bool isAsciiControlByte(unsigned char byte)
{
    return byte < 0x20 || byte == 0x7F;
}

std::size_t announcedLength(unsigned char lead)
{
    if (lead >= 0xC0 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF7) {
        return 4;
    }
    return 1;
}

std::size_t wellFormedSequenceLength(std::string_view text)
{
    if (text.empty()) {
        return 0;
    }
    const SequenceShape shape = shapeAfter(static_cast<unsigned char>(text.front()));
    if (shape.length == 0 || text.size() < shape.length) {
        return 0;
    }
    if (shape.length > 1 && !isWithin(text[1], shape.second)) {
        return 0;
    }
    for (std::size_t at = 2; at < shape.length; ++at) {
        if (!isWithin(text[at], anyContinuation)) {
            return 0;
        }
    }
    return shape.length;
}

bool isWellFormedUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t length = wellFormedSequenceLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

void appendUtf8(std::string& text, char32_t codePoint)
{
    const auto byte = [&](char32_t value) { text += static_cast<char>(value); };
    if (codePoint < 0x80) {
        byte(codePoint);
    } else if (codePoint < 0x800) {
        byte(0xC0 | (codePoint >> 6));
        byte(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        byte(0xE0 | (codePoint >> 12));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    } else {
        byte(0xF0 | (codePoint >> 18));
        byte(0x80 | ((codePoint >> 12) & 0x3F));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    }
}

std::size_t wholeCharactersLength(std::string_view text)
{
    for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if (!isContinuationByte(byte)) {
            return announcedLength(byte) > back ? text.size() - back : text.size();
        }
    }
    return text.size();
}

std::optional<char32_t> codePointOf(std::string_view character)
{
    const std::size_t length = wellFormedSequenceLength(character);
    if (length == 0 || length != character.size()) {
        return std::nullopt;
    }
    // The lead byte keeps 7, 5, 4 or 3 bits of the code point, each continuation byte 6.
    constexpr std::array<unsigned char, 4> leadBits{0x7F, 0x1F, 0x0F, 0x07};
    char32_t codePoint = static_cast<unsigned char>(character.front()) & leadBits[length - 1];
    for (const char byte : character.substr(1)) {
        codePoint = (codePoint << 6U) | (static_cast<unsigned char>(byte) & 0x3FU);
    }
    return codePoint;
}

DecodedCharacter decodeFirst(std::string_view text)
{
    const std::size_t length = wellFormedSequenceLength(text);
    if (length == 0) {
        return {1, replacementCodePoint};
    }
    return {length, codePointOf(text.substr(0, length)).value_or(replacementCodePoint)};
}
