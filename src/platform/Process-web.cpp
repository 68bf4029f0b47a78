#include "platform/Process.hpp"

// In the browser the page has already set up everything the game meets: its working folder,
// with the introduction and the save kept in the browser's storage, and its console. What the page
// has to say of its storage, it says itself (web/page.js).
void prepareProcess()
{
}
