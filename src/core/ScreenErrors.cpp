#include "core/ScreenErrors.hpp"

#include "core/Console.hpp"

ScreenErrors::ScreenErrors(Console& console, std::ostream& errors)
    : std::ostream(nullptr)
    , buffer_(console, errors)
{
    rdbuf(&buffer_);
}

ScreenErrors::Buffer::Buffer(Console& console, std::ostream& errors)
    : console_(console)
    , errors_(errors)
{
}

// The text is gathered, not written, until a flush: the line breaker must see a whole message to
// break it between words.
ScreenErrors::Buffer::int_type ScreenErrors::Buffer::overflow(int_type ch)
{
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        text_ += traits_type::to_char_type(ch);
    }
    return traits_type::not_eof(ch);
}

int ScreenErrors::Buffer::sync()
{
    console_.writeError(errors_, text_);
    text_.clear();
    return errors_ ? 0 : -1;
}
