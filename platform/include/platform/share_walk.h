// The order in which a share is searched for a file: depth first, a folder's own files in listing
// order before its subfolders, and each subfolder's whole tree before the next subfolder, whose
// listing is read on only when the walk comes back to it. The folders on the way down are kept on a
// stack of the walk's own rather than the call stack, so a tree thousands of folders deep is walked
// without running out of stack.
#pragma once

#include <functional>
#include <string_view>

#include "com/comptr.h"
#include "platform/file_system.h"

// What a visitor tells the walk after a file.
enum class WalkStep { next, stop };

// What the walk does with a folder that cannot be listed.
enum class UnlistedFolders {
    raise,      // its error ends the walk where the walk meets it (the search's way)
    pass_over,  // the folder's files and subfolders are left out, and the walk goes on
};

// Calls visit with every file at or below root and its name, in that order, until visit returns
// WalkStep::stop. A folder that cannot be listed, or any other failure of the file system, raises
// its error where the walk meets it unless unlisted says to pass over it; what was visited before
// stays visited.
void walk_share(const ComPtr<IFolder>& root,
                const std::function<WalkStep(IFile& file, std::u16string_view name)>& visit,
                UnlistedFolders unlisted = UnlistedFolders::raise);
