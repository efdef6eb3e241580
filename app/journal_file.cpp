#include "app/journal_file.h"

#include "app/commands.h"
#include "hostapp/db/sqlite_host_file.h"

void add_journal_options(CLI::App& command, JournalOptions& options) {
    command.add_option("--db", options.database, "The host database (SQLite)")->required();
    command.add_option("--journal", options.journal, "The undo journal (default: DB.pathmender-journal)");
}

std::filesystem::path journal_file(const JournalOptions& options) {
    return options.journal.empty() ? UndoJournal::beside(options.database) : std::filesystem::path(options.journal);
}

UndoJournal open_journal(const JournalOptions& options) {
    try {
        check_host_database_file(options.database);
    } catch (...) {
        fail_command(current_error_text());
    }
    try {
        return UndoJournal(journal_file(options), false);
    } catch (...) {
        fail_journal(options, current_error_text());
    }
}

void fail_journal(const JournalOptions& options, const std::string& why) {
    const std::string file = journal_file(options).string();
    // The journal's own refusals name it already; SQLite's failures do not.
    fail_command(why.find(file) == std::string::npos ? "the undo journal " + file + ": " + why : why);
}
