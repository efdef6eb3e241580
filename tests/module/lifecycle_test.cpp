// The whole lifecycle as the host runs it, with the real page and the host's own services:
// create by ProgID, OnInit, header, open the page file, OnLoad, OnQueryUnload, OnClosedown,
// release, unload.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "com/registry.h"
#include "com/utf.h"
#include "hostapp/services/host_application.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"
#include "hostapp/shell/plugin_loader.h"
#include "platform/forms/recording_window_system.h"
#include "platform/platform_classes.h"
#include "support/plugin_host.h"

using namespace test_host;

namespace {

class HostLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        auto module = ServerModule::open(built_module());
        ASSERT_EQ(call_export(*module, "DllRegisterServer"), S_OK);
        std::ofstream(dir_.path() / "drives.txt") << "Z: \\\\fileserver\\media\n";
        ::setenv("PATHMENDER_DRIVES", (dir_.path() / "drives.txt").c_str(), 1);
        previous_window_system_ = forms::set_window_system(&windows_);
        HostEnvironment environment = default_host_environment();
        environment.page_folder = PATHMENDER_BIN_DIR;
        configure_host(environment);
        register_host_classes();
        register_platform_classes();  // the page enumerates the mapped drives through WshNetwork
    }
    void TearDown() override {
        revoke_host_classes();
        configure_host(default_host_environment());
        forms::set_window_system(previous_window_system_);
        ::unsetenv("PATHMENDER_DRIVES");
    }

    ScopedRegistry registry_;
    TempDir dir_;
    forms::RecordingWindowSystem windows_;
    forms::WindowSystem* previous_window_system_ = nullptr;
};

TEST_F(HostLifecycle, ThePageOpensWithTheHostsSessionAndTheModuleGoesWhenClosed) {
    auto session = open_host_session(dir_.path() / "host.db");
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
    auto app = create_host_application(open_host_session(dir_.path() / "host.db"));
    try {
        LoadedPlugin::load(u"Pathmender.cUpdateLinks", app);
        ADD_FAILURE() << "loaded";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, REGDB_E_CLASSNOTREG);
    }
}

}  // namespace
