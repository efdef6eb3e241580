// pathmender update: one scripted press of Update on the page, for terminals, scripts and tests.
// The page's messages go to standard output as "[caption] text"; the host's own account of the run
// (progress, a summary line, and where a failure happened) goes to standard error. A run may be a
// preview (nothing is written), leave a report of every record, and is journaled for undo.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>

#include "app/chosen_drive.h"
#include "app/commands.h"
#include "app/interruption.h"
#include "app/journal_file.h"
#include "app/page_network.h"
#include "app/page_script.h"
#include "app/progress_report.h"
#include "app/run_account.h"
#include "app/run_journal.h"
#include "app/run_outputs.h"
#include "app/run_report.h"
#include "app/system_files.h"
#include "app/update_outcome.h"
#include "com/utf.h"
#include "platform/forms/console_window_system.h"
#include "platform/network.h"

namespace fs = std::filesystem;

namespace {

// The console, remembering what the page said and letting a live progress line make way first.
// Before a message is seen, every write-back the page made so far is durable.
class PageTranscript final : public forms::ConsoleWindowSystem {
public:
    PageTranscript(ProgressReport& progress, WriteBackGrouping* grouping) : progress_(progress), grouping_(grouping) {}
    int message_box(std::u16string_view prompt, int style, std::u16string_view caption) override {
        make_durable();
        progress_.make_way();
        messages.push_back({std::u16string(prompt), style});
        return ConsoleWindowSystem::message_box(prompt, style, caption);
    }
    std::vector<PageMessage> messages;
    std::optional<std::string> not_durable;  // why write-backs the page counted were not written

private:
    // Commits the write-backs not yet committed; a failure is kept, the first one.
    void make_durable() {
        if (!grouping_) return;
        try {
            grouping_->make_durable();
        } catch (...) {
            if (!not_durable) not_durable = current_error_text();
        }
    }

    ProgressReport& progress_;
    WriteBackGrouping* grouping_;
};

void say(const std::string& line) { std::cerr << "pathmender: " << line << "\n"; }

// What the host can tell of a run that an error stopped, one line each: the record, the folder that
// could not be listed, the temporary folder.
void say_where_it_stopped(const RunAccount& account) {
    if (const auto& record = account.record_in_hand())
        say("the run stopped at " + utf8(record->table) + " MEDIAID " + utf8(record->media_id));
    else if (const auto& table = account.table_opening())
        say("the run stopped opening " + utf8(*table));
    if (const auto& failure = account.listing_failure())
        say("the folder " + failure->folder.string() + " could not be listed: " + utf8(failure->description));

    const fs::path temp = default_host_environment().temp_folder;
    std::error_code ec;
    if (!fs::is_directory(temp, ec)) say("the temporary folder " + temp.string() + " is missing");
    else if (folder_not_writable(temp)) say("the temporary folder " + temp.string() + " is not writable");
    else if (no_space_left(temp)) say("the temporary folder " + temp.string() + " is full");
}

// What a run does besides the page's work: a preview, a report, the undo journal.
struct RunExtras {
    bool dry_run = false;
    std::string report;   // empty: none
    std::string journal;  // empty: the database's own (default_journal_file)
    bool no_journal = false;
};

int run_update(const PageRequest& request, ProgressStyle style, const RunExtras& extras) {
    const DatabaseLocation database = request.location();
    const fs::path journal_file = extras.journal.empty() ? default_journal_file(database) : fs::path(extras.journal);
    // An output that would replace the database, its files or the journal is refused before anything opens.
    if (auto why = clashing_output({database.file, journal_file,
                                    extras.report.empty() ? std::nullopt : std::optional<fs::path>(extras.report)}))
        throw PageScriptError(2, *why);
    check_page_request(request);
    // One run at a time on a database: a run without a journal, or a preview, still waits for none.
    if (extras.dry_run || extras.no_journal) {
        try {
            UndoJournal::check_not_held(journal_file);
        } catch (const JournalInUse& e) {
            throw PageScriptError(1, e.what());
        } catch (...) {
        }
    }
    // The page looks for the name as typed: a blank at either end matches no link's server, and the
    // page would only say that it found nothing.
    const std::u16string& previous = request.previous_server;
    if (!previous.empty() && (previous.front() == u' ' || previous.front() == u'\t' || previous.back() == u' ' ||
                              previous.back() == u'\t'))
        say("the previous server name \"" + utf8(previous) +
            "\" begins or ends with a blank, which no link's server name has: no link will be selected");
    InterruptionHandling interruption;
    const int busy_timeout_ms = default_host_environment().busy_timeout_ms;
    std::int64_t total = 0;
    try {
        total = count_media_records(database, busy_timeout_ms);
    } catch (...) {
        throw PageScriptError(1, current_error_text());
    }

    const std::optional<NetworkConnection> drive = chosen_drive(request.drive);
    std::unique_ptr<RunReport> report;
    if (!extras.report.empty()) {
        std::error_code ec;
        if (fs::is_directory(extras.report, ec))
            throw PageScriptError(1, "the report " + extras.report + " cannot be written: it is a folder");
        try {
            report = std::make_unique<RunReport>(
                extras.report, ReportSetting{extras.dry_run, request.previous_server, drive ? drive->remote_name : u""});
        } catch (const std::exception& e) {
            throw PageScriptError(1, e.what());
        }
    }
    std::unique_ptr<RunJournal> journal;
    const auto journal_refused = [](const std::string& why) {
        return PageScriptError(1, "the undo journal cannot be kept: " + why + " (--no-journal runs without one)");
    };
    // A preview writes no journal, but fails where the run would fail to keep one.
    if (extras.dry_run && !extras.no_journal) {
        if (auto why = journal_cannot_be_made(journal_file, database.is_on_server() && extras.journal.empty()))
            throw journal_refused(*why);
    }
    if (!extras.dry_run && !extras.no_journal) {
        try {
            // A server's journal is kept in the user's own folder, made private to them.
            if (database.is_on_server() && extras.journal.empty()) {
                say("the undo journal of this database is " + journal_file.string());
                make_private_folder(journal_file.parent_path());
            }
            journal = std::make_unique<RunJournal>(journal_file, database.file);
            journal->begin({database.identity(), request.previous_server, drive ? drive->local_name : u"", request.exact});
        } catch (const JournalInUse& e) {
            throw PageScriptError(1, e.what());
        } catch (...) {
            throw journal_refused(current_error_text());
        }
    }

    ProgressReport progress(style, total);
    std::unique_ptr<RunAccount> account;
    account = std::make_unique<RunAccount>(
        request.previous_server,
        [&](bool table_end) { progress.update(account->counts(), account->table(), table_end); }, report.get());
    // Write-backs commit in groups; a preview's each go as far as the commit on their own.
    WriteBackGrouping grouping;
    PageTranscript transcript(progress, extras.dry_run ? nullptr : &grouping);
    // A preview is the host's own setting: its write-backs roll back instead of committing.
    const HostHooks hooks{account.get(), journal ? journal->write_backs() : nullptr,
                          extras.dry_run ? WriteBacks::roll_back : WriteBacks::commit, interruption.flag(),
                          extras.dry_run ? nullptr : &grouping};
    const auto start = std::chrono::steady_clock::now();
    {
        forms::WindowSystemInstalled installed(transcript);
        press_update(PreparedHost(request, hooks), request);
    }
    // Write-backs the page counted that could not be committed make the run a failed one.
    if (transcript.not_durable) {
        say(*transcript.not_durable);
        transcript.messages.push_back({utf16(*transcript.not_durable), 0});
    }
    const bool completed = run_completed(transcript.messages);
    if (completed) account->completed();
    progress.finish(account->counts(), account->table());

    const UpdateEnd end = update_end(transcript.messages);
    // A journal or report promised and not left is a failure of the run, whatever the page said.
    bool output_lost = false;
    if (journal) {
        try {
            journal->end(account->counts(), end, transcript.messages);
        } catch (...) {
            say("the undo journal could not record how the run ended: " + current_error_text());
            output_lost = true;
        }
    }
    if (end == UpdateEnd::error) say_where_it_stopped(*account);
    if (report) {
        std::optional<std::u16string> stopped_by;
        if (end == UpdateEnd::error) stopped_by = transcript.messages.empty() ? u"" : transcript.messages.back().text;
        try {
            report->finish(*account, stopped_by, database, busy_timeout_ms);
        } catch (const std::exception& e) {
            say(e.what());
            output_lost = true;
        }
    }
    if (end != UpdateEnd::refused) {
        const RunCounts& c = account->counts();
        char elapsed[32];
        std::snprintf(elapsed, sizeof elapsed, "%.1f",
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        std::cerr << "summary: records=" << c.records << " selected=" << c.selected << " relinked=" << c.relinked
                  << " not_found=" << c.not_found << " elapsed=" << elapsed << "s\n";
    }
    if (extras.dry_run && end != UpdateEnd::refused) say("a preview: nothing was written");
    if (interruption.requested() && end == UpdateEnd::error) say("interrupted: the run ended at the record it had reached");
    return output_lost ? exit_status(UpdateEnd::error) : exit_status(end);
}

}  // namespace

void add_update_command(CLI::App& app) {
    struct Options {
        DatabaseOptions database;
        PageRequest paths;  // the network folder and connections file, where the options name them
        std::string previous, drive;
        bool exact = false, progress = false, quiet = false;
        RunExtras extras;
    };
    auto options = std::make_shared<Options>();
    auto* update = app.add_subcommand("update", "Run the page once: type the previous server, pick a drive, press Update");
    add_database_options(*update, options->database);
    add_network_options(*update, options->paths);
    update->add_option("--previous", options->previous, "The previous server name, typed exactly as given")->required();
    update->add_option("--drive", options->drive, "The local name of the drive to search (default: the first)");
    update->add_flag("--exact", options->exact, "Use previous directory structure when searching for files");
    update->add_flag("--progress", options->progress, "Progress as plain lines on standard error (for logs)");
    update->add_flag("--quiet", options->quiet, "No progress at all");
    update->add_flag("--dry-run", options->extras.dry_run,
                     "A preview: the run goes as a real one, but nothing is written (no journal either)");
    update->add_option("--report", options->extras.report, "A CSV report of every record the run reads");
    auto* journal = update->add_option("--journal", options->extras.journal,
                                       std::string("The undo journal (default: DB.pathmender-journal; a server's, in ") +
                                           kStateFolderText + ")");
    update->add_flag("--no-journal", options->extras.no_journal, "Keep no undo journal")->excludes(journal);
    update->callback([options] {
        PageRequest request;
        try {
            const DatabaseLocation database = database_location(options->database);
            request.database = database.file;
            request.connection = database.connection;
        } catch (const BadDatabaseOption& e) {
            std::cerr << "pathmender: " << e.what() << "\n";
            throw CLI::RuntimeError(2);  // bad arguments
        }
        request.network = options->paths.network;
        request.drives = options->paths.drives;
        request.previous_server = utf16(options->previous);
        if (!options->drive.empty()) request.drive = utf16(options->drive);
        request.exact = options->exact;
        int status = 0;
        try {
            status = run_update(request, progress_style(options->quiet, options->progress), options->extras);
        } catch (const PageScriptError& e) {
            std::cerr << "pathmender: " << e.what() << "\n";
            throw CLI::RuntimeError(e.exit_status);
        }
        if (status != 0) throw CLI::RuntimeError(status);
    });
}
