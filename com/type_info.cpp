#include "com/type_info.h"

#include <atomic>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

#include "com/error_info.h"
#include "com/object.h"

#if !defined(__x86_64__) && !defined(__aarch64__)
#error "Invoke passes arguments as pointer-sized integers: check the calling convention of this target first"
#endif

namespace {

// Names in a type library are IDL identifiers, which are ASCII: folding ASCII letters is the
// platform's case-blind match for every name that can match at all.
bool same_name(const char16_t* a, const std::u16string& b) {
    auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; };
    std::size_t i = 0;
    for (; a[i] != 0; ++i)
        if (i == b.size() || fold(a[i]) != fold(b[i])) return false;
    return i == b.size();
}

// The argument as the member takes it, converted to a pointer-sized integer; nothing when the
// variant does not hold that type. A by-value argument may come by reference.
std::optional<std::uintptr_t> native_argument(const VARIANT& arg, VARTYPE type) {
    if (type & VT_BYREF) {
        if (arg.vt != type) return std::nullopt;
        return reinterpret_cast<std::uintptr_t>(arg.byref);
    }
    const VARIANT* value = &arg;
    if (arg.vt == (VT_VARIANT | VT_BYREF) && arg.pvarVal) value = arg.pvarVal;
    bool by_reference = value->vt == (type | VT_BYREF);
    if (value->vt != type && !by_reference) return std::nullopt;
    // Integers are passed widened with their sign, as the calling conventions expect.
    switch (type) {
    case VT_I2: return std::uintptr_t(std::intptr_t(by_reference ? *value->piVal : value->iVal));
    case VT_BOOL: return std::uintptr_t(std::intptr_t(by_reference ? *value->pboolVal : value->boolVal));
    case VT_I4: return std::uintptr_t(std::intptr_t(by_reference ? *value->plVal : value->lVal));
    case VT_BSTR: return reinterpret_cast<std::uintptr_t>(by_reference ? *value->pbstrVal : value->bstrVal);
    case VT_DISPATCH: return reinterpret_cast<std::uintptr_t>(by_reference ? *value->ppdispVal : value->pdispVal);
    case VT_UNKNOWN: return reinterpret_cast<std::uintptr_t>(by_reference ? *value->ppunkVal : value->punkVal);
    default: return std::nullopt;
    }
}

bool passable(VARTYPE type) {
    switch (type & ~VT_BYREF) {
    case VT_I2: case VT_BOOL: case VT_I4: case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: return true;
    case VT_VARIANT: return (type & VT_BYREF) != 0;  // a VARIANT by value does not fit a register
    default: return false;
    }
}

constexpr std::size_t kMostArguments = 5;

// Calls slot of instance's vtable with the arguments, all pointer-sized integers.
HRESULT call_slot(void* instance, UINT slot, const std::vector<std::uintptr_t>& a) {
    using U = std::uintptr_t;
    void* entry = (*static_cast<void***>(instance))[slot];
    switch (a.size()) {
    case 0: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*)>(entry)(instance);
    case 1: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, U)>(entry)(instance, a[0]);
    case 2: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, U, U)>(entry)(instance, a[0], a[1]);
    case 3: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, U, U, U)>(entry)(instance, a[0], a[1], a[2]);
    case 4:
        return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, U, U, U, U)>(entry)(instance, a[0], a[1], a[2], a[3]);
    case 5:
        return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, U, U, U, U, U)>(entry)(instance, a[0], a[1], a[2], a[3],
                                                                                         a[4]);
    default: return DISP_E_BADVARTYPE;  // kept out by Invoke
    }
}

// What a failed member left for its caller, in the caller's EXCEPINFO.
void fill_exception(EXCEPINFO* exception, HRESULT hr) {
    if (!exception) return;
    *exception = EXCEPINFO{};
    exception->scode = hr;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return;
    info->GetSource(&exception->bstrSource);
    info->GetDescription(&exception->bstrDescription);
    info->GetHelpFile(&exception->bstrHelpFile);
    info->GetHelpContext(&exception->dwHelpContext);
    info->Release();
}

// A type info the runtime makes for a module: like the runtime's error objects, not counted with
// any module's objects.
class InterfaceTypeInfo final : public ComObject<InterfaceTypeInfo, ITypeInfo> {
public:
    static constexpr bool kModuleObject = false;
    explicit InterfaceTypeInfo(TypeInfoInterface description) : d_(std::move(description)) {}

    HRESULT STDMETHODCALLTYPE GetNames(MEMBERID memid, BSTR* names, UINT most, UINT* count) override {
        if (!names || !count) return E_INVALIDARG;
        *count = 0;
        const TypeInfoMember* m = member(memid);
        if (!m) return TYPE_E_ELEMENTNOTFOUND;
        // As the dispatch view lists them: the member, then the parameters a caller passes.
        if (most > 0) names[(*count)++] = make_bstr(m->name);
        for (const auto& p : m->parameters)
            if (*count < most && !(p.flags & PARAMFLAG_FRETVAL)) names[(*count)++] = make_bstr(p.name);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        const TypeInfoMember* found = nullptr;
        for (const auto& m : d_.members)
            if (names[0] && same_name(names[0], m.name)) found = &m;
        if (!found) return DISP_E_UNKNOWNNAME;
        ids[0] = found->id;
        HRESULT hr = S_OK;
        // Further names are the member's parameters; each one's identifier is its position.
        for (UINT i = 1; i < count; ++i) {
            for (std::size_t p = 0; p < found->parameters.size(); ++p)
                if (names[i] && same_name(names[i], found->parameters[p].name)) ids[i] = MEMBERID(p);
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(PVOID instance, MEMBERID memid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* arg_error) override {
        if (!instance || !params || (params->cArgs > 0 && !params->rgvarg)) return E_INVALIDARG;
        const TypeInfoMember* m = member(memid);
        if (!m || !(flags & m->kind)) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
        if (m->parameters.size() > kMostArguments) return DISP_E_BADVARTYPE;
        for (const auto& p : m->parameters)
            if (!passable(p.type)) return DISP_E_BADVARTYPE;
        std::vector<std::uintptr_t> arguments;
        VARIANT returned{};
        UINT passed = 0;
        for (const auto& p : m->parameters) {
            if (p.flags & PARAMFLAG_FRETVAL) {
                // The member writes its result into a variant, or into the value part of one of
                // the result's type.
                VARTYPE type = VARTYPE(p.type & ~VT_BYREF);
                void* target = type == VT_VARIANT ? static_cast<void*>(&returned) : &returned.byref;
                if (type != VT_VARIANT) returned.vt = type;
                arguments.push_back(reinterpret_cast<std::uintptr_t>(target));
                continue;
            }
            if (passed == params->cArgs) return DISP_E_BADPARAMCOUNT;
            // Positional arguments come last one first.
            UINT position = params->cArgs - 1 - passed++;
            auto value = native_argument(params->rgvarg[position], p.type);
            if (!value) {
                if (arg_error) *arg_error = position;
                return DISP_E_TYPEMISMATCH;
            }
            arguments.push_back(*value);
        }
        if (passed != params->cArgs) return DISP_E_BADPARAMCOUNT;

        SetErrorInfo(0, nullptr);  // what a failure leaves is the member's own
        HRESULT hr = call_slot(instance, m->slot, arguments);
        if (FAILED(hr)) {
            fill_exception(exception, hr);
            return DISP_E_EXCEPTION;
        }
        if (result) {
            VariantClear(result);
            *result = returned;
        } else {
            VariantClear(&returned);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR* name, BSTR* doc, DWORD* context, BSTR* file) override {
        const std::u16string* text = memid == MEMBERID_NIL ? &d_.name : nullptr;
        if (const TypeInfoMember* m = member(memid)) text = &m->name;
        if (!text) return TYPE_E_ELEMENTNOTFOUND;
        if (name) *name = make_bstr(*text);
        if (doc) *doc = nullptr;
        if (context) *context = 0;
        if (file) *file = nullptr;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** out) override { return not_here(out); }
    HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** out) override { return not_here(out); }
    HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT, FUNCDESC** out) override { return not_here(out); }
    HRESULT STDMETHODCALLTYPE GetVarDesc(UINT, VARDESC** out) override { return not_here(out); }
    HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT, HREFTYPE* out) override {
        if (out) *out = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT, INT* out) override {
        if (out) *out = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE, ITypeInfo** out) override { return not_here(out); }
    HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID, INVOKEKIND, PVOID* out) override { return not_here(out); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, PVOID* out) override { return not_here(out); }
    HRESULT STDMETHODCALLTYPE GetMops(MEMBERID, BSTR* out) override { return not_here(out); }
    HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** out, UINT*) override { return not_here(out); }
    void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR*) override {}
    void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC*) override {}
    void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC*) override {}

private:
    static constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = HRESULT(0x8002802B);

    template <class T>
    static HRESULT not_here(T** out) {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    const TypeInfoMember* member(MEMBERID memid) const {
        for (const auto& m : d_.members)
            if (m.id == memid) return &m;
        return nullptr;
    }

    TypeInfoInterface d_;
};

}  // namespace

HRESULT CreateInterfaceTypeInfo(const TypeInfoInterface& description, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        *out = make_com<InterfaceTypeInfo>(description).detach();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDAPICALLTYPE DispGetIDsOfNames(ITypeInfo* ptinfo, LPOLESTR* rgszNames, UINT cNames, DISPID* rgdispid) {
    if (!ptinfo) return E_INVALIDARG;
    return ptinfo->GetIDsOfNames(rgszNames, cNames, rgdispid);
}

HRESULT STDAPICALLTYPE DispInvoke(void* _this, ITypeInfo* ptinfo, DISPID dispidMember, WORD wFlags, DISPPARAMS* pparams,
                                  VARIANT* pvarResult, EXCEPINFO* pexcepinfo, UINT* puArgErr) {
    if (!ptinfo) return E_INVALIDARG;
    return ptinfo->Invoke(_this, dispidMember, wFlags, pparams, pvarResult, pexcepinfo, puArgErr);
}
