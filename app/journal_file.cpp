#include "app/journal_file.h"

#include "app/commands.h"
#include "hostapp/db/host_database.h"

void add_journal_options(CLI::App& command, JournalOptions& options) {
    command.add_option("--db", options.database, "The host database (SQLite)")->required();
    command.add_option("--journal", options.journal, "The undo journal (default: DB.pathmender-journal)");
}

UndoJournal open_journal(const JournalOptions& options) {
    try {
        check_host_database_file(options.database);
        return UndoJournal(options.journal.empty() ? UndoJournal::beside(options.database)
                                                   : std::filesystem::path(options.journal),
                           false);
    } catch (...) {
        fail_command(current_error_text());
    }
}
