#include "platform/Process.hpp"

#include "platform/Signals-posix.hpp"

void prepareProcess()
{
    // A file-size limit makes a save fail and say so, instead of killing the game mid-write.
    onSignal(SIGXFSZ, SIG_IGN);
}
