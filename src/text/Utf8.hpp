#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The facts about UTF-8 that the game and the platform layer share, kept in one place.

// U+FFFD, the character shown in place of one that cannot be read: bytes that are not well-formed
// UTF-8, half of a UTF-16 surrogate pair, a byte that a terminal's 8-bit character set has no character for.
inline constexpr char32_t replacementCodePoint = 0xFFFD;

// True for 80 to BF, the bytes that continue a character.
bool isContinuationByte(unsigned char byte);

// True for the ASCII control bytes, 00 to 1F and 7F: what a terminal's echo shows as ^X, and
// what the kernel's line editing counts as a control character.
bool isAsciiControlByte(unsigned char byte);

// How many bytes a character that starts with `lead` is grouped into when keys and names are
// read or a console's text is cut: C0-DF two, E0-EF three, F0-F7 four, any other byte one. The
// grouping is looser than well-formedness, so that a broken character is still taken as one.
std::size_t announcedLength(unsigned char lead);

// The length of the well-formed UTF-8 sequence that starts `text`, by RFC 3629: no overlong
// forms, no surrogates, nothing above U+10FFFF. Zero when `text` does not start with one.
std::size_t wellFormedSequenceLength(std::string_view text);

// True when the whole of `text` is well-formed UTF-8.
bool isWellFormedUtf8(std::string_view text);

// Appends a code point that is neither a surrogate nor above U+10FFFF, in UTF-8.
void appendUtf8(std::string& text, char32_t codePoint);

// How much of `text` is whole characters by the grouping above: a character cut off by the end
// of `text` is left out, so it can wait for the rest of its bytes.
std::size_t wholeCharactersLength(std::string_view text);

// The code point of the one well-formed character that `character` holds, or nothing when it
// holds anything else.
std::optional<char32_t> codePointOf(std::string_view character);

struct DecodedCharacter {
    std::size_t length;
    char32_t codePoint;
};

// The first character of `text`, which is not empty, as the game's text is shown and converted:
// a well-formed sequence, or else a single byte, which stands for U+FFFD.
DecodedCharacter decodeFirst(std::string_view text);
