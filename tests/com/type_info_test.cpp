// Late binding through a type info: names to identifiers, and Invoke calling the member through
// its vtable slot with the caller's arguments, result and failure.
#include <gtest/gtest.h>

#include <algorithm>

#include "com/bstr.h"
#include "com/error.h"
#include "com/object.h"
#include "com/type_info.h"
#include "com/utf.h"
#include "com/variant.h"

namespace {

struct IProbe : IDispatch {
    static constexpr IID iid = make_guid("{6D1C2E40-3B5A-4F1E-9C0D-7A8B9C0D1E2F}");
    virtual HRESULT STDMETHODCALLTYPE get_Label(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE Join(BSTR text, LONG count, VARIANT_BOOL flag, SHORT small, BSTR* joined) = 0;
    virtual HRESULT STDMETHODCALLTYPE Swap(IDispatch** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE Fail() = 0;
    virtual HRESULT STDMETHODCALLTYPE Widen(VARIANT value) = 0;
};

const TypeInfoInterface& probe_description() {
    static const TypeInfoInterface d{
        u"IProbe",
        IProbe::iid,
        {{u"Label", 0x60020000, INVOKE_PROPERTYGET, 7, {{u"text", VT_BSTR | VT_BYREF, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}}},
         {u"Join", 0x60020001, INVOKE_FUNC, 8,
          {{u"text", VT_BSTR, PARAMFLAG_FIN},
           {u"count", VT_I4, PARAMFLAG_FIN},
           {u"flag", VT_BOOL, PARAMFLAG_FIN},
           {u"small", VT_I2, PARAMFLAG_FIN},
           {u"joined", VT_BSTR | VT_BYREF, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}}},
         {u"Swap", 0x60020002, INVOKE_FUNC, 9, {{u"object", VT_DISPATCH | VT_BYREF, PARAMFLAG_FIN | PARAMFLAG_FOUT}}},
         {u"Fail", 0x60020003, INVOKE_FUNC, 10, {}},
         {u"Widen", 0x60020004, INVOKE_FUNC, 11, {{u"value", VT_VARIANT, PARAMFLAG_FIN}}}}};
    return d;
}

ComPtr<ITypeInfo> probe_type_info() {
    ITypeInfo* info = nullptr;
    EXPECT_EQ(CreateInterfaceTypeInfo(probe_description(), &info), S_OK);
    return ComPtr<ITypeInfo>::attach(info);
}

class Other final : public ComObject<Other, IDispatch> {};

class Probe final : public ComObject<Probe, IProbe> {
public:
    HRESULT STDMETHODCALLTYPE get_Label(BSTR* text) override {
        *text = make_bstr(u"label");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Join(BSTR text, LONG count, VARIANT_BOOL flag, SHORT small, BSTR* joined) override {
        std::u16string out(text);
        for (char c : std::to_string(count) + " " + std::to_string(flag) + " " + std::to_string(small)) out += char16_t(c);
        *joined = make_bstr(u" " + out);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Swap(IDispatch** object) override {
        if (*object) (*object)->Release();
        *object = replacement.get();
        replacement->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Fail() override { return fail_with(ComError(hresult_from_error_number(5), u"the probe failed")); }
    HRESULT STDMETHODCALLTYPE Widen(VARIANT) override { return S_OK; }

    ITypeInfo* type_info(REFIID iid) { return iid == IProbe::iid ? info.get() : nullptr; }

    ComPtr<ITypeInfo> info = probe_type_info();
    ComPtr<IDispatch> replacement = ComPtr<IDispatch>(make_com<Other>().get());
};

class LateBinding : public ::testing::Test {
protected:
    DISPID id_of(const char16_t* name) {
        std::u16string text(name);
        LPOLESTR names[] = {text.data()};
        DISPID id = 0;
        EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK) << utf8(text);
        return id;
    }
    // Arguments in the caller's order; DISPPARAMS holds them last one first.
    HRESULT call(const char16_t* name, WORD flags, std::vector<VARIANT> arguments, VARIANT* result = nullptr,
                 EXCEPINFO* exception = nullptr, UINT* arg_error = nullptr) {
        std::reverse(arguments.begin(), arguments.end());
        DISPPARAMS params{arguments.data(), nullptr, UINT(arguments.size()), 0};
        return dispatch_->Invoke(id_of(name), GUID_NULL, 0, flags, &params, result, exception, arg_error);
    }
    static VARIANT value(VARTYPE type, auto set) {
        VARIANT v{};
        v.vt = type;
        set(v);
        return v;
    }

    ComPtr<Probe> probe_ = make_com<Probe>();
    ComPtr<IProbe> dispatch_ = ComPtr<IProbe>(probe_.get());
};

TEST_F(LateBinding, NamesMatchWithoutRegardToCaseAndParametersByPosition) {
    std::u16string member = u"jOIN", second = u"FLAG", unknown = u"nothing";
    LPOLESTR names[] = {member.data(), second.data(), unknown.data()};
    DISPID ids[3] = {};
    EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 0x60020001);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(ids[2], DISPID_UNKNOWN);

    LPOLESTR missing[] = {unknown.data()};
    EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, missing, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(dispatch_->GetIDsOfNames(IProbe::iid, names, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);

    UINT count = 0;
    EXPECT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatch_->GetTypeInfo(0, 0, &info), S_OK);
    EXPECT_EQ(info, probe_->info.get());
    BSTR listed[6] = {};
    UINT listed_count = 0;
    EXPECT_EQ(info->GetNames(0x60020001, listed, 6, &listed_count), S_OK);
    ASSERT_EQ(listed_count, 5u);  // the result is no parameter a caller passes
    EXPECT_EQ(std::u16string(listed[0]) + listed[4], u"Joinsmall");
    for (BSTR b : listed) SysFreeString(b);
    info->Release();
}

TEST_F(LateBinding, InvokePassesArgumentsInTheirOrderAndHandsBackTheResult) {
    Variant result;
    EXPECT_EQ(call(u"Label", DISPATCH_PROPERTYGET, {}, result.get()), S_OK);
    EXPECT_EQ(result.to_text(), u"label");

    Bstr text(u"x");
    EXPECT_EQ(call(u"join", DISPATCH_METHOD,
                   {value(VT_BSTR, [&](VARIANT& v) { v.bstrVal = text.get(); }),
                    value(VT_I4, [](VARIANT& v) { v.lVal = -70000; }), value(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }),
                    value(VT_I2, [](VARIANT& v) { v.iVal = -3; })},
                   result.put()),
              S_OK);
    EXPECT_EQ(result.to_text(), u" x-70000 -1 -3");
}

TEST_F(LateBinding, AnObjectByReferenceComesBackReplaced) {
    IDispatch* held = ComPtr<IDispatch>(make_com<Other>().get()).detach();
    EXPECT_EQ(call(u"Swap", DISPATCH_METHOD, {value(VT_DISPATCH | VT_BYREF, [&](VARIANT& v) { v.ppdispVal = &held; })}), S_OK);
    EXPECT_EQ(held, probe_->replacement.get());
    held->Release();
}

TEST_F(LateBinding, CallsThatDoNotFitTheMemberAreRefused) {
    struct Case {
        const char16_t* name;
        WORD flags;
        std::vector<VARIANT> arguments;
        HRESULT expected;
        UINT arg_error;
    };
    VARIANT four = value(VT_I4, [](VARIANT& v) { v.lVal = 4; });
    VARIANT one = value(VT_I2, [](VARIANT& v) { v.iVal = 1; });
    const Case cases[] = {
        {u"Label", DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND, 99},
        {u"Fail", DISPATCH_METHOD, {four}, DISP_E_BADPARAMCOUNT, 99},
        {u"Swap", DISPATCH_METHOD, {}, DISP_E_BADPARAMCOUNT, 99},
        {u"Swap", DISPATCH_METHOD, {four}, DISP_E_TYPEMISMATCH, 0},
        {u"Join", DISPATCH_METHOD, {four, four, one, one}, DISP_E_TYPEMISMATCH, 3},  // the text, last in DISPPARAMS
        {u"Widen", DISPATCH_METHOD, {four}, HRESULT(0x80020008), 99},               // DISP_E_BADVARTYPE
    };
    for (const Case& c : cases) {
        UINT arg_error = 99;
        Variant result;
        EXPECT_EQ(call(c.name, c.flags, c.arguments, result.get(), nullptr, &arg_error), c.expected) << utf8(c.name);
        EXPECT_EQ(arg_error, c.arg_error) << utf8(c.name);
        EXPECT_TRUE(result.is_empty()) << utf8(c.name);
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch_->Invoke(0x7777, GUID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    DISPID named = 0;
    DISPPARAMS with_name{&four, &named, 1, 1};
    EXPECT_EQ(dispatch_->Invoke(0x60020002, GUID_NULL, 0, DISPATCH_METHOD, &with_name, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
}

TEST_F(LateBinding, AFailingMemberFillsTheExceptionWithItsErrorInfo) {
    EXCEPINFO exception{};
    Variant result;
    EXPECT_EQ(call(u"Fail", DISPATCH_METHOD, {}, result.get(), &exception), DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, hresult_from_error_number(5));
    ASSERT_NE(exception.bstrDescription, nullptr);
    EXPECT_EQ(std::u16string(exception.bstrDescription), u"the probe failed");
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    EXPECT_EQ(call(u"Fail", DISPATCH_METHOD, {}), DISP_E_EXCEPTION);  // without an EXCEPINFO too
}

TEST_F(LateBinding, AnObjectWithoutTypeInfoBindsNothing) {
    ComPtr<IDispatch> other(make_com<Other>().get());
    UINT count = 7;
    EXPECT_EQ(other->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    std::u16string name = u"Label";
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(other->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), E_NOTIMPL);
}

}  // namespace
