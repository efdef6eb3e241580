#include "module/cUpdateLinks.h"

#include "com/bstr.h"
#include "com/class_factory.h"
#include "com/error.h"
#include "com/path_text.h"
#include "com/safearray.h"
#include "com/variant.h"
#include "resources/module_file.h"

namespace {

// The host's string service is global per thread: made on first use, kept for the thread's life.
IHostStringServices& string_services() {
    thread_local ComPtr<IHostStringServices> service;
    if (!service) service = create_instance<IHostStringServices>(CLSID_HostStringServices);
    return *service;
}

// An array of variants that frees itself, whatever the callee left in the variable.
class VariantArray {
public:
    explicit VariantArray(std::uint32_t count) : array_(SafeArrayCreateVector(VT_VARIANT, 0, count)) {
        if (!array_) raise_standard_error(RuntimeError::OutOfMemory);
    }
    ~VariantArray() { SafeArrayDestroy(array_); }
    VariantArray(const VariantArray&) = delete;
    VariantArray& operator=(const VariantArray&) = delete;
    SAFEARRAY** address() { return &array_; }

private:
    SAFEARRAY* array_;
};

HRESULT hand_out(BSTR* out, std::u16string_view text) {
    if (!out) return E_POINTER;
    *out = nullptr;
    *out = make_bstr(text);
    return S_OK;
}

}  // namespace

HRESULT STDMETHODCALLTYPE cUpdateLinks::get_Caption(BSTR* text)
try {
    return hand_out(text, kPluginCaption);
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::get_Name(BSTR* text)
try {
    return hand_out(text, kPluginCaption);
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::get_Description(BSTR* text)
try {
    if (!text) return E_POINTER;
    *text = nullptr;
    IHostStringServices& service = string_services();
    VariantArray no_values(0);
    Bstr description(kPluginDescription);
    Bstr result;
    check(service.FormatText(description.get(), no_values.address(), result.put()), &service);
    *text = result.release();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::get_Image(BSTR* text)
try {
    return hand_out(text, u"");
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::get_Group(BSTR* text)
try {
    return hand_out(text, u"");
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::OnInit(IDispatch* oApp)
try {
    ComPtr<IDispatch> app(oApp);  // held for the length of the call
    ComPtr<IHostApplication> application = app.query<IHostApplication>();
    ComPtr<IHostApplicationContext> context;
    check(application->get_ApplicationContext(context.put()), application.get());
    if (!context) raise_standard_error(RuntimeError::ObjectVariableNotSet);
    ComPtr<IDispatch> session;
    check(context->get_Session(session.put()), context.get());
    ComPtr<ISessionContext> session_context = session.query<ISessionContext>();
    // Only now, with everything obtained, do the fields change.
    SessionContext = std::move(session_context);
    Application = std::move(application);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::OnLoad(IDispatch* oDoc)
try {
    ComPtr<IDispatch> doc(oDoc);  // held for the length of the call
    try {
        // Nothing is stored as nothing; anything else must be the page, or Document stays as it was.
        Document = doc ? doc.query<_udPathmender>() : ComPtr<_udPathmender>();
        if (!Document) raise_standard_error(RuntimeError::ObjectVariableNotSet);
        // The page receives the field itself, by reference; whatever it leaves there is kept.
        ISessionContext* passed = SessionContext.get();
        HRESULT hr = Document->Init(&passed);
        if (passed != SessionContext.get()) {
            SessionContext.detach();  // the page released the reference it replaced
            SessionContext = ComPtr<ISessionContext>::attach(passed);
        }
        check(hr, Document.get());
    } catch (const ComError& e) {
        // The host hears the same number and description, with the description as source.
        raise_error(e.number, e.description, e.description);
    }
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::OnQueryUnload(VARIANT_BOOL*, VARIANT_BOOL) {
    return S_OK;  // the plug-in never refuses to unload
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::OnClosedown()
try {
    Application.reset();
    if (SessionContext) SessionContext.reset();
    if (Document) {
        check(Document->Closedown(), Document.get());
        Document.reset();
    }
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::get_URL(BSTR* url)
try {
    if (!url) return E_POINTER;
    *url = nullptr;
    auto paths = create_instance<IHostPathServices>(CLSID_HostPathServices);
    Bstr folder;
    check(paths->FolderPath(kPageFileFolder, folder.put()), paths.get());
    // The folder text ends in a separator; none is added.
    *url = make_bstr(folder.str() + kPageFileName);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE cUpdateLinks::get_ProgID(BSTR* prog_id)
try {
    if (!prog_id) return E_POINTER;
    *prog_id = nullptr;
    std::u16string base_name = path_text(module_file_path().stem());
    *prog_id = make_bstr(base_name + u".cUpdateLinks");
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
