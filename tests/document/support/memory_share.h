// A share held in memory behind the file system's interfaces, for tests of the share walk and the
// share index: folders and files listed in the order they were added, folders that cannot be
// listed, trees of any depth, and a log of the calls made on folders, one of which can fail.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "com/bstr.h"
#include "com/error.h"
#include "com/object.h"
#include "com/utf.h"
#include "platform/partial_interfaces.h"
#include "platform/network/dispatch_enumerator.h"

namespace memory_share {

// The calls made on folders, in order ("files F", "subfolders F", "enumerate F", "next in F" with F
// a folder's path); the call numbered fail_at fails with error 70.
struct CallLog {
    std::vector<std::string> calls;
    int fail_at = -1;
    void record(std::string call) {
        calls.push_back(std::move(call));
        if (int(calls.size()) == fail_at) raise_standard_error(RuntimeError::PermissionDenied);
    }
};

class File final : public ComObject<File, PartialFile> {
public:
    File(std::u16string name, std::u16string path) : name_(std::move(name)), path_(std::move(path)) {}
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override { *path = make_bstr(path_); return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { *name = make_bstr(name_); return S_OK; }

private:
    std::u16string name_, path_;
};

// An enumeration over members, each call of Next logged under the folder that lists them.
class Members final : public ComObject<Members, IEnumVARIANT> {
public:
    Members(std::vector<ComPtr<IDispatch>> members, std::string owner, CallLog* log)
        : inner_(make_com<DispatchEnumerator>(members.size(), [members](std::size_t i) { return members[i]; })),
          owner_(std::move(owner)), log_(log) {}
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override
    try {
        if (log_) log_->record("next in " + owner_);
        return inner_->Next(count, items, fetched);
    } catch (...) {
        return hresult_from_current_exception();
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return inner_->Skip(count); }
    HRESULT STDMETHODCALLTYPE Reset() override { return inner_->Reset(); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override { return inner_->Clone(copy); }

private:
    ComPtr<IEnumVARIANT> inner_;
    std::string owner_;
    CallLog* log_;
};

template <class Collection, class Member>
class MemberList final : public ComObject<MemberList<Collection, Member>, Collection> {
public:
    // log: where to log the enumeration of subfolders (files are not logged).
    MemberList(std::vector<ComPtr<Member>> members, std::string owner, CallLog* log)
        : members_(std::move(members)), owner_(std::move(owner)), log_(log) {}
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override { *count = LONG(members_.size()); return S_OK; }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override
    try {
        *enumerator = nullptr;
        if (log_) log_->record("enumerate " + owner_);
        std::vector<ComPtr<IDispatch>> items(members_.begin(), members_.end());
        *enumerator = make_com<Members>(std::move(items), owner_, log_).detach();
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

private:
    std::vector<ComPtr<Member>> members_;
    std::string owner_;
    CallLog* log_;
};

class Folder final : public ComObject<Folder, PartialFolder> {
public:
    explicit Folder(std::u16string path, CallLog* log = nullptr) : path_(std::move(path)), log_(log) {}

    // A new subfolder, listed after those added before it.
    Folder& folder(std::u16string_view name) {
        subfolders_.push_back(make_com<Folder>(path_ + u"\\" + std::u16string(name), log_));
        return *subfolders_.back();
    }
    // A new file, listed after those added before it; its path as a file system spells it.
    std::u16string file(std::u16string_view name) {
        files_.push_back(make_com<File>(std::u16string(name), path_ + u"\\" + std::u16string(name)));
        return path_ + u"\\" + std::u16string(name);
    }
    // Listing its files or its subfolders fails with error 70, as for want of access rights.
    bool locked = false;

    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override { *path = make_bstr(path_); return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { *name = make_bstr(path_.substr(path_.rfind(u'\\') + 1)); return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Files(IFileCollection** files) override
    try {
        *files = nullptr;
        if (log_) log_->record("files " + utf8(path_));
        if (locked) raise_standard_error(RuntimeError::PermissionDenied);
        *files = make_com<MemberList<PartialFileCollection, File>>(files_, std::string(), nullptr).detach();
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }
    HRESULT STDMETHODCALLTYPE get_SubFolders(IFolderCollection** folders) override
    try {
        *folders = nullptr;
        if (log_) log_->record("subfolders " + utf8(path_));
        if (locked) raise_standard_error(RuntimeError::PermissionDenied);
        *folders = make_com<MemberList<PartialFolderCollection, Folder>>(subfolders_, log_ ? utf8(path_) : std::string(), log_)
                       .detach();
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }

private:
    std::u16string path_;
    CallLog* log_;
    std::vector<ComPtr<Folder>> subfolders_;
    std::vector<ComPtr<File>> files_;
};

}  // namespace memory_share
