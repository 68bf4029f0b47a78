#include "core/TextDecoding.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace std::string_literals;

TEST(TextDecoding, EachRuleOnItsEdges)
{
    const std::string r = "\uFFFD";
    const std::pair<std::string, std::string> cases[] = {
        // UTF-16 both ways: a surrogate pair, unpaired surrogates, an odd last byte, a mark alone.
        {"\xFF\xFE\x41\x00\x3D\xD8\x00\xDE\x0A\x04"s, "A\U0001F600Њ"},
        {"\xFE\xFF\x00\x41\xD8\x3D\xDE\x00"s, "A\U0001F600"},
        {"\xFF\xFE\x3D\xD8\x41", r + r},
        {"\xFE\xFF\xDE\x00\xD8\x3D"s, r + r},
        {"\xFF\xFE", ""},
        {"\xFE\xFF", ""},
        // The UTF-8 mark is dropped, then the rest is read as any other file.
        {"\xEF\xBB\xBFИван\r\n", "Иван\r\n"},
        {"\xEF\xBB\xBF\xC8\xE2\xE0\xED", "Иван"},
        {"\xEF\xBB\xBF", ""},
        // Well-formed UTF-8 up to its limits stays as it is.
        {"\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", "\u0800\uD7FF\U00010000\U0010FFFF"},
        // Windows-1251, with 0x98 that has no character there.
        {"\xC8\xE2\xE0\xED \x80\x88\x98\xA8\xB8\xB9\xFF", "Иван Ђ€" + r + "Ёё№я"},
        // One byte that breaks UTF-8 makes the whole file Windows-1251: a stray byte, overlong forms
        // of two, three and four bytes, a surrogate, a code point past U+10FFFF, a cut-short last
        // character.
        {"Иван\xFF", "Р" + r + "РІР°Р\u0405я"},
        {"\xC0\xAF", "АЇ"},
        {"\xE0\x9F\xBF", "аџї"},
        {"\xF0\x8F\xBF\xBF", "рЏїї"},
        {"\xED\xA0\x80", "н\u00A0Ђ"},
        {"\xF4\x90\x80\x80", "ф\u0452ЂЂ"},
        {"a\xD0", "aР"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(decodeText(bytes), text) << bytes;
    }
}

} // namespace
