// The OLE container control, as the form that owns it and the code that borrows it see it.
#pragma once

#include "com/bstr.h"
#include "com/unknown.h"
#include "com/variant.h"

// OLEType values.
inline constexpr SHORT kOleTypeLinked = 0;
inline constexpr SHORT kOleTypeEmbedded = 1;
inline constexpr SHORT kOleTypeNone = 3;

struct IOleContainerControl : IDispatch {
    static constexpr IID iid = make_guid("{9ED94440-E5E8-101B-B9B5-444553540000}");
    // Replaces the held object with the one whose image starts at the file's position.
    virtual HRESULT STDMETHODCALLTYPE ReadFromFile(SHORT file_number) = 0;
    // Writes the held object's image at the file's position; an empty control writes nothing.
    virtual HRESULT STDMETHODCALLTYPE SaveToFile(SHORT file_number) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OLEType(SHORT* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SourceDoc(BSTR* path) = 0;
    // Turns the held object into a link to source_doc; source_item may be omitted.
    virtual HRESULT STDMETHODCALLTYPE CreateLink(BSTR source_doc, VARIANT source_item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UpdateOptions(SHORT* options) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UpdateOptions(SHORT options) = 0;
};

// Creates an empty container control (the form's slot holds it).
HRESULT CreateOleContainerControl(IOleContainerControl** control);
