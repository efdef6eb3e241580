// In-process servers: the registry names the module file of each class
// (CLSID\{...}\InprocServer32); the loader opens that file with dlopen and asks its
// DllGetClassObject, which is what CoGetClassObject does for every class the running program
// does not register itself.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "com/guid.h"
#include "com/hresult.h"

// One loaded module file. The file stays mapped while anyone holds this object; the loader's own
// hold ends when CoFreeUnusedLibraries finds the module idle.
class ServerModule {
public:
    ~ServerModule();
    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // An export of the module; null when it has none of that name.
    void* symbol(const char* name) const;

    // Loads (or finds already loaded) the module at path; raises ComError when it cannot be
    // opened or lacks DllGetClassObject.
    static std::shared_ptr<ServerModule> open(const std::filesystem::path& path);

private:
    ServerModule(std::filesystem::path path, void* handle) : path_(std::move(path)), handle_(handle) {}
    std::filesystem::path path_;
    void* handle_;
};

// The module that serves clsid according to the registry, loaded; raises ComError (the
// registration's absence as "Class not registered") on failure.
std::shared_ptr<ServerModule> load_server_module(REFCLSID clsid);

// Makes CoGetClassObject fall back to the registry and the modules it names (on Windows the
// system's does so of itself: nothing to install).
void InstallRegistryClassResolver();

#ifndef _WIN32
// Lets go of every loaded module whose DllCanUnloadNow answers S_OK (on Windows, the system's).
void CoFreeUnusedLibraries();
#endif
// Whether the loader itself still holds a module of this path (for diagnostics and tests).
bool is_module_held(const std::filesystem::path& path);
