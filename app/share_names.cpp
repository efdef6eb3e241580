#include "app/share_names.h"

#include <algorithm>

#include "com/comptr.h"
#include "com/enum_variant.h"
#include "com/error.h"
#include "com/variant.h"
#include "platform/case_insensitive.h"
#include "platform/file_system.h"
#include "platform/file_system_object.h"

namespace {

std::uint64_t hash_of(std::u16string_view folded) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char16_t c : folded) {
        hash = (hash ^ (c & 0xFF)) * 1099511628211ull;
        hash = (hash ^ (c >> 8)) * 1099511628211ull;
    }
    return hash;
}

// Each member of a collection's enumeration, of the kind asked for.
template <class Member, class Visit>
void each_member(IUnknown* enumeration, Visit visit) {
    ComPtr<IEnumVARIANT> members = ComPtr<IUnknown>(enumeration).query<IEnumVARIANT>(RuntimeError::MemberNotSupported);
    for (;;) {
        Variant item;
        const HRESULT hr = members->Next(1, item.put(), nullptr);
        check(hr);
        if (hr != S_OK) return;
        if (item.type() != VT_DISPATCH || !item.get()->pdispVal) raise_standard_error(RuntimeError::TypeMismatch);
        visit(ComPtr<IDispatch>(item.get()->pdispVal).query<Member>(RuntimeError::TypeMismatch));
    }
}

std::u16string text_of(HRESULT hr, Bstr& text) {
    check(hr);
    return text.str();
}

}  // namespace

std::u16string_view ShareNames::name_of(std::size_t file) const {
    return std::u16string_view(names_).substr(files_[file].name, files_[file].length);
}

void ShareNames::walk() {
    walked_ = true;
    ComPtr<IFileSystem> fso;
    check(CreateFileSystemObject(fso.put()));
    VARIANT_BOOL exists = VARIANT_FALSE;
    check(fso->FolderExists(Bstr(share_).get(), &exists));
    if (exists == VARIANT_FALSE) return;
    ComPtr<IFolder> root;
    check(fso->GetFolder(Bstr(share_).get(), root.put()));

    // Depth first, a folder's own files before its subfolders, as the search goes.
    std::vector<ComPtr<IFolder>> pending{root};
    while (!pending.empty()) {
        ComPtr<IFolder> folder = std::move(pending.back());
        pending.pop_back();
        try {
            Bstr path;
            std::u16string unc = text_of(folder->get_Path(path.put()), path);
            if (unc.empty() || unc.back() != u'\\') unc.push_back(u'\\');
            const auto folder_index = std::uint32_t(folders_.size());
            folders_.push_back(std::move(unc));

            ComPtr<IFileCollection> files;
            check(folder->get_Files(files.put()));
            ComPtr<IUnknown> file_enumeration;
            check(files->get__NewEnum(file_enumeration.put()));
            each_member<IFile>(file_enumeration.get(), [&](const ComPtr<IFile>& file) {
                Bstr name;
                const std::u16string text = text_of(file->get_Name(name.put()), name);
                files_.push_back({hash_of(case_fold_key(text)), folder_index, std::uint32_t(names_.size()),
                                  std::uint32_t(text.size())});
                names_ += text;
            });

            ComPtr<IFolderCollection> subfolders;
            check(folder->get_SubFolders(subfolders.put()));
            ComPtr<IUnknown> folder_enumeration;
            check(subfolders->get__NewEnum(folder_enumeration.put()));
            std::vector<ComPtr<IFolder>> children;
            each_member<IFolder>(folder_enumeration.get(), [&](const ComPtr<IFolder>& child) { children.push_back(child); });
            for (auto child = children.rbegin(); child != children.rend(); ++child) pending.push_back(std::move(*child));
        } catch (const ComError&) {
            // A folder that cannot be listed holds no candidates the host can name.
        }
    }
    std::stable_sort(files_.begin(), files_.end(), [](const File& a, const File& b) { return a.hash < b.hash; });
}

ShareNames::Found ShareNames::find(std::u16string_view name, std::size_t most_paths) {
    if (!walked_) walk();
    Found found;
    const std::u16string folded = case_fold_key(name);
    const std::uint64_t hash = hash_of(folded);
    auto first = std::lower_bound(files_.begin(), files_.end(), hash,
                                  [](const File& f, std::uint64_t h) { return f.hash < h; });
    for (auto at = first; at != files_.end() && at->hash == hash; ++at) {
        const std::u16string_view file_name = name_of(std::size_t(at - files_.begin()));
        if (case_fold_key(file_name) != folded) continue;
        ++found.count;
        if (found.paths.size() < most_paths) found.paths.push_back(folders_[at->folder] + std::u16string(file_name));
    }
    return found;
}
