// The registration object, created from the built module through a temporary registry, as the
// host creates it.
#include <gtest/gtest.h>

#include "com/class_factory.h"
#include "com/registry.h"
#include "com/utf.h"
#include "module/support/plugin_host.h"

using namespace test_host;

namespace {

constexpr char16_t kCaption[] = u"Update Linked Media";
constexpr char16_t kDescription[] =
    u"This plug-in will update linked KW/JW media records in the event that the file location has changed.";

class RegistrationObject : public CreatedPlugin {
protected:
    void TearDown() override {
        CreatedPlugin::TearDown();
        FixedPathServices::folder_text() = u"/srv/host/pages/";
    }

    static ComPtr<TestApplication> application(ComPtr<TestSession>* session_out = nullptr) {
        auto session = make_com<TestSession>();
        if (session_out) *session_out = session;
        return make_com<TestApplication>(ComPtr<IDispatch>(session.get()));
    }
    std::u16string read(HRESULT (IVXHeaderInfo::*member)(BSTR*)) {
        Bstr text;
        EXPECT_EQ((header_.get()->*member)(text.put()), S_OK);
        return text.str();
    }
};

TEST_F(RegistrationObject, HeaderMembersGiveTheFixedTexts) {
    EXPECT_EQ(read(&IVXHeaderInfo::get_Caption), kCaption);
    EXPECT_EQ(read(&IVXHeaderInfo::get_Name), kCaption);
    EXPECT_EQ(read(&IVXHeaderInfo::get_Description), kDescription);
    EXPECT_EQ(read(&IVXHeaderInfo::get_Image), u"");
    EXPECT_EQ(read(&IVXHeaderInfo::get_Group), u"");
    Bstr prog_id;
    ASSERT_EQ(plugin_->get_ProgID(prog_id.put()), S_OK);
    EXPECT_EQ(prog_id.view(), u"Pathmender.cUpdateLinks");
}

TEST_F(RegistrationObject, EveryPropertyRefusesANullOutPointer) {
    for (auto member : {&IVXHeaderInfo::get_Caption, &IVXHeaderInfo::get_Name, &IVXHeaderInfo::get_Description,
                        &IVXHeaderInfo::get_Image, &IVXHeaderInfo::get_Group})
        EXPECT_EQ((header_.get()->*member)(nullptr), E_POINTER);
    EXPECT_EQ(plugin_->get_URL(nullptr), E_POINTER);
    EXPECT_EQ(plugin_->get_ProgID(nullptr), E_POINTER);
}

TEST_F(RegistrationObject, UrlGluesThePageFileToTheFolderTextAsItStands) {
    struct Case {
        std::u16string folder, url;
    };
    const Case cases[] = {
        {u"/srv/host/pages/", u"/srv/host/pages/udPathmender.vbd"},
        {u"/srv/host/pages", u"/srv/host/pagesudPathmender.vbd"},  // no separator is added
        {u"\\\\server\\share\\", u"\\\\server\\share\\udPathmender.vbd"},
        {u"", u"udPathmender.vbd"},
    };
    for (const auto& c : cases) {
        FixedPathServices::folder_text() = c.folder;
        Bstr url;
        ASSERT_EQ(plugin_->get_URL(url.put()), S_OK) << utf8(c.folder);
        EXPECT_EQ(url.view(), c.url) << utf8(c.folder);
    }
}

TEST_F(RegistrationObject, UrlFailsWithThePathServicesErrorAndHandsOutNoString) {
    CoRevokeClassObject(CLSID_HostPathServices);  // no path service: the registry knows none either
    BSTR url = reinterpret_cast<BSTR>(0x1);  // poisoned
    HRESULT hr = plugin_->get_URL(&url);
    EXPECT_EQ(hr, hresult_from_error_number(429));
    EXPECT_EQ(url, nullptr);
}

TEST_F(RegistrationObject, OnQueryUnloadLeavesTheCancelFlagAsPassed) {
    for (VARIANT_BOOL cancel : {VARIANT_FALSE, VARIANT_TRUE, VARIANT_BOOL(5)})
        for (VARIANT_BOOL shell : {VARIANT_FALSE, VARIANT_TRUE}) {
            VARIANT_BOOL flag = cancel;
            EXPECT_EQ(plugin_->OnQueryUnload(&flag, shell), S_OK);
            EXPECT_EQ(flag, cancel);
        }
}

TEST_F(RegistrationObject, OnClosedownBeforeOnLoadAndTwiceClosesNothingDown) {
    EXPECT_EQ(plugin_->OnClosedown(), S_OK);
    ComPtr<TestSession> session;
    auto app = application(&session);
    ASSERT_EQ(plugin_->OnInit(app.get()), S_OK);
    EXPECT_EQ(plugin_->OnClosedown(), S_OK);
    EXPECT_EQ(plugin_->OnClosedown(), S_OK);
    EXPECT_EQ(ref_count(app.get()), 1u);  // the application is let go of
    EXPECT_EQ(ref_count(session.get()), 2u);  // held by the test and the application's context only

    auto page = make_com<RecordingPage>();
    ASSERT_EQ(plugin_->OnLoad(page.get()), S_OK);
    EXPECT_EQ(plugin_->OnClosedown(), S_OK);
    EXPECT_EQ(plugin_->OnClosedown(), S_OK);
    EXPECT_EQ(page->closedown_calls, 1);
    EXPECT_EQ(ref_count(page.get()), 1u);
}

TEST_F(RegistrationObject, OnLoadHandsTheSessionContextToThePage) {
    ComPtr<TestSession> session;
    auto app = application(&session);
    ASSERT_EQ(plugin_->OnInit(app.get()), S_OK);
    auto page = make_com<RecordingPage>();
    ASSERT_EQ(plugin_->OnLoad(page.get()), S_OK);
    EXPECT_EQ(page->init_calls, 1);
    EXPECT_EQ(page->received, static_cast<ISessionContext*>(session.get()));
    EXPECT_EQ(ref_count(page.get()), 2u);
}

TEST_F(RegistrationObject, OnLoadBeforeOnInitGivesThePageNoSessionContext) {
    auto page = make_com<RecordingPage>();
    page->received = reinterpret_cast<ISessionContext*>(0x1);
    ASSERT_EQ(plugin_->OnLoad(page.get()), S_OK);
    EXPECT_EQ(page->init_calls, 1);
    EXPECT_EQ(page->received, nullptr);
}

TEST_F(RegistrationObject, ASecondOnInitReplacesApplicationAndSession) {
    ComPtr<TestSession> first_session, second_session;
    auto first = application(&first_session);
    auto second = application(&second_session);
    ASSERT_EQ(plugin_->OnInit(first.get()), S_OK);
    ASSERT_EQ(plugin_->OnInit(second.get()), S_OK);
    EXPECT_EQ(ref_count(first.get()), 1u);
    EXPECT_EQ(ref_count(first_session.get()), 2u);
    EXPECT_EQ(ref_count(second.get()), 2u);
    EXPECT_EQ(ref_count(second_session.get()), 3u);
    auto page = make_com<RecordingPage>();
    ASSERT_EQ(plugin_->OnLoad(page.get()), S_OK);
    EXPECT_EQ(page->received, static_cast<ISessionContext*>(second_session.get()));
}

TEST_F(RegistrationObject, AFailedOnInitLeavesBothFieldsAsTheyWere) {
    ComPtr<TestSession> session;
    auto good = application(&session);
    ASSERT_EQ(plugin_->OnInit(good.get()), S_OK);

    auto without_session = make_com<TestApplication>(ComPtr<IDispatch>(make_com<NotASession>().get()));
    EXPECT_EQ(plugin_->OnInit(without_session.get()), E_NOINTERFACE);
    auto not_an_application = make_com<NotASession>();
    EXPECT_EQ(plugin_->OnInit(not_an_application.get()), E_NOINTERFACE);
    EXPECT_EQ(plugin_->OnInit(nullptr), hresult_from_error_number(91));

    EXPECT_EQ(ref_count(good.get()), 2u);
    EXPECT_EQ(ref_count(without_session.get()), 1u);
    auto page = make_com<RecordingPage>();
    ASSERT_EQ(plugin_->OnLoad(page.get()), S_OK);
    EXPECT_EQ(page->received, static_cast<ISessionContext*>(session.get()));
}

TEST_F(RegistrationObject, ASecondOnLoadReplacesThePageWithoutClosingTheFirstDown) {
    auto first = make_com<RecordingPage>();
    auto second = make_com<RecordingPage>();
    ASSERT_EQ(plugin_->OnLoad(first.get()), S_OK);
    ASSERT_EQ(plugin_->OnLoad(second.get()), S_OK);
    EXPECT_EQ(first->closedown_calls, 0);
    EXPECT_EQ(ref_count(first.get()), 1u);
    ASSERT_EQ(plugin_->OnClosedown(), S_OK);
    EXPECT_EQ(first->closedown_calls, 0);
    EXPECT_EQ(second->closedown_calls, 1);
}

TEST_F(RegistrationObject, OnLoadWithAnObjectThatIsNotThePageRaisesTheInterfaceError) {
    auto page = make_com<RecordingPage>();
    ASSERT_EQ(plugin_->OnLoad(page.get()), S_OK);
    auto stranger = make_com<NotASession>();
    HRESULT hr = plugin_->OnLoad(stranger.get());
    ASSERT_EQ(hr, E_NOINTERFACE);
    ErrorRecord error;
    ASSERT_TRUE(GetErrorRecord(hr, &error));
    EXPECT_EQ(error.number, E_NOINTERFACE);
    EXPECT_EQ(error.description, u"No such interface supported");
    EXPECT_EQ(error.source, error.description);
    // The page held before is still the one closed down.
    ASSERT_EQ(plugin_->OnClosedown(), S_OK);
    EXPECT_EQ(page->closedown_calls, 1);
}

TEST_F(RegistrationObject, AFailingInitComesBackWithItsNumberAndDescriptionAndKeepsThePage) {
    auto page = make_com<RecordingPage>();
    page->init_failure = ComError(5, u"Init went wrong", u"udPathmender");
    HRESULT hr = plugin_->OnLoad(page.get());
    ASSERT_EQ(hr, hresult_from_error_number(5));
    ErrorRecord error;
    ASSERT_TRUE(GetErrorRecord(hr, &error));
    EXPECT_EQ(error.number, 5);
    EXPECT_EQ(error.description, u"Init went wrong");
    EXPECT_EQ(error.source, u"Init went wrong");
    ASSERT_EQ(plugin_->OnClosedown(), S_OK);
    EXPECT_EQ(page->closedown_calls, 1);
}

TEST_F(RegistrationObject, AFailingCloseDownKeepsThePageButLetsGoOfTheRest) {
    ComPtr<TestSession> session;
    auto app = application(&session);
    ASSERT_EQ(plugin_->OnInit(app.get()), S_OK);
    auto page = make_com<RecordingPage>();
    ASSERT_EQ(plugin_->OnLoad(page.get()), S_OK);
    page->closedown_failure = ComError(70, u"Permission denied");
    EXPECT_EQ(plugin_->OnClosedown(), hresult_from_error_number(70));
    EXPECT_EQ(ref_count(app.get()), 1u);
    EXPECT_EQ(ref_count(session.get()), 2u);
    EXPECT_EQ(ref_count(page.get()), 2u);
    page->closedown_failure = ComError(0, u"");
    EXPECT_EQ(plugin_->OnClosedown(), S_OK);
    EXPECT_EQ(page->closedown_calls, 2);
    EXPECT_EQ(ref_count(page.get()), 1u);
}

TEST_F(RegistrationObject, ProgIdFollowsTheModuleFileName) {
    TempFolder dir;
    auto copy = dir.path() / "Mender7.so";
    std::filesystem::copy_file(built_module(), copy);
    auto other = ServerModule::open(copy);
    auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(other->symbol("DllGetClassObject"));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(get_class_object(CLSID_cUpdateLinks, IClassFactory::iid, factory.put_void()), S_OK);
    ComPtr<IVXHostedPlugin> plugin;
    ASSERT_EQ(factory->CreateInstance(nullptr, IVXHostedPlugin::iid, plugin.put_void()), S_OK);
    Bstr prog_id;
    ASSERT_EQ(plugin->get_ProgID(prog_id.put()), S_OK);
    EXPECT_EQ(prog_id.view(), u"Mender7.cUpdateLinks");
}

TEST_F(RegistrationObject, TheModuleCanUnloadOnlyWithoutObjectsAndLocks) {
    auto can_unload = [&] { return call_export(*module_, "DllCanUnloadNow"); };
    EXPECT_EQ(can_unload(), S_FALSE);  // the fixture's object lives
    header_.reset();
    plugin_.reset();
    EXPECT_EQ(can_unload(), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_iCallBack, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid, factory.put_void()), S_OK);
    ASSERT_EQ(factory->LockServer(1), S_OK);
    factory.reset();
    EXPECT_EQ(can_unload(), S_FALSE);  // a lock alone keeps it
    ASSERT_EQ(CoGetClassObject(CLSID_iCallBack, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid, factory.put_void()), S_OK);
    ASSERT_EQ(factory->LockServer(0), S_OK);
    factory.reset();
    EXPECT_EQ(can_unload(), S_OK);

    auto callback = create_instance<_iCallBack>(CLSID_iCallBack);
    EXPECT_EQ(can_unload(), S_FALSE);
    IDispatch* container = nullptr;
    EXPECT_EQ(callback->Process(&container), S_OK);  // does nothing
    callback.reset();
    EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(RegistrationObject, OnlyTheCreatableClassesHaveClassObjects) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(CoGetClassObject(CLSID_udPathmender, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid, factory.put_void()),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(factory);
}

}  // namespace
