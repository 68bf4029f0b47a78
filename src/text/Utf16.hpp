#pragma once

#include <string>
#include <string_view>

// UTF-16 as the game meets it: in files with a byte-order mark and in the Windows console.

bool isHighSurrogate(char32_t unit);
bool isLowSurrogate(char32_t unit);

// The code point a high and a low surrogate stand for together.
char32_t combineSurrogates(char32_t high, char32_t low);

// UTF-16 to UTF-8; a surrogate without its other half becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view units);

// UTF-8 to UTF-16; each byte that starts no well-formed sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
