#include "com/safearray.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A vector is one allocation: a header whose last four bytes hold the element type (where the
// platform keeps it, just in front of the descriptor), the descriptor, then the elements.
constexpr std::size_t kHeaderSize = 16;

struct ElementType {
    VARTYPE vt;
    ULONG size;
    USHORT features;
};

constexpr ElementType kElementTypes[] = {
    {VT_I2, sizeof(SHORT), 0},
    {VT_I4, sizeof(LONG), 0},
    {VT_I8, sizeof(LONGLONG), 0},
    {VT_R8, sizeof(DOUBLE), 0},
    {VT_BOOL, sizeof(VARIANT_BOOL), 0},
    {VT_ERROR, sizeof(SCODE), 0},
    {VT_BSTR, sizeof(BSTR), FADF_BSTR},
    {VT_UNKNOWN, sizeof(IUnknown*), FADF_UNKNOWN},
    {VT_DISPATCH, sizeof(IDispatch*), FADF_DISPATCH},
    {VT_VARIANT, sizeof(VARIANT), FADF_VARIANT},
};

unsigned char* header_of(SAFEARRAY* psa) { return reinterpret_cast<unsigned char*>(psa) - kHeaderSize; }

// The element at rgIndices, null when an index lies outside its dimension.
unsigned char* element_at(SAFEARRAY* psa, const LONG* rgIndices) {
    std::uint64_t offset = 0;
    std::uint64_t stride = 1;
    for (USHORT d = 0; d < psa->cDims; ++d) {
        const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - 1 - d];
        std::int64_t index = std::int64_t(rgIndices[d]) - bound.lLbound;
        if (index < 0 || index >= std::int64_t(bound.cElements)) return nullptr;
        offset += std::uint64_t(index) * stride;
        stride *= bound.cElements;
    }
    return static_cast<unsigned char*>(psa->pvData) + offset * psa->cbElements;
}

std::uint64_t element_count(const SAFEARRAY* psa) {
    std::uint64_t count = 1;
    for (USHORT d = 0; d < psa->cDims; ++d) count *= psa->rgsabound[d].cElements;
    return count;
}

// Frees what one element holds and leaves it empty.
void clear_element(const SAFEARRAY* psa, unsigned char* element) {
    if (psa->fFeatures & FADF_VARIANT) {
        VariantClear(reinterpret_cast<VARIANT*>(element));
    } else if (psa->fFeatures & FADF_BSTR) {
        BSTR text;
        std::memcpy(&text, element, sizeof text);
        SysFreeString(text);
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        IUnknown* object;
        std::memcpy(&object, element, sizeof object);
        if (object) object->Release();
    }
    std::memset(element, 0, psa->cbElements);
}

}  // namespace

SAFEARRAY* STDAPICALLTYPE SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    const ElementType* type = nullptr;
    for (const auto& t : kElementTypes)
        if (t.vt == vt) type = &t;
    if (!type) return nullptr;
    const std::size_t before_data = kHeaderSize + sizeof(SAFEARRAY);
    if (cElements > (std::numeric_limits<std::size_t>::max() - before_data) / type->size) return nullptr;
    auto* block = static_cast<unsigned char*>(std::calloc(1, before_data + std::size_t(cElements) * type->size));
    if (!block) return nullptr;
    DWORD stored_vt = vt;
    std::memcpy(block + kHeaderSize - sizeof stored_vt, &stored_vt, sizeof stored_vt);
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + kHeaderSize);
    psa->cDims = 1;
    psa->fFeatures = USHORT(FADF_CREATEVECTOR | FADF_HAVEVARTYPE | type->features);
    psa->cbElements = type->size;
    psa->cLocks = 0;
    psa->pvData = block + before_data;
    psa->rgsabound[0] = {cElements, lLbound};
    // All-zero bytes are an empty element of every type (VT_EMPTY, a null string or object).
    return psa;
}

HRESULT STDAPICALLTYPE SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa) return S_OK;
    if (psa->cLocks) return DISP_E_ARRAYISLOCKED;
    if (!(psa->fFeatures & FADF_CREATEVECTOR)) return E_INVALIDARG;  // made elsewhere
    auto* data = static_cast<unsigned char*>(psa->pvData);
    const std::uint64_t count = element_count(psa);
    for (std::uint64_t i = 0; i < count; ++i) clear_element(psa, data + i * psa->cbElements);
    std::free(header_of(psa));
    return S_OK;
}

UINT STDAPICALLTYPE SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

HRESULT STDAPICALLTYPE SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (!psa || !pvt) return E_INVALIDARG;
    if (psa->fFeatures & FADF_HAVEVARTYPE) {
        DWORD stored_vt;
        std::memcpy(&stored_vt, header_of(psa) + kHeaderSize - sizeof stored_vt, sizeof stored_vt);
        *pvt = VARTYPE(stored_vt);
    } else if (psa->fFeatures & FADF_BSTR) {
        *pvt = VT_BSTR;
    } else if (psa->fFeatures & FADF_UNKNOWN) {
        *pvt = VT_UNKNOWN;
    } else if (psa->fFeatures & FADF_DISPATCH) {
        *pvt = VT_DISPATCH;
    } else if (psa->fFeatures & FADF_VARIANT) {
        *pvt = VT_VARIANT;
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT STDAPICALLTYPE SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (!psa || !plLbound) return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
    return S_OK;
}

HRESULT STDAPICALLTYPE SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (!psa || !plUbound) return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - nDim];
    *plUbound = LONG(std::int64_t(bound.lLbound) + std::int64_t(bound.cElements) - 1);
    return S_OK;
}

HRESULT STDAPICALLTYPE SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!psa || !ppvData) return E_INVALIDARG;
    ++psa->cLocks;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT STDAPICALLTYPE SafeArrayUnaccessData(SAFEARRAY* psa) {
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT STDAPICALLTYPE SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!psa || !rgIndices || !pv) return E_INVALIDARG;
    unsigned char* element = element_at(psa, rgIndices);
    if (!element) return DISP_E_BADINDEX;
    if (psa->fFeatures & FADF_VARIANT) {
        auto* out = static_cast<VARIANT*>(pv);
        VariantInit(out);
        return VariantCopy(out, reinterpret_cast<const VARIANT*>(element));
    }
    if (psa->fFeatures & FADF_BSTR) {
        BSTR text;
        std::memcpy(&text, element, sizeof text);
        BSTR copy = text ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
        if (text && !copy) return E_OUTOFMEMORY;
        std::memcpy(pv, &copy, sizeof copy);
        return S_OK;
    }
    if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        IUnknown* object;
        std::memcpy(&object, element, sizeof object);
        if (object) object->AddRef();
    }
    std::memcpy(pv, element, psa->cbElements);
    return S_OK;
}

HRESULT STDAPICALLTYPE SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!psa || !rgIndices) return E_INVALIDARG;
    unsigned char* element = element_at(psa, rgIndices);
    if (!element) return DISP_E_BADINDEX;
    if (psa->fFeatures & FADF_VARIANT) {
        if (!pv) return E_INVALIDARG;
        return VariantCopy(reinterpret_cast<VARIANT*>(element), static_cast<const VARIANT*>(pv));
    }
    if (psa->fFeatures & FADF_BSTR) {
        auto text = static_cast<BSTR>(pv);
        BSTR copy = text ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
        if (text && !copy) return E_OUTOFMEMORY;
        clear_element(psa, element);
        std::memcpy(element, &copy, sizeof copy);
        return S_OK;
    }
    if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        auto* object = static_cast<IUnknown*>(pv);
        if (object) object->AddRef();
        clear_element(psa, element);
        std::memcpy(element, &object, sizeof object);
        return S_OK;
    }
    if (!pv) return E_INVALIDARG;
    std::memcpy(element, pv, psa->cbElements);
    return S_OK;
}
