// A real network folder in a temporary directory for the duration of a test, with helpers to lay
// out servers, shares, folders and files, and to run a check without the super-user's rights.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "com/error.h"
#include "platform/network.h"

class NetworkTree {
public:
    NetworkTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pm-network-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary network folder");
        base_ = pattern;
        // Traversable by everybody, so that a check may run as an unprivileged user.
        std::filesystem::permissions(base_, std::filesystem::perms(0755));
        root_ = base_ / "network";
        std::filesystem::create_directory(root_);
        set_network_root(root_);
        set_connections_file({});
    }
    ~NetworkTree() {
        set_network_root({});
        set_connections_file({});
        // Folders a test locked must be opened again before they can be removed.
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(
                 base_, std::filesystem::directory_options::skip_permission_denied, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
            if (it->is_directory(ignored) && !it->is_symlink(ignored))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(base_, ignored);
    }
    NetworkTree(const NetworkTree&) = delete;
    NetworkTree& operator=(const NetworkTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // A place outside the network folder, for links that try to lead out.
    std::filesystem::path outside() const { return base_; }

    // relative is <server>/<share>/... with '/' between components.
    std::filesystem::path folder(const std::string& relative) const {
        std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path);
        std::filesystem::permissions(path, std::filesystem::perms(0755));
        return path;
    }
    std::filesystem::path file(const std::string& relative, const std::string& content = "content") const {
        std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

private:
    std::filesystem::path base_;
    std::filesystem::path root_;
};

// Runs check in a child process; the super-user gives up its rights there first, so that access
// checks apply. The child's exit code is 0 when check returned true.
inline int exit_unprivileged(const std::function<bool()>& check) {
    if (::geteuid() == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            std::fputs("cannot give up the super-user's rights\n", stderr);
            std::_Exit(2);
        }
    }
    bool ok = false;
    try {
        ok = check();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "exception: %s\n", e.what());
    }
    std::fflush(stderr);
    std::_Exit(ok ? 0 : 1);
}
