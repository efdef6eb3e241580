// The files of one share by name, for the report of a run: how many files of a name (without
// regard to case) lie anywhere below the share, and where. The share is walked once, through the
// platform's FileSystemObject (so it sees what the page's search sees), the first time a name is
// asked for; a folder that cannot be listed is passed over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ShareNames {
public:
    // share: \\server\share; nothing is walked yet.
    explicit ShareNames(std::u16string share) : share_(std::move(share)) {}

    struct Found {
        std::int64_t count = 0;
        std::vector<std::u16string> paths;  // in the walk's order, at most the number asked for
    };
    Found find(std::u16string_view name, std::size_t most_paths);

private:
    void walk();
    std::u16string_view name_of(std::size_t file) const;

    struct File {
        std::uint64_t hash;    // of the name's case folding
        std::uint32_t folder;  // index into folders_
        std::uint32_t name;    // offset into names_
        std::uint32_t length;
    };

    std::u16string share_;
    bool walked_ = false;
    std::vector<std::u16string> folders_;  // each a UNC path ending in a backslash
    std::u16string names_;                 // the file names, one after another
    std::vector<File> files_;              // sorted by hash, in the walk's order within one hash
};
