#include "hostapp/db/write_back_journal.h"

#include <utility>

namespace {
// The host writes back on one thread, the page's; the journal is installed before the page is loaded.
WriteBackJournal* g_journal = nullptr;
}  // namespace

WriteBackJournal* journal_write_backs(WriteBackJournal* journal) { return std::exchange(g_journal, journal); }

WriteBackJournal* write_back_journal() { return g_journal; }
