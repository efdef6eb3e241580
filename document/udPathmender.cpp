// The page and its start-up: controls, Init, Closedown, Initialize, Resize and the messages.
#include "document/udPathmender.h"

#include "com/class_factory.h"
#include "com/error.h"
#include "platform/forms/window_system.h"
#include "resources/resource_table.h"

namespace {

constexpr const char16_t* kMediaTables[] = {
    u"AP7VENDORMEDIA",   u"AR7CLIENTMEDIA",   u"EA7EDUCATIONRECOMMENDATIONMEDIA",
    u"EA7FACULTYMEDIA",  u"EA7INDIVIDUALMEDIA", u"EA7RECORDMEDIA",
    u"FAASSETMEDIA",     u"GL7PROJECTMEDIA",  u"PY7EMPLOYEEMEDIA",
    u"PY7EVENTMEDIA",    u"PY7POSITIONSMEDIA",
};

}  // namespace

udPathmender::udPathmender() : page_(forms::Form::from_layout(resource_text("LAYOUT", "udPathmender"))) {
    forms::Form& f = *page_;
    VXElastic1 = f.get<forms::ElasticContainer>("VXElastic1");
    Image1 = f.get<forms::Image>("Image1");
    Frame1 = f.get<forms::Frame>("Frame1");
    lblHeader = f.get<forms::Label>("lblHeader");
    lblPrevious[0] = f.get<forms::Label>("lblPrevious(0)");
    lblPrevious[1] = f.get<forms::Label>("lblPrevious(1)");
    txtPrevious = f.get<forms::TextBox>("txtPrevious");
    cboMapped = f.get<forms::ComboBox>("cboMapped");
    chkExactMatch = f.get<forms::CheckBox>("chkExactMatch");
    chkUpdatedQuery = f.get<forms::CheckBox>("chkUpdatedQuery");
    chkExceptionQuery = f.get<forms::CheckBox>("chkExceptionQuery");
    cmdUpdate = f.get<forms::CommandButton>("cmdUpdate");

    auto picture = find_resource("BITMAP", "Image1");
    Image1->Picture.assign(picture.begin(), picture.end());

    f.Form_Resize = [this] { UserDocument_Resize(); };
    cmdUpdate->Click = [this] {
        // A failure that ends the click (the count, the progress window) is shown, and no run starts.
        try {
            cmdUpdate_Click();
        } catch (...) {
            forms::MsgBox(error_text(error_from_current_exception()), vbExclamation);
        }
    };
}

udPathmender::~udPathmender() = default;

HRESULT STDMETHODCALLTYPE udPathmender::Init(ISessionContext** context) {
    if (!context) return E_POINTER;
    SessionContext = *context;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE udPathmender::Closedown() {
    NetworkDrives.reset();
    FileSystem.reset();
    FileServices.reset();
    DataObject.reset();
    SessionContext.reset();
    StandaloneApi.reset();
    return S_OK;
}

void udPathmender::UserDocument_Initialize() {
    auto& options = VXElastic1->options();
    options.Setting1 = 8;
    options.Setting2 = 3;
    options.Setting3 = 2;
    options.Setting4 = 0;
    StartUp();
}

void udPathmender::UserDocument_Resize() {
    VXElastic1->Move(0, 0, float(page_->ScaleWidth), float(page_->ScaleHeight));
}

void udPathmender::StartUp() {
    if (!SessionContext) OpenStandaloneSession();
    FillMappedDrives();
    TableList.clear();
    for (const char16_t* table : kMediaTables) TableList.emplace_back(std::u16string_view(table));
}

void udPathmender::OpenStandaloneSession() {
    StandaloneApi = create_instance<IKWOpen>(CLSID_KWOpen);
    VARIANT_BOOL opened = VARIANT_FALSE;
    Bstr key(kStandaloneApplicationKey), empty;
    check(StandaloneApi->Initialize(key.get(), empty.get(), empty.get(), 0, empty.get(), 0, &opened), StandaloneApi);
    if (opened) {
        check(StandaloneApi->get_SessionContext(SessionContext.put()), StandaloneApi);
        return;
    }
    Bstr error;
    check(StandaloneApi->get_LastError(error.put()), StandaloneApi);
    forms::MsgBox(u"KWOpen was unable to initialize: (" + error.str() + u")", vbOKOnly + vbExclamation);
    StandaloneApi.reset();
}

LONG udPathmender::ShowMessage(const std::u16string& text, LONG style) {
    // Without a session (the stand-alone one failed and none was handed over) the box still shows,
    // under the platform's default caption.
    if (!SessionContext) return forms::MsgBox(text, style);
    Bstr title;
    check(SessionContext->get_ApplicationTitle(title.put()), SessionContext);
    return forms::MsgBox(text, style, title.view());
}
