// Reads a compound file whole and refuses any damage (a chain that loops, breaks off or leaves the
// file, a sector in two chains, a directory tree that loops, a stream longer than its chain) rather
// than guess around it.
#include "platform/ole/compound_file.h"

#include "platform/ole/compound_format.h"
#include "platform/ole/ole_error.h"

#include <algorithm>
#include <utility>

namespace pathmender::ole {

namespace {

using namespace cfb;

constexpr std::size_t kMiniSectorSize = std::size_t{1} << kMiniSectorShift;
constexpr const char* kSectorInTwoChains = "compound file sector used by two chains";

std::string utf8_from_utf16(const std::u16string& units) {
    std::string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            fail_loading("compound file entry name with a lone surrogate");
        if (c < 0x80) {
            text.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            text.push_back(static_cast<char>(0xC0 | (c >> 6)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            text.push_back(static_cast<char>(0xE0 | (c >> 12)));
            text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            text.push_back(static_cast<char>(0xF0 | (c >> 18)));
            text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return text;
}

// Whole microseconds; times after the year 9999 read as "not set", as they always have.
std::uint64_t kept_time(std::uint64_t filetime) {
    return filetime / kTicksPerSecond > kLastStorableSecond ? 0 : filetime - filetime % 10;
}

// Upper case of the letters names use in practice (Latin-1, Latin Extended-A, Greek, Cyrillic);
// other characters stay as they are.
char16_t upper_case(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return static_cast<char16_t>(c - 0x20);
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    if (c == 0xFF)
        return 0x178;
    if (c == 0xB5)
        return 0x39C;
    const bool pairs_odd_lower = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool pairs_even_lower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((pairs_odd_lower && c % 2 == 1) || (pairs_even_lower && c % 2 == 0))
        return static_cast<char16_t>(c - 1);
    return c;
}

// The order children have always been read in: shorter names first, then code unit by code unit
// upper-cased (wider than the format's own ASCII-only order, which the writer follows).
bool read_order_less(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return upper_case(x) < upper_case(y); });
}

class Reader {
public:
    explicit Reader(ByteView bytes) : bytes_(bytes) {
        if (bytes.size() < kHeaderSize || !std::equal(kCompoundFileSignature.begin(), kCompoundFileSignature.end(), bytes.begin()))
            fail_loading("not a compound file");
        const unsigned shift = load_u16(bytes, kSectorShiftField);
        if ((shift != kSectorShift && shift != kLargeSectorShift) || load_u16(bytes, kMiniSectorShiftField) != kMiniSectorShift)
            fail_loading("compound file with sectors of an unknown size");
        if (load_u32(bytes, kMiniStreamCutoffField) != kMiniStreamCutoff)
            fail_loading("compound file with an unknown mini stream cutoff");
        sector_size_ = std::size_t{1} << shift;
        if (bytes.size() < 2 * sector_size_)
            fail_loading("compound file without a single sector");
        sector_count_ = bytes.size() / sector_size_ - 1;  // the header fills the first sector's room
        read_fat();
        directory_ = chain(fat_, load_u32(bytes, kFirstDirectorySector));
        claim(used_sectors_, directory_, kSectorInTwoChains);
        entry_count_ = directory_.size() * (sector_size_ / kEntrySize);
        seen_.assign(entry_count_, false);
    }

    CompoundFile read() {
        const std::size_t root = entry(0);
        if (bytes_[root + kType] != kRoot || load_u32(bytes_, root + kLeftSibling) != kNoStream ||
            load_u32(bytes_, root + kRightSibling) != kNoStream)
            fail_loading("compound file whose root entry is no single root storage");
        seen_[0] = true;
        read_mini_stream(root);
        CompoundFile file;
        file.root.name = "Root Entry";
        read_storage(root, file.root, 0);
        return file;
    }

private:
    ByteView sector(std::uint32_t index) const {
        if (index >= sector_count_)
            fail_loading("compound file sector outside the file");
        return bytes_.subspan((std::size_t{index} + 1) * sector_size_, sector_size_);
    }

    // Every entry of an allocation table names a sector the table covers, or is a marker.
    static std::vector<std::uint32_t> table_from(const std::vector<ByteView>& sectors) {
        std::vector<std::uint32_t> table;
        for (ByteView sector : sectors)
            for (std::size_t at = 0; at < sector.size(); at += 4)
                table.push_back(load_u32(sector, at));
        for (std::uint32_t next : table)
            if (next >= table.size() && next < kDifatSector)
                fail_loading("compound file allocation table points past its end");
        return table;
    }

    void read_fat() {
        const std::uint32_t fat_sectors = load_u32(bytes_, kFatSectorCount);
        if (fat_sectors >= sector_count_ || load_u32(bytes_, kMiniFatSectorCount) >= sector_count_ ||
            load_u32(bytes_, kDifatSectorCount) >= sector_count_)
            fail_loading("compound file with more FAT sectors than sectors");
        std::vector<std::uint32_t> listed;
        for (std::size_t i = 0; i < std::min<std::size_t>(fat_sectors, kHeaderDifatSlots); ++i)
            listed.push_back(load_u32(bytes_, kHeaderDifat + 4 * i));
        // The DIFAT holds the rest, exactly as many sectors of it as that takes.
        const std::size_t slots = sector_size_ / 4 - 1;
        const std::size_t rest = fat_sectors - listed.size();
        if (load_u32(bytes_, kDifatSectorCount) != (rest + slots - 1) / slots)
            fail_loading("compound file DIFAT of the wrong length");
        used_sectors_.assign(sector_count_, false);
        for (std::uint32_t difat = load_u32(bytes_, kFirstDifatSector); listed.size() < fat_sectors;) {
            if (difat >= sector_count_ || used_sectors_[difat])
                fail_loading("compound file DIFAT broken off or in a cycle");
            used_sectors_[difat] = true;
            const ByteView slots_sector = sector(difat);
            for (std::size_t i = 0; i < slots && listed.size() < fat_sectors; ++i)
                listed.push_back(load_u32(slots_sector, 4 * i));
            difat = load_u32(slots_sector, 4 * slots);
        }
        std::vector<ByteView> sectors;
        for (std::uint32_t index : listed)
            sectors.push_back(sector(index));
        claim(used_sectors_, listed, kSectorInTwoChains);
        fat_ = table_from(sectors);
        // Chains run through the sectors the FAT covers, which may be more than the file holds.
        used_sectors_.resize(std::max(sector_count_, fat_.size()), false);
    }

    // A sector (or mini sector) belongs to one chain at most, the FAT's and the DIFAT's own
    // sectors included, so what the streams hold never adds up to more than the file. An empty
    // stream holds none: the chain its start names is walked as ever but left to whichever chain
    // owns it, since a start left over in an emptied stream costs nothing to read.
    static void claim(std::vector<bool>& used, const std::vector<std::uint32_t>& pieces, const char* shared) {
        for (std::uint32_t at : pieces) {
            if (used[at])
                fail_loading(shared);
            used[at] = true;
        }
    }

    static std::vector<std::uint32_t> chain(const std::vector<std::uint32_t>& table, std::uint32_t start) {
        std::vector<std::uint32_t> sectors;
        for (std::uint32_t at = start; at != kEndOfChain; at = table[at]) {
            if (at >= table.size())
                fail_loading("compound file chain broken off");
            if (sectors.size() == table.size())  // longer than the table: it runs in a cycle
                fail_loading("compound file chain in a cycle");
            sectors.push_back(at);
        }
        return sectors;
    }

    std::size_t entry(std::uint32_t id) const {
        if (id >= entry_count_)
            fail_loading("compound file directory entry outside the directory");
        const std::size_t per_sector = sector_size_ / kEntrySize;
        const ByteView in = sector(directory_[id / per_sector]);
        return static_cast<std::size_t>(in.data() - bytes_.data()) + id % per_sector * kEntrySize;
    }

    // The first `size` bytes of a chain of `unit`-byte pieces, each found by `piece`.
    template <class Piece>
    static Bytes gather(const std::vector<std::uint32_t>& pieces, std::size_t size, std::size_t unit, Piece piece) {
        if (pieces.size() < (size + unit - 1) / unit)
            fail_loading("compound file stream longer than its chain");
        Bytes data;
        data.reserve(size);
        for (std::size_t i = 0; data.size() < size; ++i) {
            const ByteView bytes = piece(pieces[i]);
            data.insert(data.end(), bytes.begin(), bytes.begin() + std::min(unit, size - data.size()));
        }
        return data;
    }

    Bytes big_stream(std::uint32_t start, std::size_t size) {
        const std::vector<std::uint32_t> sectors = chain(fat_, start);
        for (std::uint32_t index : sectors)
            sector(index);  // the whole chain lies inside the file
        if (size > 0)
            claim(used_sectors_, sectors, kSectorInTwoChains);
        return gather(sectors, size, sector_size_, [&](std::uint32_t index) { return sector(index); });
    }

    void read_mini_stream(std::size_t root) {
        mini_stream_ = big_stream(load_u32(bytes_, root + kStartSector), load_u32(bytes_, root + kStreamSize));
        const std::uint32_t first = load_u32(bytes_, kFirstMiniFatSector);
        if (load_u32(bytes_, kMiniFatSectorCount) == 0 && first != kEndOfChain)
            fail_loading("compound file with a mini FAT it says it has none of");
        const std::vector<std::uint32_t> mini_fat_chain = chain(fat_, first);
        std::vector<ByteView> sectors;
        for (std::uint32_t index : mini_fat_chain)
            sectors.push_back(sector(index));
        claim(used_sectors_, mini_fat_chain, kSectorInTwoChains);
        mini_fat_ = table_from(sectors);
        used_mini_sectors_.assign(mini_fat_.size(), false);
    }

    Bytes mini_stream_data(std::uint32_t start, std::size_t size) {
        const std::vector<std::uint32_t> mini_sectors = chain(mini_fat_, start);
        if (size > 0)
            claim(used_mini_sectors_, mini_sectors, "compound file mini sector used by two streams");
        return gather(mini_sectors, size, kMiniSectorSize, [&](std::uint32_t index) {
            if ((std::size_t{index} + 1) * kMiniSectorSize > mini_stream_.size())
                fail_loading("compound file mini sector outside the mini stream");
            return ByteView(mini_stream_).subspan(std::size_t{index} * kMiniSectorSize, kMiniSectorSize);
        });
    }

    // A name ends at its first NUL, which must come at the latest where its length says.
    std::u16string name_of(std::size_t at) const {
        const std::uint16_t length = load_u16(bytes_, at + kNameLength);
        if (length < 2 || length > 2 * (kMaxNameUnits + 1) || length % 2 != 0 || load_u16(bytes_, at + length - 2) != 0)
            fail_loading("compound file entry name of a bad length");
        std::u16string units;
        for (std::size_t i = 0; load_u16(bytes_, at + i) != 0; i += 2)
            units.push_back(load_u16(bytes_, at + i));
        return units;
    }

    // The entries of one storage's tree, each once, from the top down (entry, left, right).
    std::vector<std::uint32_t> children_of(std::size_t storage) {
        std::vector<std::uint32_t> found;
        std::vector<std::uint32_t> pending;
        if (const std::uint32_t child = load_u32(bytes_, storage + kChild); child != kNoStream)
            pending.push_back(child);
        while (!pending.empty()) {
            const std::uint32_t id = pending.back();
            pending.pop_back();
            const std::size_t at = entry(id);
            if (seen_[id])
                fail_loading("compound file directory tree in a cycle");
            seen_[id] = true;
            found.push_back(id);
            for (std::size_t field : {kRightSibling, kLeftSibling})
                if (const std::uint32_t sibling = load_u32(bytes_, at + field); sibling != kNoStream)
                    pending.push_back(sibling);
        }
        return found;
    }

    void read_storage(std::size_t at, CompoundStorage& storage, int depth) {
        if (depth > kMaxStorageDepth)
            fail_loading("compound file storages nested too deeply");
        std::copy_n(bytes_.begin() + at + kClassId, storage.class_id.size(), storage.class_id.begin());
        storage.modified_time = kept_time(load_u64(at + kModifiedTime));
        // Children in name order, whatever order the tree holds them in; equal names (which the
        // format forbids) last found first, as they have always been read.
        std::vector<std::pair<std::u16string, std::uint32_t>> children;
        for (std::uint32_t id : children_of(at))
            children.emplace_back(name_of(entry(id)), id);
        std::reverse(children.begin(), children.end());
        std::stable_sort(children.begin(), children.end(),
                         [](const auto& a, const auto& b) { return read_order_less(a.first, b.first); });
        for (auto& [units, id] : children) {
            const std::size_t child = entry(id);
            std::string name = utf8_from_utf16(units);
            const std::uint8_t type = bytes_[child + kType];
            if (type == kStorage) {
                CompoundStorage& sub = storage.storages.emplace_back();
                sub.name = std::move(name);
                read_storage(child, sub, depth + 1);
            } else if (type == kStream) {
                if (load_u32(bytes_, child + kChild) != kNoStream)
                    fail_loading("compound file stream with children");
                storage.streams.push_back({std::move(name), stream_data(child)});
            } else {
                fail_loading("compound file entry of an unknown type");
            }
        }
    }

    Bytes stream_data(std::size_t at) {
        const std::uint32_t size = load_u32(bytes_, at + kStreamSize);
        if (size > bytes_.size())
            fail_loading("compound file stream larger than the file");
        const std::uint32_t start = load_u32(bytes_, at + kStartSector);
        return size < kMiniStreamCutoff ? mini_stream_data(start, size) : big_stream(start, size);
    }

    std::uint64_t load_u64(std::size_t at) const {
        return load_u32(bytes_, at) | std::uint64_t{load_u32(bytes_, at + 4)} << 32;
    }

    ByteView bytes_;
    std::size_t sector_size_ = 0;
    std::size_t sector_count_ = 0;
    std::vector<std::uint32_t> fat_;
    std::vector<bool> used_sectors_;  // by a chain read so far, or by the FAT or DIFAT
    std::vector<std::uint32_t> directory_;
    std::size_t entry_count_ = 0;
    std::vector<bool> seen_;
    Bytes mini_stream_;
    std::vector<std::uint32_t> mini_fat_;
    std::vector<bool> used_mini_sectors_;
};

}  // namespace

const CompoundStream* CompoundStorage::find_stream(std::string_view stream_name) const {
    for (const CompoundStream& stream : streams)
        if (stream.name == stream_name)
            return &stream;
    return nullptr;
}

CompoundStream* CompoundStorage::find_stream(std::string_view stream_name) {
    return const_cast<CompoundStream*>(std::as_const(*this).find_stream(stream_name));
}

CompoundFile read_compound_file(ByteView bytes) {
    return Reader(bytes).read();
}

}  // namespace pathmender::ole
