#pragma once

// How many character cells a terminal gives a code point: two for East Asian wide characters
// and most emoji, none for combining marks and other zero-width characters, one otherwise.
// Control characters count as none here; whoever writes them knows what they do.
int cellWidth(char32_t codePoint);

// The same from the game's own table, of glibc 2.36 (Unicode 15): all that Windows and the page
// have, and on Linux the answer for what the C library calls unprintable.
int cellWidthFromTable(char32_t codePoint);
