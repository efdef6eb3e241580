#include "hostapp/services/run_watch.h"

#include <utility>

namespace {
// The host runs on one thread, the page's; the watcher is installed before the page is loaded.
RunWatcher* g_watcher = nullptr;
}  // namespace

RunWatcher* watch_runs(RunWatcher* watcher) { return std::exchange(g_watcher, watcher); }

RunWatcher* run_watcher() { return g_watcher; }
