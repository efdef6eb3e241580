#include "platform/file_system_object.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include "com/error.h"
#include "com/utf.h"
#include "support/com_checks.h"
#include "support/network_tree.h"
#include "platform/support/file_system_cases.h"

namespace {

ComPtr<IFileSystem> file_system() {
    ComPtr<IFileSystem> fso;
    EXPECT_EQ(CreateFileSystemObject(fso.put()), S_OK);
    return fso;
}

bool file_exists(IFileSystem* fso, std::u16string_view path) {
    VARIANT_BOOL exists = 7;
    EXPECT_EQ(fso->FileExists(Bstr(path).get(), &exists), S_OK);
    return exists == VARIANT_TRUE;
}

bool folder_exists(IFileSystem* fso, std::u16string_view path) {
    VARIANT_BOOL exists = 7;
    EXPECT_EQ(fso->FolderExists(Bstr(path).get(), &exists), S_OK);
    return exists == VARIANT_TRUE;
}

ComPtr<IFolder> get_folder(IFileSystem* fso, std::u16string_view path) {
    ComPtr<IFolder> folder;
    check(fso->GetFolder(Bstr(path).get(), folder.put()));
    return folder;
}

std::string path_of(IDispatch* item) {
    Bstr path;
    if (auto file = ComPtr<IDispatch>(item).try_query<IFile>()) check(file->get_Path(path.put()));
    else check(ComPtr<IDispatch>(item).query<IFolder>()->get_Path(path.put()));
    return utf8(path.view());
}

// Every member an enumerator yields, by path, one Next at a time.
std::vector<std::string> enumerate(IUnknown* collection_enum) {
    auto enumerator = ComPtr<IUnknown>(collection_enum).query<IEnumVARIANT>();
    std::vector<std::string> paths;
    Variant item;
    while (enumerator->Next(1, item.put(), nullptr) == S_OK) {
        EXPECT_EQ(item.type(), VT_DISPATCH);
        paths.push_back(path_of(item.get()->pdispVal));
    }
    return paths;
}

std::vector<std::string> files_of(IFolder* folder) {
    ComPtr<IFileCollection> files;
    check(folder->get_Files(files.put()));
    ComPtr<IUnknown> enumerator;
    check(files->get__NewEnum(enumerator.put()));
    return enumerate(enumerator.get());
}

std::vector<std::string> subfolders_of(IFolder* folder) {
    ComPtr<IFolderCollection> folders;
    check(folder->get_SubFolders(folders.put()));
    ComPtr<IUnknown> enumerator;
    check(folders->get__NewEnum(enumerator.put()));
    return enumerate(enumerator.get());
}

// The run-time error number a failing call left, with its description.
std::pair<std::int32_t, std::string> error_of(const std::function<void()>& call) {
    try {
        call();
    } catch (const ComError& e) {
        return {e.number, utf8(e.description)};
    }
    return {0, ""};
}

// The tree the Windows check lays out too, on a share.
TEST(NetworkFileSystem, ExistenceAndListingOfTheSharedTree) {
    using namespace file_system_cases;
    NetworkTree tree;
    for (const char* folder : kFolders) tree.folder(std::string("Srv/Share/") + folder);
    for (const char* file : kFiles) tree.file(std::string("Srv/Share/") + file);
    auto fso = file_system();
    for (const auto& c : kExistence) {
        SCOPED_TRACE(utf8(c.path));
        const std::u16string path = u"\\\\srv\\share\\" + std::u16string(c.path);
        EXPECT_EQ(file_exists(fso.get(), path), c.file);
        EXPECT_EQ(folder_exists(fso.get(), path), c.folder);
    }
    auto paths_of = [](const auto& names) {
        std::vector<std::string> paths;
        for (std::u16string_view name : names) paths.push_back("\\\\Srv\\Share\\" + utf8(name));
        return paths;
    };
    auto share = get_folder(fso.get(), u"\\\\srv\\share");
    EXPECT_EQ(files_of(share.get()), paths_of(kTopFiles));
    EXPECT_EQ(subfolders_of(share.get()), paths_of(kTopFolders));
}

TEST(NetworkFileSystem, ExistenceNeverFailsForABadPath) {
    NetworkTree tree;
    tree.file("Srv/Share/Docs/Report.DOC");
    auto fso = file_system();
    EXPECT_FALSE(file_exists(fso.get(), u"\\\\srv\\share\\docs\\..\\docs\\report.doc"));
    EXPECT_FALSE(file_exists(fso.get(), u"not a path at all"));
    EXPECT_FALSE(folder_exists(fso.get(), u"\\\\srv"));

    VARIANT_BOOL exists = 7;
    EXPECT_EQ(fso->FileExists(nullptr, &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_FALSE);
    EXPECT_EQ(fso->FolderExists(nullptr, nullptr), E_POINTER);
}

TEST(NetworkFileSystem, GetFolderOfNothingIsPathNotFound) {
    NetworkTree tree;
    tree.file("Srv/Share/a.txt");
    auto fso = file_system();
    for (std::u16string path : {u"\\\\srv\\share\\missing", u"\\\\srv\\share\\a.txt", u"\\\\srv", u""}) {
        SCOPED_TRACE(utf8(path));
        IFolder* folder = reinterpret_cast<IFolder*>(0x1);  // poisoned: the failure must reset it
        HRESULT hr = fso->GetFolder(Bstr(path).get(), &folder);
        EXPECT_EQ(hr, hresult_from_error_number(error_number(RuntimeError::PathNotFound)));
        EXPECT_EQ(folder, nullptr);
        ErrorRecord record;
        ASSERT_TRUE(GetErrorRecord(hr, &record));
        EXPECT_EQ(record.description, u"Path not found");
    }
}

TEST(NetworkFileSystem, FoldersListInOneOrderAndSpellPathsAsTheDisk) {
    NetworkTree tree;
    auto share = tree.folder("Srv/Share");
    tree.file("Srv/Share/Docs/b.txt");
    tree.file("Srv/Share/Docs/A.txt");
    tree.file("Srv/Share/Docs/a.TXT");
    tree.file("Srv/Share/Docs/Ärger.doc");
    tree.file("Srv/Share/Docs/zeta.doc");
    tree.folder("Srv/Share/Docs/sub2");
    tree.folder("Srv/Share/Docs/Sub1");
    tree.folder("Srv/Share/Docs/SUB3");
    std::filesystem::create_directory_symlink(share, share / "Docs/loop");
    std::filesystem::create_symlink(tree.outside() / "network", share / "Docs/out.txt");
    std::filesystem::create_symlink(share / "Docs/zeta.doc", share / "Docs/link.doc");

    auto fso = file_system();
    auto docs = get_folder(fso.get(), u"\\\\SRV\\share\\DOCS");
    Bstr text;
    check(docs->get_Path(text.put()));
    EXPECT_EQ(text.view(), u"\\\\Srv\\Share\\Docs");
    check(docs->get_Name(text.put()));
    EXPECT_EQ(text.view(), u"Docs");

    EXPECT_EQ(files_of(docs.get()),
              (std::vector<std::string>{"\\\\Srv\\Share\\Docs\\A.txt", "\\\\Srv\\Share\\Docs\\a.TXT",
                                        "\\\\Srv\\Share\\Docs\\b.txt", "\\\\Srv\\Share\\Docs\\link.doc",
                                        "\\\\Srv\\Share\\Docs\\zeta.doc", "\\\\Srv\\Share\\Docs\\Ärger.doc"}));
    EXPECT_EQ(subfolders_of(docs.get()),
              (std::vector<std::string>{"\\\\Srv\\Share\\Docs\\Sub1", "\\\\Srv\\Share\\Docs\\sub2",
                                        "\\\\Srv\\Share\\Docs\\SUB3"}));

    ComPtr<IFileCollection> files;
    check(docs->get_Files(files.put()));
    LONG count = -1;
    check(files->get_Count(&count));
    EXPECT_EQ(count, 6);
}

TEST(NetworkFileSystem, EnumeratorsHandOutCountedObjectsAndOutliveTheirCollection) {
    NetworkTree tree;
    tree.file("Srv/Share/1.txt");
    tree.file("Srv/Share/2.txt");
    tree.file("Srv/Share/3.txt");
    auto fso = file_system();
    auto share = get_folder(fso.get(), u"\\\\srv\\share");
    ComPtr<IEnumVARIANT> enumerator;
    {
        ComPtr<IFileCollection> files;
        check(share->get_Files(files.put()));
        ComPtr<IUnknown> unknown;
        check(files->get__NewEnum(unknown.put()));
        enumerator = unknown.query<IEnumVARIANT>();
    }
    VARIANT items[6];
    ULONG fetched = 99;
    EXPECT_EQ(enumerator->Next(2, items, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(ref_count(items[0].pdispVal), 1u);
    EXPECT_EQ(path_of(items[1].pdispVal), "\\\\Srv\\Share\\2.txt");

    ComPtr<IEnumVARIANT> copy;
    check(enumerator->Clone(copy.put()));
    EXPECT_EQ(enumerator->Next(4, items + 2, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(path_of(items[2].pdispVal), "\\\\Srv\\Share\\3.txt");
    EXPECT_EQ(items[3].vt, VT_EMPTY);
    for (int i = 0; i < 3; ++i) VariantClear(&items[i]);

    EXPECT_EQ(enumerate(copy.get()), std::vector<std::string>{"\\\\Srv\\Share\\3.txt"});
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(2), S_OK);
    EXPECT_EQ(enumerator->Skip(2), S_FALSE);
    EXPECT_EQ(enumerator->Next(2, items, nullptr), E_POINTER);
}

TEST(NetworkFileSystem, AFolderThatVanishedIsPathNotFound) {
    NetworkTree tree;
    tree.file("Srv/Share/Gone/a.txt");
    tree.folder("Srv/Share/Replaced");
    auto fso = file_system();
    auto gone = get_folder(fso.get(), u"\\\\srv\\share\\gone");
    auto replaced = get_folder(fso.get(), u"\\\\srv\\share\\replaced");
    std::filesystem::remove_all(tree.root() / "Srv/Share/Gone");
    std::filesystem::remove(tree.root() / "Srv/Share/Replaced");
    tree.file("Srv/Share/Replaced");
    EXPECT_EQ(error_of([&] { files_of(gone.get()); }), std::make_pair(76, std::string("Path not found")));
    EXPECT_EQ(error_of([&] { subfolders_of(gone.get()); }).first, 76);
    EXPECT_EQ(error_of([&] { files_of(replaced.get()); }).first, 76);
}

TEST(NetworkFileSystem, AFolderThatCannotBeListedIsPermissionDenied) {
    NetworkTree tree;
    tree.file("Srv/Share/Locked/a.txt");
    std::filesystem::permissions(tree.root() / "Srv/Share/Locked", std::filesystem::perms::none);
    auto fso = file_system();
    auto locked = get_folder(fso.get(), u"\\\\srv\\share\\locked");
    // The super-user reads anything: the check runs where access rights apply.
    auto denied = [&] {
        return error_of([&] { files_of(locked.get()); }) == std::make_pair(70, std::string("Permission denied")) &&
               error_of([&] { subfolders_of(locked.get()); }).first == 70 &&
               !file_exists(fso.get(), u"\\\\srv\\share\\locked\\a.txt");
    };
    EXPECT_EXIT(exit_unprivileged(denied), ::testing::ExitedWithCode(0), "");
}

TEST(NetworkFileSystem, RunningOutOfFileHandlesIsTooManyFiles) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' own checks open files too; with no handles left they report false faults.
    GTEST_SKIP() << "not under the sanitizers";
#endif
    NetworkTree tree;
    tree.file("Srv/Share/a.txt");
    auto fso = file_system();
    auto share = get_folder(fso.get(), u"\\\\srv\\share");
    auto exhausted = [&] {
        rlimit none{0, 0};
        ::setrlimit(RLIMIT_NOFILE, &none);
        bool ok = error_of([&] { files_of(share.get()); }) == std::make_pair(67, std::string("Too many files"));
        std::_Exit(ok ? 0 : 1);
    };
    EXPECT_EXIT(exhausted(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
