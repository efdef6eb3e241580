#include "app/demo_folder.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/demo_scenario.h"
#include "testkit/media_database.h"

namespace fs = std::filesystem;

namespace {

constexpr char kMarkerFirstLine[] = "Pathmender demo";

constexpr char kMarkerText[] =
    "Pathmender demo\n"
    "\n"
    "Made by \"pathmender demo\". The media files of a host moved from \\\\OldServer to \\\\NewServer;\n"
    "\\\\OldServer is gone.\n"
    "\n"
    "  host.db             the host database the update works on\n"
    "  host.initial.db     its first state: \"pathmender demo\" copies it over host.db before every run\n"
    "  network/            the network folder: \\\\server\\share\\rest is network/server/share/rest\n"
    "  network/drives.txt  the workstation's mapped network drives\n"
    "\n"
    "Remove this folder to remove the demo.\n";

std::string first_line_of(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string contents_of(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw DemoFolderError("cannot write " + file.string());
}

void write_network(const DemoFolder& folder, bool only_missing) {
    for (const fs::path& relative : demo_network_files()) {
        const fs::path file = folder.network / relative;
        if (only_missing && fs::exists(file)) continue;
        fs::create_directories(file.parent_path());
        write_file(file, "Pathmender demo media file " + relative.generic_string() + "\n");
    }
    if (!only_missing || contents_of(folder.drives) != demo_drives_text()) write_file(folder.drives, demo_drives_text());
}

void write_database(const fs::path& file) {
    MediaDatabase database = MediaDatabase::create(file);
    const std::vector<DemoRecord> records = demo_records();
    database.in_transaction([&] {
        for (const DemoRecord& record : records) database.insert(record.table, record.media_id, record.object, 100 + record.media_id);
    });
}

void write_demo(const DemoFolder& folder) {
    fs::create_directories(folder.network);
    write_network(folder, false);
    write_database(folder.initial_database);
    write_file(folder.marker, kMarkerText);  // last: a folder with it is a whole demo
}

bool holds_demo(const DemoFolder& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder.marker, ec) && first_line_of(folder.marker) == kMarkerFirstLine;
}

// A new folder beside root, for making the demo out of sight.
fs::path staging_folder_beside(const fs::path& root) {
    std::string pattern = (root.parent_path() / (root.filename().string() + ".partial-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw DemoFolderError("cannot make a folder beside " + root.string() + ": " +
                              std::error_code(errno, std::generic_category()).message());
    return pattern;
}

}  // namespace

DemoFolder demo_folder(const fs::path& root) {
    DemoFolder folder;
    folder.root = fs::absolute(root).lexically_normal();
    if (!folder.root.has_filename()) folder.root = folder.root.parent_path();  // "dir/" names dir
    folder.database = folder.root / "host.db";
    folder.initial_database = folder.root / "host.initial.db";
    folder.network = folder.root / "network";
    folder.drives = folder.network / "drives.txt";
    folder.marker = folder.root / "pathmender-demo.txt";
    return folder;
}

bool make_demo_once(const DemoFolder& folder) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder.root, ec))) {
        if (!fs::is_directory(folder.root, ec))
            throw DemoFolderError(folder.root.string() + " is not a folder; the demo needs a folder of its own");
        if (holds_demo(folder)) {
            if (!fs::is_regular_file(folder.initial_database, ec))
                throw DemoFolderError(folder.root.string() + " holds a damaged demo: " +
                                      folder.initial_database.filename().string() +
                                      " is missing. Remove the folder to make a new demo.");
            return false;
        }
        if (!fs::is_empty(folder.root, ec) || ec)
            throw DemoFolderError(folder.root.string() +
                                  " exists and holds no demo; the demo needs a new or empty folder of its own");
    }
    fs::create_directories(folder.root.parent_path());
    const fs::path staging = staging_folder_beside(folder.root);
    try {
        write_demo(demo_folder(staging));
        fs::rename(staging, folder.root);  // takes the place of an empty folder too
    } catch (...) {
        fs::remove_all(staging, ec);
        throw;
    }
    return true;
}

void reset_demo(const DemoFolder& folder) {
    write_network(folder, true);
    fs::path copy = folder.database;
    copy += ".reset";
    fs::copy_file(folder.initial_database, copy, fs::copy_options::overwrite_existing);
    // The log of the database being replaced must not be replayed into its replacement.
    for (const char* suffix : {"-wal", "-shm"}) {
        fs::path log = folder.database;
        log += suffix;
        fs::remove(log);
    }
    fs::rename(copy, folder.database);
}
