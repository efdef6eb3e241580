// pathmender undo: takes a run back from the undo journal. Every record the run wrote back is put
// back as it was before, each in its own transaction, where it still holds what the run wrote; a
// record changed since is left alone and named. Run again, it changes nothing more; killed
// half-way, interrupted or stopped by an error, it says how far it got and finishes when run again.
#include <filesystem>
#include <optional>
#include <iostream>

#include "app/commands.h"
#include "app/interruption.h"
#include "app/journal_file.h"
#include "com/utf.h"
#include "hostapp/db/record_restore.h"
#include "hostapp/services/host_environment.h"

namespace fs = std::filesystem;

namespace {

// Stored keys as text: an integer's digits, a text or blob as its characters.
std::string key_text(const SqliteValue& key) {
    std::span<const std::uint8_t> bytes = key.bytes();
    return {bytes.begin(), bytes.end()};
}

// Whether the journal's database (its identity) is this one: the same file however it is reached,
// or the same server and database.
bool same_database(const std::string& journaled, const DatabaseLocation& database) {
    if (database.is_on_server()) return journaled == database.identity();
    std::error_code ec;
    return fs::equivalent(fs::path(journaled), database.file, ec);
}

// Stops the walk over the journal's entries between two records.
struct UndoInterrupted {};

int undo_run(UndoJournal& journal, const JournalRun& run, const DatabaseLocation& database) {
    InterruptionHandling interruption;
    std::int64_t restored = 0, already = 0, left_alone = 0;
    const auto counts = [&] {
        return "restored=" + std::to_string(restored) + " already=" + std::to_string(already) +
               " left_alone=" + std::to_string(left_alone);
    };
    const auto stopped = [&](const std::string& why) {
        std::cerr << "undo: run " << run.id << " stopped part way (" << why << ") after " << counts()
                  << "; run undo again to finish it\n";
        return 4;
    };
    try {
        const std::unique_ptr<RecordRestorer> restorer =
            open_record_restorer(database, default_host_environment().busy_timeout_ms);
        journal.each_write_back(run.id, [&](const JournalEntry& entry) {
            if (interruption.requested()) throw UndoInterrupted{};
            const Restored result = restorer->restore(entry);
            switch (result) {
            case Restored::restored: ++restored; return;
            case Restored::already: ++already; return;
            case Restored::changed:
            case Restored::missing: break;
            }
            ++left_alone;
            std::cout << "left alone: " << utf8(entry.table) << " " << utf8(entry.key_column) << " "
                      << key_text(entry.key)
                      << (result == Restored::changed ? ": changed since the run" : ": no such record any more") << "\n";
        });
        journal.mark_undone(run.id, counts());
    } catch (const UndoInterrupted&) {
        return stopped("interrupted");
    } catch (...) {
        return stopped(current_error_text());
    }
    std::cerr << "undo: run " << run.id << " " << counts() << "\n";
    return left_alone == 0 ? 0 : 3;
}

}  // namespace

void add_undo_command(CLI::App& app) {
    struct Options {
        JournalOptions journal;
        std::optional<std::int64_t> run;
        bool same_database = false;
    };
    auto options = std::make_shared<Options>();
    auto* undo = app.add_subcommand("undo", "Take a run back: its records as they were before it");
    add_journal_options(*undo, options->journal);
    undo->add_option("--run", options->run, "The run to undo (default: the newest that changed records and is not yet undone)")
        ->check(CLI::Validator(
            [](std::string& id) {
                const bool whole = id.find_first_not_of("0123456789") == std::string::npos;
                return whole && id.find_first_not_of('0') != std::string::npos
                           ? std::string()
                           : std::string("a run's ID is a whole number from 1 (pathmender runs lists them)");
            },
            "ID"));
    undo->add_flag("--same-database", options->same_database,
                   "The database is the one the run changed, though it has moved since (with its journal)");
    undo->callback([options] {
        const DatabaseLocation database = checked_database(options->journal, true);
        UndoJournal journal = open_journal(options->journal, database);
        std::optional<JournalRun> run;
        try {
            journal.hold("undo");
        } catch (const JournalInUse& e) {
            fail_command(e.what());
        } catch (...) {
            fail_journal(journal.file(), current_error_text());
        }
        try {
            if (options->run) {
                run = journal.run(*options->run);
                if (!run) fail_command("the journal " + journal.file().string() + " has no run " + std::to_string(*options->run));
            } else {
                // A run that wrote nothing has nothing to take back: the one before it is meant.
                for (JournalRun& candidate : journal.runs())
                    if (candidate.undone.empty() && candidate.write_backs > 0) {
                        run = std::move(candidate);
                        break;
                    }
                if (!run)
                    fail_command("the journal " + journal.file().string() +
                                 " has no run that changed records and is not undone; --run ID undoes one again");
                std::cerr << "undo: run " << run->id << " of " << run->started << ", the newest that changed records\n";
            }
            // A journal given with --journal may be another database's: its hashes would only
            // protect the records by chance, so such a run is refused unless the user says the
            // database moved.
            if (options->same_database)
                std::cerr << "undo: run " << run->id << " changed " << run->database << "; taken to be "
                          << database.shown() << " (--same-database)\n";
            else if (!same_database(run->database, database))
                fail_command("run " + std::to_string(run->id) + " of the journal " + journal.file().string() +
                             " changed " + run->database + ", not " +
                             (database.is_on_server() ? database.identity() : database.shown()) +
                             " (--same-database undoes it there, if the database has moved)");
            journal.hold("undo", run->id);
            const int status = undo_run(journal, *run, database);
            if (status != 0) throw CLI::RuntimeError(status);
        } catch (const CLI::RuntimeError&) {
            throw;
        } catch (...) {
            fail_command(current_error_text());
        }
    });
}
