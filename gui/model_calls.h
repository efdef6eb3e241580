// Calls from the toolkit's event handlers into the forms model. No exception may cross the event
// loop: it is kept and the innermost loop run through run_loop ends; whoever started that loop (a
// modal show, a message box, the document window) rethrows it once the loop has returned, so it
// reaches the code that opened the window, as it would without an event loop in between.
#pragma once

#include <functional>

class QEventLoop;

namespace gui {

// Runs call; an exception from it is kept (the first one only) and ends the innermost loop.
// Returns whether call ran and returned normally: while only painting is let through, it does not run.
bool call_model(const std::function<void()>& call) noexcept;

// For its lifetime, the forms' code holds the thread and the window system lets only painting
// through (between two records of a run): the toolkit's handlers call nothing in the model.
class PaintingOnly {
public:
    PaintingOnly();
    ~PaintingOnly();
    PaintingOnly(const PaintingOnly&) = delete;
    PaintingOnly& operator=(const PaintingOnly&) = delete;
};
bool painting_only();

// Runs loop until it is told to quit or a model call fails.
void run_loop(QEventLoop& loop);

// Throws the kept exception, if any, and forgets it.
void rethrow_model_failure();

}  // namespace gui
