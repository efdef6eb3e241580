// pathmender demo [DIR]: makes a demo once (a host database, a network folder, mapped drives),
// puts its database back to the first state, runs the update on it as a user would, and shows
// what the update changed, read back from the database.
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <memory>
#include <set>

#include "com/error.h"
#include "com/module_loader.h"
#include "com/registry.h"
#include "com/utf.h"
#include "app/commands.h"
#include "app/demo_folder.h"
#include "app/demo_scenario.h"
#include "testkit/media_database.h"
#include "hostapp/db/media_tables.h"
#include "app/page_script.h"
#include "platform/case_insensitive.h"
#include "testkit/object_builder.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/ole_object.h"

namespace fs = std::filesystem;
namespace ole = pathmender::ole;

namespace {

constexpr char kDefaultDemoFolder[] = "pathmender-demo";

// What a record's Object holds, as the OLE library reads it.
struct StoredObject {
    bool readable = false;
    bool link = false;
    std::u16string source_doc;  // links; unreadable objects: why
};

StoredObject read_stored(const std::optional<std::vector<std::uint8_t>>& bytes) {
    StoredObject stored;
    if (!bytes) {
        stored.source_doc = u"(no record)";
        return stored;
    }
    try {
        const ole::ByteView all(*bytes);
        std::size_t consumed = 0;
        const ole::OleObject object = ole::read_ole_object(all.subspan(ole::desktop_database_header_length(all)), consumed);
        stored.readable = true;
        stored.link = ole::ole_type(object) == ole::kOleTypeLinked;
        stored.source_doc = ole::source_doc(object);
    } catch (const std::exception& e) {
        stored.source_doc = u"(unreadable: " + utf16(e.what()) + u")";
    }
    return stored;
}

// As `pathmender register` does it, for the module beside the program, when the plug-in's class is
// not registered yet: what an installer would have done.
void register_plugin_if_needed() {
    CLSID clsid{};
    if (SUCCEEDED(CLSIDFromProgID(kPluginProgID, &clsid))) return;
    const fs::path module = default_module_path();
    register_module_file(module, "DllRegisterServer");
    // Not on standard output: every demo run prints the same story there.
    std::cerr << "pathmender: " << utf8(kPluginProgID) << " was not registered; registered " << module.string()
              << " in " << Registry::default_path().string() << "\n";
}

std::string shell_word(const std::string& text) {
    if (!text.empty() && text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-:=") ==
                             std::string::npos)
        return text;
    std::string quoted = "'";
    for (char ch : text) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

void print_changes(const DemoFolder& folder, const std::vector<DemoRecord>& records) {
    MediaDatabase before = MediaDatabase::open(folder.initial_database);
    MediaDatabase after = MediaDatabase::open(folder.database);
    int changed = 0, not_located = 0, other_links = 0, embedded = 0;
    std::cout << "\nRecords the update changed (SourceDoc read back from host.db):\n"
              << std::left << std::setw(34) << "  TABLE" << std::right << std::setw(7) << "MEDIAID"
              << "  SOURCEDOC before, -> after\n";
    for (const DemoRecord& record : records) {
        const auto old_bytes = before.read(record.table, record.media_id);
        const auto new_bytes = after.read(record.table, record.media_id);
        const StoredObject old_object = read_stored(old_bytes);
        if (old_bytes == new_bytes) {
            if (!old_object.link) ++embedded;
            else if (find_ignoring_case(old_object.source_doc, kDemoPreviousServer)) ++not_located;
            else ++other_links;
            continue;
        }
        ++changed;
        const StoredObject new_object = read_stored(new_bytes);
        std::cout << "  " << std::left << std::setw(32) << utf8(record.table) << std::right << std::setw(7)
                  << record.media_id << "  " << utf8(old_object.source_doc) << "\n"
                  << std::string(41, ' ') << "-> " << utf8(new_object.source_doc) << "\n";
    }
    std::cout << changed << " links re-linked. Left as they were, byte for byte:\n"
              << "  " << not_located << " links to " << utf8(kDemoPreviousServer) << " files that could not be located\n"
              << "  " << other_links << " links to files of other servers\n"
              << "  " << embedded << " embedded objects\n";
}

void print_how_to_go_on(const DemoFolder& folder) {
    const std::string root = shell_word(folder.root.string());
    const std::string database = shell_word(folder.database.string());
    const std::string network = shell_word(folder.network.string());
    const std::string previous = shell_word(utf8(kDemoPreviousServer));
    // The program by its real path, so that each line runs as printed from any folder.
    const std::string program = shell_word((program_folder() / "pathmender").string());
    std::cout << "\nThe demo lives in " << folder.root.string() << " (" << folder.marker.filename().string()
              << " there says what is where).\n"
              << "Run it again from its first state:\n"
              << "  " << program << " demo " << root << "\n"
              << "Run the update on it yourself (host.db keeps what it does; the demo command resets it):\n"
              << "  " << program << " update --db " << database << " --network " << network << " --previous " << previous
              << " --drive " << utf8(kDemoDrive) << "\n"
              << "Work the page yourself:\n"
              << "  " << program << " page --db " << database << " --network " << network << "\n";
}

void run_demo(const std::string& folder_argument, DesktopPageRunner desktop) {
    const DemoFolder folder = demo_folder(folder_argument.empty() ? fs::path(kDefaultDemoFolder) : fs::path(folder_argument));
    try {
        make_demo_once(folder);
        reset_demo(folder);
    } catch (...) {
        fail_command("cannot set up the demo: " + current_error_text());
    }
    register_plugin_if_needed();

    const std::vector<DemoRecord> records = demo_records();
    std::set<std::u16string_view> tables;
    for (const DemoRecord& record : records) tables.insert(record.table);
    std::cout << "Demo: " << folder.root.string() << "\n"
              << "The host's media files moved from \\\\OldServer to \\\\NewServer, and \\\\OldServer is gone. Most files\n"
              << "kept their folders, some were filed elsewhere on \\\\NewServer\\Media, some were lost on the way.\n"
              << "host.db holds " << records.size() << " media records in " << tables.size() << " of the "
              << kMediaTables.size() << " media tables: links to files of \\\\OldServer and of \\\\Archive,\n"
              << "and embedded objects.\n"
              << "\nThe update, as a user runs it: previous server " << utf8(kDemoPreviousServer) << ", drive "
              << utf8(kDemoDrive) << " (\\\\NewServer\\Media), search all folders, Update.\n"
              << std::flush;

    PageRequest request;
    request.database = folder.database;
    request.network = folder.network;
    request.drives = folder.drives;
    request.previous_server = kDemoPreviousServer;
    request.drive = std::u16string(kDemoDrive);
    try {
        if (desktop && has_display()) {
            std::cout << "\nThe page opens in a window: type " << utf8(kDemoPreviousServer)
                      << ", keep drive " << utf8(kDemoDrive) << ", press Update, then close the window.\n" << std::flush;
            desktop(request, std::nullopt);  // a demo is made anew each time: nothing to undo
        } else {
            run_page_update(request);
        }
    } catch (const PageScriptError& e) {
        std::cerr << "pathmender: " << e.what() << "\n";
        throw CLI::RuntimeError(e.exit_status);
    } catch (...) {
        fail_command("the update did not run: " + current_error_text());
    }
    std::fflush(stdout);  // the page's messages went there through the console

    try {
        print_changes(folder, records);
    } catch (...) {
        fail_command("cannot read the records back: " + current_error_text());
    }
    print_how_to_go_on(folder);
}

}  // namespace

void add_demo_command(CLI::App& app, DesktopPageRunner desktop) {
    auto folder = std::make_shared<std::string>();
    auto* demo = app.add_subcommand(
        "demo", "Make a demo host database and network once, run the update on it, and show what changed");
    demo->add_option("dir", *folder, std::string("The demo's folder (default: ./") + kDefaultDemoFolder + ")");
    demo->callback([folder, desktop] { run_demo(*folder, desktop); });
}
