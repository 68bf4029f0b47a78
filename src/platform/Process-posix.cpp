#include "platform/Process.hpp"

#include <csignal>

void prepareProcess()
{
    // A file-size limit makes a save fail and say so, instead of killing the game mid-write.
    struct sigaction action = {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXFSZ, &action, nullptr);
}
