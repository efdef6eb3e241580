// Path remapping and file search: where a linked file of the previous server lies now.
#include "com/class_factory.h"
#include "com/enum_variant.h"
#include "com/error.h"
#include "document/collection_members.h"
#include "document/server_name.h"
#include "document/udPathmender.h"
#include "platform/case_insensitive.h"

#include <vector>

namespace {

// The path of the folder's own file called fileName (without regard to case), or empty.
std::u16string FindFileIn(IFolder* folder, const std::u16string& fileName) {
    ComPtr<IFileCollection> files;
    check(folder->get_Files(files.put()));
    ComPtr<IUnknown> fileEnumeration;
    check(files->get__NewEnum(fileEnumeration.put()));
    ComPtr<IEnumVARIANT> members = members_of(fileEnumeration.get());
    while (ComPtr<IFile> file = next_member<IFile>(members.get())) {
        Bstr name;
        check(file->get_Name(name.put()));
        if (!equal_ignoring_case(fileName, name.view())) continue;
        Bstr path;
        check(file->get_Path(path.put()));
        return path.str();
    }
    return {};
}

// A folder whose own files were searched, and where its subfolders' enumeration stands.
struct PendingSubFolders {
    ComPtr<IFolderCollection> collection;
    ComPtr<IEnumVARIANT> members;
};

PendingSubFolders SubFoldersOf(IFolder* folder) {
    PendingSubFolders pending;
    check(folder->get_SubFolders(pending.collection.put()));
    ComPtr<IUnknown> folderEnumeration;
    check(pending.collection->get__NewEnum(folderEnumeration.put()));
    pending.members = members_of(folderEnumeration.get());
    return pending;
}

}  // namespace

std::u16string udPathmender::FindLinkedFile(std::u16string linkPath, std::u16string previousServer,
                                            std::u16string searchRoot, bool exactOnly) {
    ComPtr<IHostFileServices> services = GetFileServices();
    Bstr fileName, oldFolder;
    check(services->SplitPath(Bstr(linkPath).get(), VARIANT_FALSE, fileName.put()));
    check(services->SplitPath(Bstr(linkPath).get(), VARIANT_TRUE, oldFolder.put()));

    const std::u16string oldServer = ExtractServerName(previousServer);
    const std::u16string newServer = ExtractServerName(searchRoot);
    // Only the whole old server name is replaced: \\Old must not turn \\OldServer into \\NewServer.
    const std::u16string newFolder = ReplaceServerName(oldFolder.view(), oldServer, newServer);

    Bstr folder;
    check(services->FolderForFile(Bstr(newFolder).get(), folder.put()));
    const std::u16string candidate = folder.str() + fileName.str();

    ComPtr<IFileSystem> fileSystem = GetFileSystem();
    VARIANT_BOOL exists = VARIANT_FALSE;
    check(fileSystem->FileExists(Bstr(candidate).get(), &exists));
    if (exists != VARIANT_FALSE) return candidate;

    if (!exactOnly) {
        Bstr root(searchRoot);
        check(fileSystem->FolderExists(root.get(), &exists));
        if (exists != VARIANT_FALSE) {
            ComPtr<IFolder> start;
            check(fileSystem->GetFolder(root.get(), start.put()));
            // Inside an update run the share is walked once and looked up after that.
            if (SearchIndexes.is_open()) return SearchIndexes.find(searchRoot, start, fileName.str());
            return SearchFolder(start, fileName.str());
        }
    }
    return {};
}

std::u16string udPathmender::ExtractServerName(std::u16string path) {
    std::u16string name;
    for (std::size_t i = 0; i < path.size();) {
        if (path.compare(i, 2, u"\\\\") == 0) {
            i += 2;
        } else {
            name.push_back(path[i]);
            ++i;
        }
    }
    std::size_t separator = name.find(u'\\');
    if (separator != std::u16string::npos) name.resize(separator);
    return u"\\\\" + name;
}

// Depth first, a folder's own files before its subfolders, the first match wins. The folders on
// the way down are kept on a stack of our own rather than the call stack, so a share tree
// thousands of folders deep is walked in the same order with the same errors, without running
// out of stack.
std::u16string udPathmender::SearchFolder(const ComPtr<IFolder>& folder, const std::u16string& fileName) {
    std::vector<PendingSubFolders> path;
    ComPtr<IFolder> next = folder;
    for (;;) {
        if (next) {
            std::u16string found = FindFileIn(next.get(), fileName);
            if (!found.empty()) return found;
            path.push_back(SubFoldersOf(next.get()));
        }
        if (path.empty()) return {};
        next = next_member<IFolder>(path.back().members.get());
        if (!next) path.pop_back();
    }
}

ComPtr<IHostFileServices> udPathmender::GetFileServices() {
    if (!FileServices) FileServices = create_instance<IHostFileServices>(CLSID_HostFileServices);
    return FileServices;
}

ComPtr<IFileSystem> udPathmender::GetFileSystem() {
    if (!FileSystem) {
        ComPtr<IDispatch> object;
        check(GetFileServices()->get_FileSystem(object.put()));
        FileSystem = object.query<IFileSystem>(RuntimeError::TypeMismatch);
    }
    return FileSystem;
}
