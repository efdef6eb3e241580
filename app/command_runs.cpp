// pathmender runs: the runs of the undo journal, the newest first, one a line with its id first.
#include <iostream>

#include "app/commands.h"
#include "app/journal_file.h"
#include "hostapp/db/undo_journal.h"

namespace {

std::string run_line(const JournalRun& run) {
    std::string line = std::to_string(run.id) + " " + run.started + " ";
    line += run.ended.empty() ? std::string("(did not end)") : "to " + run.ended;
    line += " previous " + run.previous_server + " drive " + run.drive + (run.exact ? " exact" : " search");
    line += " records=" + std::to_string(run.counts.records) + " selected=" + std::to_string(run.counts.selected) +
            " relinked=" + std::to_string(run.counts.relinked) + " not_found=" + std::to_string(run.counts.not_found);
    line += " journaled=" + std::to_string(run.write_backs);
    line += run.outcome.empty() ? std::string(" killed or crashed") : " " + run.outcome;
    if (!run.undone.empty()) line += "; undone " + run.undone + " (" + run.undo_outcome + ")";
    return line;
}

}  // namespace

void add_runs_command(CLI::App& app) {
    auto options = std::make_shared<JournalOptions>();
    auto* runs = app.add_subcommand("runs", "List the runs of the undo journal, the newest first");
    add_journal_options(*runs, *options);
    runs->callback([options] {
        UndoJournal journal = open_journal(*options);
        try {
            for (const JournalRun& run : journal.runs()) std::cout << run_line(run) << "\n";
        } catch (...) {
            fail_journal(*options, current_error_text());
        }
    });
}
