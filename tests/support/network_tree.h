// A real network folder in a temporary folder for the duration of a test, with helpers to lay out
// servers, shares, folders and files, and to run a check without the super-user's rights.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/network.h"
#include "support/scoped.h"

class NetworkTree {
public:
    // Sets the network folder, and the connections file to its default (drives.txt in it).
    NetworkTree();
    ~NetworkTree();
    NetworkTree(const NetworkTree&) = delete;
    NetworkTree& operator=(const NetworkTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // A place outside the network folder, for links that try to lead out.
    const std::filesystem::path& outside() const { return base_.path(); }

    // relative is <server>/<share>/... with '/' between components.
    std::filesystem::path folder(const std::string& relative) const;
    std::filesystem::path file(const std::string& relative, const std::string& content = "content") const;

private:
    TempFolder base_;
    std::filesystem::path root_;
};

// Runs check in a child process; the super-user gives up its rights there first, so that access
// checks apply. The child's exit code is 0 when check returned true.
int exit_unprivileged(const std::function<bool()>& check);
