// Writes a compound file in one fixed layout, so that a tree always gives the same bytes (stored
// objects must not change from one version of the program to the next). With 512-byte sectors:
// the header; each stream of 4096 bytes or more, in entry order; the mini stream; the mini FAT;
// the directory; the FAT; then, only when the FAT outgrows the header's 109 slots, the DIFAT.
#include "platform/ole/compound_file.h"

#include "platform/ole/compound_format.h"
#include "platform/ole/ole_error.h"

#include <algorithm>
#include <string>
#include <utility>

namespace pathmender::ole {

namespace {

using namespace cfb;

constexpr std::size_t kSectorSize = std::size_t{1} << kSectorShift;
constexpr std::size_t kMiniSectorSize = std::size_t{1} << kMiniSectorShift;
constexpr std::uint32_t kIdsPerDifatSector = kSectorSize / 4 - 1;  // the last slot links on

[[noreturn]] void fail_saving(const std::string& why) {
    throw OleError(OleFailure::SavingToFile, "error saving to file: " + why);
}

// Whole microseconds, as the entries have always kept them; 0 stays "not set".
std::uint64_t stored_time(std::uint64_t filetime) {
    if (filetime / kTicksPerSecond > kLastStorableSecond)
        fail_saving("time out of range");
    return filetime - filetime % 10;
}

std::u16string entry_name(const std::string& utf8) {
    std::u16string name;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + extra >= utf8.size())
            fail_saving("entry name is not UTF-8");
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                fail_saving("entry name is not UTF-8");
            c = (c << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            fail_saving("entry name is not UTF-8");
        if (c == 0)
            fail_saving("entry name holds a NUL");
        if (c < 0x10000) {
            name.push_back(static_cast<char16_t>(c));
        } else {
            name.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            name.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
        i += extra + 1;
    }
    if (name.size() > kMaxNameUnits)
        fail_saving("entry name longer than 31 characters");
    return name;
}

// The format's order of sibling names: shorter first, then code unit by code unit with ASCII
// letters upper-cased.
bool name_less(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return a.size() < b.size();
    const auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char16_t x, char16_t y) { return upper(x) < upper(y); });
}

struct Entry {
    Entry(std::u16string entry_name, std::uint8_t entry_type, const CompoundStorage* as_storage, const CompoundStream* as_stream)
        : name(std::move(entry_name)), type(entry_type), storage(as_storage), stream(as_stream),
          size(as_stream ? static_cast<std::uint32_t>(as_stream->data.size()) : 0) {}

    std::u16string name;
    std::uint8_t type;
    const CompoundStorage* storage;  // for storages and the root
    const CompoundStream* stream;    // for streams
    std::vector<std::uint32_t> children;  // in the order they were added
    std::uint32_t start = kEndOfChain;
    std::uint32_t size;
    std::uint32_t left = kNoStream, right = kNoStream, child = kNoStream;
    std::uint8_t colour = kBlack;
};

class Writer {
public:
    explicit Writer(const CompoundFile& file) {
        entries_.emplace_back(u"Root Entry", kRoot, &file.root, nullptr);
        add_children(0);
    }

    Bytes write() {
        out_.assign(kHeaderSize, 0xFF);
        write_big_streams();
        write_mini_stream();
        write_mini_fat();
        link_directory_trees();
        write_directory();
        write_fat();
        return std::move(out_);
    }

private:
    // Storages first, each followed by its own entries, then the streams.
    void add_children(std::uint32_t parent) {
        const CompoundStorage& storage = *entries_[parent].storage;
        for (const CompoundStorage& sub : storage.storages) {
            const auto id = add(parent, Entry(entry_name(sub.name), kStorage, &sub, nullptr));
            add_children(id);
        }
        for (const CompoundStream& stream : storage.streams) {
            if (stream.data.size() > 0xFFFFFFFFu)
                fail_saving("stream larger than 4 GiB");
            add(parent, Entry(entry_name(stream.name), kStream, nullptr, &stream));
        }
    }

    std::uint32_t add(std::uint32_t parent, Entry entry) {
        const auto id = static_cast<std::uint32_t>(entries_.size());
        entries_.push_back(std::move(entry));
        entries_[parent].children.push_back(id);
        return id;
    }

    static bool in_mini_stream(const Entry& entry) { return entry.stream && entry.size < kMiniStreamCutoff; }

    std::uint32_t current_sector() const { return static_cast<std::uint32_t>((out_.size() - kHeaderSize) / kSectorSize); }

    void pad_sector(std::uint8_t fill) { out_.resize((out_.size() + kSectorSize - 1) / kSectorSize * kSectorSize, fill); }

    void put_u32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            out_.push_back(static_cast<std::uint8_t>(value >> shift));
    }

    // A run of consecutive sectors, as a chain.
    void put_chain(std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t i = 1; i < count; ++i)
            put_u32(first + i);
        put_u32(kEndOfChain);
    }

    void write_big_streams() {
        for (Entry& entry : entries_) {
            if (!entry.stream || in_mini_stream(entry))
                continue;
            entry.start = current_sector();
            out_.insert(out_.end(), entry.stream->data.begin(), entry.stream->data.end());
            pad_sector(0);
        }
    }

    void write_mini_stream() {
        mini_stream_start_ = current_sector();
        const std::size_t begin = out_.size();
        std::uint32_t mini_sectors = 0;
        for (Entry& entry : entries_) {
            if (!in_mini_stream(entry) || entry.size == 0)
                continue;
            entry.start = mini_sectors;
            mini_sectors += static_cast<std::uint32_t>((entry.size + kMiniSectorSize - 1) / kMiniSectorSize);
            out_.insert(out_.end(), entry.stream->data.begin(), entry.stream->data.end());
            out_.resize(begin + std::size_t{mini_sectors} * kMiniSectorSize, 0);
        }
        mini_stream_size_ = checked_u32_size(out_.size() - begin);
        pad_sector(0);
        mini_stream_sectors_ = current_sector() - mini_stream_start_;
        entries_[0].start = mini_stream_size_ > 0 ? mini_stream_start_ : kEndOfChain;
        entries_[0].size = mini_stream_size_;
    }

    void write_mini_fat() {
        mini_fat_start_ = current_sector();
        for (const Entry& entry : entries_)
            if (in_mini_stream(entry) && entry.size > 0)
                put_chain(entry.start, static_cast<std::uint32_t>((entry.size + kMiniSectorSize - 1) / kMiniSectorSize));
        pad_sector(0xFF);
        mini_fat_sectors_ = current_sector() - mini_fat_start_;
    }

    // Each storage's children as a balanced binary tree in name order: the middle one at the top,
    // so all leaves sit on the deepest two levels, and colouring the deepest level red (unless it
    // is full) gives every path the same number of black entries.
    void link_directory_trees() {
        for (Entry& parent : entries_) {
            if (!parent.storage)
                continue;
            // Equal names (which the format forbids) keep the order earlier versions gave them:
            // the one added last first, then as std::sort leaves them.
            std::vector<std::uint32_t> sorted(parent.children.rbegin(), parent.children.rend());
            const auto by_name = [&](std::uint32_t a, std::uint32_t b) { return name_less(entries_[a].name, entries_[b].name); };
            std::stable_sort(sorted.begin(), sorted.end(), by_name);
            std::sort(sorted.begin(), sorted.end(), by_name);
            int deepest = -1;
            for (std::size_t count = sorted.size(); count > 0; count /= 2)
                ++deepest;
            const bool full = sorted.size() + 1 == (std::size_t{1} << (deepest + 1));
            parent.child = link_balanced(sorted, 0, sorted.size(), 0, full ? -1 : deepest);
        }
    }

    std::uint32_t link_balanced(const std::vector<std::uint32_t>& sorted, std::size_t begin, std::size_t end, int depth,
                                int red_depth) {
        if (begin == end)
            return kNoStream;
        const std::size_t middle = begin + (end - begin) / 2;
        Entry& entry = entries_[sorted[middle]];
        entry.left = link_balanced(sorted, begin, middle, depth + 1, red_depth);
        entry.right = link_balanced(sorted, middle + 1, end, depth + 1, red_depth);
        entry.colour = depth == red_depth ? kRed : kBlack;
        return sorted[middle];
    }

    void write_directory() {
        directory_start_ = current_sector();
        for (const Entry& entry : entries_) {
            const std::size_t at = out_.size();
            out_.resize(at + kEntrySize, 0);
            for (std::size_t i = 0; i < entry.name.size(); ++i)
                store_u16(at + 2 * i, entry.name[i]);
            store_u16(at + kNameLength, static_cast<std::uint16_t>(2 * entry.name.size() + 2));
            out_[at + kType] = entry.type;
            out_[at + kColour] = entry.colour;
            store_u32(out_, at + kLeftSibling, entry.left);
            store_u32(out_, at + kRightSibling, entry.right);
            store_u32(out_, at + kChild, entry.child);
            if (entry.storage) {
                std::copy(entry.storage->class_id.begin(), entry.storage->class_id.end(), out_.begin() + at + kClassId);
                store_u64(out_, at + kModifiedTime, stored_time(entry.storage->modified_time));
            }
            store_u32(out_, at + kStartSector, entry.start);
            store_u32(out_, at + kStreamSize, entry.size);
        }
        // Unused entries fill the last sector: no name, no siblings, no child.
        while (out_.size() % kSectorSize != 0) {
            const std::size_t at = out_.size();
            out_.resize(at + kEntrySize, 0);
            for (std::size_t field : {kLeftSibling, kRightSibling, kChild})
                store_u32(out_, at + field, kNoStream);
        }
        directory_sectors_ = current_sector() - directory_start_;
    }

    void write_fat() {
        const std::uint32_t fat_start = current_sector();
        for (const Entry& entry : entries_)
            if (entry.stream && !in_mini_stream(entry))
                put_chain(entry.start, static_cast<std::uint32_t>((entry.size + kSectorSize - 1) / kSectorSize));
        if (mini_stream_sectors_ > 0)
            put_chain(mini_stream_start_, mini_stream_sectors_);
        if (mini_fat_sectors_ > 0)
            put_chain(mini_fat_start_, mini_fat_sectors_);
        put_chain(directory_start_, directory_sectors_);

        // The FAT must also list its own sectors and the DIFAT's, which may make it longer.
        std::uint32_t fat_sectors = 0, difat_sectors = 0;
        for (bool changed = true; changed;) {
            const std::size_t entries = out_.size() - kHeaderSize + 4 * std::size_t{fat_sectors + difat_sectors};
            const auto needed_fat = static_cast<std::uint32_t>((entries + kSectorSize - 1) / kSectorSize) - fat_start;
            const std::uint32_t needed_difat =
                needed_fat > kHeaderDifatSlots ? (needed_fat - kHeaderDifatSlots + kIdsPerDifatSector - 1) / kIdsPerDifatSector : 0;
            changed = needed_fat != fat_sectors || needed_difat != difat_sectors;
            fat_sectors = needed_fat;
            difat_sectors = needed_difat;
        }
        for (std::uint32_t i = 0; i < fat_sectors; ++i)
            put_u32(kFatSector);
        for (std::uint32_t i = 0; i < difat_sectors; ++i)
            put_u32(kDifatSector);
        pad_sector(0xFF);

        write_header(fat_start, fat_sectors, difat_sectors);
        write_difat(fat_start, fat_sectors, difat_sectors);
    }

    void write_header(std::uint32_t fat_start, std::uint32_t fat_sectors, std::uint32_t difat_sectors) {
        static constexpr std::uint8_t kFixedStart[] = {
            0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0, 0, 0, 0, 0, 0, 0,  // signature, class id
            0, 0, 0, 0, 0, 0, 0, 0, 0x3E, 0x00, 0x03, 0x00, 0xFE, 0xFF, 0x09, 0x00,  // version 3, 512-byte sectors
            0x06, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                    // 64-byte mini sectors
            0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x10, 0x00, 0x00};                        // mini stream cutoff 4096
        std::copy(std::begin(kFixedStart), std::end(kFixedStart), out_.begin());
        store_u32(out_, kFatSectorCount, fat_sectors);
        store_u32(out_, kFirstDirectorySector, directory_start_);
        store_u32(out_, kFirstMiniFatSector, mini_fat_sectors_ > 0 ? mini_fat_start_ : kEndOfChain);
        store_u32(out_, kMiniFatSectorCount, mini_fat_sectors_);
        store_u32(out_, kFirstDifatSector, difat_sectors > 0 ? current_sector() : kEndOfChain);
        store_u32(out_, kDifatSectorCount, difat_sectors);
        for (std::uint32_t i = 0; i < std::min<std::uint32_t>(fat_sectors, kHeaderDifatSlots); ++i)
            store_u32(out_, kHeaderDifat + 4 * i, fat_start + i);
    }

    void write_difat(std::uint32_t fat_start, std::uint32_t fat_sectors, std::uint32_t difat_sectors) {
        std::uint32_t listed = std::min<std::uint32_t>(fat_sectors, kHeaderDifatSlots);
        for (std::uint32_t i = 0; i < difat_sectors; ++i) {
            const std::uint32_t next = current_sector() + 1;
            for (std::uint32_t slot = 0; slot < kIdsPerDifatSector; ++slot)
                put_u32(listed < fat_sectors ? fat_start + listed++ : kFreeSector);
            put_u32(i + 1 < difat_sectors ? next : kEndOfChain);
        }
    }

    void store_u16(std::size_t offset, std::uint16_t value) {
        out_[offset] = static_cast<std::uint8_t>(value);
        out_[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    }

    std::vector<Entry> entries_;
    Bytes out_;
    std::uint32_t mini_stream_start_ = 0, mini_stream_size_ = 0, mini_stream_sectors_ = 0;
    std::uint32_t mini_fat_start_ = 0, mini_fat_sectors_ = 0;
    std::uint32_t directory_start_ = 0, directory_sectors_ = 0;
};

}  // namespace

Bytes write_compound_file(const CompoundFile& file) {
    return Writer(file).write();
}

}  // namespace pathmender::ole
