// The registry stand-in: its tree, its file format, and how it writes the file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "com/registry.h"
#include "support/files.h"
#include "support/scoped.h"

namespace {

TEST(Registry, KeysAndValueNamesMatchWithoutRegardToCase) {
    Registry r;
    r.set_value("CLSID\\{ABC}\\InprocServer32", "ThreadingModel", "Apartment");
    r.set_value("clsid\\{abc}\\inprocserver32", "", "/lib/x.so");
    EXPECT_EQ(r.value("Clsid\\{Abc}\\InProcServer32", "threadingmodel"), "Apartment");
    EXPECT_EQ(r.value("CLSID\\{ABC}\\InprocServer32"), "/lib/x.so");
    EXPECT_EQ(r.subkeys(""), std::vector<std::string>{"CLSID"});  // the first spelling stays
    EXPECT_EQ(r.subkeys("CLSID"), std::vector<std::string>{"{ABC}"});
    EXPECT_FALSE(r.value("CLSID\\{ABC}").has_value());  // a key without a default value
    EXPECT_FALSE(r.value("CLSID\\{ABD}\\InprocServer32").has_value());
}

TEST(Registry, TextRoundTripsEveryCharacterAValueMayHold) {
    const std::string values[] = {"", "plain", "with \"quotes\"", "back\\slash\\\\", "two\nlines\r\n", "tab\there",
                                  "[brackets]=and equals", "\xC3\xA9t\xC3\xA9 UTF-8", "@", "#not a comment"};
    Registry r;
    int i = 0;
    for (const auto& v : values) r.set_value("Key\\Sub" + std::to_string(i++), v.empty() ? "" : "name " + v, v);
    Registry back = Registry::parse(r.serialize());
    EXPECT_EQ(back.serialize(), r.serialize());
    i = 0;
    for (const auto& v : values) EXPECT_EQ(back.value("Key\\Sub" + std::to_string(i++), v.empty() ? "" : "name " + v), v) << v;
}

TEST(Registry, MalformedTextIsRefusedNamingTheLine) {
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"@=\"value before any key\"\n", 1},
        {"# ok\n[Key\n", 2},
        {"[Key]\n@=\"unterminated\n", 2},
        {"[Key]\n\"name\"\"no equals\"\n", 2},
        {"[Key]\n@=\"x\" trailing\n", 2},
        {"[Key]\n@=\"bad \\q escape\"\n", 2},
        {"[Key]\n\"\"=\"empty name\"\n", 2},
        {"\n\n[Key\\\\Empty]\n", 3},
        {"[Key\\]\n", 1},
        {"[]\n", 1},
        {"[Key]\nplain=\"unquoted name\"\n", 2},
    };
    for (const auto& c : cases) {
        try {
            Registry::parse(c.text, "reg");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("reg:" + std::to_string(c.line) + ":", 0), 0u) << c.text << " -> " << e.what();
        }
    }
}

TEST(Registry, SerializingIsIndependentOfTheOrderOfWriting) {
    Registry a, b;
    a.set_value("B\\Y", "", "1");
    a.set_value("A\\X", "v", "2");
    a.set_value("A", "", "3");
    b.set_value("A", "", "3");
    b.set_value("A\\X", "v", "2");
    b.set_value("B\\Y", "", "1");
    EXPECT_EQ(a.serialize(), b.serialize());
}

TEST(Registry, DeletingATreeTakesOutTheParentsItLeavesEmptyAndNoMore) {
    Registry r;
    r.set_value("CLSID\\{A}\\InprocServer32", "", "a");
    r.set_value("CLSID\\{A}\\ProgID", "", "A.a");
    r.set_value("CLSID\\{B}\\InprocServer32", "", "b");
    r.set_value("TypeLib\\{L}\\1.0\\0\\linux", "", "l");
    r.set_value("Kept", "", "has a value");
    r.create_key("Kept\\Child");

    EXPECT_TRUE(r.delete_tree("clsid\\{a}"));
    EXPECT_FALSE(r.has_key("CLSID\\{A}"));
    EXPECT_TRUE(r.has_key("CLSID\\{B}\\InprocServer32"));
    EXPECT_TRUE(r.delete_tree("TypeLib\\{L}\\1.0"));
    EXPECT_FALSE(r.has_key("TypeLib"));
    EXPECT_TRUE(r.delete_tree("Kept\\Child"));
    EXPECT_EQ(r.value("Kept"), "has a value");
    EXPECT_FALSE(r.delete_tree("Nowhere\\Else"));
    EXPECT_TRUE(r.delete_tree("CLSID\\{B}"));
    EXPECT_EQ(r.subkeys(""), std::vector<std::string>{"Kept"});
}

TEST(Registry, AMissingFileIsAnEmptyRegistry) {
    TempFolder dir;
    EXPECT_TRUE(Registry::load(dir.path() / "absent").empty());
}

TEST(Registry, SavingReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    TempFolder dir;
    auto file = dir.path() / "deeper" / "registry";
    Registry r;
    r.set_value("Key", "name", "value");
    r.save(file);
    EXPECT_EQ(read_text(file), r.serialize());
    r.set_value("Key", "name", "changed");
    r.save(file);
    EXPECT_EQ(Registry::load(file).value("Key", "name"), "changed");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"registry"});
}

TEST(Registry, AFailedSaveKeepsTheOldFile) {
    TempFolder dir;
    auto file = dir.path() / "registry";
    Registry r;
    r.set_value("Key", "", "old");
    r.save(file);
    // A folder where the temporary file should go makes writing it fail.
    std::filesystem::path temp = file;
    temp += ".tmp-" + std::to_string(::getpid());
    std::filesystem::create_directory(temp);
    r.set_value("Key", "", "new");
    EXPECT_THROW(r.save(file), std::system_error);
    EXPECT_EQ(Registry::load(file).value("Key"), "old");
}

TEST(Registry, AnUpdateThatFailsWritesNothing) {
    TempFolder dir;
    auto file = dir.path() / "registry";
    update_registry(file, [](Registry& r) { r.set_value("Key", "", "kept"); });
    const std::string before = read_text(file);
    EXPECT_THROW(update_registry(file, [](Registry& r) {
                     r.set_value("Key", "", "lost");
                     throw std::runtime_error("half way");
                 }),
                 std::runtime_error);
    EXPECT_EQ(read_text(file), before);
}

TEST(Registry, AnUpdateNeverWritesOverAMalformedFile) {
    TempFolder dir;
    auto file = dir.path() / "registry";
    std::ofstream(file, std::ios::binary) << "[Key]\nnot a value line\n";
    const std::string before = read_text(file);
    EXPECT_THROW(update_registry(file, [](Registry& r) { r.set_value("Key", "", "x"); }), std::runtime_error);
    EXPECT_EQ(read_text(file), before);
}

TEST(Registry, TheFileLiesWhereTheEnvironmentSays) {
    {
        ScopedVariable explicit_path("PATHMENDER_REGISTRY", "/tmp/explicit/registry");
        EXPECT_EQ(Registry::default_path(), "/tmp/explicit/registry");
    }
    ScopedVariable no_explicit_path("PATHMENDER_REGISTRY", nullptr);
    {
        ScopedVariable config("XDG_CONFIG_HOME", "/tmp/config");
        EXPECT_EQ(Registry::default_path(), "/tmp/config/pathmender/registry");
    }
    ScopedVariable no_config("XDG_CONFIG_HOME", nullptr);
    ScopedVariable home("HOME", "/home/someone");
    EXPECT_EQ(Registry::default_path(), "/home/someone/.config/pathmender/registry");
}

TEST(Registry, ProgIdsLeadToTheirClasses) {
    ScopedRegistry registry;
    update_registry(registry.file(), [](Registry& r) {
        r.set_value("Pathmender.cUpdateLinks\\Clsid", "", "{3C22FA23-8CD8-45AD-BE4D-32CCAA42826C}");
        r.set_value("Broken.Class\\Clsid", "", "not a guid");
    });
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"pathmender.cupdatelinks", &clsid), S_OK);
    EXPECT_EQ(to_string(clsid), "{3C22FA23-8CD8-45AD-BE4D-32CCAA42826C}");
    clsid = make_guid("{11111111-1111-1111-1111-111111111111}");
    EXPECT_EQ(CLSIDFromProgID(u"Broken.Class", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(clsid, GUID_NULL);
    EXPECT_EQ(CLSIDFromProgID(u"Not.Registered", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CLSIDFromProgID(u"Pathmender\\cUpdateLinks", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CLSIDFromProgID(u"x", nullptr), E_POINTER);
}

}  // namespace
