#include "module/module_registration.h"

#include "com/error.h"
#include "com/registry.h"
#include "com/utf.h"
#include "module/module_classes.h"
#include "resources/resource_table.h"
#include "resources/type_library.h"

namespace {

std::string class_key(const ModuleClass& c) { return "CLSID\\" + to_string(c.clsid); }

// The module's own type library, which the registration of the library describes.
typelib::TypeLibrary own_type_library() {
    try {
        auto data = find_resource("TYPELIB", "1");
        if (data.empty()) throw typelib::FormatError("the module carries no type library");
        return typelib::read_type_library(data);
    } catch (const typelib::FormatError& e) {
        raise_error(SELFREG_E_TYPELIB, u"Cannot register the type library: " + utf16(e.what()));
    }
}

std::string library_key(const typelib::TypeLibrary& library) {
    return "TypeLib\\" + to_string(library.libid) + "\\" + std::to_string(library.major) + "." +
           std::to_string(library.minor);
}

void record_module(Registry& registry, const std::filesystem::path& module_file) {
    const typelib::TypeLibrary library = own_type_library();
    const std::string path = module_file.string();
    const std::string version = std::to_string(library.major) + "." + std::to_string(library.minor);

    const std::string lib = library_key(library);
    registry.set_value(lib, "", library.help_string);
    registry.set_value(lib + "\\0\\linux", "", path);
    registry.set_value(lib + "\\FLAGS", "", "0");
    registry.set_value(lib + "\\HELPDIR", "", module_file.parent_path().string());

    for (const ModuleClass& c : kModuleClasses) {
        const std::string key = class_key(c);
        registry.set_value(key, "", prog_id(c));
        registry.set_value(key + "\\InprocServer32", "", path);
        registry.set_value(key + "\\InprocServer32", "ThreadingModel", "Apartment");
        registry.set_value(key + "\\ProgID", "", prog_id(c));
        registry.set_value(key + "\\TypeLib", "", to_string(library.libid));
        registry.set_value(key + "\\VERSION", "", version);
        if (c.document) registry.set_value(key + "\\MiscStatus", "", kDocumentMiscStatus);

        registry.set_value(prog_id(c), "", prog_id(c));
        registry.set_value(prog_id(c) + "\\Clsid", "", to_string(c.clsid));
    }
}

void remove_module(Registry& registry) {
    const typelib::TypeLibrary library = own_type_library();
    registry.delete_tree(library_key(library));
    for (const ModuleClass& c : kModuleClasses) {
        registry.delete_tree(class_key(c));
        // A ProgID that another registration has taken over since is not ours to remove.
        auto points_to = registry.value(prog_id(c) + "\\Clsid");
        auto clsid = points_to ? parse_guid(*points_to) : std::nullopt;
        if (clsid == c.clsid) registry.delete_tree(prog_id(c));
    }
}

}  // namespace

void register_module(const std::filesystem::path& module_file) {
    update_registry(Registry::default_path(), [&](Registry& registry) { record_module(registry, module_file); });
}

void unregister_module() {
    update_registry(Registry::default_path(), [](Registry& registry) { remove_module(registry); });
}
