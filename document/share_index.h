// The file names below a search root, taken in one walk of the share, so that the searches of one
// update run cost a lookup each instead of a walk of the whole share each.
//
// The index keeps, for every name (without regard to case), the first file of that name in the
// search's order (share_walk.h). A lookup answers what the search would have answered at the time
// of the walk, errors included: the walk ends at the first folder it cannot list, keeping that
// error; a name met before it is found, any other name raises the error, just as the search would
// have run into it before finding the name or giving up.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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

private:
    void add(std::u16string key, std::u16string_view path);

    // A file's path, as the text of its folder and the rest, from the backslash before its name.
    // The files of a folder come one after another in the walk, so each folder's text is kept once.
    struct Place {
        std::size_t folder;  // into folders_
        std::u16string rest;
    };
    std::vector<std::u16string> folders_;
    std::unordered_map<std::u16string, Place> first_places_;  // by the name's case folding
    std::optional<ComError> failure_;  // the first failure of the walk, which stopped there
};

// The share indexes of one update run, one for each search root it searched, walked on its first
// search. The run empties them at its start and at its end, so nothing is remembered between runs
// and files that appear or go between runs are seen.
class ShareIndexes {
public:
    void clear() { indexes_.clear(); }

    // The index of root (walked on the first call with that root text) looked up for fileName.
    std::u16string find(const std::u16string& root_text, const ComPtr<IFolder>& root, std::u16string_view fileName);

private:
    std::map<std::u16string, std::unique_ptr<ShareIndex>> indexes_;
};
