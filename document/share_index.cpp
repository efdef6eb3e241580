#include "document/share_index.h"

#include <cstdlib>
#include <limits>

#include "com/bstr.h"
#include "com/enum_variant.h"
#include "com/variant.h"
#include "document/collection_members.h"
#include "platform/case_insensitive.h"

namespace {

// FNV-1a over the UTF-16 code units.
std::uint32_t hash_of(std::u16string_view key) {
    std::uint32_t hash = 2166136261u;
    for (char16_t c : key) {
        hash = (hash ^ (c & 0xFF)) * 16777619u;
        hash = (hash ^ (c >> 8)) * 16777619u;
    }
    return hash;
}

}  // namespace

ShareIndex::ShareIndex(const ComPtr<IFolder>& root) {
    slots_.assign(1024, kEmptySlot);
    walk(root);
    text_.shrink_to_fit();
    folders_.shrink_to_fit();
    entries_.shrink_to_fit();
}

void ShareIndex::walk(const ComPtr<IFolder>& root) {
    // Depth first without recursion, so that no depth of folders can exhaust the stack: the
    // subfolders of a folder go on the stack last first, and so come off it in listing order.
    std::vector<ComPtr<IFolder>> pending{root};
    std::vector<ComPtr<IFolder>> children;
    try {
        while (!pending.empty()) {
            ComPtr<IFolder> folder = std::move(pending.back());
            pending.pop_back();

            Bstr path;
            check(folder->get_Path(path.put()));
            const auto folder_index = std::uint32_t(folders_.size());
            folders_.push_back({add_text(path.view()), std::uint32_t(path.view().size())});
            add_folder_files(folder, folder_index);

            ComPtr<IFolderCollection> subFolders;
            check(folder->get_SubFolders(subFolders.put()));
            ComPtr<IUnknown> enumeration;
            check(subFolders->get__NewEnum(enumeration.put()));
            children.clear();
            for_each_member<IFolder>(enumeration.get(), [&](const ComPtr<IFolder>& child) { children.push_back(child); });
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
    } catch (const ComError& e) {
        failure_ = e;
    }
}

void ShareIndex::add_folder_files(const ComPtr<IFolder>& folder, std::uint32_t folder_index) {
    ComPtr<IFileCollection> files;
    check(folder->get_Files(files.put()));
    ComPtr<IUnknown> enumeration;
    check(files->get__NewEnum(enumeration.put()));
    const auto [folder_offset, folder_length] = folders_[folder_index];
    for_each_member<IFile>(enumeration.get(), [&](const ComPtr<IFile>& file) {
        Bstr name;
        check(file->get_Name(name.put()));
        const std::u16string key = case_fold_key(name.view());
        const std::uint32_t hash = hash_of(key);
        std::size_t slot = slot_for(key, hash);
        if (slots_[slot] != kEmptySlot) return;  // a file of this name came earlier in the walk

        Bstr path;
        check(file->get_Path(path.put()));
        const std::u16string_view full = path.view();
        // The path is kept as its folder's and the name, unless it is spelt otherwise.
        const bool composed = full.size() == folder_length + 1 + name.view().size() &&
                              full.substr(0, folder_length) == text_of(folder_offset, folder_length) &&
                              full[folder_length] == u'\\' && full.substr(folder_length + 1) == name.view();
        const std::u16string_view kept = composed ? name.view() : full;
        Entry entry{hash, composed ? folder_index : kOwnPath, add_text(kept), std::uint32_t(kept.size())};
        if (!composed) own_names_.emplace(std::uint32_t(entries_.size()), name.str());
        if (entries_.size() >= std::numeric_limits<std::uint32_t>::max() - 1)
            raise_standard_error(RuntimeError::OutOfMemory);
        entries_.push_back(entry);
        slots_[slot] = std::uint32_t(entries_.size());
        if (entries_.size() * 2 > slots_.size()) grow();
    });
}

std::uint32_t ShareIndex::add_text(std::u16string_view text) {
    if (text_.size() + text.size() > std::numeric_limits<std::uint32_t>::max())
        raise_standard_error(RuntimeError::OutOfMemory);
    const auto offset = std::uint32_t(text_.size());
    text_.append(text);
    return offset;
}

std::u16string_view ShareIndex::text_of(std::uint32_t offset, std::uint32_t length) const {
    return std::u16string_view(text_).substr(offset, length);
}

std::u16string_view ShareIndex::name_of(std::uint32_t index) const {
    const Entry& entry = entries_[index];
    if (entry.folder == kOwnPath) return own_names_.at(index);
    return text_of(entry.text, entry.length);
}

std::size_t ShareIndex::slot_for(std::u16string_view key, std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t held = slots_[slot];
        if (held == kEmptySlot) return slot;
        if (entries_[held - 1].hash == hash && case_fold_key(name_of(held - 1)) == key) return slot;
    }
}

void ShareIndex::grow() {
    std::vector<std::uint32_t> old(slots_.size() * 2, kEmptySlot);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (std::uint32_t held : old) {
        if (held == kEmptySlot) continue;
        std::size_t slot = entries_[held - 1].hash & mask;
        while (slots_[slot] != kEmptySlot) slot = (slot + 1) & mask;
        slots_[slot] = held;
    }
}

std::u16string ShareIndex::find(std::u16string_view fileName) const {
    const std::u16string key = case_fold_key(fileName);
    const std::uint32_t held = slots_[slot_for(key, hash_of(key))];
    if (held != kEmptySlot) {
        const Entry& entry = entries_[held - 1];
        if (entry.folder == kOwnPath) return std::u16string(text_of(entry.text, entry.length));
        const auto [offset, length] = folders_[entry.folder];
        std::u16string path;
        path.reserve(length + 1 + entry.length);
        path.append(text_of(offset, length)).append(1, u'\\').append(text_of(entry.text, entry.length));
        return path;
    }
    if (failure_) throw ComError(*failure_);
    return {};
}

std::size_t ShareIndex::memory_bytes() const {
    std::size_t own = 0;
    for (const auto& [index, name] : own_names_) own += sizeof(index) + sizeof(name) + 4 * sizeof(void*) + name.capacity() * 2;
    return sizeof(*this) + text_.capacity() * sizeof(char16_t) + folders_.capacity() * sizeof(folders_[0]) +
           entries_.capacity() * sizeof(Entry) + slots_.capacity() * sizeof(std::uint32_t) + own;
}

std::u16string ShareIndexes::find(const std::u16string& root_text, const ComPtr<IFolder>& root,
                                  std::u16string_view fileName) {
    std::unique_ptr<ShareIndex>& index = indexes_[root_text];
    if (!index) index = std::make_unique<ShareIndex>(root);
    return index->find(fileName);
}

bool plain_search_requested() {
    const char* value = std::getenv("PATHMENDER_PLAIN_SEARCH");
    return value && *value && std::string_view(value) != "0";
}
