// What a test borrows from the machine and gives back when the object goes: a temporary folder, an
// environment variable, a registry file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// A new folder under the system's temporary folder, open to everybody (so that a check may run as an
// unprivileged user), removed with everything in it, folders a test locked too.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Keeps an environment variable as it is and puts it back at the end; given a value, sets it (or,
// given null, clears it) meanwhile.
class ScopedVariable {
public:
    explicit ScopedVariable(std::string name);
    ScopedVariable(std::string name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// A registry of the test's own: PATHMENDER_REGISTRY names a file in a temporary folder.
class ScopedRegistry {
public:
    ScopedRegistry();
    const std::filesystem::path& file() const { return file_; }

private:
    TempFolder folder_;
    std::filesystem::path file_;
    ScopedVariable variable_;
};
