#include "support/scoped.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "pm-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), "mkdtemp");
    path_ = pattern;
    fs::permissions(path_, fs::perms(0755));
}

TempFolder::~TempFolder() {
    // Locked folders must open again before they can be removed.
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

ScopedVariable::ScopedVariable(std::string name) : name_(std::move(name)) {
    if (const char* value = std::getenv(name_.c_str())) previous_ = value;
}

ScopedVariable::ScopedVariable(std::string name, const char* value) : ScopedVariable(std::move(name)) {
    value ? ::setenv(name_.c_str(), value, 1) : ::unsetenv(name_.c_str());
}

ScopedVariable::~ScopedVariable() {
    previous_ ? ::setenv(name_.c_str(), previous_->c_str(), 1) : ::unsetenv(name_.c_str());
}

ScopedRegistry::ScopedRegistry()
    : file_(folder_.path() / "config" / "registry"), variable_("PATHMENDER_REGISTRY", file_.c_str()) {}
