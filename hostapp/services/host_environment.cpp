#include "hostapp/services/host_environment.h"

#include <cstdlib>

#include "com/utf.h"
#include "hostapp/services/host_platform.h"

HostEnvironment default_host_environment() {
    HostEnvironment environment;
    if (const char* database = std::getenv(kDefaultDatabaseVariable)) environment.database = database;
    environment.temp_folder = default_temp_folder();
    environment.page_folder = host_program_folder();
    return environment;
}

std::u16string folder_text(const std::filesystem::path& folder) {
    const auto separator = static_cast<char16_t>(std::filesystem::path::preferred_separator);
    std::u16string text = utf16(folder.string());
    if (text.empty() || (text.back() != u'/' && text.back() != separator)) text.push_back(separator);
    return text;
}
