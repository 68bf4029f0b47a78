#include "core/Utf8Input.hpp"

#include "text/Utf8.hpp"

#include <algorithm>

namespace {

constexpr int endOfStream = std::char_traits<char>::eof();

// Only a byte that was read can continue a character; the end of the stream never does.
bool continuesCharacter(int byte)
{
    return byte != endOfStream && isContinuationByte(static_cast<unsigned char>(byte));
}

} // namespace

bool isWhiteSpaceByte(int byte)
{
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\v' || byte == '\f';
}

std::optional<std::string> readUtf8Character(std::istream& in)
{
    const int lead = in.get();
    if (lead == endOfStream) {
        return std::nullopt;
    }
    if (lead == '\r' && in.peek() == '\n') {
        return std::string(1, static_cast<char>(in.get()));
    }
    std::string character(1, static_cast<char>(lead));
    for (std::size_t left = announcedLength(static_cast<unsigned char>(lead)) - 1; left > 0; --left) {
        // A byte that does not continue the character stays for the next read.
        if (!continuesCharacter(in.peek())) {
            break;
        }
        character += static_cast<char>(in.get());
    }
    return character;
}

void skipWhiteSpace(std::istream& in)
{
    while (isWhiteSpaceByte(in.peek())) {
        in.get();
    }
}

bool isControlCharacter(std::string_view character)
{
    const std::optional<char32_t> codePoint = codePointOf(character);
    if (!codePoint) {
        return false;
    }
    return std::any_of(controlCharacters.begin(), controlCharacters.end(),
        [c = *codePoint](CodePointRange range) { return c >= range.first && c <= range.last; });
}

std::optional<NameLine> readNameLine(std::istream& in)
{
    if (in.peek() == endOfStream) {
        return std::nullopt;
    }
    NameLine line;
    std::size_t kept = 0;
    while (true) {
        const std::optional<std::string> character = readUtf8Character(in);
        if (!character) {
            line.reachedEnd = true;
            break;
        }
        if (*character == "\n") {
            break;
        }
        if (isControlCharacter(*character) || kept == maxNameCharacters) {
            line.shortened = true;
            continue;
        }
        // A name is shown and saved, so a broken character is kept only as a visible mark.
        if (isWellFormedUtf8(*character)) {
            line.name += *character;
        } else {
            appendUtf8(line.name, replacementCodePoint);
        }
        ++kept;
    }
    return line;
}

bool skipRestOfLine(std::istream& in)
{
    while (true) {
        const int byte = in.get();
        if (byte == endOfStream) {
            return true;
        }
        if (byte == '\n') {
            return false;
        }
    }
}
