#include "hostapp/services/host_environment.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <system_error>

#include "com/utf.h"

namespace {

std::mutex& environment_lock() {
    static std::mutex lock;
    return lock;
}

std::optional<HostEnvironment>& configured() {
    static std::optional<HostEnvironment> environment;
    return environment;
}

std::filesystem::path program_folder() {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : program.parent_path();
}

}  // namespace

HostEnvironment default_host_environment() {
    HostEnvironment environment;
    if (const char* database = std::getenv(kDefaultDatabaseVariable)) environment.database = database;
    const char* temp = std::getenv("TMPDIR");
    environment.temp_folder = temp && *temp ? temp : "/tmp";
    environment.page_folder = program_folder();
    return environment;
}

HostEnvironment host_environment() {
    std::lock_guard guard(environment_lock());
    if (!configured()) return default_host_environment();
    return *configured();
}

void configure_host(HostEnvironment environment) {
    std::lock_guard guard(environment_lock());
    if (!environment.database.empty())
        setenv(kDefaultDatabaseVariable, environment.database.c_str(), 1);
    configured() = std::move(environment);
}

std::u16string folder_text(const std::filesystem::path& folder) {
    std::u16string text = utf16(folder.string());
    if (text.empty() || text.back() != u'/') text.push_back(u'/');
    return text;
}
