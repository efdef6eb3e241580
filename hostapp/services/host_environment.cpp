#include "hostapp/services/host_environment.h"

#include <cstdlib>
#include <system_error>

#include "com/utf.h"

namespace {

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

std::u16string folder_text(const std::filesystem::path& folder) {
    std::u16string text = utf16(folder.string());
    if (text.empty() || text.back() != u'/') text.push_back(u'/');
    return text;
}
