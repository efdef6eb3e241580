// ITypeInfo, and the late binding that rests on it: a type info describes one interface's members
// (name, DISPID, kind, vtable slot, parameters), and the platform's DispGetIDsOfNames and DispInvoke
// let an object's IDispatch members defer to it, so a caller can reach a dual interface's members
// by name. CreateInterfaceTypeInfo makes the type info here, where the platform would load it
// from a type library. On Windows all of it is the platform's own.
#pragma once

#include <string>
#include <vector>

#include "com/dispatch.h"
#include "com/unknown.h"

#ifndef _WIN32
struct TYPEATTR;
struct FUNCDESC;
struct VARDESC;
struct ITypeComp;
struct ITypeLib;
using MEMBERID = DISPID;
using HREFTYPE = DWORD;
enum INVOKEKIND { INVOKE_FUNC = 1, INVOKE_PROPERTYGET = 2, INVOKE_PROPERTYPUT = 4, INVOKE_PROPERTYPUTREF = 8 };

inline constexpr MEMBERID MEMBERID_NIL = -1;
inline constexpr USHORT PARAMFLAG_FIN = 0x1, PARAMFLAG_FOUT = 0x2, PARAMFLAG_FRETVAL = 0x8;

// The platform's member order; members nothing here calls answer E_NOTIMPL.
struct ITypeInfo : IUnknown {
    static constexpr IID iid = make_guid("{00020401-0000-0000-C000-000000000046}");
    virtual HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** ppTypeAttr) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** ppTComp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVarDesc(UINT index, VARDESC** ppVarDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, INT* pImplTypeFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                                             VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                                       DWORD* pdwHelpContext, BSTR* pBstrHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR* pBstrDllName,
                                                  BSTR* pBstrName, WORD* pwOrdinal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID memid, INVOKEKIND invKind, PVOID* ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, PVOID* ppvObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMops(MEMBERID memid, BSTR* pBstrMops) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) = 0;
    virtual void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* pTypeAttr) = 0;
    virtual void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* pFuncDesc) = 0;
    virtual void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC* pVarDesc) = 0;

protected:
    ~ITypeInfo() = default;
};
#endif

#ifndef _WIN32
// How this runtime describes an interface to make its type info (on Windows the type info comes
// from the module's type library). One parameter as the member's vtable entry takes it: its automation type, with VT_BYREF where
// the member takes a pointer to one ("BSTR*" is VT_BSTR | VT_BYREF), and PARAMFLAG_ flags.
struct TypeInfoParameter {
    std::u16string name;
    VARTYPE type = VT_EMPTY;
    USHORT flags = 0;
};
struct TypeInfoMember {
    std::u16string name;
    MEMBERID id = 0;
    INVOKEKIND kind = INVOKE_FUNC;
    UINT slot = 0;  // index into the interface's vtable, IUnknown's members included; returns HRESULT
    std::vector<TypeInfoParameter> parameters;
};
struct TypeInfoInterface {
    std::u16string name;
    IID iid{};
    std::vector<TypeInfoMember> members;
};

// A type info of the interface described. Its Invoke calls members through the vtable slot given,
// passing each argument as a pointer-sized integer: what a member taking pointers and integers
// receives on every target this runtime serves (x86-64 and AArch64). A member with a parameter
// that does not travel so (a VARIANT by value, a floating-point number), or with more than five,
// answers DISP_E_BADVARTYPE.
HRESULT CreateInterfaceTypeInfo(const TypeInfoInterface& description, ITypeInfo** ppTInfo);

// The platform's helpers for IDispatch members that defer to a type info.
HRESULT STDAPICALLTYPE DispGetIDsOfNames(ITypeInfo* ptinfo, LPOLESTR* rgszNames, UINT cNames, DISPID* rgdispid);
HRESULT STDAPICALLTYPE DispInvoke(void* _this, ITypeInfo* ptinfo, DISPID dispidMember, WORD wFlags,
                                  DISPPARAMS* pparams, VARIANT* pvarResult, EXCEPINFO* pexcepinfo, UINT* puArgErr);
#endif
