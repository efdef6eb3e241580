// What a document container needs of a document beyond its COM interfaces: the form that shows it.
// Module-internal contract between the module and the host's document container; the form lives
// in the shared platform library here, and on Windows in the module's copy of the platform, built
// from the same sources as the program's; so the pointer is valid on both sides.
#pragma once

#include <cstddef>

#include "com/unknown.h"

namespace forms {
class Form;
}

struct IDocumentView : IUnknown {
    static constexpr IID iid = make_guid("{918BDF1E-35F3-42F7-8429-A94BB7805368}");
    // The document's object (IDispatch of the document's default interface).
    virtual HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) = 0;
    // The document's form; valid while this view is held.
    virtual HRESULT STDMETHODCALLTYPE get_Form(forms::Form** form) = 0;

protected:
    ~IDocumentView() = default;
};

// The module export that opens a document: creates the document of class clsid (only the class
// the module's page file names), runs its Initialize notification, and hands out the interface
// riid of it and, when view is not null, its view. An error in Initialize fails the creation with
// that error (HRESULT and the thread's error info).
using DllCreateDocumentFn = HRESULT(STDAPICALLTYPE*)(REFCLSID clsid, REFIID riid, void** document, IDocumentView** view);
inline constexpr char kDllCreateDocument[] = "DllCreateDocument";

// The module export that hands out one of the module's compiled-in resources, as the platform's
// resource functions do: S_OK with its bytes, or E_INVALIDARG when there is none of that type and name.
using DllFindResourceFn = HRESULT(STDAPICALLTYPE*)(const char* type, const char* name, const unsigned char** data,
                                      std::size_t* size);
inline constexpr char kDllFindResource[] = "DllFindResource";
