#include "module/page_view.h"

HRESULT PageView::get_Document(IDispatch** document) {
    if (!document) return E_POINTER;
    *document = nullptr;
    return page_->QueryInterface(IDispatch::iid, reinterpret_cast<void**>(document));
}

HRESULT PageView::get_Form(forms::Form** form) {
    if (!form) return E_POINTER;
    *form = &page_->page();
    return S_OK;
}
