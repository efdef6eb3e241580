// The undo journal as the commands find it: beside a database file, or, for a database on a
// server, in the user's own state folder under a name made from the server and the database; or
// where --journal says.
#pragma once

#include <filesystem>
#include <string>

#include <CLI/CLI.hpp>

#include "app/database_options.h"
#include "hostapp/db/undo_journal.h"

struct JournalOptions {
    DatabaseOptions database;
    std::string journal;
};

void add_journal_options(CLI::App& command, JournalOptions& options);

// Where the journal of a database is kept unless --journal says otherwise: <file>.pathmender-journal
// beside a file; $XDG_STATE_HOME/pathmender (else ~/.local/state/pathmender) for a server's.
std::filesystem::path default_journal_file(const DatabaseLocation& database);
// Makes folder and those above it that are missing, each its user's alone; raises
// std::runtime_error saying why not.
void make_private_folder(const std::filesystem::path& folder);
// The journal file options name, for the database they name.
std::filesystem::path journal_file(const JournalOptions& options, const DatabaseLocation& database);
// The database of options, which must be a host database (a server's is only reached when
// reach_server says so); fails the command with status 1.
DatabaseLocation checked_database(const JournalOptions& options, bool reach_server);
// The journal of options, which must exist; fails the command with status 1.
UndoJournal open_journal(const JournalOptions& options, const DatabaseLocation& database);
// Fails the command with status 1, saying why, with the journal's file named.
[[noreturn]] void fail_journal(const std::filesystem::path& journal, const std::string& why);
