#include "app/run_outputs.h"

#include "app/system_files.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

bool same_file(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec) && !ec;
    const fs::path resolved_a = fs::weakly_canonical(fs::absolute(a, ec), ec);
    const fs::path resolved_b = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return resolved_a == resolved_b;
}

std::optional<std::string> clashing_output(const RunOutputs& outputs) {
    // What no output may replace, and what each is to the user.
    std::vector<std::pair<fs::path, std::string>> kept;
    if (!outputs.database.empty()) kept.push_back({outputs.database, "the database"});
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        if (!outputs.database.empty())
            kept.push_back({outputs.database.string() + suffix, "the database's file " + outputs.database.string() + suffix});
        kept.push_back({outputs.journal.string() + suffix, "the undo journal's file " + outputs.journal.string() + suffix});
    }

    auto clash = [&](const fs::path& output, const std::string& what) -> std::optional<std::string> {
        for (const auto& [file, name] : kept)
            if (same_file(output, file)) return what + " " + output.string() + " would replace " + name;
        return std::nullopt;
    };
    if (auto why = clash(outputs.journal, "the undo journal")) return why;
    if (!outputs.report) return std::nullopt;
    kept.push_back({outputs.journal, "the undo journal " + outputs.journal.string()});
    return clash(*outputs.report, "the report");
}

std::optional<std::string> journal_cannot_be_made(const fs::path& file, bool folder_made) {
    // The file itself when it is there, and its folder in any case: SQLite makes its log beside it.
    fs::path folder = fs::absolute(file).parent_path();
    std::error_code ec;
    while (folder_made && !fs::exists(folder, ec) && folder.has_parent_path() && folder.parent_path() != folder)
        folder = folder.parent_path();
    if (fs::exists(fs::symlink_status(file, ec)))
        if (auto why = file_not_writable(file)) return "the journal " + file.string() + " cannot be written: " + *why;
    if (auto why = folder_not_writable(folder))
        return "the folder " + folder.string() + " cannot take the journal " + file.filename().string() + ": " + *why;
    return std::nullopt;
}
