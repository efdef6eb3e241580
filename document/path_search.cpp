// Path remapping and file search: where a linked file of the previous server lies now.
#include "com/class_factory.h"
#include "com/enum_variant.h"
#include "com/error.h"
#include "document/server_name.h"
#include "document/udPathmender.h"
#include "platform/case_insensitive.h"

namespace {

// Calls visit with each member of a collection's enumeration, in its order, until visit says stop.
template <class Member, class Visit>
void for_each_member(IUnknown* enumeration, Visit visit) {
    ComPtr<IEnumVARIANT> members = ComPtr<IUnknown>(enumeration).query<IEnumVARIANT>();
    if (!members) raise_standard_error(438);
    Variant item;
    for (;;) {
        HRESULT hr = members->Next(1, item.put(), nullptr);
        check(hr);
        if (hr != S_OK) return;
        if (item.type() != VT_DISPATCH || !item.get()->pdispVal) raise_standard_error(13);
        ComPtr<Member> member = ComPtr<IDispatch>(item.get()->pdispVal).query<Member>();
        if (!member) raise_standard_error(13);
        if (!visit(member)) return;
    }
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

std::u16string udPathmender::SearchFolder(const ComPtr<IFolder>& folder, const std::u16string& fileName) {
    std::u16string result;

    ComPtr<IFileCollection> files;
    check(folder->get_Files(files.put()));
    ComPtr<IUnknown> fileEnumeration;
    check(files->get__NewEnum(fileEnumeration.put()));
    for_each_member<IFile>(fileEnumeration.get(), [&](const ComPtr<IFile>& file) {
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
    for_each_member<IFolder>(folderEnumeration.get(), [&](const ComPtr<IFolder>& subFolder) {
        result = SearchFolder(subFolder, fileName);
        return result.empty();
    });
    return result;
}

ComPtr<IHostFileServices> udPathmender::GetFileServices() {
    if (!FileServices) FileServices = create_instance<IHostFileServices>(CLSID_HostFileServices);
    return FileServices;
}

ComPtr<IFileSystem> udPathmender::GetFileSystem() {
    if (!FileSystem) {
        ComPtr<IDispatch> object;
        check(GetFileServices()->get_FileSystem(object.put()));
        if (!object) raise_standard_error(91);
        ComPtr<IFileSystem> fileSystem = object.query<IFileSystem>();
        if (!fileSystem) raise_standard_error(13);
        FileSystem = fileSystem;
    }
    return FileSystem;
}
