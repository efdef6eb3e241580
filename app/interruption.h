// SIGINT and SIGTERM while a run lasts (Ctrl-C and Ctrl-Break on Windows): the first asks the run
// to end cleanly (the host fails the page's next step, so the page's own error path ends it, and
// the program finishes its journal, report and database as after any error); a second, of either,
// ends the program at once. POSIX interruption_posix.cpp, Windows interruption_windows.cpp.
#pragma once

#include <atomic>

class InterruptionHandling {
public:
    // Installs the handlers; one at a time in a process.
    InterruptionHandling();
    // Puts back the handlers found.
    ~InterruptionHandling();
    InterruptionHandling(const InterruptionHandling&) = delete;
    InterruptionHandling& operator=(const InterruptionHandling&) = delete;

    // Set once a signal has asked the run to end; for the host's hooks.
    const std::atomic<bool>* flag() const;
    bool requested() const { return flag()->load(); }
};
