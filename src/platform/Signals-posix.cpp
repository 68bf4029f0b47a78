#include "platform/Signals-posix.hpp"

#include <initializer_list>

namespace {

void setAction(int signalNumber, struct sigaction settings)
{
    sigemptyset(&settings.sa_mask);
    settings.sa_flags |= SA_RESTART | SA_NODEFER;
    ::sigaction(signalNumber, &settings, nullptr);
}

} // namespace

void onSignal(int signalNumber, void (*action)(int))
{
    struct sigaction settings = {};
    settings.sa_handler = action;
    setAction(signalNumber, settings);
}

void onSignalWithSender(int signalNumber, void (*action)(int, siginfo_t*, void*))
{
    struct sigaction settings = {};
    settings.sa_sigaction = action;
    settings.sa_flags = SA_SIGINFO;
    setAction(signalNumber, settings);
}

bool sentForATypedKey(const siginfo_t& info)
{
    return info.si_code == SI_KERNEL;
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
