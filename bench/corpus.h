// The benchmark corpus: a host database whose media records link to files of a previous server,
// and the network folder of the new one. Everything follows from the sizes and the seed, so the
// same options always make the same corpus.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct CorpusSize {
    std::int64_t records = 100'000;  // media records over the eleven tables
    std::int64_t files = 100'000;    // files on the new server's share
    std::uint64_t seed = 1;
};

// What the update should do to a record.
enum class Fate {
    found,     // a link to the previous server; the file is at the remapped path
    searched,  // a link to the previous server; the file is only in another folder of the share
    missing,   // a link to the previous server; the file is nowhere
    other,     // a link to another server: not selected
    embedded,  // not a link
};

struct ManifestRecord {
    std::string table;
    std::int64_t media_id = 0;
    Fate fate = Fate::embedded;
    std::string link;         // the source path stored (UTF-8); empty for embedded objects
    std::string after_search; // the source path after a run in search mode
    std::string after_exact;  // the source path after a run in exact mode
};

// Where a corpus lives below its folder.
struct CorpusLayout {
    std::filesystem::path folder;
    std::filesystem::path database() const { return folder / "host.db"; }
    std::filesystem::path network() const { return folder / "network"; }
    std::filesystem::path share() const { return folder / "network" / "NewServer" / "Media"; }
    std::filesystem::path drives() const { return folder / "network" / "drives.txt"; }
    std::filesystem::path manifest() const { return folder / "manifest.tsv"; }
    std::filesystem::path size_stamp() const { return folder / "size.txt"; }
};

inline constexpr char kPreviousServer[] = "\\\\OldServer";
inline constexpr char kDrive[] = "Z:";

// Makes the corpus in layout.folder, which must not exist yet. Progress goes to stderr.
void make_corpus(const CorpusLayout& layout, const CorpusSize& size);

// Whether layout.folder holds a finished corpus of exactly this size.
bool has_corpus(const CorpusLayout& layout, const CorpusSize& size);

std::vector<ManifestRecord> read_manifest(const std::filesystem::path& file);

const char* fate_name(Fate fate);

}  // namespace bench
