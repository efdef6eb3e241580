// The files of one share by name, for the report of a run: how many files of a name (without
// regard to case) lie anywhere below the share, and where. The share is walked once, the way the
// page's search walks it and through the platform's FileSystemObject (so it sees what the search
// sees), the first time a name is asked for; a folder that cannot be listed is passed over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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

    std::u16string share_;
    bool walked_ = false;
    // The paths of the files below the share by their name's case folding, each in the walk's order.
    std::unordered_map<std::u16string, std::vector<std::u16string>> paths_by_name_;
};
