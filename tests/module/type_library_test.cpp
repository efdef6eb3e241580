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

namespace typelib {
// Failures name what differs rather than dumping bytes.
void PrintTo(const Interface& i, std::ostream* os) {
    *os << i.name << " " << to_string(i.iid) << " flags " << i.flags << " : " << i.base << " {";
    for (const auto& m : i.members) {
        *os << " " << m.name << " id " << std::hex << m.dispid << std::dec << " kind " << m.kind << " slot " << m.slot << " (";
        for (const auto& p : m.parameters) *os << p.type << " " << p.name << " " << p.flags << ", ";
        *os << ")";
    }
    *os << " }";
}
void PrintTo(const Coclass& c, std::ostream* os) {
    *os << c.name << " " << to_string(c.clsid) << " flags " << c.flags << " {";
    for (const auto& i : c.interfaces) *os << " " << i.interface_name << " " << i.flags;
    *os << " }";
}
}  // namespace typelib

namespace {

constexpr std::int32_t kFirstDispid = 0x60020000;  // widl's default for a member of an IDispatch-derived interface
constexpr std::uint16_t kFirstSlot = 7;             // after IUnknown's and IDispatch's members

Member get(const char* name, std::uint16_t index, const char* parameter = "text") {
    return {name, kFirstDispid + index, kInvokePropertyGet, std::uint16_t(kFirstSlot + index), "HRESULT",
            {{parameter, "BSTR*", kParamOut | kParamRetval}}};
}
Member method(const char* name, std::uint16_t index, std::vector<Parameter> parameters = {}) {
    return {name, kFirstDispid + index, kInvokeMethod, std::uint16_t(kFirstSlot + index), "HRESULT", std::move(parameters)};
}

class ModuleResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = ServerModule::open(built_module());
        data_ = module_resource(*module_, "TYPELIB", "1");
        ASSERT_FALSE(data_.empty());
    }
    std::shared_ptr<ServerModule> module_;
    std::span<const unsigned char> data_;
};

TEST_F(ModuleResources, TheTypeLibraryDescribesTheModulesClassesAndEveryInterfaceTheyReachInWidlsOrder) {
    TypeLibrary library = read_type_library(data_);
    EXPECT_EQ(library.name, "Pathmender");
    EXPECT_EQ(library.libid, LIBID_Pathmender);
    EXPECT_EQ(library.major, 1);
    EXPECT_EQ(library.minor, 0);
    EXPECT_EQ(library.help_string, "This plug-in will update media links in the event that the file location has changed.");
    EXPECT_EQ(library.importlibs, std::vector<std::string>{"stdole2.tlb"});

    std::vector<std::string> names;
    for (const auto& i : library.interfaces) {
        names.push_back(i.name);
        EXPECT_EQ(i.base, "IDispatch") << i.name;
        EXPECT_TRUE(i.flags & kInterfaceDual) << i.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"IVXHeaderInfo", "IVXHostedPlugin", "_cUpdateLinks", "_udPathmender",
                                               "ISessionContext", "IHostDataObject", "IHostConnection", "IHostRecordset",
                                               "IHostCommand", "IHostRecordSource", "_iCallBack"}));

    const std::uint16_t dual = kInterfaceDual | kInterfaceOleAutomation;
    const Interface expected[] = {
        {"IVXHeaderInfo", IVXHeaderInfo::iid, dual, "IDispatch",
         {get("Caption", 0), get("Name", 1), get("Description", 2), get("Image", 3), get("Group", 4)}},
        {"IVXHostedPlugin", IVXHostedPlugin::iid, dual, "IDispatch",
         {method("OnInit", 0, {{"oApp", "IDispatch*", kParamIn}}), method("OnLoad", 1, {{"oDoc", "IDispatch*", kParamIn}}),
          method("OnQueryUnload", 2,
                 {{"bCancel", "VARIANT_BOOL*", kParamIn | kParamOut}, {"bShellIsUnloading", "VARIANT_BOOL", kParamIn}}),
          method("OnClosedown", 3), get("URL", 4, "url"), get("ProgID", 5, "prog_id")}},
        {"_cUpdateLinks", _cUpdateLinks::iid, dual | kInterfaceHidden, "IDispatch", {}},
        {"_udPathmender", _udPathmender::iid, dual, "IDispatch",
         {method("Init", 0, {{"SessionContext", "ISessionContext**", kParamIn | kParamOut}}), method("Closedown", 1)}},
        {"_iCallBack", _iCallBack::iid, dual, "IDispatch", {method("Process", 0, {{"oOle", "IDispatch**", kParamIn | kParamOut}})}},
    };
    for (const Interface& want : expected) {
        const Interface* found = library.find(want.iid);
        ASSERT_NE(found, nullptr) << want.name;
        EXPECT_EQ(*found, want) << want.name;
    }
    EXPECT_EQ(library.find(ISessionContext::iid)->members.size(), 3u);

    const std::vector<Coclass> coclasses = {
        {"cUpdateLinks", CLSID_cUpdateLinks, 0,
         {{"_cUpdateLinks", kImplementsDefault}, {"IVXHeaderInfo", 0}, {"IVXHostedPlugin", 0}}},
        {"udPathmender", CLSID_udPathmender, kCoclassNotCreatable, {{"_udPathmender", kImplementsDefault}, {"_iCallBack", 0}}},
        {"iCallBack", CLSID_iCallBack, 0, {{"_iCallBack", kImplementsDefault}}},
    };
    EXPECT_EQ(library.coclasses, coclasses);
}

TEST_F(ModuleResources, EveryCutOrPaddedTypeLibraryIsRefused) {
    auto data = data_;
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

}  // namespace
