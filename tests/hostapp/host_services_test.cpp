// File, OLE, string and path services, reached through their class identifiers.
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "com/class_factory.h"
#include "com/error.h"
#include "com/safearray.h"
#include "com/utf.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_file_services.h"
#include "hostapp/services/host_string_services.h"
#include "support/host_fixture.h"
#include "support/scoped.h"
#include "platform/file_system.h"

namespace {

using HostServicesTest = HostFixture;

TEST_F(HostServicesTest, FolderPartMadeReadyAndFilePartGiveBackThePath) {
    struct Case { std::u16string path, folder, file; };
    const Case cases[] = {
        {u"\\\\server\\share\\folder\\file.doc", u"\\\\server\\share\\folder\\", u"file.doc"},
        {u"\\\\server\\share\\file.doc", u"\\\\server\\share\\", u"file.doc"},
        {u"\\\\server\\share\\a b\\c.d\\e", u"\\\\server\\share\\a b\\c.d\\", u"e"},
        {u"\\\\server\\share\\folder\\", u"\\\\server\\share\\folder\\", u""},
        {u"\\\\server\\share/mixed/x.jpg", u"\\\\server\\share/mixed/", u"x.jpg"},
        {u"\\\\server\\share\\dir\\\\double", u"\\\\server\\share\\dir\\\\", u"double"},
        {u"\\\\server", u"\\\\", u"server"},
        {u"file.doc", u"", u"file.doc"},
        {u"", u"", u""},
        {u"/tmp/PM1_2.OLE", u"/tmp/", u"PM1_2.OLE"},
    };
    ComPtr<IHostFileServices> files = create_instance<IHostFileServices>(CLSID_HostFileServices);
    for (const Case& c : cases) {
        Bstr folder, file, ready;
        check(files->SplitPath(Bstr(c.path).get(), VARIANT_TRUE, folder.put()));
        check(files->SplitPath(Bstr(c.path).get(), VARIANT_FALSE, file.put()));
        check(files->FolderForFile(folder.get(), ready.put()));
        EXPECT_EQ(folder.view(), c.folder) << utf8(c.path);
        EXPECT_EQ(file.view(), c.file) << utf8(c.path);
        EXPECT_EQ(ready.str() + file.str(), c.path) << utf8(c.path);
    }
}

TEST_F(HostServicesTest, FolderForFileAddsOneSeparatorOfTheFoldersKind) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\\\\srv\\share\\dir", u"\\\\srv\\share\\dir\\"},
        {u"\\\\srv\\share\\dir\\", u"\\\\srv\\share\\dir\\"},
        {u"/tmp/dir", u"/tmp/dir/"},
        {u"/tmp/dir/", u"/tmp/dir/"},
        {u"", u""},
    };
    for (const auto& [folder, ready] : cases) EXPECT_EQ(folder_for_file(folder), ready) << utf8(folder);
}

TEST_F(HostServicesTest, TempFileNamesAreFreshAndDistinct) {
    ComPtr<IHostOleServices> ole = create_instance<IHostOleServices>(CLSID_HostOleServices);
    Bstr location;
    check(ole->get_TempPath(location.put()));
    EXPECT_EQ(location.view(), utf16(temp.string()) + u"/");

    ComPtr<IHostFileServices> files = create_instance<IHostFileServices>(CLSID_HostFileServices);
    Bstr extension(u".OLE");
    BSTR location_ref = location.get();
    BSTR extension_ref = extension.get();
    LONG number = 42;
    std::set<std::u16string> names;
    for (int i = 0; i < 50; ++i) {
        Bstr path;
        check(files->MakeTempFileName(&location_ref, &extension_ref, &number, path.put()));
        std::u16string name = path.str();
        EXPECT_EQ(name.rfind(location.str() + u"PM0000002A_", 0), 0u) << utf8(name);
        EXPECT_EQ(name.substr(name.size() - 4), u".OLE");
        EXPECT_FALSE(std::filesystem::exists(utf8(name)));
        EXPECT_TRUE(names.insert(name).second);
        std::ofstream(utf8(name)) << "taken";  // the next name must pass over this one
    }
}

TEST_F(HostServicesTest, TempFileNameNeedsAnExistingFolderAndAPlainExtension) {
    ComPtr<IHostFileServices> files = create_instance<IHostFileServices>(CLSID_HostFileServices);
    struct Case { std::u16string location, extension; std::int32_t error; };
    const Case cases[] = {
        {utf16((temp / "missing").string()), u".OLE", 76},
        {u"", u".OLE", 5},
        {folder_text(temp), u"/../x.OLE", 5},
    };
    for (const Case& c : cases) {
        Bstr location(c.location), extension(c.extension);
        BSTR path = reinterpret_cast<BSTR>(std::uintptr_t(1));  // poisoned: a failure must reset it
        BSTR location_ref = location.get();
        BSTR extension_ref = extension.get();
        LONG number = 1;
        HRESULT hr = files->MakeTempFileName(&location_ref, &extension_ref, &number, &path);
        EXPECT_EQ(hr, hresult_from_error_number(c.error)) << utf8(c.location) << " " << utf8(c.extension);
        EXPECT_EQ(path, nullptr);
    }
}

// The host's temporary files: $TMPDIR when given; else a memory file system that is the user's
// alone, never one that others may enter or change; else /tmp.
TEST_F(HostServicesTest, TemporaryFilesGoToAPrivateMemoryFolderUnlessTmpdirSaysOtherwise) {
    struct statfs shm;
    if (::statfs("/dev/shm", &shm) != 0 || static_cast<unsigned long>(shm.f_type) != TMPFS_MAGIC)
        GTEST_SKIP() << "no memory file system at /dev/shm";
    const std::filesystem::path runtime = "/dev/shm/pm-test-runtime-" + std::to_string(::getpid());
    std::filesystem::create_directory(runtime);
    struct Case {
        const char* tmpdir;
        std::filesystem::perms runtime_mode;
        bool runtime_chosen;
    } cases[] = {
        {"/somewhere/chosen", std::filesystem::perms::owner_all, false},
        {nullptr, std::filesystem::perms::owner_all, true},
        {nullptr, std::filesystem::perms::owner_all | std::filesystem::perms::others_all, false},
    };
    for (const Case& c : cases) {
        std::filesystem::permissions(runtime, c.runtime_mode);
        ScopedVariable tmpdir("TMPDIR", c.tmpdir);
        ScopedVariable xdg("XDG_RUNTIME_DIR", runtime.c_str());
        const std::filesystem::path chosen = default_host_environment().temp_folder;
        if (c.tmpdir) {
            EXPECT_EQ(chosen, c.tmpdir);
            continue;
        }
        if (c.runtime_chosen) EXPECT_EQ(chosen, runtime);
        else EXPECT_NE(chosen, runtime);
        struct stat status;
        ASSERT_EQ(::lstat(chosen.c_str(), &status), 0) << chosen;
        if (chosen != "/tmp") {
            EXPECT_EQ(status.st_mode & 077, 0u) << chosen;
        }
    }
    std::filesystem::remove(runtime);
}

TEST_F(HostServicesTest, PageFolderIsTheOnlyKnownFolder) {
    configure_host([](HostEnvironment& environment) { environment.page_folder = "/opt/pathmender/pages"; });
    ComPtr<IHostPathServices> paths = create_instance<IHostPathServices>(CLSID_HostPathServices);
    Bstr folder;
    check(paths->FolderPath(kPageFileFolder, folder.put()));
    EXPECT_EQ(folder.view(), u"/opt/pathmender/pages/");
    EXPECT_EQ(paths->FolderPath(11, folder.put()), hresult_from_error_number(5));
    EXPECT_EQ(folder.get(), nullptr);
}

TEST_F(HostServicesTest, FormatTextFillsPlaceholdersOnce) {
    ComPtr<IHostStringServices> strings = create_instance<IHostStringServices>(CLSID_HostStringServices);
    Bstr result;
    check(strings->FormatText(Bstr(u"Updates %1 links").get(), nullptr, result.put()));
    EXPECT_EQ(result.view(), u"Updates %1 links");
    SAFEARRAY* none = nullptr;
    check(strings->FormatText(Bstr(u"100% sure").get(), &none, result.put()));
    EXPECT_EQ(result.view(), u"100% sure");

    SAFEARRAY* values = SafeArrayCreateVector(VT_VARIANT, 1, 3);  // %1 is the first, whatever its index
    Variant elements[] = {Variant(std::u16string_view(u"%2")), Variant(std::int32_t(7)), Variant(2.5)};
    for (LONG i = 0; i < 3; ++i) {
        LONG at = i + 1;
        check(SafeArrayPutElement(values, &at, elements[i].get()));
    }
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"%1 and %2 and %3", u"%2 and 7 and 2.5"},
        {u"%2%2", u"77"},
        {u"%4 %9 %0 %", u"%4 %9 %0 %"},
        {u"", u""},
    };
    for (const auto& [text, expected] : cases) {
        check(strings->FormatText(Bstr(text).get(), &values, result.put()));
        EXPECT_EQ(result.view(), expected) << utf8(text);
    }
    SafeArrayDestroy(values);
}

TEST_F(HostServicesTest, FileSystemComesFromThePlatform) {
    ComPtr<IHostFileServices> files = create_instance<IHostFileServices>(CLSID_HostFileServices);
    ComPtr<IDispatch> fso;
    check(files->get_FileSystem(fso.put()));
    EXPECT_TRUE(fso.query<IFileSystem>());
}

}  // namespace
