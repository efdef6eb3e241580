#include "module/page_view.h"

HRESULT STDMETHODCALLTYPE PageView::get_Document(IDispatch** document) {
    if (!document) return E_POINTER;
    *document = nullptr;
    return page_->QueryInterface(uuidof<IDispatch>(), reinterpret_cast<void**>(document));
}

HRESULT STDMETHODCALLTYPE PageView::get_Form(forms::Form** form) {
    if (!form) return E_POINTER;
    *form = &page_->page();
    return S_OK;
}
