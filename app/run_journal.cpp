#include "app/run_journal.h"

#include "com/error.h"
#include "com/utf.h"

RunJournal::RunJournal(const std::filesystem::path& file, const std::filesystem::path& database)
    : unused_{file}, journal_(file, true, database) {
    journal_.hold("update");
}

RunJournal::~RunJournal() {
    try {
        journal_.discard_run();
        unused_.armed = journal_.made_here() && !journal_.holds_runs();
    } catch (const ComError&) {
    }
}

RunJournal::RemoveIfUnused::~RemoveIfUnused() {
    if (!armed) return;
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file.string() + suffix, ignored);
}

void RunJournal::begin(const RunStart& start) { journal_.begin_run(start); }

void RunJournal::end(const RunCounts& counts, UpdateEnd end, const std::vector<PageMessage>& messages) {
    std::string outcome;
    switch (end) {
    case UpdateEnd::refused: journal_.discard_run(); return;
    case UpdateEnd::done: outcome = "completed"; break;
    case UpdateEnd::some_not_found: outcome = "completed, some links not found"; break;
    case UpdateEnd::error:
        outcome = "stopped: " + (messages.empty() ? std::string("no message") : utf8(messages.back().text));
        break;
    }
    journal_.end_run({counts.records, counts.selected, counts.relinked, counts.not_found}, outcome);
}
