#include "resources/module_type_info.h"

#include <map>

#include "com/comptr.h"
#include "com/utf.h"
#include "resources/resource_table.h"
#include "resources/type_library.h"

namespace {

// How Invoke passes a parameter of the declared type: its automation type, with VT_BYREF where
// the member takes a pointer to one. An interface pointer is an object; an interface pointer's
// address is an object by reference. VT_EMPTY: a type late binding cannot pass.
VARTYPE automation_type(const std::string& declared, const typelib::TypeLibrary& library) {
    const auto star = declared.find('*');
    const std::string base = declared.substr(0, star);
    std::size_t stars = star == std::string::npos ? 0 : declared.size() - star;
    VARTYPE type = VT_EMPTY;
    if (base == "IDispatch") type = VT_DISPATCH;
    else if (base == "IUnknown") type = VT_UNKNOWN;
    else {
        for (const auto& i : library.interfaces)
            if (i.name == base) type = (i.flags & typelib::kInterfaceDual) || i.base == "IDispatch" ? VT_DISPATCH : VT_UNKNOWN;
    }
    if (type != VT_EMPTY) {
        if (stars == 0) return VT_EMPTY;  // an interface is only ever passed through a pointer
        --stars;
    } else {
        static const std::map<std::string, VARTYPE> kTypes = {
            {"BSTR", VT_BSTR}, {"LONG", VT_I4}, {"long", VT_I4}, {"SHORT", VT_I2}, {"short", VT_I2},
            {"VARIANT_BOOL", VT_BOOL}, {"VARIANT", VT_VARIANT}};
        auto found = kTypes.find(base);
        if (found == kTypes.end()) return VT_EMPTY;
        type = found->second;
    }
    if (stars > 1) return VT_EMPTY;
    return stars == 1 ? VARTYPE(type | VT_BYREF) : type;
}

TypeInfoInterface description(const typelib::Interface& i, const typelib::TypeLibrary& library) {
    TypeInfoInterface d{utf16(i.name), i.iid, {}};
    for (const auto& m : i.members) {
        TypeInfoMember member{utf16(m.name), m.dispid, INVOKEKIND(m.kind), m.slot, {}};
        for (const auto& p : m.parameters)
            member.parameters.push_back({utf16(p.name), automation_type(p.type, library), p.flags});
        d.members.push_back(std::move(member));
    }
    return d;
}

std::map<IID, ComPtr<ITypeInfo>> make_type_infos() {
    std::map<IID, ComPtr<ITypeInfo>> infos;
    try {
        const typelib::TypeLibrary library = typelib::read_type_library(find_resource("TYPELIB", "1"));
        for (const auto& i : library.interfaces) {
            ITypeInfo* info = nullptr;
            if (SUCCEEDED(CreateInterfaceTypeInfo(description(i, library), &info))) infos[i.iid] = ComPtr<ITypeInfo>::attach(info);
        }
    } catch (const typelib::FormatError&) {
        // A module without a readable type library binds nothing late; the type library test
        // and registration report the fault.
    }
    return infos;
}

}  // namespace

ITypeInfo* module_type_info(REFIID iid) {
    static const std::map<IID, ComPtr<ITypeInfo>> infos = make_type_infos();
    auto found = infos.find(iid);
    return found == infos.end() ? nullptr : found->second.get();
}
