// The OLE container control: holds at most one object and moves it through open binary files.
#include <optional>
#include <vector>

#include "com/error.h"
#include "com/object.h"
#include "com/utf.h"
#include "platform/binary_files.h"
#include "platform/ole_control.h"
#include "platform/ole/ole_object.h"

namespace {

namespace ole = pathmender::ole;

// The one place where a failure of the stored-object library becomes the control's run-time error.
ComError control_error(const ole::OleError& e) {
    std::u16string what = utf16(e.what());
    switch (e.failure()) {
    case ole::OleFailure::InvalidPropertyValue: return ComError(RuntimeError::InvalidPropertyValue, what);
    case ole::OleFailure::CannotLinkEmbedded: return ComError(RuntimeError::OleCannotActivate, what);
    case ole::OleFailure::SavingToFile:
        return ComError(RuntimeError::OleSaveToFile, u"Unable to save to file: " + what);
    case ole::OleFailure::LoadingFromFile:
        return ComError(RuntimeError::OleLoadFromFile, u"Unable to load from file: " + what);
    }
    return ComError(E_FAIL, what);
}

// Calls into the stored-object library; its failures leave as the control's run-time errors.
template <class Call>
decltype(auto) from_ole(Call call) {
    try {
        return call();
    } catch (const ole::OleError& e) {
        throw control_error(e);
    }
}

class OleContainerControl final : public ComObject<OleContainerControl, IOleContainerControl> {
public:
    HRESULT STDMETHODCALLTYPE ReadFromFile(SHORT file_number) override
    try {
        BinaryFile& file = open_file(file_number);
        const std::int64_t start = file.position();
        const std::int64_t available = std::max<std::int64_t>(0, file.length() - start);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(available));
        file.read(bytes);
        std::size_t consumed = 0;
        ole::OleObject read = from_ole([&] { return ole::read_ole_object(bytes, consumed); });
        // The file is left just after the object; the container changes only on success.
        file.seek(start + std::int64_t(consumed));
        object_ = std::move(read);
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

    HRESULT STDMETHODCALLTYPE SaveToFile(SHORT file_number) override
    try {
        BinaryFile& file = open_file(file_number);
        if (!object_) return S_OK;  // an empty container writes nothing
        const ole::Bytes bytes = from_ole([&] { return ole::write_ole_object(*object_); });
        try {
            file.write(bytes);
        } catch (const ComError& e) {
            raise_error(RuntimeError::OleSaveToFile, u"Unable to save to file: " + e.description);
        }
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

    HRESULT STDMETHODCALLTYPE get_OLEType(SHORT* type) override {
        if (!type) return E_POINTER;
        *type = object_ ? SHORT(ole::ole_type(*object_)) : kOleTypeNone;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_SourceDoc(BSTR* path) override
    try {
        if (!path) return E_POINTER;
        *path = nullptr;
        *path = make_bstr(object_ ? ole::source_doc(*object_) : std::u16string());
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

    HRESULT STDMETHODCALLTYPE CreateLink(BSTR source_doc, VARIANT source_item) override
    try {
        held();
        // The item of a link to part of a file stays as it is; naming a new one is not supported.
        if (!(source_item.vt == VT_ERROR && source_item.scode == DISP_E_PARAMNOTFOUND) && source_item.vt != VT_EMPTY)
            raise_standard_error(RuntimeError::InvalidProcedureCall);
        from_ole([&] { ole::create_link(*object_, bstr_view(source_doc)); });
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

    HRESULT STDMETHODCALLTYPE get_UpdateOptions(SHORT* options) override
    try {
        if (!options) return E_POINTER;
        *options = 0;
        *options = ole::update_options(held());
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

    HRESULT STDMETHODCALLTYPE put_UpdateOptions(SHORT options) override
    try {
        from_ole([&] { ole::set_update_options(held(), options); });
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

private:
    ole::OleObject& held() {
        if (!object_) raise_error(RuntimeError::OleNoObject, u"No object");
        return *object_;
    }

    std::optional<ole::OleObject> object_;
};

}  // namespace

HRESULT CreateOleContainerControl(IOleContainerControl** control)
try {
    if (!control) return E_POINTER;
    *control = nullptr;
    *control = make_com<OleContainerControl>().detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
