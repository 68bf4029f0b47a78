#include "platform/WholeCharacterOutput.hpp"

#include "text/Utf8.hpp"

#include <cstring>
#include <utility>

WholeCharacterOutput::WholeCharacterOutput(std::unique_ptr<CharacterSink> sink)
    : sink_(std::move(sink))
{
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

// A character still unfinished at the end is dropped: no later byte can complete it.
WholeCharacterOutput::~WholeCharacterOutput()
{
    static_cast<void>(writeOut());
}

WholeCharacterOutput::int_type WholeCharacterOutput::overflow(int_type ch)
{
    if (!writeOut()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int WholeCharacterOutput::sync()
{
    const bool written = writeOut();
    return sink_->flush() && written ? 0 : -1;
}

// What the sink failed to take is not offered again: a console or terminal that refused it once
// gets the text after it, never the same bytes twice.
bool WholeCharacterOutput::writeOut()
{
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    const std::size_t whole = wholeCharactersLength(pending);
    const bool written = sink_->write(pending.substr(0, whole));
    const std::size_t rest = pending.size() - whole;
    std::memmove(buffer_.data(), pending.data() + whole, rest);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    pbump(static_cast<int>(rest));
    return written;
}
