#include "com/error_info.h"

#include "com/object.h"

#include <atomic>
#include <new>
#include <string>

namespace {

// The runtime's own error object. It belongs to no module, so it is not counted with any
// module's objects (a module may unload while its error waits for the caller).
class ErrorObject final : public ComObject<ErrorObject, IErrorInfo, ICreateErrorInfo> {
public:
    static constexpr bool kModuleObject = false;

    HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) override {
        if (!pGUID) return E_INVALIDARG;
        *pGUID = guid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* out) override { return hand_out(source_, out); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* out) override { return hand_out(description_, out); }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* out) override { return hand_out(help_file_, out); }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* out) override {
        if (!out) return E_INVALIDARG;
        *out = help_context_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) override {
        guid_ = rguid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR text) override { return keep(text, source_); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR text) override { return keep(text, description_); }
    HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR text) override { return keep(text, help_file_); }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD context) override {
        help_context_ = context;
        return S_OK;
    }

private:

    // A text never set reads as a null BSTR.
    static HRESULT hand_out(const std::u16string& text, BSTR* out) {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (text.empty()) return S_OK;
        *out = SysAllocStringLen(text.data(), std::uint32_t(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT keep(LPOLESTR text, std::u16string& into) {
        try {
            into = text ? std::u16string(text) : std::u16string();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    GUID guid_{};
    std::u16string source_, description_, help_file_;
    DWORD help_context_ = 0;
};

// One slot per thread, shared by everything in the process that links this runtime.
struct Slot {
    IErrorInfo* info = nullptr;
    ~Slot() {
        if (info) info->Release();
    }
};
thread_local Slot t_slot;

}  // namespace

HRESULT STDAPICALLTYPE CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
    if (!pperrinfo) return E_INVALIDARG;
    *pperrinfo = nullptr;
    try {
        *pperrinfo = make_com<ErrorObject>().detach();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDAPICALLTYPE SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo) {
    if (dwReserved != 0) return E_INVALIDARG;
    if (perrinfo) perrinfo->AddRef();
    IErrorInfo* old = t_slot.info;
    t_slot.info = perrinfo;
    if (old) old->Release();
    return S_OK;
}

HRESULT STDAPICALLTYPE GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo) {
    if (!pperrinfo) return E_INVALIDARG;
    *pperrinfo = nullptr;
    if (dwReserved != 0) return E_INVALIDARG;
    *pperrinfo = t_slot.info;
    t_slot.info = nullptr;
    return *pperrinfo ? S_OK : S_FALSE;
}
