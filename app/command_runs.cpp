// pathmender runs: the runs of the undo journal, the newest first, one a line with its id first.
#include <iostream>
#include <optional>

#include "app/commands.h"
#include "app/journal_file.h"
#include "hostapp/db/undo_journal.h"

namespace {

// A run that did not end is still going when a live program holds the journal for it, and was
// killed otherwise. Of such a run only its journaled write-backs are known: its re-links (the last
// may not have committed), so the counts only a run's end can give are not shown.
std::string run_line(const JournalRun& run, const std::optional<JournalHolder>& holder) {
    const bool live = holder && holder->command == "update" && holder->run == run.id;
    std::string line = std::to_string(run.id) + " " + run.started + " ";
    if (live) line += "(running, process " + std::to_string(holder->process) + ")";
    else line += run.ended.empty() ? std::string("(did not end)") : "to " + run.ended;
    line += " previous " + run.previous_server + " drive " + run.drive + (run.exact ? " exact" : " search");
    if (!run.ended.empty())
        line += " records=" + std::to_string(run.counts.records) + " selected=" + std::to_string(run.counts.selected) +
                " relinked=" + std::to_string(run.counts.relinked) + " not_found=" + std::to_string(run.counts.not_found);
    line += " journaled=" + std::to_string(run.write_backs);
    if (live) line += " running";
    else line += run.outcome.empty() ? std::string(" killed or crashed") : " " + run.outcome;
    if (!run.undone.empty()) line += "; undone " + run.undone + " (" + run.undo_outcome + ")";
    if (holder && holder->command == "undo" && holder->run == run.id)
        line += "; being undone (process " + std::to_string(holder->process) + ") since " + holder->since;
    return line;
}

}  // namespace

void add_runs_command(CLI::App& app) {
    auto options = std::make_shared<JournalOptions>();
    auto* runs = app.add_subcommand("runs", "List the runs of the undo journal, the newest first");
    add_journal_options(*runs, *options);
    runs->callback([options] {
        // The journal is the program's own: listing it needs no server.
        const DatabaseLocation database = checked_database(*options, false);
        UndoJournal journal = open_journal(*options, database);
        try {
            const std::optional<JournalHolder> holder = journal.live_holder();
            for (const JournalRun& run : journal.runs()) std::cout << run_line(run, holder) << "\n";
        } catch (...) {
            fail_journal(journal.file(), current_error_text());
        }
    });
}
