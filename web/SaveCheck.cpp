// The page's check of a file the player hands it, answered by the game's own reader in the
// page's WebAssembly, so the page holds no second copy of the save's layout.
#include "platform/WholeFile.hpp"
#include "savegame/SaveFile.hpp"

#include <emscripten.h>

#include <string>
#include <utility>

// Why the file at `path`, in the game's folder in memory, cannot be a save the game wrote, in the
// player's words, or an empty text when it can be. The text lasts until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char* rpgWhyNotASave(const char* path)
{
    static std::string reason;
    WholeFile file = readWholeFile(path);
    reason = file.outcome == WholeFile::Outcome::read ? whyNotWrittenByGame(std::move(file.bytes))
        : file.outcome == WholeFile::Outcome::failed  ? std::move(file.reason)
                                                      : std::string("файла нет");
    return reason.c_str();
}
