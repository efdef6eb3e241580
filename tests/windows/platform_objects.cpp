// The system's file-system and network objects called through this system's declarations of
// their interfaces (platform/file_system.h, platform/wsh_network.h): each member the module calls
// must reach the member of that name, and the members a folder hands out must answer the IIDs
// declared for them. The folder's layout and what is asked of it are the Linux tests' rows. Run on
// Windows, or under Wine, in a scratch folder it makes itself; one line per check, the exit status
// is non-zero when any check failed.
#include "member_names.h"
#include "windows_checks.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system_object.h"
#include "platform/support/file_system_cases.h"
#include "platform/wsh_network_object.h"

namespace {

using checks::member_names;
using checks::Ref;
using checks::Text;

void report(bool ok, const std::string& check, HRESULT hr) { checks::report(ok, check, checks::hex(hr)); }

// The names expected of a listing, sorted.
template <std::size_t N>
std::vector<std::wstring> sorted(const std::u16string_view (&names)[N]) {
    std::vector<std::wstring> out;
    for (std::u16string_view name : names) out.emplace_back(name.begin(), name.end());
    std::sort(out.begin(), out.end());
    return out;
}

void check_file_system(const checks::ScratchFolder& root) {
    using namespace file_system_cases;
    for (const char* folder : kFolders) root.folder(checks::widen(folder));
    for (const char* file : kFiles) root.file(checks::widen(file));

    Ref<IFileSystem> fso;
    HRESULT hr = CreateFileSystemObject(fso.put());
    report(SUCCEEDED(hr), "CoCreateInstance FileSystemObject for IFileSystem", hr);
    if (!fso.p) return;
    for (const auto& c : kExistence) {
        const std::string name = checks::narrow(std::wstring(c.path.begin(), c.path.end()));
        const Text path(root / std::wstring(c.path.begin(), c.path.end()));
        VARIANT_BOOL exists = VARIANT_TRUE;
        hr = fso->FileExists(path.text, &exists);
        report(hr == S_OK && exists == (c.file ? VARIANT_TRUE : VARIANT_FALSE), "FileExists " + name, hr);
        exists = VARIANT_TRUE;
        hr = fso->FolderExists(path.text, &exists);
        report(hr == S_OK && exists == (c.folder ? VARIANT_TRUE : VARIANT_FALSE), "FolderExists " + name, hr);
    }
    Ref<IFolder> folder;
    hr = fso->GetFolder(Text(root.path()).text, folder.put());
    report(hr == S_OK && folder.p, "GetFolder", hr);
    if (!folder.p) return;
    Text text;
    hr = folder->get_Path(text.put());
    report(hr == S_OK && text.is(root.path().c_str()), "IFolder Path", hr);
    hr = folder->get_Name(text.put());
    report(hr == S_OK && text.is(L"pathmender-objects"), "IFolder Name", hr);

    Ref<IFileCollection> files;
    hr = folder->get_Files(files.put());
    report(hr == S_OK && files.p, "IFolder Files", hr);
    if (files.p) {
        LONG count = 0;
        hr = files->get_Count(&count);
        report(hr == S_OK && count == LONG(std::size(kTopFiles)), "IFileCollection Count", hr);
        Ref<IUnknown> enumeration;
        hr = files->get__NewEnum(enumeration.put());
        if (enumeration.p)
            report(member_names<IFile>(enumeration.p, hr) == sorted(kTopFiles), "files answer IFile and Name", hr);
        else report(false, "IFileCollection _NewEnum", hr);
    }
    Ref<IFolderCollection> folders;
    hr = folder->get_SubFolders(folders.put());
    report(hr == S_OK && folders.p, "IFolder SubFolders", hr);
    if (folders.p) {
        LONG count = 0;
        hr = folders->get_Count(&count);
        report(hr == S_OK && count == LONG(std::size(kTopFolders)), "IFolderCollection Count", hr);
        Ref<IUnknown> enumeration;
        hr = folders->get__NewEnum(enumeration.put());
        if (enumeration.p)
            report(member_names<IFolder>(enumeration.p, hr) == sorted(kTopFolders), "folders answer IFolder and Name",
                   hr);
        else report(false, "IFolderCollection _NewEnum", hr);
    }
}

void check_network() {
    Ref<IWshNetwork2> network;
    HRESULT hr = CreateWshNetwork(network.put());
    report(SUCCEEDED(hr) && network.p, "CoCreateInstance WshNetwork for IWshNetwork2", hr);
    if (!network.p) return;
    Ref<IWshCollection> drives;
    hr = network->EnumNetworkDrives(drives.put());
    // Wine's network object does not list connections: it answers E_NOTIMPL from that very slot.
    if (hr == E_NOTIMPL) {
        std::printf("skip EnumNetworkDrives: the system does not implement it\n");
        return;
    }
    report(hr == S_OK && drives.p, "EnumNetworkDrives", hr);
    if (!drives.p) return;
    LONG count = -1;
    hr = drives->Count(&count);
    report(hr == S_OK && count >= 0 && count % 2 == 0, "IWshCollection Count (pairs)", hr);
}

}  // namespace

int main() {
    const checks::ComSession com;
    {
        const checks::ScratchFolder root(L"pathmender-objects");
        check_file_system(root);
    }
    check_network();
    return checks::summary();
}
