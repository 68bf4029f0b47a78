#pragma once

#include <array>
#include <memory>
#include <streambuf>
#include <string_view>

// Where the game's text goes when it must arrive in whole UTF-8 characters: the Windows console,
// which takes UTF-16, or iconv's conversion to a Linux terminal's 8-bit set. Each system gives
// only its write.
class CharacterSink {
public:
    CharacterSink() = default;
    virtual ~CharacterSink() = default;
    CharacterSink(const CharacterSink&) = delete;
    CharacterSink& operator=(const CharacterSink&) = delete;
    CharacterSink(CharacterSink&&) = delete;
    CharacterSink& operator=(CharacterSink&&) = delete;

    // Hands on all of `whole`, which holds only whole characters by announcedLength's grouping;
    // false when the system took less.
    virtual bool write(std::string_view whole) = 0;

    // Passes a flush on to a buffer of its own beneath, if it has one; false when that failed.
    virtual bool flush() { return true; }
};

// A stream buffer that keeps what the game writes until a flush or a full buffer, then hands
// the whole characters to its sink; a character cut off by the end of a write waits for the
// rest of its bytes.
class WholeCharacterOutput final : public std::streambuf {
public:
    explicit WholeCharacterOutput(std::unique_ptr<CharacterSink> sink);
    ~WholeCharacterOutput() override;
    WholeCharacterOutput(const WholeCharacterOutput&) = delete;
    WholeCharacterOutput& operator=(const WholeCharacterOutput&) = delete;
    WholeCharacterOutput(WholeCharacterOutput&&) = delete;
    WholeCharacterOutput& operator=(WholeCharacterOutput&&) = delete;

protected:
    int_type overflow(int_type ch) override;
    int sync() override;

private:
    bool writeOut();

    std::unique_ptr<CharacterSink> sink_;
    std::array<char, 4096> buffer_{};
};
