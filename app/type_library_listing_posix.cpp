#include "app/type_library_listing.h"

#include <iostream>

#include "com/utf.h"
#include "resources/type_library.h"

// The module's type library is its resource TYPELIB 1, in this system's own format.
void print_type_library(const LoadedPlugin& plugin) {
    const std::span<const unsigned char> data = module_resource(*plugin.module(), "TYPELIB", "1");
    if (data.empty()) {
        std::cout << "Type library: none\n";
        return;
    }
    typelib::TypeLibrary library = typelib::read_type_library(data);
    std::cout << "Type library: " << library.name << " " << to_string(library.libid) << " " << library.major << "."
              << library.minor << " \"" << library.help_string << "\"\n";
    for (const auto& file : library.importlibs) std::cout << "  importlib " << file << "\n";
    for (const auto& i : library.interfaces) {
        std::cout << "  interface " << i.name << " " << to_string(i.iid) << " : " << i.base
                  << ((i.flags & typelib::kInterfaceDual) ? " dual" : "")
                  << ((i.flags & typelib::kInterfaceHidden) ? " hidden" : "") << "\n";
        for (const auto& m : i.members) {
            std::cout << "    " << (m.kind == typelib::kInvokePropertyGet ? "get " : "") << m.name << "(";
            for (std::size_t p = 0; p < m.parameters.size(); ++p)
                std::cout << (p ? ", " : "") << m.parameters[p].type << " " << m.parameters[p].name;
            std::cout << ")\n";
        }
    }
    for (const auto& c : library.coclasses) {
        std::cout << "  coclass " << c.name << " " << to_string(c.clsid)
                  << ((c.flags & typelib::kCoclassNotCreatable) ? " noncreatable" : "") << ":";
        for (const auto& i : c.interfaces)
            std::cout << " " << i.interface_name << ((i.flags & typelib::kImplementsDefault) ? " (default)" : "");
        std::cout << "\n";
    }
}
