#include "core/ReadChoice.hpp"

#include <string>

namespace {

// Lower-cases a Latin letter and leaves every other byte alone, whatever the user's locale.
char toLowerAscii(char letter)
{
    if (letter >= 'A' && letter <= 'Z') {
        return static_cast<char>(letter - 'A' + 'a');
    }
    return letter;
}

} // namespace

std::optional<char> readChoice(Console& console, std::string_view accepted, const std::function<void()>& showPrompt)
{
    while (true) {
        showPrompt();
        const std::optional<std::string> key = console.readCharacterAfterWhiteSpace();
        if (!key) {
            return std::nullopt;
        }
        // A character of several bytes is never one of the accepted Latin letters.
        if (key->size() == 1) {
            const char letter = toLowerAscii(key->front());
            if (accepted.find(letter) != std::string_view::npos) {
                return letter;
            }
        }
    }
}
