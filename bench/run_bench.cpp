// pm_bench: makes (or reuses) the benchmark corpus, then runs on fresh copies of its database the
// floor program, the limit of the work (the floor program's --limit, without and with a journal of
// the old bytes: "limit", "limit-journaled") and `pathmender update` in search and in exact mode
// (without an undo journal), and in search mode with the undo journal and a report ("journaled"),
// and, when asked for, search mode on the same records in a private PostgreSQL server ("postgres")
// and on the same file through the SQLite ODBC driver ("sqlite-odbc"),
// checks every record against the manifest, and prints wall time, records per second and peak
// memory of each run, and each mode's ratio to its limit.
#include <CLI/CLI.hpp>

#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <algorithm>
#include <iostream>
#include <map>
#include <optional>

#include "bench/corpus.h"
#include "bench/server_copy.h"
#include "com/utf.h"
#include "testkit/media_database.h"
#include "testkit/object_builder.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/ole_object.h"

namespace fs = std::filesystem;

namespace {

struct Measure {
    double wall_seconds = 0;
    double user_seconds = 0;
    double system_seconds = 0;
    long peak_kb = 0;
    int status = -1;
};

struct Child {
    std::vector<std::string> argv;
    std::vector<std::pair<std::string, std::string>> environment;
    fs::path out, err;
};

// The folder of this program, where the programs it runs are built too.
const fs::path& bench_bin() {
    static const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    return bin;
}

// Runs the child to its end under pm_bench_measure, which reports the child's exit status, its
// own peak resident size and its CPU times.
Measure run(const Child& child) {
    const fs::path measure = bench_bin() / "pm_bench_measure";
    const fs::path report = child.out.string() + ".measure";
    fs::remove(report);
    std::vector<std::string> args{measure.string(), report.string()};
    args.insert(args.end(), child.argv.begin(), child.argv.end());
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        // An empty value takes the variable away.
        for (const auto& [name, value] : child.environment)
            value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
        int out = ::open(child.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open(child.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) ::_exit(127);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) throw std::runtime_error("waitpid failed");
    Measure m;
    m.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ifstream in(report);
    if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0) ||
        !(in >> m.status >> m.peak_kb >> m.user_seconds >> m.system_seconds))
        throw std::runtime_error("no measure of " + child.argv.front() + "; see " + child.err.string());
    return m;
}

std::string read_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string last_line(const fs::path& file) {
    std::string text = read_text(file);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.find_last_of('\n') == std::string::npos ? 0 : text.find_last_of('\n') + 1);
}

// A fresh copy of the corpus's database, with nothing of an earlier run beside it.
void fresh_database(const bench::CorpusLayout& corpus, const fs::path& copy) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal", ".pathmender-journal", ".pathmender-journal-wal",
                               ".pathmender-journal-shm", ".limit-journal", ".limit-journal-wal", ".limit-journal-shm"})
        fs::remove(copy.string() + suffix);
    fs::copy_file(corpus.database(), copy);
    ::sync();  // the copy's dirty pages must not land inside the timed run's fsyncs
}

// The records whose link differs from the manifest's expectation for the mode.
using RecordReader = std::function<std::optional<std::vector<std::uint8_t>>(const std::u16string&, std::int64_t)>;

std::int64_t mismatches(const RecordReader& read, const std::vector<bench::ManifestRecord>& manifest, bool exact) {
    std::int64_t wrong = 0;
    for (const bench::ManifestRecord& r : manifest) {
        if (r.fate == bench::Fate::embedded) continue;
        auto bytes = read(utf16(r.table), r.media_id);
        std::string now;
        if (bytes) {
            try {
                // A record still behind its desktop database header holds the object after it.
                std::span<const std::uint8_t> image(*bytes);
                image = image.subspan(pathmender::ole::desktop_database_header_length(image));
                std::size_t consumed = 0;
                now = utf8(pathmender::ole::source_doc(pathmender::ole::read_ole_object(image, consumed)));
            } catch (const std::exception&) {
                now = "(unreadable)";
            }
        }
        const std::string& expected = exact ? r.after_exact : r.after_search;
        if (now != expected) {
            if (wrong < 5)
                std::cerr << "  " << r.table << " " << r.media_id << " (" << bench::fate_name(r.fate) << "): " << now
                          << ", expected " << expected << "\n";
            ++wrong;
        }
    }
    return wrong;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Benchmarks `pathmender update` against the floor on a generated corpus"};
    bench::CorpusSize size;
    std::string work = (fs::temp_directory_path() / "pm-bench").string();
    std::vector<std::string> modes{"limit", "limit-journaled", "floor", "search", "exact", "journaled"};
    bool verify = true;
    int repeat = 1;
    app.add_option("--records", size.records, "Media records over the eleven tables")->capture_default_str();
    app.add_option("--files", size.files, "Files on the new server's share")->capture_default_str();
    app.add_option("--seed", size.seed, "Seed of the corpus")->capture_default_str();
    app.add_option("--dir", work, "Work folder: corpora are kept there and reused")->capture_default_str();
    app.add_option("--modes", modes,
                   "Runs, in order: limit, limit-journaled, floor, search, exact, journaled (search mode with "
                   "the undo journal and a report), postgres (search mode on a PostgreSQL server), sqlite-odbc (search "
                   "mode on the file through the SQLite ODBC driver); the last two not by default")
        ->delimiter(',')
        ->capture_default_str();
    app.add_option("--repeat", repeat, "Rounds of all the modes; the table ends with each mode's median")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    app.add_flag("!--no-verify", verify, "Do not check the records against the manifest after each run");
    CLI11_PARSE(app, argc, argv);

    try {
        const fs::path& bin = bench_bin();
        fs::create_directories(work);
        bench::CorpusLayout corpus{fs::path(work) / ("corpus-" + std::to_string(size.records) + "-" +
                                                     std::to_string(size.files) + "-" + std::to_string(size.seed))};
        const fs::path run_dir = fs::path(work) / "run";
        fs::create_directories(run_dir / "tmp");
        const fs::path registry = fs::path(work) / "registry";
        // The host's temporary files go where it puts them by default (a private memory file
        // system where there is one); the floor's go to the work folder.
        const std::vector<std::pair<std::string, std::string>> environment = {
            {"PATHMENDER_REGISTRY", registry.string()}, {"TMPDIR", ""}};

        if (!bench::has_corpus(corpus, size)) {
            fs::remove_all(corpus.folder);
            std::cerr << "making the corpus in " << corpus.folder << "\n";
            Measure made = run({{(bin / "pm_bench_corpus").string(), "--out", corpus.folder.string(), "--records",
                                 std::to_string(size.records), "--files", std::to_string(size.files), "--seed",
                                 std::to_string(size.seed)},
                                {},
                                run_dir / "corpus.out",
                                run_dir / "corpus.err"});
            std::cerr << read_text(run_dir / "corpus.err");
            if (made.status != 0) throw std::runtime_error("the corpus could not be made");
            std::cerr << "corpus made in " << std::fixed << std::setprecision(1) << made.wall_seconds << " s\n";
        }
        const std::vector<bench::ManifestRecord> manifest = bench::read_manifest(corpus.manifest());

        Measure registered = run({{(bin / "pathmender").string(), "register"}, environment, run_dir / "register.out",
                                  run_dir / "register.err"});
        if (registered.status != 0) throw std::runtime_error("pathmender register failed: " + read_text(run_dir / "register.err"));

        struct Row {
            std::string mode;
            Measure measure;
            std::string note;
        };
        std::vector<Row> rows;
        const fs::path database = run_dir / "host.db";
        std::optional<BenchServer> server;
        if (std::find(modes.begin(), modes.end(), "postgres") != modes.end()) server.emplace();
        // Rounds interleave the modes, so that a slow spell of the machine does not fall on one mode,
        // and each round starts one mode further on, so that no mode always follows the same one.
        for (int round = 1; round <= repeat; ++round) {
            std::vector<std::string> order = modes;
            std::rotate(order.begin(), order.begin() + (round - 1) % order.size(), order.end());
            for (const std::string& mode : order) {
                fresh_database(corpus, database);
                if (mode == "postgres") {
                    std::cerr << "filling the server...\n";
                    server->fill_from(corpus.database());
                    ::sync();
                }
                Child child{{}, environment, run_dir / (mode + ".out"), run_dir / (mode + ".err")};
                if (mode == "floor" || mode.starts_with("limit")) {
                    child.argv = {(bin / "pm_bench_floor").string(), "--corpus", corpus.folder.string(), "--db",
                                  database.string(), "--temp", (run_dir / "tmp").string()};
                    if (mode != "floor") child.argv.push_back("--limit");
                    if (mode == "limit-journaled")
                        child.argv.insert(child.argv.end(), {"--journal", database.string() + ".limit-journal"});
                } else if (mode == "postgres") {
                    child.argv = {(bin / "pathmender").string(), "update", "--connection", server->connection_string(),
                                  "--network", corpus.network().string(), "--previous", bench::kPreviousServer,
                                  "--drive", bench::kDrive, "--no-journal"};
                } else if (mode == "sqlite-odbc") {
                    // The driver's connections share the file only in write-ahead-log mode.
                    MediaDatabase::open(database).connection().execute("PRAGMA journal_mode = WAL");
                    child.argv = {(bin / "pathmender").string(), "update", "--connection",
                                  "Driver=SQLite3;Database=" + database.string(), "--network", corpus.network().string(),
                                  "--previous", bench::kPreviousServer, "--drive", bench::kDrive, "--no-journal"};
                } else if (mode == "search" || mode == "exact" || mode == "journaled") {
                    child.argv = {(bin / "pathmender").string(), "update", "--db", database.string(), "--network",
                                  corpus.network().string(), "--previous", bench::kPreviousServer, "--drive",
                                  bench::kDrive};
                    if (mode == "exact") child.argv.push_back("--exact");
                    if (mode == "journaled") child.argv.insert(child.argv.end(), {"--report", (run_dir / "report.csv").string()});
                    else child.argv.push_back("--no-journal");
                } else {
                    throw std::runtime_error("no mode " + mode);
                }
                std::cerr << "round " << round << ": " << mode << "...\n";
                Row row{mode, run(child), last_line(child.out)};
                if (row.measure.status != 0)
                    row.note = "exit " + std::to_string(row.measure.status) + ": " + last_line(child.err);
                if (verify && mode != "floor" && !mode.starts_with("limit")) {
                    MediaDatabase db = MediaDatabase::open(database);
                    const RecordReader read = mode == "postgres" ? RecordReader([&](const std::u16string& table, std::int64_t id) {
                        return server->read(table, id);
                    })
                                                                 : RecordReader([&](const std::u16string& table, std::int64_t id) {
                                                                       return db.read(table, id);
                                                                   });
                    std::int64_t wrong = mismatches(read, manifest, mode == "exact");
                    row.note += wrong ? "; " + std::to_string(wrong) + " records differ from the manifest"
                                      : "; records as expected";
                }
                if (mode == "journaled") {
                    std::ifstream report(run_dir / "report.csv", std::ios::binary);
                    const auto lines = std::count(std::istreambuf_iterator<char>(report), {}, '\n');
                    const auto journal = fs::file_size(database.string() + ".pathmender-journal");
                    row.note += "; report " + std::to_string(lines - 1) + " rows, journal " +
                                std::to_string(journal / (1024 * 1024)) + " MB";
                }
                std::cerr << "  " << row.measure.wall_seconds << " s: " << row.note << "\n";
                rows.push_back(row);
            }
        }

        auto print_row = [&](const std::string& mode, const Measure& m, const std::string& note) {
            std::cout << std::left << std::setw(12) << mode << std::right << std::fixed << std::setprecision(1)
                      << std::setw(10) << m.wall_seconds << std::setw(12) << std::setprecision(0)
                      << double(size.records) / m.wall_seconds << std::setw(10) << std::setprecision(1)
                      << double(m.peak_kb) / 1024 << std::setw(9) << m.user_seconds << std::setw(9)
                      << m.system_seconds << "  " << note << "\n";
        };
        std::cout << "corpus: " << size.records << " records, " << size.files << " files, seed " << size.seed << "\n";
        std::cout << std::left << std::setw(12) << "run" << std::right << std::setw(10) << "wall s" << std::setw(12)
                  << "records/s" << std::setw(10) << "peak MB" << std::setw(9) << "user s" << std::setw(9) << "sys s"
                  << "  outcome\n";
        for (const Row& row : rows) print_row(row.mode, row.measure, row.note);

        // Per mode, the run of median wall time (the lower middle one for an even count).
        std::map<std::string, Measure> median;
        for (const std::string& mode : modes) {
            std::vector<Measure> runs;
            for (const Row& row : rows)
                if (row.mode == mode) runs.push_back(row.measure);
            std::sort(runs.begin(), runs.end(),
                      [](const Measure& a, const Measure& b) { return a.wall_seconds < b.wall_seconds; });
            median[mode] = runs[(runs.size() - 1) / 2];
        }
        if (repeat > 1) {
            std::cout << "median of " << repeat << " rounds:\n";
            for (const std::string& mode : modes) print_row(mode, median[mode], "");
        }
        std::cout << std::setprecision(2);
        auto ratio = [&](const char* label, const char* a, const char* b) {
            if (median.count(a) && median.count(b))
                std::cout << label << median[a].wall_seconds / median[b].wall_seconds << "\n";
        };
        ratio("search / limit: ", "search", "limit");
        ratio("postgres / search: ", "postgres", "search");
        ratio("sqlite-odbc / search: ", "sqlite-odbc", "search");
        ratio("journaled / limit-journaled: ", "journaled", "limit-journaled");
        ratio("search / floor: ", "search", "floor");
        ratio("exact / floor:  ", "exact", "floor");
        ratio("search / exact: ", "search", "exact");
        ratio("journaled / search: ", "journaled", "search");
    } catch (const std::exception& e) {
        std::cerr << "pm_bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
