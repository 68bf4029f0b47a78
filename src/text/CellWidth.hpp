#pragma once

// How many character cells a terminal gives a code point: two for East Asian wide characters
// and most emoji, none for combining marks and other zero-width characters, one otherwise.
// Control characters count as none here; whoever writes them knows what they do.
int cellWidth(char32_t codePoint);
