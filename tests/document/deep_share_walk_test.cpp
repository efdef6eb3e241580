// Share trees deeper than a call stack or one path could hold are walked to their bottom: 10,000
// folders held in memory behind the file system's own interfaces, and, on disk, where every open
// walks the whole path, a tree deeper than PATH_MAX.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "com/error.h"
#include "com/object.h"
#include "document/share_index.h"
#include "document/support/share_search.h"
#include "platform/file_system_object.h"
#include "platform/network/dispatch_enumerator.h"
#include "platform/support/deep_tree.h"
#include "platform/support/network_tree.h"

namespace {

class MemoryFile final : public ComObject<MemoryFile, IFile> {
public:
    MemoryFile(std::u16string name, std::u16string path) : name_(std::move(name)), path_(std::move(path)) {}
    HRESULT get_Path(BSTR* path) override { *path = make_bstr(path_); return S_OK; }
    HRESULT get_Name(BSTR* name) override { *name = make_bstr(name_); return S_OK; }

private:
    std::u16string name_, path_;
};

template <class Collection, class Member>
class MemoryCollection final : public ComObject<MemoryCollection<Collection, Member>, Collection> {
public:
    explicit MemoryCollection(std::vector<ComPtr<Member>> members) : members_(std::move(members)) {}
    HRESULT get_Count(LONG* count) override { *count = LONG(members_.size()); return S_OK; }
    HRESULT get__NewEnum(IUnknown** enumerator) override {
        auto members = members_;
        *enumerator = make_com<DispatchEnumerator>(members.size(), [members](std::size_t i) {
                          return ComPtr<IDispatch>(members[i].get());
                      }).detach();
        return S_OK;
    }

private:
    std::vector<ComPtr<Member>> members_;
};

class MemoryFolder final : public ComObject<MemoryFolder, IFolder> {
public:
    explicit MemoryFolder(std::u16string path) : path_(std::move(path)) {}
    HRESULT get_Path(BSTR* path) override { *path = make_bstr(path_); return S_OK; }
    HRESULT get_Name(BSTR* name) override { *name = make_bstr(path_.substr(path_.rfind(u'\\') + 1)); return S_OK; }
    HRESULT get_SubFolders(IFolderCollection** folders) override {
        *folders = make_com<MemoryCollection<IFolderCollection, IFolder>>(subfolders).detach();
        return S_OK;
    }
    HRESULT get_Files(IFileCollection** files) override {
        *files = make_com<MemoryCollection<IFileCollection, IFile>>(this->files).detach();
        return S_OK;
    }
    std::vector<ComPtr<IFolder>> subfolders;
    std::vector<ComPtr<IFile>> files;
    const std::u16string& path() const { return path_; }

private:
    std::u16string path_;
};

constexpr int kDepth = 10000;

// \\Srv\Share\d\d\...\d (kDepth folders) with deep.txt at the bottom and a decoy beside the top.
ComPtr<IFolder> deep_share(std::u16string* bottom_file) {
    auto root = make_com<MemoryFolder>(u"\\\\Srv\\Share");
    root->files.push_back(make_com<MemoryFile>(u"decoy.txt", u"\\\\Srv\\Share\\decoy.txt"));
    ComPtr<MemoryFolder> at = root;
    for (int level = 0; level < kDepth; ++level) {
        auto next = make_com<MemoryFolder>(at->path() + u"\\d");
        at->subfolders.push_back(next);
        at = next;
    }
    *bottom_file = at->path() + u"\\Deep.txt";
    at->files.push_back(make_com<MemoryFile>(u"Deep.txt", *bottom_file));
    return root;
}

TEST(DeepShareWalk, TheSearchAndTheShareIndexReachTheBottomOfATenThousandFolderTree) {
    std::u16string bottom;
    ComPtr<IFolder> root = deep_share(&bottom);
    EXPECT_EQ(search_share(root, u"deep.TXT"), bottom);
    ShareIndex index(root);
    EXPECT_EQ(index.find(u"DEEP.txt"), bottom);
    EXPECT_EQ(index.find(u"decoy.txt"), u"\\\\Srv\\Share\\decoy.txt");
    EXPECT_EQ(index.find(u"absent.txt"), u"");
}

TEST(DeepShareWalk, AShareBeyondPathMaxIsIndexedToItsBottom) {
    constexpr int kDepth = 3'000;  // 6,000 characters of path; deeper only costs time
    NetworkTree network;
    network.file("NewServer/Deep/top.txt");
    deep_tree::make_chain(network.root() / "NewServer/Deep", "d", kDepth, "needle.txt");
    std::u16string expected = u"\\\\NewServer\\Deep";
    for (int i = 0; i < kDepth; ++i) expected += u"\\d";
    expected += u"\\needle.txt";

    ComPtr<IFileSystem> fso;
    check(CreateFileSystemObject(fso.put()));
    ComPtr<IFolder> root;
    check(fso->GetFolder(Bstr(u"\\\\NewServer\\Deep").get(), root.put()));
    ShareIndex index(root);
    EXPECT_EQ(index.find(u"NEEDLE.TXT"), expected);
    EXPECT_EQ(index.find(u"nowhere.txt"), u"");
    deep_tree::remove(network.root() / "NewServer", "Deep");
}

}  // namespace
