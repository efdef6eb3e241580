#include "app/interruption.h"

#include <windows.h>

#include <cstdlib>

namespace {

std::atomic<bool> interruption_requested{false};

// Ctrl-C and Ctrl-Break come to the program's console handler, on a thread of their own: the first
// asks the run to end, a second ends the program where it stands, with Ctrl-C's status.
BOOL WINAPI ask_run_to_end(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (interruption_requested.exchange(true)) std::_Exit(static_cast<int>(STATUS_CONTROL_C_EXIT));
    return TRUE;
}

}  // namespace

InterruptionHandling::InterruptionHandling() {
    interruption_requested.store(false);
    ::SetConsoleCtrlHandler(ask_run_to_end, TRUE);
}

InterruptionHandling::~InterruptionHandling() { ::SetConsoleCtrlHandler(ask_run_to_end, FALSE); }

const std::atomic<bool>* InterruptionHandling::flag() const { return &interruption_requested; }
