#include "platform/Signals-posix.hpp"

#include <initializer_list>

void onSignal(int signalNumber, void (*action)(int))
{
    struct sigaction settings = {};
    settings.sa_handler = action;
    sigemptyset(&settings.sa_mask);
    settings.sa_flags = SA_RESTART | SA_NODEFER;
    ::sigaction(signalNumber, &settings, nullptr);
}

bool hasDefaultAction(int signalNumber)
{
    struct sigaction current = {};
    return ::sigaction(signalNumber, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0
        && current.sa_handler == SIG_DFL;
}

SignalsHeld::SignalsHeld()
{
    sigset_t held{};
    sigfillset(&held);
    for (const int acting : {SIGTTIN, SIGTTOU, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS}) {
        sigdelset(&held, acting);
    }
    ::sigprocmask(SIG_BLOCK, &held, &earlier_);
}

SignalsHeld::~SignalsHeld()
{
    ::sigprocmask(SIG_SETMASK, &earlier_, nullptr);
}
