#pragma once

#include <string>

// Turns the bytes of a whole file into UTF-8 text, so files written on Windows read the same as
// the game's own. The choice is made once for the whole file:
// - FF FE or FE FF first: UTF-16, little- or big-endian; an unpaired surrogate or an odd last
//   byte becomes U+FFFD.
// - EF BB BF first: those bytes are dropped and the rest is read as below.
// - Well-formed UTF-8 is kept as it is; anything else is read as Windows-1251.
std::string decodeText(std::string bytes);
