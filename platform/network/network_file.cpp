#include "network_file.h"

#include "com/error.h"

NetworkFile::NetworkFile(std::u16string unc_path, std::u16string name)
    : unc_path_(std::move(unc_path)), name_(std::move(name)) {}

HRESULT STDMETHODCALLTYPE NetworkFile::get_Path(BSTR* path)
try {
    if (!path) return E_POINTER;
    *path = nullptr;
    *path = make_bstr(unc_path_);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE NetworkFile::get_Name(BSTR* name)
try {
    if (!name) return E_POINTER;
    *name = nullptr;
    *name = make_bstr(name_);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
