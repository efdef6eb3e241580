#include "app/type_library_listing.h"

#include <iostream>
#include <string>

#include "com/bstr.h"
#include "com/comptr.h"
#include "com/guid.h"
#include "com/utf.h"

namespace {

std::string name_of(ITypeLib* library, INT index) {
    Bstr name;
    if (FAILED(library->GetDocumentation(index, name.put(), nullptr, nullptr, nullptr))) return "?";
    return utf8(name.str());
}

std::string name_of(ITypeInfo* info) {
    Bstr name;
    if (FAILED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr))) return "?";
    return utf8(name.str());
}

// The classes' interfaces, as the Linux listing names them: " NAME" each, the default marked.
void print_implemented(ITypeInfo* coclass, WORD count) {
    for (UINT i = 0; i < count; ++i) {
        HREFTYPE reference = 0;
        ITypeInfo* raw = nullptr;
        if (FAILED(coclass->GetRefTypeOfImplType(i, &reference)) || FAILED(coclass->GetRefTypeInfo(reference, &raw)))
            continue;
        ComPtr<ITypeInfo> implemented = ComPtr<ITypeInfo>::attach(raw);
        INT flags = 0;
        coclass->GetImplTypeFlags(i, &flags);
        std::cout << " " << name_of(implemented.get()) << ((flags & IMPLTYPEFLAG_FDEFAULT) ? " (default)" : "");
    }
}

}  // namespace

// The system reads the type library from the module's resource (LoadTypeLibEx on the module's file,
// registering nothing) and lists its interfaces and classes; their members the system's reader
// leaves to a type browser.
void print_type_library(const LoadedPlugin& plugin) {
    ITypeLib* raw = nullptr;
    if (FAILED(::LoadTypeLibEx(plugin.module_path().c_str(), REGKIND_NONE, &raw))) {
        std::cout << "Type library: none\n";
        return;
    }
    ComPtr<ITypeLib> library = ComPtr<ITypeLib>::attach(raw);
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes))) {
        std::cout << "Type library: unreadable\n";
        return;
    }
    Bstr help;
    library->GetDocumentation(-1, nullptr, help.put(), nullptr, nullptr);
    std::cout << "Type library: " << name_of(library.get(), -1) << " " << to_string(attributes->guid) << " "
              << attributes->wMajorVerNum << "." << attributes->wMinorVerNum << " \"" << utf8(help.str()) << "\"\n";
    library->ReleaseTLibAttr(attributes);
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ITypeInfo* info_raw = nullptr;
        if (FAILED(library->GetTypeInfo(i, &info_raw))) continue;
        ComPtr<ITypeInfo> info = ComPtr<ITypeInfo>::attach(info_raw);
        TYPEATTR* type = nullptr;
        if (FAILED(info->GetTypeAttr(&type))) continue;
        const std::string name = name_of(library.get(), static_cast<INT>(i));
        if (type->typekind == TKIND_DISPATCH || type->typekind == TKIND_INTERFACE) {
            std::cout << "  interface " << name << " " << to_string(type->guid)
                      << ((type->wTypeFlags & TYPEFLAG_FDUAL) ? " dual" : "")
                      << ((type->wTypeFlags & TYPEFLAG_FHIDDEN) ? " hidden" : "") << "\n";
        } else if (type->typekind == TKIND_COCLASS) {
            std::cout << "  coclass " << name << " " << to_string(type->guid)
                      << ((type->wTypeFlags & TYPEFLAG_FCANCREATE) ? "" : " noncreatable") << ":";
            print_implemented(info.get(), type->cImplTypes);
            std::cout << "\n";
        }
        info->ReleaseTypeAttr(type);
    }
}
