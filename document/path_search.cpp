// Path remapping and file search: where a linked file of the previous server lies now.
#include "com/class_factory.h"
#include "com/error.h"
#include "document/server_name.h"
#include "document/udPathmender.h"

std::u16string udPathmender::FindLinkedFile(std::u16string linkPath, std::u16string previousServer,
                                            std::u16string searchRoot, bool exactOnly) {
    ComPtr<IHostFileServices> services = GetFileServices();
    Bstr fileName, oldFolder;
    check(services->SplitPath(Bstr(linkPath).get(), VARIANT_FALSE, fileName.put()), services);
    check(services->SplitPath(Bstr(linkPath).get(), VARIANT_TRUE, oldFolder.put()), services);

    const std::u16string oldServer = ExtractServerName(previousServer);
    const std::u16string newServer = ExtractServerName(searchRoot);
    // Only the whole old server name is replaced: \\Old must not turn \\OldServer into \\NewServer.
    const std::u16string newFolder = ReplaceServerName(oldFolder.view(), oldServer, newServer);

    Bstr folder;
    check(services->FolderForFile(Bstr(newFolder).get(), folder.put()), services);
    const std::u16string candidate = folder.str() + fileName.str();

    ComPtr<IFileSystem> fileSystem = GetFileSystem();
    VARIANT_BOOL exists = VARIANT_FALSE;
    check(fileSystem->FileExists(Bstr(candidate).get(), &exists), fileSystem);
    if (exists != VARIANT_FALSE) return candidate;

    if (!exactOnly) {
        Bstr root(searchRoot);
        check(fileSystem->FolderExists(root.get(), &exists), fileSystem);
        if (exists != VARIANT_FALSE) {
            ComPtr<IFolder> start;
            check(fileSystem->GetFolder(root.get(), start.put()), fileSystem);
            return SearchFolder(start, fileName.str());
        }
    }
    return {};
}

// The first file called fileName at or below folder, in the search's order (share_walk.h). The
// share is walked once per update run into an index, and looked up after that.
std::u16string udPathmender::SearchFolder(const ComPtr<IFolder>& folder, const std::u16string& fileName) {
    Bstr root;
    check(folder->get_Path(root.put()), folder);
    return SearchIndexes.find(root.str(), folder, fileName);
}

ComPtr<IHostFileServices> udPathmender::GetFileServices() {
    if (!FileServices) FileServices = create_instance<IHostFileServices>(CLSID_HostFileServices);
    return FileServices;
}

ComPtr<IFileSystem> udPathmender::GetFileSystem() {
    if (!FileSystem) {
        const ComPtr<IHostFileServices> services = GetFileServices();
        ComPtr<IDispatch> object;
        check(services->get_FileSystem(object.put()), services);
        FileSystem = object.query<IFileSystem>(RuntimeError::TypeMismatch);
    }
    return FileSystem;
}
