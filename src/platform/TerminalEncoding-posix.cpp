#include "platform/TerminalEncoding.hpp"

#include "platform/WholeCharacterOutput.hpp"
#include "text/CellWidth.hpp"
#include "text/Utf8.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <iconv.h>
#include <langinfo.h>
#include <string_view>
#include <strings.h>

namespace {

// iconv's descriptor, closed with the stream buffer that uses it.
class Conversion {
public:
    Conversion(const std::string& to, const std::string& from)
        : descriptor_(::iconv_open(to.c_str(), from.c_str()))
    {
    }
    ~Conversion()
    {
        if (isOpen()) {
            ::iconv_close(descriptor_);
        }
    }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;
    Conversion(Conversion&&) = delete;
    Conversion& operator=(Conversion&&) = delete;

    // iconv_open's failure is the descriptor (iconv_t)-1.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    bool isOpen() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of `input` as it can into `output`; what was read is taken off `input`.
    // False when iconv stopped at a character it cannot convert.
    bool convert(std::string_view& input, std::string& output) const
    {
        std::array<char, 1024> chunk{};
        while (!input.empty()) {
            // iconv's interface takes a non-const input pointer, though it never writes through it.
            char* in = const_cast<char*>(input.data()); // NOLINT(cppcoreguidelines-pro-type-const-cast)
            std::size_t inLeft = input.size();
            char* out = chunk.data();
            std::size_t outLeft = chunk.size();
            const std::size_t result = ::iconv(descriptor_, &in, &inLeft, &out, &outLeft);
            output.append(chunk.data(), chunk.size() - outLeft);
            input.remove_prefix(input.size() - inLeft);
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                return errno == EINVAL;
            }
        }
        return true;
    }

private:
    iconv_t descriptor_;
};

constexpr std::array cyrillicSets{"KOI8-R", "KOI8-U", "CP1251", "WINDOWS-1251", "ISO-8859-5", "CP866", "IBM866"};

class ToCharacterSet final : public CharacterSink {
public:
    ToCharacterSet(std::streambuf& target, const std::string& charset)
        : target_(target)
        , conversion_(charset, "UTF-8")
    {
    }

    // A character the set lacks becomes as many "?" as the cells the line breaker gave it, so a
    // row keeps the width it was laid out for.
    bool write(std::string_view whole) override
    {
        std::string converted;
        while (!conversion_.convert(whole, converted)) {
            const DecodedCharacter lacking = decodeFirst(whole);
            const int cells = cellWidth(lacking.codePoint);
            converted.append(static_cast<std::size_t>(cells), '?');
            whole.remove_prefix(lacking.length);
        }
        const auto size = static_cast<std::streamsize>(converted.size());
        return target_.sputn(converted.data(), size) == size;
    }

    bool flush() override { return target_.pubsync() == 0; }

private:
    std::streambuf& target_;
    Conversion conversion_;
};

class FromCharacterSet final : public std::streambuf {
public:
    FromCharacterSet(std::streambuf& source, const std::string& charset)
        : source_(source)
        , conversion_("UTF-8", charset)
    {
    }

protected:
    // Waits for the first byte only; the rest of what the terminal has already sent comes along.
    int_type underflow() override
    {
        if (gptr() != egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        if (traits_type::eq_int_type(source_.sgetc(), traits_type::eof())) {
            return traits_type::eof();
        }
        std::array<char, 1024> raw{};
        const std::streamsize available = std::clamp<std::streamsize>(source_.in_avail(), 1, raw.size());
        std::string_view pending(raw.data(), static_cast<std::size_t>(source_.sgetn(raw.data(), available)));
        text_.clear();
        while (!conversion_.convert(pending, text_)) {
            appendUtf8(text_, replacementCodePoint);
            pending.remove_prefix(1);
        }
        setg(text_.data(), text_.data(), text_.data() + text_.size());
        return text_.empty() ? traits_type::eof() : traits_type::to_int_type(text_.front());
    }

private:
    std::streambuf& source_;
    Conversion conversion_;
    std::string text_;
};

} // namespace

std::string cyrillicCharacterSet()
{
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string restore = previous != nullptr ? previous : "C";
    std::string found;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const std::string codeset = ::nl_langinfo(CODESET);
        const bool cyrillic = std::any_of(cyrillicSets.begin(), cyrillicSets.end(),
            [&](const char* name) { return ::strcasecmp(name, codeset.c_str()) == 0; });
        const Conversion probe("UTF-8", codeset);
        found = cyrillic && probe.isOpen() ? codeset : "";
    }
    // The game's own text handling does not depend on the locale.
    static_cast<void>(std::setlocale(LC_CTYPE, restore.c_str()));
    return found;
}

std::unique_ptr<std::streambuf> convertingToCharacterSet(std::streambuf& target, const std::string& charset)
{
    return std::make_unique<WholeCharacterOutput>(std::make_unique<ToCharacterSet>(target, charset));
}

std::unique_ptr<std::streambuf> convertingFromCharacterSet(std::streambuf& source, const std::string& charset)
{
    return std::make_unique<FromCharacterSet>(source, charset);
}

TerminalEncoding::TerminalEncoding(const std::string& charset, Terminals terminals, std::streambuf& source)
{
    const bool converted = !charset.empty();
    if (converted && terminals.output) {
        outputBuffer_ = convertingToCharacterSet(*std::cout.rdbuf(), charset);
        output_ = std::make_unique<std::ostream>(outputBuffer_.get());
    }
    if (converted && terminals.errors) {
        errorsBuffer_ = convertingToCharacterSet(*std::cerr.rdbuf(), charset);
        errors_ = std::make_unique<std::ostream>(errorsBuffer_.get());
        errors_->setf(std::ios::unitbuf);
    }
    if (converted && terminals.input) {
        inputBuffer_ = convertingFromCharacterSet(source, charset);
    }
    input_ = std::make_unique<std::istream>(inputBuffer_ ? inputBuffer_.get() : &source);
    input().tie(&output());
}
