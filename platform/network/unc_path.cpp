#include "platform/unc_path.h"

#include <climits>
#include <vector>

#include "com/error.h"
#include "com/utf.h"
#include "folder_listing.h"
#include "platform/case_insensitive.h"
#include "platform/network.h"

namespace {

// The components after the leading "\\", or nothing when the text is not a well-formed UNC path.
std::optional<std::vector<std::u16string_view>> split_unc(std::u16string_view unc, bool& folder_wanted) {
    folder_wanted = false;
    if (unc.size() < 2 || unc.substr(0, 2) != u"\\\\") return std::nullopt;
    std::u16string_view rest = unc.substr(2);
    if (!rest.empty() && rest.back() == u'\\') {
        folder_wanted = true;
        rest.remove_suffix(1);
    }
    std::vector<std::u16string_view> components;
    for (;;) {
        std::size_t separator = rest.find(u'\\');
        std::u16string_view component = rest.substr(0, separator);
        if (!is_valid_network_name(component) || utf8(component).size() > NAME_MAX) return std::nullopt;
        components.push_back(component);
        if (separator == std::u16string_view::npos) break;
        rest.remove_prefix(separator + 1);
    }
    if (components.size() < 2) return std::nullopt;  // a server alone is not a folder
    return components;
}

// From this many components on, one look-up of the whole path costs less than one a component.
constexpr std::size_t kComponentsWorthOneLookUp = 4;

struct Found {
    std::filesystem::path disk_name;
    std::u16string name;
    NetworkItemKind kind;
};

// The member of folder that name names: the one spelled exactly so if there is one, else the first
// in listing order that equals it without regard to case. A folder that cannot be listed has none.
std::optional<Found> find_member(const std::filesystem::path& folder, std::u16string_view name,
                                 const std::optional<std::filesystem::path>& share) {
    std::filesystem::path exact = utf8(name);
    if (auto kind = network_entry_kind(folder, exact, share)) return Found{exact, std::u16string(name), *kind};
    std::vector<NetworkFolderEntry> entries;
    try {
        entries = list_network_folder(folder, share);
    } catch (const ComError&) {
        return std::nullopt;
    }
    for (NetworkFolderEntry& entry : entries)
        if (equal_ignoring_case(entry.name, name)) return Found{std::move(entry.disk_name), std::move(entry.name), entry.kind};
    return std::nullopt;
}

}  // namespace

std::optional<ResolvedUncPath> resolve_unc_path(std::u16string_view unc) {
    std::filesystem::path root = network_root();
    if (root.empty()) return std::nullopt;
    bool folder_wanted = false;
    auto components = split_unc(unc, folder_wanted);
    if (!components) return std::nullopt;

    // A path of several folders spelled as on disk (most that a run asks for) is one look-up.
    if (components->size() >= kComponentsWorthOneLookUp) {
        std::filesystem::path relative;
        for (std::u16string_view component : *components) relative /= utf8(component);
        if (auto kind = exact_path_kind(root, relative); kind && (!folder_wanted || *kind == NetworkItemKind::folder)) {
            ResolvedUncPath resolved{root / relative, root / utf8((*components)[0]) / utf8((*components)[1]),
                                     std::u16string(unc.substr(0, folder_wanted ? unc.size() - 1 : unc.size())),
                                     std::u16string(components->back()), *kind};
            return resolved;
        }
    }

    ResolvedUncPath resolved{root, {}, u"\\", {}, NetworkItemKind::folder};
    std::optional<std::filesystem::path> share;
    for (std::size_t i = 0; i < components->size(); ++i) {
        // Everything but the last component must be a real folder to walk through.
        if (resolved.kind != NetworkItemKind::folder) return std::nullopt;
        std::optional<Found> member = find_member(resolved.disk, (*components)[i], share);
        if (!member) return std::nullopt;
        // Servers and shares are folders, never files or links.
        if (i < 2 && member->kind != NetworkItemKind::folder) return std::nullopt;
        resolved.disk /= member->disk_name;
        resolved.unc += u'\\';
        resolved.unc += member->name;
        resolved.name = std::move(member->name);
        resolved.kind = member->kind;
        if (i == 1) share = resolved.disk;
    }
    if (folder_wanted && resolved.kind != NetworkItemKind::folder) return std::nullopt;
    resolved.share = *share;
    return resolved;
}
