#include "core/TypedLines.hpp"

#include <utility>

namespace {

// However long a line from a pipe or a file, memory stays bounded.
constexpr std::size_t maxPieceBytes = 4096;

} // namespace

TypedLines::TypedLines(std::streambuf* source, std::function<void(std::string_view)> arrived)
    : source_(source)
    , arrived_(std::move(arrived))
{
}

// Takes what arrived with the first byte, up to the end of its line.
TypedLines::int_type TypedLines::underflow()
{
    if (gptr() != egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    piece_.clear();
    for (int_type next = source_ != nullptr ? source_->sgetc() : traits_type::eof();
         !traits_type::eq_int_type(next, traits_type::eof()); next = source_->sgetc()) {
        piece_ += traits_type::to_char_type(source_->sbumpc());
        if (piece_.back() == '\n' || piece_.size() == maxPieceBytes || source_->in_avail() <= 0) {
            break;
        }
    }
    if (piece_.empty()) {
        return traits_type::eof();
    }
    arrived_(piece_);
    setg(piece_.data(), piece_.data(), piece_.data() + piece_.size());
    return traits_type::to_int_type(piece_.front());
}
