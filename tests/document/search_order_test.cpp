// The order of the share walk (document/share_walk.h), by the calls it makes on the file system:
// depth first, a folder's own files first, each subfolder's whole tree before the listing of its
// parent is read on, nothing after the first match, and a failing call ends the walk with its
// error, with no call after it.
#include <gtest/gtest.h>

#include "com/enum_variant.h"
#include "com/error.h"
#include "com/object.h"
#include "com/utf.h"
#include "document/support/share_search.h"
#include "platform/file_system.h"
#include "platform/file_system_object.h"
#include "platform/support/network_tree.h"

namespace {

// Every call the walk makes on folders, in order; the call numbered fail_at fails with error 70.
struct WalkLog {
    std::vector<std::string> calls;
    int fail_at = -1;
    void record(std::string call) {
        calls.push_back(std::move(call));
        if (int(calls.size()) == fail_at) raise_standard_error(70);
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
        ComPtr<IEnumVARIANT> members = inner.query<IEnumVARIANT>();
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
        ComPtr<IFolder> folder = ComPtr<IDispatch>(items->pdispVal).query<IFolder>();
        items->pdispVal->Release();
        items->pdispVal = make_com<LoggingFolder>(folder, log_).detach();
    }
    return hr;
} catch (...) {
    return hresult_from_current_exception();
}

struct Outcome {
    std::string found;
    int error = 0;
    std::vector<std::string> calls;
};

// \\NewServer\Data, its folders listed without regard to case (Alpha before beta):
//   x.doc, Alpha\deep\a.jpg, beta\a.jpg, beta\b.jpg
// and every call a walk of all of it makes on its folders, in order.
const std::vector<std::string> kAllCalls = {
    "files \\\\NewServer\\Data",
    "subfolders \\\\NewServer\\Data",
    "enumerate \\\\NewServer\\Data",
    "next in \\\\NewServer\\Data",
    "files \\\\NewServer\\Data\\Alpha",
    "subfolders \\\\NewServer\\Data\\Alpha",
    "enumerate \\\\NewServer\\Data\\Alpha",
    "next in \\\\NewServer\\Data\\Alpha",
    "files \\\\NewServer\\Data\\Alpha\\deep",
    "subfolders \\\\NewServer\\Data\\Alpha\\deep",
    "enumerate \\\\NewServer\\Data\\Alpha\\deep",
    "next in \\\\NewServer\\Data\\Alpha\\deep",
    "next in \\\\NewServer\\Data\\Alpha",
    "next in \\\\NewServer\\Data",
    "files \\\\NewServer\\Data\\beta",
    "subfolders \\\\NewServer\\Data\\beta",
    "enumerate \\\\NewServer\\Data\\beta",
    "next in \\\\NewServer\\Data\\beta",
    "next in \\\\NewServer\\Data",
};

class SearchOrder : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {"NewServer/Data/x.doc", "NewServer/Data/Alpha/deep/a.jpg", "NewServer/Data/beta/a.jpg",
                                 "NewServer/Data/beta/b.jpg"})
            network.file(file);
        check(CreateFileSystemObject(fso.put()));
    }

    // The search for file_name through logging folders; the call numbered fail_at fails.
    Outcome search(const std::u16string& file_name, int fail_at = -1) {
        WalkLog log;
        log.fail_at = fail_at;
        ComPtr<IFolder> real;
        check(fso->GetFolder(Bstr(u"\\\\NewServer\\Data").get(), real.put()));
        Outcome outcome;
        try {
            outcome.found = utf8(search_share(make_com<LoggingFolder>(real, log), file_name));
        } catch (const ComError& e) {
            outcome.error = e.number;
        }
        outcome.calls = log.calls;
        return outcome;
    }

    NetworkTree network;
    ComPtr<IFileSystem> fso;
};

TEST_F(SearchOrder, DepthFirstAFoldersOwnFilesFirstAndNothingAfterTheFirstMatch) {
    const struct {
        std::u16string name;
        std::string found;
        std::size_t calls;  // the first ones of kAllCalls
    } cases[] = {
        {u"X.DOC", "\\\\NewServer\\Data\\x.doc", 1},
        {u"a.jpg", "\\\\NewServer\\Data\\Alpha\\deep\\a.jpg", 9},
        {u"b.jpg", "\\\\NewServer\\Data\\beta\\b.jpg", 15},
        {u"missing.txt", "", kAllCalls.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.name));
        const Outcome outcome = search(c.name);
        EXPECT_EQ(outcome.found, c.found);
        EXPECT_EQ(outcome.error, 0);
        EXPECT_EQ(outcome.calls, std::vector<std::string>(kAllCalls.begin(), kAllCalls.begin() + c.calls));
    }
}

TEST_F(SearchOrder, AFailingCallEndsTheWalkThereWithItsError) {
    for (std::size_t fail_at = 1; fail_at <= kAllCalls.size(); ++fail_at) {
        SCOPED_TRACE("failing at " + kAllCalls[fail_at - 1]);
        const Outcome outcome = search(u"missing.txt", int(fail_at));
        EXPECT_EQ(outcome.error, 70);
        EXPECT_EQ(outcome.calls, std::vector<std::string>(kAllCalls.begin(), kAllCalls.begin() + fail_at));
    }
}

}  // namespace
