// The names of the members a collection of the platform's file-system objects hands out, each
// asked for the interface declared for it (platform/file_system.h).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "windows_checks.h"

#include "com/enum_variant.h"

namespace checks {

// The members enumeration hands out that answer I, by name ("?" for one that does not), sorted:
// the system lists in the file system's order. hr: the first failure, else S_OK.
template <class I>
std::vector<std::wstring> member_names(IUnknown* enumeration, HRESULT& hr) {
    std::vector<std::wstring> names;
    Ref<IEnumVARIANT> members;
    hr = enumeration->QueryInterface(uuidof<IEnumVARIANT>(), members.put_void());
    if (FAILED(hr)) return names;
    VARIANT item;
    VariantInit(&item);
    while (members->Next(1, &item, nullptr) == S_OK) {
        Ref<I> member;
        if (item.vt == VT_DISPATCH && item.pdispVal)
            hr = item.pdispVal->QueryInterface(uuidof<I>(), member.put_void());
        Text name;
        if (member.p) member->get_Name(name.put());
        names.emplace_back(name.text ? name.text : L"?");
        VariantClear(&item);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace checks
