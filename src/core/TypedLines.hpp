#pragma once

#include <functional>
#include <istream>
#include <streambuf>
#include <string>
#include <string_view>

// The game's input as a terminal hands it over: a line at a time, or the part of a line the
// player sent with Ctrl-D, each echoed on the screen the moment it arrives. Every piece is told
// to `arrived` before any of it is read, so whoever follows the cursor counts what the screen
// shows, not only what the game keeps of it.
class TypedLines final : public std::streambuf {
public:
    TypedLines(std::streambuf* source, std::function<void(std::string_view)> arrived);

protected:
    int_type underflow() override;

private:
    std::streambuf* source_;
    std::function<void(std::string_view)> arrived_;
    std::string piece_;
};
