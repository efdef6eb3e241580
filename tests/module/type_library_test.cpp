// The module's resources read back from the built module: the type library, the version
// information, and the page file the build installs.
#include <gtest/gtest.h>

#include "com/utf.h"
#include "contracts/document_view.h"
#include "contracts/plugin_interfaces.h"
#include "hostapp/shell/document_container.h"
#include "hostapp/shell/plugin_loader.h"
#include "resources/type_library.h"
#include "module/support/plugin_host.h"

using namespace test_host;
using namespace typelib;

namespace {

constexpr GUID kDispatch = make_guid("{00020400-0000-0000-C000-000000000046}");
constexpr GUID kHeaderInfo = make_guid("{41079A2C-791C-11D4-A6C1-00B0D0273C9F}");
constexpr GUID kHostedPlugin = make_guid("{41079A32-791C-11D4-A6C1-00B0D0273C9F}");
constexpr GUID kSessionContext = make_guid("{4EE2F9A1-0024-11D4-90E4-00C04F37AA48}");

TypeLibrary expected_library() {
    TypeLibrary t;
    t.name = "Pathmender";
    t.libid = LIBID_Pathmender;
    t.major = 1;
    t.minor = 0;
    t.help_string = "This plug-in will update media links in the event that the file location has changed.";
    t.imports = {{"stdole", {{"IDispatch", kDispatch}}},
                 {"HostShell", {{"IVXHeaderInfo", kHeaderInfo}, {"IVXHostedPlugin", kHostedPlugin}}},
                 {"HostInterfaces", {{"ISessionContext", kSessionContext}}}};
    t.interfaces = {
        {"_cUpdateLinks", _cUpdateLinks::iid, kInterfaceDual | kInterfaceHidden, {}},
        {"_udPathmender", _udPathmender::iid, kInterfaceDual,
         {{"Init", {{"SessionContext", "ISessionContext**", kParamIn | kParamOut}}}, {"Closedown", {}}}},
        {"_iCallBack", _iCallBack::iid, kInterfaceDual, {{"Process", {{"oOle", "IDispatch**", kParamIn | kParamOut}}}}},
    };
    t.coclasses = {
        {"cUpdateLinks", CLSID_cUpdateLinks, 0,
         {{"_cUpdateLinks", kImplementsDefault}, {"IVXHeaderInfo", 0}, {"IVXHostedPlugin", 0}}},
        {"udPathmender", CLSID_udPathmender, kCoclassNotCreatable, {{"_udPathmender", kImplementsDefault}, {"_iCallBack", 0}}},
        {"iCallBack", CLSID_iCallBack, 0, {{"_iCallBack", kImplementsDefault}}},
    };
    return t;
}

class ModuleResources : public ::testing::Test {
protected:
    void SetUp() override { module_ = ServerModule::open(built_module()); }
    std::shared_ptr<ServerModule> module_;
};

TEST_F(ModuleResources, TheTypeLibraryDeclaresExactlyTheModulesInterfacesAndClasses) {
    auto data = module_resource(*module_, "TYPELIB", "1");
    ASSERT_FALSE(data.empty());
    TypeLibrary library = read_type_library(data);
    TypeLibrary expected = expected_library();
    EXPECT_EQ(library.name, expected.name);
    EXPECT_EQ(to_string(library.libid), to_string(expected.libid));
    EXPECT_EQ(library.help_string, expected.help_string);
    EXPECT_EQ(library.imports, expected.imports);
    ASSERT_EQ(library.interfaces.size(), expected.interfaces.size());
    for (std::size_t i = 0; i < expected.interfaces.size(); ++i)
        EXPECT_EQ(library.interfaces[i], expected.interfaces[i]) << expected.interfaces[i].name;
    ASSERT_EQ(library.coclasses.size(), expected.coclasses.size());
    for (std::size_t i = 0; i < expected.coclasses.size(); ++i)
        EXPECT_EQ(library.coclasses[i], expected.coclasses[i]) << expected.coclasses[i].name;
    EXPECT_EQ(library, expected);  // the version too
}

TEST_F(ModuleResources, EveryCutOrPaddedTypeLibraryIsRefused) {
    auto data = module_resource(*module_, "TYPELIB", "1");
    ASSERT_FALSE(data.empty());
    for (std::size_t length = 0; length < data.size(); ++length)
        EXPECT_THROW(read_type_library(data.first(length)), FormatError) << "cut to " << length << " bytes";
    std::vector<unsigned char> padded(data.begin(), data.end());
    padded.push_back(0);
    EXPECT_THROW(read_type_library(padded), FormatError);
    std::vector<unsigned char> other_magic(data.begin(), data.end());
    other_magic[0] = 'X';
    EXPECT_THROW(read_type_library(other_magic), FormatError);
}

TEST_F(ModuleResources, TheVersionInformationNamesTheModule) {
    auto data = module_resource(*module_, "VERSION", "1");
    std::string text(data.begin(), data.end());
    for (const char* line : {"FileVersion=1.00\n", "ProductVersion=1.00\n", "InternalName=Pathmender\n",
                             "OriginalFilename=Pathmender.dll\n", "OLESelfRegister=\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(ModuleResources, AnUnknownResourceIsAbsent) {
    auto find = reinterpret_cast<DllFindResourceFn>(module_->symbol(kDllFindResource));
    ASSERT_NE(find, nullptr);
    const unsigned char* data = reinterpret_cast<const unsigned char*>(0x1);
    std::size_t size = 1;
    EXPECT_EQ(find("TYPELIB", "2", &data, &size), E_INVALIDARG);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(ModuleResources, TheModuleMakesDocumentsOfThePageClassOnly) {
    auto create = reinterpret_cast<DllCreateDocumentFn>(module_->symbol(kDllCreateDocument));
    ASSERT_NE(create, nullptr);
    for (const CLSID& other : {CLSID_cUpdateLinks, CLSID_iCallBack, GUID_NULL}) {
        void* document = reinterpret_cast<void*>(0x1);
        IDocumentView* view = reinterpret_cast<IDocumentView*>(0x1);
        EXPECT_EQ(create(other, IDispatch::iid, &document, &view), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(document, nullptr);
        EXPECT_EQ(view, nullptr);
    }
}

TEST(PageFile, TheInstalledPageFileNamesTheDocumentClass) {
    PageFile page = read_page_file(std::filesystem::path(PATHMENDER_BIN_DIR) / "udPathmender.vbd");
    EXPECT_EQ(page.clsid, CLSID_udPathmender);
    EXPECT_EQ(page.document, "udPathmender");
    EXPECT_EQ(page.prog_id, "Pathmender.udPathmender");
}

TEST(PageFile, ReadsWhatItNeedsAndRefusesTheRest) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"CLSID={E416E1A6-C39A-48FF-AD5F-5865C3733066}\n", true},
        {"# comment\r\n\r\nCLSID={e416e1a6-c39a-48ff-ad5f-5865c3733066}\r\nColour=blue\r\n", true},
        {"", false},
        {"Document=udPathmender\n", false},
        {"CLSID=E416E1A6\n", false},
        {"CLSID {E416E1A6-C39A-48FF-AD5F-5865C3733066}\n", false},
    };
    for (const auto& c : cases) {
        if (c.valid) {
            EXPECT_EQ(parse_page_file(c.text, "case").clsid, CLSID_udPathmender) << c.text;
            continue;
        }
        try {
            parse_page_file(c.text, "case");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ComError& e) {
            EXPECT_EQ(e.number, 321) << c.text;
            EXPECT_NE(utf8(e.description).find("case"), std::string::npos) << c.text;
        }
    }
}

TEST(PageFile, AMissingPageFileIsFileNotFound) {
    try {
        read_page_file("/nonexistent/udPathmender.vbd");
        ADD_FAILURE() << "no error";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 53);
    }
}

}  // namespace
