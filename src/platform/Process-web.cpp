#include "platform/Process.hpp"

#include <emscripten.h>

namespace {

// clang-format off

// When the browser's storage could not be read at the start of this run (web/game-folder.js),
// the player learns it before the game's first text, not from the first failed save.
EM_JS(void, tellWhenSavesAreUnavailable, (), {
    if (Module.savesUnavailableNotice) {
        Module.rpgConsole.write(new TextEncoder().encode(Module.savesUnavailableNotice));
    }
});

// clang-format on

} // namespace

// In the browser the page has already set up everything the game meets: its working folder,
// with the introduction and the save kept in the browser's storage, and its console.
void prepareProcess()
{
    tellWhenSavesAreUnavailable();
}
