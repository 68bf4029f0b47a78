#pragma once

#include <csignal>

// The POSIX signal calls the game makes, in one place.

// Sets what a signal does: a handler, SIG_IGN or SIG_DFL. Every handler keeps interrupted reads
// going (SA_RESTART) and runs with its own signal unblocked, so raising it again inside takes
// effect at once (SA_NODEFER).
void onSignal(int signalNumber, void (*action)(int));

// The same for a handler that must know who sent the signal. A keyboard signal (Ctrl-C, Ctrl-\,
// Ctrl-Z) typed at the terminal comes from the kernel, which has first discarded the input the
// terminal held, unless NOFLSH is set.
void onSignalWithSender(int signalNumber, void (*action)(int, siginfo_t*, void*));
bool sentForATypedKey(const siginfo_t& info);

// True when the signal still does what it does by default: not ignored, as a shell may have set
// it for the game (nohup), nor handled by someone else (a sanitizer's runtime).
bool hasDefaultAction(int signalNumber);

// While one lives, every signal that could run a handler or end the game waits, so a step and
// the note a handler reads of it are taken together: a signal lands before both or after both.
// Stops for the terminal (SIGTTIN, SIGTTOU) and faults still act at once.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;
    SignalsHeld(SignalsHeld&&) = delete;
    SignalsHeld& operator=(SignalsHeld&&) = delete;

    // The signals that were let through before, for a wait that takes them (ppoll, sigsuspend):
    // one that landed since the hold began ends that wait.
    const sigset_t& letThroughBefore() const { return earlier_; }

private:
    sigset_t earlier_{};
};
