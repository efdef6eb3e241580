#include "app/journal_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "app/commands.h"
#include "app/system_files.h"
#include "com/utf.h"
#include "hostapp/db/sha256.h"

namespace fs = std::filesystem;

namespace {

// A file name for a server's database: its naming attributes in characters any file system takes,
// and a part of their hash, so that two databases whose names read alike never share a journal.
std::string journal_name(const std::string& identity) {
    std::string name;
    for (char c : identity.substr(0, 120))
        name.push_back((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'
                           ? c
                           : '_');
    const Sha256 hash = sha256({reinterpret_cast<const std::uint8_t*>(identity.data()), identity.size()});
    static constexpr char kHex[] = "0123456789abcdef";
    name.push_back('-');
    for (int i = 0; i < 4; ++i) {
        name.push_back(kHex[hash[i] >> 4]);
        name.push_back(kHex[hash[i] & 15]);
    }
    return name + ".pathmender-journal";
}

}  // namespace

void add_journal_options(CLI::App& command, JournalOptions& options) {
    add_database_options(command, options.database);
    command.add_option("--journal", options.journal,
                       std::string("The undo journal (default: DB.pathmender-journal; for a server, in ") +
                           kStateFolderText + ")");
}

fs::path default_journal_file(const DatabaseLocation& database) {
    if (!database.is_on_server()) return UndoJournal::beside(database.file);
    return user_state_folder() / journal_name(database.identity());
}

void make_private_folder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return;
    if (!folder.parent_path().empty() && folder.parent_path() != folder) make_private_folder(folder.parent_path());
    if (auto why = make_private_folder_entry(folder))
        throw std::runtime_error("the folder " + folder.string() + " cannot be made: " + *why);
}

fs::path journal_file(const JournalOptions& options, const DatabaseLocation& database) {
    return options.journal.empty() ? default_journal_file(database) : fs::path(options.journal);
}

DatabaseLocation checked_database(const JournalOptions& options, bool reach_server) {
    try {
        DatabaseLocation database = database_location(options.database);
        if (reach_server || !database.is_on_server()) check_host_database(database);
        return database;
    } catch (const BadDatabaseOption& e) {
        fail_command(e.what());
    } catch (...) {
        fail_command(current_error_text());
    }
}

UndoJournal open_journal(const JournalOptions& options, const DatabaseLocation& database) {
    const fs::path file = journal_file(options, database);
    try {
        return UndoJournal(file, false);
    } catch (...) {
        fail_journal(file, current_error_text());
    }
}

void fail_journal(const fs::path& journal, const std::string& why) {
    const std::string file = journal.string();
    // The journal's own refusals name it already; SQLite's failures do not.
    fail_command(why.find(file) == std::string::npos ? "the undo journal " + file + ": " + why : why);
}
