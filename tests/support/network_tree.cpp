#include "support/network_tree.h"

#include <grp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/network.h"

namespace fs = std::filesystem;

NetworkTree::NetworkTree() : root_(base_.path() / "network") {
    fs::create_directory(root_);
    set_network_root(root_);
    set_connections_file({});
}

NetworkTree::~NetworkTree() {
    set_network_root({});
    set_connections_file({});
}

fs::path NetworkTree::folder(const std::string& relative) const {
    fs::path path = root_ / relative;
    fs::create_directories(path);
    fs::permissions(path, fs::perms(0755));
    return path;
}

fs::path NetworkTree::file(const std::string& relative, const std::string& content) const {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

int exit_unprivileged(const std::function<bool()>& check) {
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
