// The undo journal as the runs and undo commands find it: --db, and --journal when it is not
// beside the database.
#pragma once

#include <filesystem>
#include <string>

#include <CLI/CLI.hpp>

#include "hostapp/db/undo_journal.h"

struct JournalOptions {
    std::string database, journal;
};

void add_journal_options(CLI::App& command, JournalOptions& options);
// The journal file options name.
std::filesystem::path journal_file(const JournalOptions& options);
// The journal of options, which must exist; fails the command with status 1.
UndoJournal open_journal(const JournalOptions& options);
// Fails the command with status 1, saying why, with the journal's file named.
[[noreturn]] void fail_journal(const JournalOptions& options, const std::string& why);
