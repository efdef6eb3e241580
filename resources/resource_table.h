// The module's resources (layouts, the page picture, the type library, the version information),
// compiled in and looked up by type and name, as a resource section is.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct Resource {
    std::string_view type;
    std::string_view name;
    std::span<const unsigned char> data;
};

std::span<const Resource> resource_table();

// The data of one resource; empty when the module has none of that type and name.
inline std::span<const unsigned char> find_resource(std::string_view type, std::string_view name) {
    for (const Resource& r : resource_table())
        if (r.type == type && r.name == name) return r.data;
    return {};
}
inline std::string_view resource_text(std::string_view type, std::string_view name) {
    auto data = find_resource(type, name);
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}
