// Self-registration of the built module: what it records, and that unregistration takes out
// exactly that.
#include <gtest/gtest.h>

#include <fstream>

#include "com/registry.h"
#include "com/utf.h"
#include "contracts/plugin_interfaces.h"
#include "module/support/plugin_host.h"
#include "support/files.h"

using namespace test_host;

namespace {

// A registry that already holds another program's class, ProgID and type library.
Registry someone_elses_entries() {
    Registry r;
    r.set_value("CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32", "", "/opt/other/Other.so");
    r.set_value("CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32", "ThreadingModel", "Both");
    r.set_value("Other.Thing\\Clsid", "", "{11111111-2222-3333-4444-555555555555}");
    r.set_value("TypeLib\\{B1A65425-40D7-4641-8DD8-45612E1A1187}\\2.0", "", "a later version of the library");
    r.set_value("Software\\Settings", "Quote \"and\" \\backslash", "line one\nline two");
    return r;
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override { module_ = ServerModule::open(built_module()); }
    ScopedRegistry registry_;
    std::shared_ptr<ServerModule> module_;
};

TEST_F(Registration, RecordsTheTypeLibraryAndTheThreeClasses) {
    ASSERT_EQ(call_export(*module_, "DllRegisterServer"), S_OK);
    Registry r = Registry::load(registry_.file());
    const std::string path = std::filesystem::canonical(built_module()).string();

    struct Class {
        CLSID clsid;
        std::string prog_id;
    };
    for (const Class& c : {Class{CLSID_cUpdateLinks, "Pathmender.cUpdateLinks"}, Class{CLSID_udPathmender, "Pathmender.udPathmender"},
                           Class{CLSID_iCallBack, "Pathmender.iCallBack"}}) {
        const std::string key = "CLSID\\" + to_string(c.clsid);
        EXPECT_EQ(r.value(key + "\\InprocServer32"), path) << c.prog_id;
        EXPECT_EQ(r.value(key + "\\InprocServer32", "ThreadingModel"), "Apartment") << c.prog_id;
        EXPECT_EQ(r.value(key + "\\ProgID"), c.prog_id);
        EXPECT_EQ(r.value(c.prog_id + "\\Clsid"), to_string(c.clsid));
        EXPECT_EQ(r.has_key(key + "\\MiscStatus"), c.clsid == CLSID_udPathmender) << c.prog_id;
    }
    EXPECT_EQ(r.value("CLSID\\" + to_string(CLSID_udPathmender) + "\\MiscStatus"), std::to_string(0x20191));

    const std::string library = "TypeLib\\{B1A65425-40D7-4641-8DD8-45612E1A1187}\\1.0";
    EXPECT_EQ(r.value(library), "This plug-in will update media links in the event that the file location has changed.");
    EXPECT_EQ(r.value(library + "\\0\\linux"), path);

    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID(u"Pathmender.udPathmender", &found), S_OK);
    EXPECT_EQ(found, CLSID_udPathmender);
}

TEST_F(Registration, UnregisteringLeavesTheRegistryFileAsItWasBefore) {
    someone_elses_entries().save(registry_.file());
    const std::string before = read_text(registry_.file());
    ASSERT_EQ(call_export(*module_, "DllRegisterServer"), S_OK);
    ASSERT_NE(read_text(registry_.file()), before);
    ASSERT_EQ(call_export(*module_, "DllRegisterServer"), S_OK);  // registering twice changes nothing more
    ASSERT_EQ(call_export(*module_, "DllUnregisterServer"), S_OK);
    EXPECT_EQ(read_text(registry_.file()), before);
}

TEST_F(Registration, UnregisteringAnEmptyRegistryLeavesItEmpty) {
    ASSERT_EQ(call_export(*module_, "DllRegisterServer"), S_OK);
    ASSERT_EQ(call_export(*module_, "DllUnregisterServer"), S_OK);
    EXPECT_TRUE(Registry::load(registry_.file()).empty());
    ASSERT_EQ(call_export(*module_, "DllUnregisterServer"), S_OK);  // nothing left to take out
}

TEST_F(Registration, AProgIdTakenOverByAnotherClassStays) {
    ASSERT_EQ(call_export(*module_, "DllRegisterServer"), S_OK);
    update_registry(registry_.file(), [](Registry& r) {
        r.set_value("Pathmender.iCallBack\\Clsid", "", "{11111111-2222-3333-4444-555555555555}");
    });
    ASSERT_EQ(call_export(*module_, "DllUnregisterServer"), S_OK);
    Registry r = Registry::load(registry_.file());
    EXPECT_EQ(r.value("Pathmender.iCallBack\\Clsid"), "{11111111-2222-3333-4444-555555555555}");
    EXPECT_FALSE(r.has_key("Pathmender.cUpdateLinks"));
    EXPECT_FALSE(r.has_key("CLSID"));
}

TEST_F(Registration, AMalformedRegistryIsReportedAndLeftAlone) {
    std::filesystem::create_directories(registry_.file().parent_path());
    const std::string broken = "[CLSID\\{x}]\n@=\"unterminated\n";
    std::ofstream(registry_.file(), std::ios::binary) << broken;
    HRESULT hr = call_export(*module_, "DllRegisterServer");
    ASSERT_EQ(hr, SELFREG_E_CLASS);
    ErrorRecord error;
    ASSERT_TRUE(GetErrorRecord(hr, &error));
    EXPECT_NE(utf8(error.description).find(registry_.file().string() + ":2:"), std::string::npos) << utf8(error.description);
    EXPECT_EQ(read_text(registry_.file()), broken);
}

TEST_F(Registration, ACopyOfTheModuleRegistersItsOwnFile) {
    TempFolder dir;
    auto copy = dir.path() / "Relocated.so";
    std::filesystem::copy_file(built_module(), copy);
    auto other = ServerModule::open(copy);
    ASSERT_EQ(call_export(*other, "DllRegisterServer"), S_OK);
    Registry r = Registry::load(registry_.file());
    EXPECT_EQ(r.value("CLSID\\" + to_string(CLSID_cUpdateLinks) + "\\InprocServer32"), std::filesystem::canonical(copy).string());
    // ProgIDs come from the library's name, not the file's.
    EXPECT_EQ(r.value("Pathmender.cUpdateLinks\\Clsid"), to_string(CLSID_cUpdateLinks));
}

}  // namespace
