// The view of an opened page that the document container holds: the page and its form.
#pragma once

#include "com/object.h"
#include "document/udPathmender.h"
#include "contracts/document_view.h"

class PageView final : public ComObject<PageView, IDocumentView> {
public:
    explicit PageView(ComPtr<udPathmender> page) : page_(std::move(page)) {}
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) override;
    HRESULT STDMETHODCALLTYPE get_Form(forms::Form** form) override;

private:
    ComPtr<udPathmender> page_;
};
