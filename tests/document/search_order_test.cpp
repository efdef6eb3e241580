// SearchFolder walks share trees with a stack of its own: it must visit exactly as the recursive
// walk it replaced (depth first, a folder's own files first, first match wins), fail with the same
// error at the same call, and walk trees deeper than one path can name.
#include "document/support/page_fixture.h"

#include <fstream>
#include <random>

#include "com/enum_variant.h"
#include "com/error.h"
#include "com/utf.h"
#include "platform/case_insensitive.h"
#include "platform/file_system.h"
#include "platform/file_system_object.h"
#include "platform/support/deep_tree.h"

namespace fs = std::filesystem;

namespace {

// Every call the walk makes on folders, in order; the call numbered fail_at fails with error 70.
struct WalkLog {
    std::vector<std::string> calls;
    int fail_at = -1;
    void record(std::string call) {
        calls.push_back(std::move(call));
        if (int(calls.size()) == fail_at) raise_standard_error(RuntimeError::PermissionDenied);
    }
};

class LoggingFolder;

class LoggingEnumerator final : public ComObject<LoggingEnumerator, IEnumVARIANT> {
public:
    LoggingEnumerator(ComPtr<IEnumVARIANT> inner, std::string owner, WalkLog& log)
        : inner_(std::move(inner)), owner_(std::move(owner)), log_(log) {}
    HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override { return inner_->Skip(count); }
    HRESULT Reset() override { return inner_->Reset(); }
    HRESULT Clone(IEnumVARIANT** copy) override {
        if (copy) *copy = nullptr;
        return E_NOTIMPL;
    }

private:
    ComPtr<IEnumVARIANT> inner_;
    std::string owner_;
    WalkLog& log_;
};

class LoggingFolders final : public ComObject<LoggingFolders, IFolderCollection> {
public:
    LoggingFolders(ComPtr<IFolderCollection> inner, std::string owner, WalkLog& log)
        : inner_(std::move(inner)), owner_(std::move(owner)), log_(log) {}
    HRESULT get_Count(LONG* count) override { return inner_->get_Count(count); }
    HRESULT get__NewEnum(IUnknown** enumerator) override
    try {
        if (!enumerator) return E_POINTER;
        *enumerator = nullptr;
        log_.record("enumerate " + owner_);
        ComPtr<IUnknown> inner;
        check(inner_->get__NewEnum(inner.put()));
        ComPtr<IEnumVARIANT> members = inner.try_query<IEnumVARIANT>();
        *enumerator = make_com<LoggingEnumerator>(members, owner_, log_).detach();
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

private:
    ComPtr<IFolderCollection> inner_;
    std::string owner_;
    WalkLog& log_;
};

class LoggingFolder final : public ComObject<LoggingFolder, IFolder> {
public:
    LoggingFolder(ComPtr<IFolder> inner, WalkLog& log) : inner_(std::move(inner)), log_(log) {
        Bstr path;
        check(inner_->get_Path(path.put()));
        path_ = utf8(path.view());
    }
    HRESULT get_Path(BSTR* path) override { return inner_->get_Path(path); }
    HRESULT get_Name(BSTR* name) override { return inner_->get_Name(name); }
    HRESULT get_Files(IFileCollection** files) override
    try {
        if (!files) return E_POINTER;
        *files = nullptr;
        log_.record("files " + path_);
        return inner_->get_Files(files);
    } catch (...) {
        return hresult_from_current_exception();
    }
    HRESULT get_SubFolders(IFolderCollection** folders) override
    try {
        if (!folders) return E_POINTER;
        *folders = nullptr;
        log_.record("subfolders " + path_);
        ComPtr<IFolderCollection> inner;
        check(inner_->get_SubFolders(inner.put()));
        *folders = make_com<LoggingFolders>(inner, path_, log_).detach();
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

private:
    ComPtr<IFolder> inner_;
    std::string path_;
    WalkLog& log_;
};

HRESULT LoggingEnumerator::Next(ULONG count, VARIANT* items, ULONG* fetched)
try {
    log_.record("next in " + owner_);
    HRESULT hr = inner_->Next(count, items, fetched);
    if (hr == S_OK && items->vt == VT_DISPATCH && items->pdispVal) {
        ComPtr<IFolder> folder = ComPtr<IDispatch>(items->pdispVal).try_query<IFolder>();
        items->pdispVal->Release();
        items->pdispVal = make_com<LoggingFolder>(folder, log_).detach();
    }
    return hr;
} catch (...) {
    return hresult_from_current_exception();
}

// The recursive walk as it was first written: the order and errors SearchFolder must keep.
std::u16string recursive_search(const ComPtr<IFolder>& folder, const std::u16string& fileName) {
    auto each = [](IUnknown* enumeration, auto visit) {
        ComPtr<IEnumVARIANT> members = ComPtr<IUnknown>(enumeration).try_query<IEnumVARIANT>();
        if (!members) raise_standard_error(RuntimeError::MemberNotSupported);
        Variant item;
        for (;;) {
            HRESULT hr = members->Next(1, item.put(), nullptr);
            check(hr);
            if (hr != S_OK) return;
            if (item.type() != VT_DISPATCH || !item.get()->pdispVal) raise_standard_error(RuntimeError::TypeMismatch);
            if (!visit(ComPtr<IDispatch>(item.get()->pdispVal))) return;
        }
    };
    std::u16string result;
    ComPtr<IFileCollection> files;
    check(folder->get_Files(files.put()));
    ComPtr<IUnknown> fileEnumeration;
    check(files->get__NewEnum(fileEnumeration.put()));
    each(fileEnumeration.get(), [&](const ComPtr<IDispatch>& item) {
        ComPtr<IFile> file = item.try_query<IFile>();
        if (!file) raise_standard_error(RuntimeError::TypeMismatch);
        Bstr name;
        check(file->get_Name(name.put()));
        if (!equal_ignoring_case(fileName, name.view())) return true;
        Bstr path;
        check(file->get_Path(path.put()));
        result = path.str();
        return false;
    });
    if (!result.empty()) return result;
    ComPtr<IFolderCollection> subFolders;
    check(folder->get_SubFolders(subFolders.put()));
    ComPtr<IUnknown> folderEnumeration;
    check(subFolders->get__NewEnum(folderEnumeration.put()));
    each(folderEnumeration.get(), [&](const ComPtr<IDispatch>& item) {
        ComPtr<IFolder> sub = item.try_query<IFolder>();
        if (!sub) raise_standard_error(RuntimeError::TypeMismatch);
        result = recursive_search(sub, fileName);
        return result.empty();
    });
    return result;
}

struct Outcome {
    std::string found;
    int error = 0;
    std::vector<std::string> calls;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << "found \"" << o.found << "\", error " << o.error << ", " << o.calls.size() << " calls";
}

class SearchOrder : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        write_drives({"Z: \\\\NewServer\\Data"});
        page = open_page();
        check(CreateFileSystemObject(fso.put()));
    }
    void TearDown() override {
        deep_tree::remove(network / "NewServer", "Deep");
        PageFixture::TearDown();
    }

    template <class Search>
    Outcome walk(Search search, const std::u16string& file_name, int fail_at) {
        WalkLog log;
        log.fail_at = fail_at;
        ComPtr<IFolder> real;
        check(fso->GetFolder(Bstr(u"\\\\NewServer\\Data").get(), real.put()));
        Outcome outcome;
        try {
            ComPtr<IFolder> root = make_com<LoggingFolder>(real, log);
            outcome.found = utf8(search(root, file_name));
        } catch (const ComError& e) {
            outcome.error = e.number;
        }
        outcome.calls = log.calls;
        return outcome;
    }
    Outcome iterative(const std::u16string& file_name, int fail_at = -1) {
        return walk([&](const ComPtr<IFolder>& f, const std::u16string& n) { return page->SearchFolder(f, n); },
                    file_name, fail_at);
    }
    Outcome recursive(const std::u16string& file_name, int fail_at = -1) {
        return walk(recursive_search, file_name, fail_at);
    }

    // A random tree below \\NewServer\Data: folders of random breadth, files from a few names,
    // so that a name is often found in several places and only the order decides which.
    void make_random_tree(std::mt19937& random) {
        const char* names[] = {"a.jpg", "B.JPG", "c.doc", "d.xls"};
        std::vector<fs::path> folders = {network / "NewServer/Data"};
        fs::create_directories(folders[0]);
        const int folder_count = 1 + int(random() % 40);
        for (int i = 0; i < folder_count; ++i) {
            const fs::path parent = folders[random() % folders.size()];
            const fs::path child = parent / (std::string(1, char('A' + random() % 6)) + std::to_string(random() % 3));
            fs::create_directories(child);
            folders.push_back(child);
        }
        for (const fs::path& folder : folders)
            for (int k = int(random() % 3); k > 0; --k) std::ofstream(folder / names[random() % 4]) << "x";
    }

    ComPtr<udPathmender> page;
    ComPtr<IFileSystem> fso;
};

TEST_F(SearchOrder, VisitsAndFindsExactlyAsTheRecursiveWalkOnRandomTrees) {
    std::mt19937 random(20261207);
    for (int tree = 0; tree < 30; ++tree) {
        fs::remove_all(network / "NewServer");
        make_random_tree(random);
        for (std::u16string name : {u"a.jpg", u"b.jpg", u"C.DOC", u"d.xls", u"missing.txt"}) {
            SCOPED_TRACE("tree " + std::to_string(tree) + ", " + utf8(name));
            const Outcome expected = recursive(name);
            ASSERT_EQ(iterative(name), expected);
            // Failing at any one call: the same error after the same calls.
            const int calls = int(expected.calls.size());
            for (int fail_at : {1, 2, calls / 3, calls / 2, calls - 1, calls}) {
                if (fail_at < 1 || fail_at > calls) continue;
                SCOPED_TRACE("failing at call " + std::to_string(fail_at));
                const Outcome failing = recursive(name, fail_at);
                EXPECT_EQ(failing.error, 70);
                EXPECT_EQ(iterative(name, fail_at), failing);
            }
        }
    }
}

TEST_F(SearchOrder, AShareBeyondPathMaxIsSearchedToItsBottom) {
    constexpr int kDepth = 3'000;  // 6,000 characters of path; deeper only costs time
    fs::create_directories(network / "NewServer/Deep");
    make_network_file("NewServer/Deep/top.txt");
    deep_tree::make_chain(network / "NewServer/Deep", "d", kDepth, "needle.txt");
    std::u16string expected = u"\\\\NewServer\\Deep";
    for (int i = 0; i < kDepth; ++i) expected += u"\\d";
    expected += u"\\needle.txt";

    EXPECT_EQ(page->FindLinkedFile(u"\\\\OldServer\\Media\\NEEDLE.TXT", u"\\\\OldServer", u"\\\\NewServer\\Deep", false),
              expected);
    EXPECT_EQ(page->FindLinkedFile(u"\\\\OldServer\\Media\\nowhere.txt", u"\\\\OldServer", u"\\\\NewServer\\Deep", false),
              u"");
}

}  // namespace
