// The registry: a tree of keys, each holding named text values, kept in one text file per user.
// Classes, ProgIDs and type libraries are recorded here by self-registering modules and looked up
// by the module loader, as the system registry's class root serves on the home platform.
//
// File format (UTF-8, one entry a line, written back in a fixed order so that equal trees give
// equal files):
//
//   # comment, and blank lines, are skipped
//   [CLSID\{3C22FA23-8CD8-45AD-BE4D-32CCAA42826C}\InprocServer32]
//   @="/opt/pathmender/Pathmender.so"
//   "ThreadingModel"="Apartment"
//
// A [key] line names a key by its full path (names separated by backslashes); the value lines
// after it belong to it: @ is the key's default value, "name" a named one. Inside quotes \\, \",
// \n, \r and \t stand for themselves. Parent keys are implied by their children.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/bstr.h"
#include "com/guid.h"
#include "com/hresult.h"

class Registry {
public:
    Registry();
    Registry(const Registry& other);
    Registry(Registry&&) noexcept;
    Registry& operator=(Registry other) noexcept;
    ~Registry();

    // $PATHMENDER_REGISTRY, else $XDG_CONFIG_HOME/pathmender/registry, else
    // ~/.config/pathmender/registry.
    static std::filesystem::path default_path();

    // A missing file is an empty registry; a malformed one raises std::runtime_error naming the
    // file and line, so that nothing is ever written over it.
    static Registry load(const std::filesystem::path& file);
    static Registry parse(std::string_view text, std::string_view origin = "registry");
    std::string serialize() const;
    // Writes a temporary file beside file, flushes it to disk and renames it over file, so a
    // reader sees the old tree or the new one, never half of one.
    void save(const std::filesystem::path& file) const;

    // Keys are matched without regard to case; the first spelling written is kept.
    bool has_key(std::string_view key) const;
    void create_key(std::string_view key);
    // The value name "" is the key's default value.
    std::optional<std::string> value(std::string_view key, std::string_view name = {}) const;
    void set_value(std::string_view key, std::string_view name, std::string_view data);
    bool delete_value(std::string_view key, std::string_view name);
    // Deletes key with everything below it, then the parents that this leaves with neither
    // values nor subkeys. False when the key did not exist.
    bool delete_tree(std::string_view key);
    std::vector<std::string> subkeys(std::string_view key) const;
    bool empty() const;

private:
    struct Node;
    Node* find(std::string_view key) const;
    std::unique_ptr<Node> root_;
};

// Load, change, save, under an exclusive lock (a lock file beside the registry file), so that two
// programs registering at once do not lose each other's entries. A change that throws saves nothing.
void update_registry(const std::filesystem::path& file, const std::function<void(Registry&)>& change);

#ifndef _WIN32
// As on the platform: the class that a ProgID names (ProgID\Clsid in the registry). On Windows,
// the registry and this function are the system's.
HRESULT CLSIDFromProgID(const OLECHAR* prog_id, CLSID* clsid);
#endif
