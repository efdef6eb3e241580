#include "app/share_names.h"

#include <algorithm>

#include "com/bstr.h"
#include "com/comptr.h"
#include "com/error.h"
#include "platform/case_insensitive.h"
#include "platform/file_system.h"
#include "platform/file_system_object.h"
#include "platform/share_walk.h"

void ShareNames::walk() {
    walked_ = true;
    ComPtr<IFileSystem> fso;
    check(CreateFileSystemObject(fso.put()));
    VARIANT_BOOL exists = VARIANT_FALSE;
    check(fso->FolderExists(Bstr(share_).get(), &exists));
    if (exists == VARIANT_FALSE) return;
    ComPtr<IFolder> root;
    check(fso->GetFolder(Bstr(share_).get(), root.put()));
    walk_share(
        root,
        [this](IFile& file, std::u16string_view name) {
            Bstr path;
            check(file.get_Path(path.put()), &file);
            paths_by_name_[case_fold_key(name)].push_back(path.str());
            return WalkStep::next;
        },
        UnlistedFolders::pass_over);
}

ShareNames::Found ShareNames::find(std::u16string_view name, std::size_t most_paths) {
    if (!walked_) walk();
    Found found;
    const auto paths = paths_by_name_.find(case_fold_key(name));
    if (paths == paths_by_name_.end()) return found;
    found.count = std::int64_t(paths->second.size());
    const std::size_t shown = std::min(most_paths, paths->second.size());
    found.paths.assign(paths->second.begin(), paths->second.begin() + std::ptrdiff_t(shown));
    return found;
}
