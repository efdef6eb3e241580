#include "gui/model_calls.h"

#include <QEventLoop>
#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

namespace gui {
namespace {

std::exception_ptr& kept_failure() {
    static std::exception_ptr failure;
    return failure;
}

std::vector<QEventLoop*>& running_loops() {
    static std::vector<QEventLoop*> loops;
    return loops;
}

int& painting_only_depth() {
    static int depth = 0;
    return depth;
}

}  // namespace

PaintingOnly::PaintingOnly() { ++painting_only_depth(); }
PaintingOnly::~PaintingOnly() { --painting_only_depth(); }
bool painting_only() { return painting_only_depth() > 0; }

bool call_model(const std::function<void()>& call) noexcept {
    // The forms' code is in the middle of a run: nothing calls into it (a close is refused; the
    // page's window applies its new size later).
    if (painting_only()) return false;
    try {
        call();
        return true;
    } catch (...) {
        if (!kept_failure()) kept_failure() = std::current_exception();
        // Only the top window's code runs while a modal loop is up, so the innermost loop is the
        // one whose window failed.
        if (!running_loops().empty()) running_loops().back()->exit(1);
        return false;
    }
}

void run_loop(QEventLoop& loop) {
    // A failure kept before the loop started ends it at once.
    if (kept_failure()) return;
    running_loops().push_back(&loop);
    loop.exec(QEventLoop::DialogExec);
    auto& loops = running_loops();
    loops.erase(std::remove(loops.begin(), loops.end(), &loop), loops.end());
}

void rethrow_model_failure() {
    if (auto failure = std::exchange(kept_failure(), nullptr)) std::rethrow_exception(failure);
}

}  // namespace gui
