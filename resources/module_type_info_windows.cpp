// On Windows the module's type library is a real one (resource TYPELIB 1, compiled by widl): the
// platform loads it from the module's own file, and its type infos serve DispInvoke.
#include "resources/module_type_info.h"

#include <string>
#include <utility>
#include <vector>

#include "com/comptr.h"
#include "com/error.h"
#include "resources/module_file.h"

namespace {

using TypeInfos = std::vector<std::pair<IID, ComPtr<ITypeInfo>>>;

// DispInvoke calls through the vtable: a dual interface's dispatch description hands over its
// vtable half, which the type library keeps as the dispatch type's implemented type -1.
ComPtr<ITypeInfo> vtable_type_info(ITypeInfo* info, const TYPEATTR& attributes) {
    if (attributes.typekind != TKIND_DISPATCH || !(attributes.wTypeFlags & TYPEFLAG_FDUAL)) return ComPtr<ITypeInfo>(info);
    HREFTYPE vtable = 0;
    ComPtr<ITypeInfo> out;
    if (FAILED(info->GetRefTypeOfImplType(UINT(-1), &vtable)) || FAILED(info->GetRefTypeInfo(vtable, out.put())))
        return {};
    return out;
}

TypeInfos load_type_infos() {
    TypeInfos infos;
    std::wstring file;
    try {
        file = module_file_path().wstring();
    } catch (const ComError&) {
        return infos;
    }
    ComPtr<ITypeLib> library;
    // A module without a readable type library binds nothing late; registration reports the fault.
    if (FAILED(::LoadTypeLibEx(file.c_str(), REGKIND_NONE, library.put()))) return infos;
    for (UINT i = 0, count = library->GetTypeInfoCount(); i < count; ++i) {
        ComPtr<ITypeInfo> info;
        TYPEATTR* attributes = nullptr;
        if (FAILED(library->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attributes))) continue;
        if (attributes->typekind == TKIND_INTERFACE || attributes->typekind == TKIND_DISPATCH) {
            ComPtr<ITypeInfo> callable = vtable_type_info(info.get(), *attributes);
            if (callable) infos.emplace_back(attributes->guid, std::move(callable));
        }
        info->ReleaseTypeAttr(attributes);
    }
    return infos;
}

}  // namespace

ITypeInfo* module_type_info(REFIID iid) {
    static const TypeInfos infos = load_type_infos();
    for (const auto& [id, info] : infos)
        if (id == iid) return info.get();
    return nullptr;
}
