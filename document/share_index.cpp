#include "document/share_index.h"

#include "com/bstr.h"
#include "platform/share_walk.h"
#include "platform/case_insensitive.h"

ShareIndex::ShareIndex(const ComPtr<IFolder>& root) {
    try {
        walk_share(root, [this](IFile& file, std::u16string_view name) {
            std::u16string key = case_fold_key(name);
            if (first_places_.contains(key)) return WalkStep::next;  // a file of this name came earlier
            Bstr path;
            check(file.get_Path(path.put()), &file);
            add(std::move(key), path.view());
            return WalkStep::next;
        });
    } catch (const ComError& e) {
        failure_ = e;
    }
}

void ShareIndex::add(std::u16string key, std::u16string_view path) {
    const std::size_t separator = path.rfind(u'\\');
    const std::size_t cut = separator == std::u16string_view::npos ? 0 : separator;
    if (folders_.empty() || folders_.back() != path.substr(0, cut)) folders_.emplace_back(path.substr(0, cut));
    key.shrink_to_fit();  // the folding leaves room to spare
    first_places_.emplace(std::move(key), Place{folders_.size() - 1, std::u16string(path.substr(cut))});
}

std::u16string ShareIndex::find(std::u16string_view fileName) const {
    const auto place = first_places_.find(case_fold_key(fileName));
    if (place == first_places_.end()) {
        if (failure_) throw ComError(*failure_);
        return {};
    }
    const std::u16string& folder = folders_[place->second.folder];
    std::u16string path;
    path.reserve(folder.size() + place->second.rest.size());
    return path.append(folder).append(place->second.rest);
}

std::u16string ShareIndexes::find(const std::u16string& root_text, const ComPtr<IFolder>& root,
                                  std::u16string_view fileName) {
    std::unique_ptr<ShareIndex>& index = indexes_[root_text];
    if (!index) index = std::make_unique<ShareIndex>(root);
    return index->find(fileName);
}
