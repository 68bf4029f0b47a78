#pragma once

#include "core/Console.hpp"

#include <functional>
#include <optional>
#include <string_view>

// Writes the prompt and reads one key, lower-cased; a key outside `accepted` brings the whole
// prompt back. Nothing when input ends, and the prompt is then not written again.
std::optional<char> readChoice(Console& console, std::string_view accepted, const std::function<void()>& showPrompt);
