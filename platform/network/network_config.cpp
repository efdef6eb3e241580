// Where the stand-in network and its connections file are: set by a program, else from the
// environment.
#include "platform/network.h"

#include <cstdlib>
#include <mutex>
#include <optional>

namespace {

struct NetworkSettings {
    std::mutex lock;
    std::optional<std::filesystem::path> root;
    std::optional<std::filesystem::path> connections;
};

NetworkSettings& settings() {
    static NetworkSettings s;
    return s;
}

std::optional<std::filesystem::path> from_environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::filesystem::path(value);
}

std::filesystem::path root_locked(NetworkSettings& s) {
    if (s.root) return *s.root;
    return from_environment("PATHMENDER_NETWORK").value_or(std::filesystem::path());
}

// The file to read, and whether somebody named it (rather than falling back to the default).
std::pair<std::filesystem::path, bool> connections_file_locked(NetworkSettings& s) {
    if (s.connections) return {*s.connections, true};
    if (auto named = from_environment("PATHMENDER_DRIVES")) return {*named, true};
    std::filesystem::path root = root_locked(s);
    if (root.empty()) return {{}, false};
    return {root / "drives.txt", false};
}

}  // namespace

std::filesystem::path network_root() {
    NetworkSettings& s = settings();
    std::lock_guard guard(s.lock);
    return root_locked(s);
}

void set_network_root(std::filesystem::path root) {
    NetworkSettings& s = settings();
    std::lock_guard guard(s.lock);
    if (root.empty()) s.root.reset();
    else s.root = std::move(root);
}

std::filesystem::path connections_file() {
    NetworkSettings& s = settings();
    std::lock_guard guard(s.lock);
    return connections_file_locked(s).first;
}

void set_connections_file(std::filesystem::path file) {
    NetworkSettings& s = settings();
    std::lock_guard guard(s.lock);
    if (file.empty()) s.connections.reset();
    else s.connections = std::move(file);
}

std::vector<NetworkConnection> read_network_connections() {
    std::pair<std::filesystem::path, bool> file;
    {
        NetworkSettings& s = settings();
        std::lock_guard guard(s.lock);
        file = connections_file_locked(s);
    }
    // A workstation without the default file simply has no network connections.
    if (!file.second) {
        std::error_code ignored;
        if (file.first.empty() || !std::filesystem::exists(file.first, ignored)) return {};
    }
    return read_network_connections(file.first);
}
