// The search that a share index stands for: the share walked in the search's order up to the
// first file of the name, which it stops at. Tests hold the index to it.
#pragma once

#include <string>
#include <string_view>

#include "com/bstr.h"
#include "com/error.h"
#include "platform/share_walk.h"
#include "platform/case_insensitive.h"

inline std::u16string search_share(const ComPtr<IFolder>& root, std::u16string_view fileName) {
    std::u16string found;
    walk_share(root, [&](IFile& file, std::u16string_view name) {
        if (!equal_ignoring_case(fileName, name)) return WalkStep::next;
        Bstr path;
        check(file.get_Path(path.put()));
        found = path.str();
        return WalkStep::stop;
    });
    return found;
}
