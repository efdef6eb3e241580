#include "app/run_outputs.h"

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
    std::vector<std::pair<fs::path, std::string>> kept{{outputs.database, "the database"}};
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
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
