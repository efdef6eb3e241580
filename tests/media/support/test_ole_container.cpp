#include "media/support/test_ole_container.h"

#include "com/error.h"
#include "com/utf.h"
#include "platform/binary_files.h"

HRESULT STDMETHODCALLTYPE TestOleContainer::ReadFromFile(SHORT file_number)
try {
    ++read_calls;
    BinaryFile& file = open_file(file_number);
    read_position = file.position();
    read_path = file.path();
    if (fail_read_with) raise_error(fail_read_with, u"error loading from file");
    std::vector<std::uint8_t> image(std::size_t(file.length() - read_position));
    file.read(image);
    held = std::move(image);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE TestOleContainer::SaveToFile(SHORT file_number)
try {
    if (fail_save_with) raise_error(fail_save_with, u"error saving to file");
    open_file(file_number).write(held);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE TestOleContainer::get_OLEType(SHORT* type) {
    if (!type) return E_POINTER;
    *type = held.empty() ? kOleTypeNone : kOleTypeEmbedded;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestOleContainer::get_SourceDoc(BSTR* path) {
    if (!path) return E_POINTER;
    *path = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestOleContainer::CreateLink(BSTR source_doc, VARIANT) {
    linked_to = std::u16string(bstr_view(source_doc));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestOleContainer::get_UpdateOptions(SHORT* options) {
    if (!options) return E_POINTER;
    *options = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestOleContainer::put_UpdateOptions(SHORT) { return S_OK; }
