// The whole lifecycle as the host runs it, with the real page and the host's own services:
// create by ProgID, OnInit, header, open the page file, OnLoad, OnQueryUnload, OnClosedown,
// release, unload.
#include "com/registry.h"
#include "com/utf.h"
#include "module/support/plugin_host.h"
#include "hostapp/services/host_application.h"
#include "hostapp/shell/plugin_loader.h"
#include "platform/forms/recording_window_system.h"
#include "support/host_fixture.h"

using namespace test_host;

namespace {

class HostLifecycle : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        auto module = ServerModule::open(built_module());
        ASSERT_EQ(call_export(*module, "DllRegisterServer"), S_OK);
        write_drives({"Z: \\\\fileserver\\media"});
        configure_host([](HostEnvironment& environment) { environment.page_folder = PATHMENDER_BIN_DIR; });
    }

    ScopedRegistry registry_;
    forms::ScopedRecorder windows_;
};

TEST_F(HostLifecycle, ThePageOpensWithTheHostsSessionAndTheModuleGoesWhenClosed) {
    auto session = host_session();
    auto app = create_host_application(session);
    const ULONG session_refs = ref_count(session.get());

    auto plugin = LoadedPlugin::load(u"Pathmender.cUpdateLinks", app);
    PluginHeader header = plugin->header();
    EXPECT_EQ(header.caption, u"Update Linked Media");
    EXPECT_EQ(header.url, utf16((std::filesystem::path(PATHMENDER_BIN_DIR) / "udPathmender.vbd").string()));
    EXPECT_EQ(header.prog_id, u"Pathmender.cUpdateLinks");

    plugin->open_page();
    ASSERT_TRUE(plugin->page());
    forms::Form& page = plugin->page_form();
    EXPECT_NE(page.find("txtPrevious"), nullptr);
    // The registration object and the page each hold the host's session now.
    EXPECT_EQ(ref_count(session.get()), session_refs + 2);
    EXPECT_TRUE(plugin->query_unload(false));
    EXPECT_TRUE(plugin->query_unload(true));

    plugin->close();
    EXPECT_EQ(ref_count(session.get()), session_refs);
    EXPECT_FALSE(is_module_held(built_module()));
}

TEST_F(HostLifecycle, AnUnregisteredPlugInIsClassNotRegistered) {
    auto module = ServerModule::open(built_module());
    ASSERT_EQ(call_export(*module, "DllUnregisterServer"), S_OK);
    auto app = create_host_application(host_session());
    try {
        LoadedPlugin::load(u"Pathmender.cUpdateLinks", app);
        ADD_FAILURE() << "loaded";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, REGDB_E_CLASSNOTREG);
    }
}

}  // namespace
