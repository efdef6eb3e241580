// The file names below a search root, taken in one walk, so that the searches of one update run
// cost a lookup each instead of a walk of the whole share each.
//
// The walk goes the way SearchFolder does (a folder's files in listing order, then each subfolder's
// whole tree in turn) and keeps, for every name (without regard to case), the first file of that
// name. A lookup answers what that search would have answered at the time of the walk, errors
// included: the walk ends at the first folder it cannot list, keeping that error; a name met before
// it is found, any other name raises the error, just as the search would have run into it before
// finding the name or giving up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/comptr.h"
#include "com/error.h"
#include "platform/file_system.h"

class ShareIndex {
public:
    // Walks root's tree once.
    explicit ShareIndex(const ComPtr<IFolder>& root);

    // The full path of the first file named fileName (without regard to case) in the walk's order;
    // empty when there is none. Raises the walk's error where the search would have met it.
    std::u16string find(std::u16string_view fileName) const;

    std::size_t file_count() const { return entries_.size(); }
    // Bytes the index holds on the heap, with its containers' spare capacity.
    std::size_t memory_bytes() const;

private:
    // One distinct name: the first file that bears it.
    struct Entry {
        std::uint32_t hash;    // of the name's case folding
        std::uint32_t folder;  // index into folders_, or kOwnPath: the text is the whole path
        std::uint32_t text;    // offset into text_
        std::uint32_t length;  // of the text
    };
    static constexpr std::uint32_t kOwnPath = 0xFFFFFFFF;
    static constexpr std::uint32_t kEmptySlot = 0;  // slots hold entry index + 1

    void walk(const ComPtr<IFolder>& root);
    void add_folder_files(const ComPtr<IFolder>& folder, std::uint32_t folder_index);
    std::uint32_t add_text(std::u16string_view text);
    std::u16string_view text_of(std::uint32_t offset, std::uint32_t length) const;
    std::u16string_view name_of(std::uint32_t entry) const;
    // The slot that holds key's entry, or the empty slot where it would go.
    std::size_t slot_for(std::u16string_view key, std::uint32_t hash) const;
    void grow();

    std::u16string text_;                       // folder paths and names, one after another
    std::vector<std::pair<std::uint32_t, std::uint32_t>> folders_;  // offset, length of each folder's path
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> slots_;          // open addressing, a power of two in size
    std::map<std::uint32_t, std::u16string> own_names_;  // names of the entries kept as whole paths
    std::optional<ComError> failure_;           // the first listing failure; the walk stopped there
};

// The share indexes of one update run, one for each search root it searched. They exist only
// while a run lasts: opened at its start, closed at its end, so nothing is remembered between runs
// and files that appear or go between runs are seen. Outside a run, lookups are not served.
class ShareIndexes {
public:
    void open() { open_ = true; indexes_.clear(); }
    void close() { open_ = false; indexes_.clear(); }
    bool is_open() const { return open_; }

    // The index of root (walked on the first call with that root text) looked up for fileName.
    std::u16string find(const std::u16string& root_text, const ComPtr<IFolder>& root, std::u16string_view fileName);

private:
    bool open_ = false;
    std::map<std::u16string, std::unique_ptr<ShareIndex>> indexes_;
};

// Whether this process searches by walking the share for every link, as the reference for the
// index (the benchmark's plain mode): set by the environment variable PATHMENDER_PLAIN_SEARCH.
bool plain_search_requested();
