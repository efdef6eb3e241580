#include "com/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "com/error.h"
#include "com/utf.h"

namespace {

std::string fold(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

std::vector<std::string_view> split_key(std::string_view key) {
    std::vector<std::string_view> names;
    while (!key.empty()) {
        auto at = key.find('\\');
        std::string_view name = key.substr(0, at);
        if (name.empty()) throw std::invalid_argument("registry key with an empty name: " + std::string(key));
        for (char c : name)
            if (static_cast<unsigned char>(c) < 0x20 || c == ']')
                throw std::invalid_argument("registry key name with a control character or ']'");
        names.push_back(name);
        if (at == std::string_view::npos) break;
        key.remove_prefix(at + 1);
        if (key.empty()) throw std::invalid_argument("registry key ending in a separator");
    }
    return names;
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

[[noreturn]] void malformed(std::string_view origin, int line, std::string_view what) {
    throw std::runtime_error(std::string(origin) + ":" + std::to_string(line) + ": " + std::string(what));
}

// Reads a quoted string at the front of text and removes it from text.
std::string unquote(std::string_view& text, std::string_view origin, int line) {
    if (text.empty() || text.front() != '"') malformed(origin, line, "expected a quoted string");
    std::string out;
    std::size_t i = 1;
    for (;; ++i) {
        if (i >= text.size()) malformed(origin, line, "unterminated string");
        char c = text[i];
        if (c == '"') break;
        if (c != '\\') { out += c; continue; }
        if (++i >= text.size()) malformed(origin, line, "unterminated string");
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: malformed(origin, line, "unknown escape in a string");
        }
    }
    text.remove_prefix(i + 1);
    return out;
}

[[noreturn]] void throw_errno(const std::string& what, const std::filesystem::path& path) {
    throw std::system_error(errno, std::generic_category(), what + " " + path.string());
}

}  // namespace

struct Registry::Node {
    std::string name;
    // Keyed by folded name; each entry keeps the spelling first written.
    std::map<std::string, std::pair<std::string, std::string>> values;
    std::map<std::string, std::unique_ptr<Node>> children;

    std::unique_ptr<Node> clone() const {
        auto copy = std::make_unique<Node>();
        copy->name = name;
        copy->values = values;
        for (const auto& [key, child] : children) copy->children.emplace(key, child->clone());
        return copy;
    }
    Node& child(std::string_view child_name) {
        auto& slot = children[fold(child_name)];
        if (!slot) {
            slot = std::make_unique<Node>();
            slot->name = std::string(child_name);
        }
        return *slot;
    }
    void write(std::string& out, const std::string& path) const {
        if (!path.empty() && (!values.empty() || children.empty())) {
            out += "\n[" + path + "]\n";
            for (const auto& [folded, entry] : values)
                out += (entry.first.empty() ? std::string("@") : quote(entry.first)) + "=" + quote(entry.second) + "\n";
        }
        for (const auto& [folded, node] : children)
            node->write(out, path.empty() ? node->name : path + "\\" + node->name);
    }
};

Registry::Registry() : root_(std::make_unique<Node>()) {}
Registry::Registry(const Registry& other) : root_(other.root_->clone()) {}
Registry::Registry(Registry&&) noexcept = default;
Registry& Registry::operator=(Registry other) noexcept {
    std::swap(root_, other.root_);
    return *this;
}
Registry::~Registry() = default;

std::filesystem::path Registry::default_path() {
    if (const char* explicit_path = std::getenv("PATHMENDER_REGISTRY"); explicit_path && *explicit_path)
        return explicit_path;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::filesystem::path(config) / "pathmender" / "registry";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".config" / "pathmender" / "registry";
    throw std::runtime_error("no registry location: set PATHMENDER_REGISTRY or HOME");
}

Registry Registry::load(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return Registry();
        throw_errno("cannot read the registry", file);
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int saved = errno;
            ::close(fd);
            errno = saved;
            throw_errno("cannot read the registry", file);
        }
        text.append(buffer, std::size_t(n));
    }
    ::close(fd);
    return parse(text, file.string());
}

Registry Registry::parse(std::string_view text, std::string_view origin) {
    Registry registry;
    Node* current = nullptr;
    int line_number = 0;
    while (!text.empty()) {
        ++line_number;
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') malformed(origin, line_number, "a key line must end with ']'");
            try {
                registry.create_key(line.substr(1, line.size() - 2));
            } catch (const std::invalid_argument& e) {
                malformed(origin, line_number, e.what());
            }
            current = registry.find(line.substr(1, line.size() - 2));
            continue;
        }
        if (!current) malformed(origin, line_number, "a value before any [key] line");
        std::string name;
        if (line.front() == '@') line.remove_prefix(1);
        else {
            name = unquote(line, origin, line_number);
            if (name.empty()) malformed(origin, line_number, "an empty value name (the default value is @)");
        }
        if (line.empty() || line.front() != '=') malformed(origin, line_number, "expected '=' after the value name");
        line.remove_prefix(1);
        std::string data = unquote(line, origin, line_number);
        if (!line.empty()) malformed(origin, line_number, "text after the value");
        current->values[fold(name)] = {name, data};
    }
    return registry;
}

std::string Registry::serialize() const {
    std::string out = "# Pathmender registry: [key] lines, then the key's values (@ is the default value).\n";
    root_->write(out, "");
    return out;
}

void Registry::save(const std::filesystem::path& file) const {
    std::string text = serialize();
    std::filesystem::path folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    std::filesystem::create_directories(folder);
    std::filesystem::path temp = file;
    temp += ".tmp-" + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw_errno("cannot write the registry", temp);
    auto fail = [&](const char* what) {
        int saved = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        errno = saved;
        throw_errno(what, file);
    };
    for (std::size_t done = 0; done < text.size();) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot write the registry");
        }
        done += std::size_t(n);
    }
    if (::fsync(fd) != 0) fail("cannot flush the registry");
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        throw_errno("cannot write the registry", file);
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        throw_errno("cannot replace the registry", file);
    }
    // The rename itself must reach the disk too.
    if (int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

Registry::Node* Registry::find(std::string_view key) const {
    Node* node = root_.get();
    for (std::string_view name : split_key(key)) {
        auto it = node->children.find(fold(name));
        if (it == node->children.end()) return nullptr;
        node = it->second.get();
    }
    return node;
}

bool Registry::has_key(std::string_view key) const { return find(key) != nullptr; }

void Registry::create_key(std::string_view key) {
    auto names = split_key(key);
    if (names.empty()) throw std::invalid_argument("registry key with an empty name");
    Node* node = root_.get();
    for (std::string_view name : names) node = &node->child(name);
}

std::optional<std::string> Registry::value(std::string_view key, std::string_view name) const {
    Node* node = find(key);
    if (!node || node == root_.get()) return std::nullopt;
    auto it = node->values.find(fold(name));
    if (it == node->values.end()) return std::nullopt;
    return it->second.second;
}

void Registry::set_value(std::string_view key, std::string_view name, std::string_view data) {
    create_key(key);
    Node* node = find(key);
    auto& entry = node->values[fold(name)];
    if (entry.first.empty()) entry.first = std::string(name);
    entry.second = std::string(data);
}

bool Registry::delete_value(std::string_view key, std::string_view name) {
    Node* node = find(key);
    return node && node != root_.get() && node->values.erase(fold(name)) > 0;
}

bool Registry::delete_tree(std::string_view key) {
    auto names = split_key(key);
    if (names.empty()) return false;
    std::vector<Node*> path{root_.get()};
    for (std::string_view name : names) {
        auto it = path.back()->children.find(fold(name));
        if (it == path.back()->children.end()) return false;
        path.push_back(it->second.get());
    }
    // Remove the key, then each parent that is left holding nothing.
    for (std::size_t i = names.size(); i > 0; --i) {
        Node* parent = path[i - 1];
        parent->children.erase(fold(names[i - 1]));
        if (i - 1 == 0 || !parent->values.empty() || !parent->children.empty()) break;
    }
    return true;
}

std::vector<std::string> Registry::subkeys(std::string_view key) const {
    std::vector<std::string> names;
    const Node* node = key.empty() ? root_.get() : find(key);
    if (node)
        for (const auto& [folded, child] : node->children) names.push_back(child->name);
    return names;
}

bool Registry::empty() const { return root_->children.empty(); }

void update_registry(const std::filesystem::path& file, const std::function<void(Registry&)>& change) {
    std::filesystem::path folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    std::filesystem::create_directories(folder);
    std::filesystem::path lock_path = file;
    lock_path += ".lock";
    int lock = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0) throw_errno("cannot lock the registry", lock_path);
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            int saved = errno;
            ::close(lock);
            errno = saved;
            throw_errno("cannot lock the registry", lock_path);
        }
    }
    try {
        Registry registry = Registry::load(file);
        change(registry);
        registry.save(file);
    } catch (...) {
        ::close(lock);  // closing releases the lock
        throw;
    }
    ::close(lock);
}

HRESULT CLSIDFromProgID(const OLECHAR* prog_id, CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = GUID_NULL;
    if (!prog_id) return E_INVALIDARG;
    try {
        std::string name = utf8(prog_id);
        if (name.empty() || name.find('\\') != std::string::npos) return REGDB_E_CLASSNOTREG;
        auto text = Registry::load(Registry::default_path()).value(name + "\\Clsid");
        auto parsed = text ? parse_guid(*text) : std::nullopt;
        if (!parsed) return REGDB_E_CLASSNOTREG;
        *clsid = *parsed;
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();  // an unreadable registry says why
    }
}
