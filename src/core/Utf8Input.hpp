#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

// A name keeps at most this many characters; a Cyrillic letter counts as one.
inline constexpr std::size_t maxNameCharacters = 11;

// Reads one UTF-8 character: a lead byte takes the continuation bytes that follow it, up to
// the count it announces; any other byte stands alone. A carriage return right before a line
// feed is part of that line end, so Windows line ends read as one line feed on every system.
// Nothing when the stream has ended.
std::optional<std::string> readUtf8Character(std::istream& in);

// White space wherever the game skips it: spaces, tabs, line feeds, carriage returns, vertical
// tabs and form feeds.
bool isWhiteSpaceByte(int byte);

// Skips white space.
void skipWhiteSpace(std::istream& in);

struct CodePointRange {
    char32_t first;
    char32_t last;
};

// Never kept in a name, so a name cannot drive the player's terminal when it is shown later: the
// C0 controls (0x00-0x1F), DEL and the C1 controls (0x7F-0x9F; some terminals take C1 as the start
// of an escape sequence) and the bidirectional embeddings, overrides and isolates (U+202A-U+202E,
// U+2066-U+2069), which turn the text after them around. The page's line mode is given this table
// when the site is built (web/SiteFiles.cmake reads it here), so it refuses the same keys.
inline constexpr std::array<CodePointRange, 4> controlCharacters{
    {{0x00, 0x1F}, {0x7F, 0x9F}, {0x202A, 0x202E}, {0x2066, 0x2069}}};

// Whether one UTF-8 character is in controlCharacters.
bool isControlCharacter(std::string_view character);

struct NameLine {
    std::string name;
    bool reachedEnd = false; // The stream ended before a line break was found.
    bool shortened = false; // Characters of the line were left out of the name.
};

// Reads the rest of a line as a name: control characters are dropped, a character that is not
// well-formed UTF-8 becomes U+FFFD, then the first maxNameCharacters characters are kept and the
// rest of the line is read and thrown away, so memory stays bounded however long the line.
// Nothing when the stream has already ended.
std::optional<NameLine> readNameLine(std::istream& in);

// Throws away the rest of a line, its line break included; true when the stream ended first.
bool skipRestOfLine(std::istream& in);
