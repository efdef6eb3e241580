#include "app/run_journal.h"

#include "com/error.h"
#include "com/utf.h"

JournaledRun::JournaledRun(const std::filesystem::path& file, const RunStart& start)
    : unused_{file}, journal_(file, true, start.database) {
    journal_.hold("update");
    id_ = journal_.begin_run(start);
}

JournaledRun::~JournaledRun() {
    try {
        journal_.discard_run();
        unused_.armed = journal_.made_here() && !journal_.holds_runs();
    } catch (const ComError&) {
    }
}

JournaledRun::RemoveIfUnused::~RemoveIfUnused() {
    if (!armed) return;
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file.string() + suffix, ignored);
}

void JournaledRun::end(const RunCounts& counts, UpdateEnd end, const std::vector<PageMessage>& messages) {
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
