// IEnumVARIANT over a fixed list of members, each handed out as a VT_DISPATCH object made on demand.
#pragma once

#include <cstddef>
#include <functional>

#include "com/enum_variant.h"
#include "com/object.h"

class DispatchEnumerator final : public ComObject<DispatchEnumerator, IEnumVARIANT> {
public:
    using ItemMaker = std::function<ComPtr<IDispatch>(std::size_t index)>;
    DispatchEnumerator(std::size_t count, ItemMaker make_item, std::size_t position = 0);

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

private:
    std::size_t count_;
    ItemMaker make_item_;
    std::size_t position_;
};
