#include "app/interruption.h"

#include <csignal>

namespace {

std::atomic<bool> interruption_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

constexpr int kSignals[] = {SIGINT, SIGTERM};
struct sigaction found_actions[std::size(kSignals)];

void take_default_actions() {
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    for (int signal : kSignals) sigaction(signal, &default_action, nullptr);
}

extern "C" void ask_run_to_end(int) {
    interruption_requested.store(true);
    // The next signal is not caught: it ends the program where it stands.
    take_default_actions();
}

}  // namespace

InterruptionHandling::InterruptionHandling() {
    interruption_requested.store(false);
    struct sigaction action {};
    action.sa_handler = ask_run_to_end;
    // Neither is let in while the handler runs, so a second one always meets the default action.
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &found_actions[i]);
}

InterruptionHandling::~InterruptionHandling() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &found_actions[i], nullptr);
}

const std::atomic<bool>* InterruptionHandling::flag() const { return &interruption_requested; }
