#include "bench/corpus.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

#include "com/utf.h"
#include "testkit/media_database.h"
#include "hostapp/db/media_tables.h"
#include "testkit/object_builder.h"

namespace fs = std::filesystem;
namespace ole = pathmender::ole;

namespace bench {

namespace {

constexpr const char* kExtensions[] = {"pdf", "jpg", "doc", "xls", "tif"};
constexpr const char* kLevelNames[] = {"Region", "Office", "Dept", "Team", "Year", "Batch"};
constexpr int kBranches = 10;          // children a folder may have at each level
constexpr std::int64_t kFilesPerFolder = 20;
constexpr std::int64_t kRowsPerTransaction = 2'000;
constexpr std::size_t kSmallestEmbedded = 2 * 1024;
constexpr std::size_t kLargestEmbedded = 50 * 1024;

class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t below(std::uint64_t bound) { return engine_() % bound; }
    std::mt19937_64& engine() { return engine_; }

private:
    std::mt19937_64 engine_;
};

// Folders of the share, 3 to 6 deep, '/'-separated, all different.
std::vector<std::string> make_folders(std::int64_t count, Random& random) {
    std::vector<std::string> folders;
    std::set<std::string> seen;
    while (std::int64_t(folders.size()) < count) {
        const int depth = 3 + int(random.below(4));
        std::string folder;
        for (int level = 0; level < depth; ++level) {
            char part[32];
            std::snprintf(part, sizeof part, "%s%02d", kLevelNames[level], int(random.below(kBranches)));
            if (level) folder += '/';
            folder += part;
        }
        if (seen.insert(folder).second) folders.push_back(folder);
    }
    return folders;
}

std::string backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string file_name(char prefix, std::int64_t number, bool upper) {
    char name[40];
    std::snprintf(name, sizeof name, "%c%07" PRId64 ".%s", prefix, number, kExtensions[number % 5]);
    std::string text = name;
    if (upper) std::transform(text.begin(), text.end(), text.begin(), [](char c) { return char(std::toupper(c)); });
    return text;
}

void create_file(const fs::path& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path.string());
    static const char content[] = "media file\n";
    bool ok = ::write(fd, content, sizeof content - 1) == ssize_t(sizeof content - 1);
    ::close(fd);
    if (!ok) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> link_object(const std::string& path, bool ole1, std::uint64_t seed) {
    const std::u16string source = utf16(path);
    if (ole1)
        return ole::with_desktop_database_header(ole::build_ole1_link({.path = source, .seed = seed}), "Document",
                                                 "Word.Document.8");
    return ole::build_container_link(
        {.path = source, .link_update_option = seed % 2 ? ole::kLinkUpdateAlways : ole::kLinkUpdateOnCall, .seed = seed});
}

std::vector<std::uint8_t> embedded_object(std::size_t size, bool ole1, std::uint64_t seed) {
    if (ole1)
        return ole::with_desktop_database_header(
            ole::build_ole1_embedded({.class_name = "PBrush", .native_size = size, .seed = seed}), "Bitmap Image",
            "Paint.Picture");
    return ole::build_container_embedded({.payload_size = size, .seed = seed});
}

std::string stamp_text(const CorpusSize& size) {
    std::ostringstream out;
    out << "records " << size.records << " files " << size.files << " seed " << size.seed << "\n";
    return out.str();
}

void write_text(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

const char* fate_name(Fate fate) {
    switch (fate) {
    case Fate::found: return "found";
    case Fate::searched: return "searched";
    case Fate::missing: return "missing";
    case Fate::other: return "other";
    case Fate::embedded: return "embedded";
    }
    return "?";
}

void make_corpus(const CorpusLayout& layout, const CorpusSize& size) {
    if (size.records < 1 || size.files < 1) throw std::invalid_argument("records and files must be positive");
    if (fs::exists(layout.folder)) throw std::runtime_error(layout.folder.string() + " exists already");

    const std::int64_t links = size.records / 2;
    const std::int64_t others = size.records / 10;
    const std::int64_t found = links * 85 / 100;
    const std::int64_t searched = links * 10 / 100;
    const std::int64_t missing = links - found - searched;
    const std::int64_t embedded = size.records - links - others;
    if (found + searched > size.files)
        throw std::invalid_argument("the share needs at least " + std::to_string(found + searched) +
                                    " files for the links that are to be found");

    Random random(size.seed);
    std::vector<Fate> fates;
    fates.reserve(std::size_t(size.records));
    fates.insert(fates.end(), std::size_t(found), Fate::found);
    fates.insert(fates.end(), std::size_t(searched), Fate::searched);
    fates.insert(fates.end(), std::size_t(missing), Fate::missing);
    fates.insert(fates.end(), std::size_t(others), Fate::other);
    fates.insert(fates.end(), std::size_t(embedded), Fate::embedded);
    std::shuffle(fates.begin(), fates.end(), random.engine());

    const std::vector<std::string> folders =
        make_folders(std::max<std::int64_t>(8, size.files / kFilesPerFolder), random);
    auto any_folder = [&] { return folders[random.below(folders.size())]; };

    fs::create_directories(layout.share());
    for (const std::string& folder : folders) fs::create_directories(layout.share() / folder);
    write_text(layout.drives(), "Z: \\\\NewServer\\Media\nY: \\\\Archive\\Scans\n");

    std::cerr << "corpus: " << size.records << " records (" << found << " found at the remapped path, " << searched
              << " found by the search, " << missing << " missing, " << others << " other server, " << embedded
              << " embedded), " << size.files << " files in " << folders.size() << " folders\n";

    // Records k: table k mod 11, MEDIAID k div 11 + 1.
    std::vector<ManifestRecord> manifest(std::size_t(size.records));
    std::int64_t files_made = 0;
    const std::string old_root = "\\\\OldServer\\Media\\";
    const std::string new_root = "\\\\NewServer\\Media\\";
    for (std::int64_t k = 0; k < size.records; ++k) {
        ManifestRecord& record = manifest[std::size_t(k)];
        record.table = utf8(kMediaTables[std::size_t(k % 11)]);
        record.media_id = k / 11 + 1;
        record.fate = fates[std::size_t(k)];
        const std::string folder = any_folder();
        const std::string name = file_name('m', k, false);
        // One link in seven was typed with the server in capitals: it is selected all the same.
        const std::string old_server = k % 7 == 0 ? "\\\\OLDSERVER\\Media\\" : old_root;
        switch (record.fate) {
        case Fate::found:
            record.link = old_server + backslashed(folder) + "\\" + name;
            record.after_search = record.after_exact = new_root + backslashed(folder) + "\\" + name;
            create_file(layout.share() / folder / name);
            ++files_made;
            break;
        case Fate::searched: {
            std::string elsewhere = any_folder();
            while (elsewhere == folder) elsewhere = any_folder();
            const std::string disk_name = file_name('m', k, k % 3 == 0);  // the name test ignores case
            record.link = old_server + backslashed(folder) + "\\" + name;
            record.after_search = new_root + backslashed(elsewhere) + "\\" + disk_name;
            record.after_exact = record.link;
            create_file(layout.share() / elsewhere / disk_name);
            ++files_made;
            break;
        }
        case Fate::missing:
            record.link = old_server + backslashed(folder) + "\\" + name;
            record.after_search = record.after_exact = record.link;
            break;
        case Fate::other:
            record.link = "\\\\Archive\\Scans\\" + backslashed(folder) + "\\" + name;
            record.after_search = record.after_exact = record.link;
            break;
        case Fate::embedded: break;
        }
    }
    for (std::int64_t j = 0; files_made < size.files; ++j, ++files_made)
        create_file(layout.share() / any_folder() / file_name('f', j, false));
    std::cerr << "corpus: share made\n";

    {
        MediaDatabase database = MediaDatabase::create(layout.database());
        for (std::size_t table = 0; table < kMediaTables.size(); ++table) {
            for (std::int64_t first = std::int64_t(table); first < size.records;) {
                database.in_transaction([&] {
                    std::int64_t rows = 0;
                    for (; first < size.records && rows < kRowsPerTransaction; first += 11, ++rows) {
                        const ManifestRecord& record = manifest[std::size_t(first)];
                        const std::uint64_t seed = size.seed * 1'000'003 + std::uint64_t(first);
                        // Nine objects in ten in the container's layout, the rest OLE 1.0 behind a header.
                        const bool ole1 = random.below(10) == 0;
                        std::vector<std::uint8_t> object =
                            record.fate == Fate::embedded
                                ? embedded_object(kSmallestEmbedded +
                                                      random.below(kLargestEmbedded - kSmallestEmbedded + 1),
                                                  ole1, seed)
                                : link_object(record.link, ole1, seed);
                        database.insert(utf16(record.table), record.media_id, object, record.media_id % 5);
                    }
                });
            }
            std::cerr << "corpus: table " << utf8(kMediaTables[table]) << " written\n";
        }
    }

    std::ostringstream text;
    for (const ManifestRecord& r : manifest)
        text << r.table << '\t' << r.media_id << '\t' << fate_name(r.fate) << '\t' << r.link << '\t'
             << r.after_search << '\t' << r.after_exact << '\n';
    write_text(layout.manifest(), text.str());
    write_text(layout.size_stamp(), stamp_text(size));  // last: marks the corpus finished
}

bool has_corpus(const CorpusLayout& layout, const CorpusSize& size) {
    std::ifstream in(layout.size_stamp(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    return in.good() || in.eof() ? text == stamp_text(size) : false;
}

std::vector<ManifestRecord> read_manifest(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::vector<ManifestRecord> records;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() != 6) throw std::runtime_error("bad manifest line: " + line);
        ManifestRecord& r = records.emplace_back();
        r.table = fields[0];
        r.media_id = std::stoll(fields[1]);
        for (Fate fate : {Fate::found, Fate::searched, Fate::missing, Fate::other, Fate::embedded})
            if (fields[2] == fate_name(fate)) r.fate = fate;
        r.link = fields[3];
        r.after_search = fields[4];
        r.after_exact = fields[5];
    }
    return records;
}

}  // namespace bench
