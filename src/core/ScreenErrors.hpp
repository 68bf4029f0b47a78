#pragma once

#include <ostream>
#include <streambuf>
#include <string>

class Console;

// Standard error as the game writes it when it shows on the console's own screen: each line goes
// through the console's line breaker, so it breaks between words as the game's text does.
class ScreenErrors final : public std::ostream {
public:
    ScreenErrors(Console& console, std::ostream& errors);

private:
    class Buffer final : public std::streambuf {
    public:
        Buffer(Console& console, std::ostream& errors);

    protected:
        int_type overflow(int_type ch) override;
        int sync() override;

    private:
        Console& console_;
        std::ostream& errors_;
        std::string text_;
    };

    Buffer buffer_;
};
