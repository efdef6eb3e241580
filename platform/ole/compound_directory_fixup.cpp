#include "compound_directory_fixup.h"

#include "ole_error.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace pathmender::ole {

namespace {

constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kEntrySize = 128;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint32_t kLastRegularSector = 0xFFFFFFFA;
constexpr std::size_t kHeaderFatSlots = 109;

// Offsets within a directory entry.
constexpr std::size_t kNameLength = 0x40;
constexpr std::size_t kType = 0x42;
constexpr std::size_t kColour = 0x43;
constexpr std::size_t kLeftSibling = 0x44;
constexpr std::size_t kRightSibling = 0x48;
constexpr std::size_t kChild = 0x4C;

constexpr std::uint8_t kUnused = 0;
constexpr std::uint8_t kStorage = 1;
constexpr std::uint8_t kRoot = 5;
constexpr std::uint8_t kRed = 0;
constexpr std::uint8_t kBlack = 1;

[[noreturn]] void fail_fixup(const std::string& why) {
    throw OleError(OleFailure::SavingToFile, "error saving to file: " + why);
}

class CompoundLayout {
public:
    explicit CompoundLayout(Bytes& file) : file_(file) {
        sector_size_ = std::size_t{1} << load_u16(file_, 0x1E);
        if (sector_size_ != 512)
            fail_fixup("unexpected sector size");
        sector_count_ = (file_.size() - kHeaderSize) / sector_size_;
        collect_fat_sectors();
    }

    std::vector<std::size_t> directory_entry_offsets() const {
        std::vector<std::size_t> offsets;
        std::uint32_t sector = load_u32(file_, 0x30);
        for (std::size_t steps = 0; sector <= kLastRegularSector; ++steps) {
            if (steps > sector_count_ || sector >= sector_count_)
                fail_fixup("directory chain broken");
            for (std::size_t i = 0; i < sector_size_ / kEntrySize; ++i)
                offsets.push_back(sector_offset(sector) + i * kEntrySize);
            sector = next_sector(sector);
        }
        return offsets;
    }

private:
    std::size_t sector_offset(std::uint32_t sector) const { return kHeaderSize + sector * sector_size_; }

    void collect_fat_sectors() {
        const std::uint32_t fat_count = load_u32(file_, 0x2C);
        for (std::size_t i = 0; i < kHeaderFatSlots && fat_sectors_.size() < fat_count; ++i)
            fat_sectors_.push_back(load_u32(file_, 0x4C + 4 * i));
        std::uint32_t difat = load_u32(file_, 0x44);
        const std::size_t slots = sector_size_ / 4 - 1;
        for (std::size_t steps = 0; fat_sectors_.size() < fat_count; ++steps) {
            if (steps > sector_count_ || difat >= sector_count_)
                fail_fixup("fat sector list broken");
            for (std::size_t i = 0; i < slots && fat_sectors_.size() < fat_count; ++i)
                fat_sectors_.push_back(load_u32(file_, sector_offset(difat) + 4 * i));
            difat = load_u32(file_, sector_offset(difat) + 4 * slots);
        }
    }

    std::uint32_t next_sector(std::uint32_t sector) const {
        const std::size_t per_sector = sector_size_ / 4;
        if (sector / per_sector >= fat_sectors_.size())
            fail_fixup("sector outside the fat");
        return load_u32(file_, sector_offset(fat_sectors_[sector / per_sector]) + 4 * (sector % per_sector));
    }

    Bytes& file_;
    std::size_t sector_size_ = 0;
    std::size_t sector_count_ = 0;
    std::vector<std::uint32_t> fat_sectors_;
};

class DirectoryTrees {
public:
    DirectoryTrees(Bytes& file, std::vector<std::size_t> entries)
        : file_(file), entries_(std::move(entries)) {}

    void mark_unused_entries() {
        for (std::size_t entry : entries_)
            if (file_[entry + kType] == kUnused)
                for (std::size_t field : {kLeftSibling, kRightSibling, kChild})
                    store_u32(file_, entry + field, kNoStream);
    }

    void rebalance_children() {
        for (std::size_t entry : entries_) {
            const std::uint8_t type = file_[entry + kType];
            if (type != kStorage && type != kRoot)
                continue;
            std::vector<std::uint32_t> children = collect_children(load_u32(file_, entry + kChild));
            std::sort(children.begin(), children.end(),
                      [&](std::uint32_t a, std::uint32_t b) { return name_less(a, b); });
            const int deepest = depth_of_balanced_tree(children.size());
            const bool perfect = children.size() + 1 == (std::size_t{1} << (deepest + 1));
            store_u32(file_, entry + kChild, link_balanced(children, 0, children.size(), 0, deepest, perfect));
        }
    }

private:
    std::size_t offset_of(std::uint32_t id) const {
        if (id >= entries_.size())
            fail_fixup("directory entry out of range");
        return entries_[id];
    }

    std::vector<std::uint32_t> collect_children(std::uint32_t root) const {
        std::vector<std::uint32_t> found;
        std::vector<std::uint32_t> pending;
        if (root != kNoStream)
            pending.push_back(root);
        while (!pending.empty()) {
            const std::uint32_t id = pending.back();
            pending.pop_back();
            if (found.size() > entries_.size() || std::find(found.begin(), found.end(), id) != found.end())
                fail_fixup("directory tree has a cycle");
            found.push_back(id);
            for (std::size_t field : {kLeftSibling, kRightSibling})
                if (const std::uint32_t sibling = load_u32(file_, offset_of(id) + field); sibling != kNoStream)
                    pending.push_back(sibling);
        }
        return found;
    }

    // Shorter names first, then code unit by code unit with ASCII letters upper-cased.
    bool name_less(std::uint32_t a, std::uint32_t b) const {
        const std::size_t a_offset = offset_of(a), b_offset = offset_of(b);
        const std::uint16_t a_length = load_u16(file_, a_offset + kNameLength);
        const std::uint16_t b_length = load_u16(file_, b_offset + kNameLength);
        if (a_length != b_length)
            return a_length < b_length;
        for (std::size_t i = 0; i + 2 <= a_length && i < kNameLength; i += 2) {
            const auto upper = [](std::uint16_t c) -> std::uint16_t { return c >= 'a' && c <= 'z' ? c - 32 : c; };
            const std::uint16_t ca = upper(load_u16(file_, a_offset + i));
            const std::uint16_t cb = upper(load_u16(file_, b_offset + i));
            if (ca != cb)
                return ca < cb;
        }
        return false;
    }

    static int depth_of_balanced_tree(std::size_t count) {
        int depth = -1;
        while (count > 0) {
            ++depth;
            count /= 2;
        }
        return depth;
    }

    // Middle element as root; all leaves then sit on the deepest two levels, so colouring the
    // deepest level red (unless it is full) gives every path the same number of black nodes.
    std::uint32_t link_balanced(const std::vector<std::uint32_t>& sorted, std::size_t begin, std::size_t end,
                                int depth, int deepest, bool perfect) {
        if (begin == end)
            return kNoStream;
        const std::size_t middle = begin + (end - begin) / 2;
        const std::size_t entry = offset_of(sorted[middle]);
        store_u32(file_, entry + kLeftSibling, link_balanced(sorted, begin, middle, depth + 1, deepest, perfect));
        store_u32(file_, entry + kRightSibling, link_balanced(sorted, middle + 1, end, depth + 1, deepest, perfect));
        file_[entry + kColour] = (depth == deepest && !perfect) ? kRed : kBlack;
        return sorted[middle];
    }

    Bytes& file_;
    std::vector<std::size_t> entries_;
};

}  // namespace

void fix_up_directory(Bytes& compound_file) {
    if (compound_file.size() < kHeaderSize)
        fail_fixup("compound file shorter than its header");
    DirectoryTrees trees(compound_file, CompoundLayout(compound_file).directory_entry_offsets());
    trees.mark_unused_entries();
    trees.rebalance_children();
}

}  // namespace pathmender::ole
