#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// U+FFFD, the character shown in place of one that cannot be read.
inline constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence that starts `text`: no overlong forms, no
// surrogates, nothing above U+10FFFF. Zero when `text` does not start with one.
std::size_t wellFormedSequenceLength(std::string_view text);

// True when the whole of `text` is well-formed UTF-8.
bool isWellFormedUtf8(std::string_view text);

// Appends a code point that is neither a surrogate nor above U+10FFFF, in UTF-8.
void appendUtf8(std::string& text, char32_t codePoint);
