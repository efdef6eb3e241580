// The files an update run writes beside its database (the report, the undo journal), checked
// before anything opens: none may be the database, one of SQLite's files beside it, the undo
// journal, or the other output, however it is spelled.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Whether a and b name one file as the file system sees it: the same file reached through another
// spelling, a link or a hard link when it exists; the same place once resolved when it does not.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);

struct RunOutputs {
    std::filesystem::path database;              // empty: on a server
    std::filesystem::path journal;               // the undo journal the run keeps or would keep
    std::optional<std::filesystem::path> report; // --report
};

// Why the outputs cannot be used, or nothing when they can.
std::optional<std::string> clashing_output(const RunOutputs& outputs);

// Why the undo journal in file could not be made or written, as far as can be told without
// writing anything (for a preview); nothing when it could.
// folder_made: the journal's folder is made when missing, so the nearest folder there must take it.
std::optional<std::string> journal_cannot_be_made(const std::filesystem::path& file, bool folder_made = false);
