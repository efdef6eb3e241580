#include "dispatch_enumerator.h"

#include "com/error.h"

DispatchEnumerator::DispatchEnumerator(std::size_t count, ItemMaker make_item, std::size_t position)
    : count_(count), make_item_(std::move(make_item)), position_(position) {}

HRESULT STDMETHODCALLTYPE DispatchEnumerator::Next(ULONG count, VARIANT* items, ULONG* fetched)
try {
    if (!items || (!fetched && count != 1)) return E_POINTER;
    if (fetched) *fetched = 0;
    for (ULONG i = 0; i < count; ++i) VariantInit(&items[i]);
    ULONG done = 0;
    try {
        for (; done < count && position_ < count_; ++done, ++position_) {
            items[done].pdispVal = make_item_(position_).detach();
            items[done].vt = VT_DISPATCH;
        }
    } catch (...) {
        for (ULONG i = 0; i < done; ++i) VariantClear(&items[i]);
        throw;
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE DispatchEnumerator::Skip(ULONG count) {
    std::size_t left = count_ - position_;
    position_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE DispatchEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchEnumerator::Clone(IEnumVARIANT** copy)
try {
    if (!copy) return E_POINTER;
    *copy = nullptr;
    *copy = make_com<DispatchEnumerator>(count_, make_item_, position_).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
