// pathmender page: the page in a desktop window of the stand-in host shell, loaded as the host
// loads it. Built with the desktop front end only.
#include <iostream>
#include <memory>

#include "gui/desktop.h"
#include "app/commands.h"
#include "app/desktop_runs.h"
#include "app/page_network.h"
#include "app/page_script.h"
#include "app/run_outputs.h"

namespace {

// The toolkit takes the program's arguments by reference for its whole life; ours are parsed already.
int g_toolkit_argc = 1;
char g_program_name[] = "pathmender";
char* g_toolkit_argv[] = {g_program_name, nullptr};

}  // namespace

void run_page_window(const PageRequest& request, const std::optional<std::filesystem::path>& journal) {
    if (journal) {
        if (auto why = clashing_output({request.database, *journal, std::nullopt})) throw PageScriptError(2, *why);
    }
    check_page_request(request);
    std::unique_ptr<DesktopRuns> runs;
    if (journal) {
        try {
            runs = std::make_unique<DesktopRuns>(*journal, request.database);
        } catch (const JournalInUse& e) {
            throw PageScriptError(1, e.what());
        } catch (...) {
            throw PageScriptError(1, "the undo journal cannot be kept: " + current_error_text() +
                                         " (--no-journal runs without one)");
        }
    }
    const PreparedHost host(request, runs ? runs->hooks() : HostHooks{});
    // Installed before the page opens: its start-up messages are message boxes too.
    gui::DesktopSession desktop(g_toolkit_argc, g_toolkit_argv);
    auto plugin = host.load_plugin_with_page();
    std::optional<forms::WindowSystemInstalled> runs_see_messages;
    if (runs) {
        runs->watch(plugin->page_form(), desktop.window_system());
        runs_see_messages.emplace(*runs);
    }
    gui::run_document_window(plugin->page_form(), plugin->header().caption);
    plugin->close();
}

void add_page_command(CLI::App& app) {
    auto request = std::make_shared<PageRequest>();
    auto* page = app.add_subcommand("page", "Open the page in a desktop window");
    page->add_option("--db", request->database, "The host database (SQLite)")->required();
    add_network_options(*page, *request);
    auto journal = std::make_shared<std::string>();
    auto no_journal = std::make_shared<bool>(false);
    auto* journal_option =
        page->add_option("--journal", *journal, "The undo journal of the page's runs (default: DB.pathmender-journal)");
    page->add_flag("--no-journal", *no_journal, "Keep no undo journal")->excludes(journal_option);
    page->callback([request, journal, no_journal] {
        try {
            std::optional<std::filesystem::path> kept;
            if (!*no_journal) kept = journal->empty() ? UndoJournal::beside(request->database) : std::filesystem::path(*journal);
            run_page_window(*request, kept);
        } catch (const PageScriptError& e) {
            std::cerr << "pathmender: " << e.what() << "\n";
            throw CLI::RuntimeError(e.exit_status);
        } catch (const gui::NoDisplay& e) {
            std::cerr << "pathmender: "
                      << (e.display.empty() ? "no display" : "the display " + e.display + " cannot be reached")
                      << " to show the page on (set DISPLAY, or use pathmender update)\n";
            throw CLI::RuntimeError(1);
        } catch (...) {
            fail_command("the page failed: " + current_error_text());
        }
    });
}
