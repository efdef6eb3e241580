// Going through the members of a file-system collection (its _NewEnum), as the search and the
// share index both do: each member must be an object of the expected kind.
#pragma once

#include "com/comptr.h"
#include "com/enum_variant.h"
#include "com/error.h"
#include "com/variant.h"

// The enumeration a collection's _NewEnum hands out.
inline ComPtr<IEnumVARIANT> members_of(IUnknown* enumeration) {
    return ComPtr<IUnknown>(enumeration).query<IEnumVARIANT>(RuntimeError::MemberNotSupported);
}

// The enumeration's next member, or nothing at its end.
template <class Member>
ComPtr<Member> next_member(IEnumVARIANT* members) {
    Variant item;
    HRESULT hr = members->Next(1, item.put(), nullptr);
    check(hr);
    if (hr != S_OK) return {};
    if (item.type() != VT_DISPATCH || !item.get()->pdispVal) raise_standard_error(RuntimeError::TypeMismatch);
    return ComPtr<IDispatch>(item.get()->pdispVal).query<Member>(RuntimeError::TypeMismatch);
}

// Calls visit with each member, in the enumeration's order.
template <class Member, class Visit>
void for_each_member(IUnknown* enumeration, Visit visit) {
    ComPtr<IEnumVARIANT> members = members_of(enumeration);
    while (ComPtr<Member> member = next_member<Member>(members.get())) visit(member);
}
