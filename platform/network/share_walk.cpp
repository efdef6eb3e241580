#include "platform/share_walk.h"

#include <vector>

#include "com/bstr.h"
#include "com/enum_variant.h"
#include "com/error.h"
#include "com/variant.h"

namespace {

// The enumeration a collection's _NewEnum hands out.
ComPtr<IEnumVARIANT> members_of(IUnknown* enumeration) {
    return ComPtr<IUnknown>(enumeration).query<IEnumVARIANT>(RuntimeError::MemberNotSupported);
}

// The enumeration's next member, or nothing at its end; every member must be of the expected kind.
template <class Member>
ComPtr<Member> next_member(IEnumVARIANT* members) {
    Variant item;
    HRESULT hr = members->Next(1, item.put(), nullptr);
    check(hr, members);
    if (hr != S_OK) return {};
    if (item.type() != VT_DISPATCH || !item.get()->pdispVal) raise_standard_error(RuntimeError::TypeMismatch);
    return ComPtr<IDispatch>(item.get()->pdispVal).query<Member>(RuntimeError::TypeMismatch);
}

WalkStep visit_files(IFolder* folder, const std::function<WalkStep(IFile&, std::u16string_view)>& visit) {
    ComPtr<IFileCollection> files;
    check(folder->get_Files(files.put()), folder);
    ComPtr<IUnknown> enumeration;
    check(files->get__NewEnum(enumeration.put()), files);
    ComPtr<IEnumVARIANT> members = members_of(enumeration.get());
    while (ComPtr<IFile> file = next_member<IFile>(members.get())) {
        Bstr name;
        check(file->get_Name(name.put()), file);
        if (visit(*file, name.view()) == WalkStep::stop) return WalkStep::stop;
    }
    return WalkStep::next;
}

// A folder whose own files were visited, and where its subfolders' enumeration stands.
struct PendingSubFolders {
    ComPtr<IFolderCollection> collection;
    ComPtr<IEnumVARIANT> members;
};

PendingSubFolders sub_folders_of(IFolder* folder) {
    PendingSubFolders pending;
    check(folder->get_SubFolders(pending.collection.put()), folder);
    ComPtr<IUnknown> enumeration;
    check(pending.collection->get__NewEnum(enumeration.put()), pending.collection);
    pending.members = members_of(enumeration.get());
    return pending;
}

}  // namespace

void walk_share(const ComPtr<IFolder>& root,
                const std::function<WalkStep(IFile& file, std::u16string_view name)>& visit,
                UnlistedFolders unlisted) {
    std::vector<PendingSubFolders> path;
    ComPtr<IFolder> next = root;
    for (;;) {
        if (next) {
            try {
                if (visit_files(next.get(), visit) == WalkStep::stop) return;
                path.push_back(sub_folders_of(next.get()));
            } catch (const ComError&) {
                if (unlisted == UnlistedFolders::raise) throw;
            }
        }
        if (path.empty()) return;
        next = next_member<IFolder>(path.back().members.get());
        if (!next) path.pop_back();
    }
}
