// What a program in a Wine prefix that tools/wine-network prepared sees of the network, through
// this system's declarations of the platform's objects: the platform's network object, created by
// its class, lists the connections of the network's drives.txt, and the system's file-system object
// finds and lists a share's folder by its UNC path, without regard to case.
//   wine_network FOLDER FILE [LOCAL REMOTE]...
//     FOLDER: a UNC path of a folder that holds a file named FILE, as the disk spells it;
//     LOCAL REMOTE: the connections expected, in order ("-" for one without a drive letter).
// One line per check; the exit status is non-zero when any check failed.
#include "member_names.h"
#include "windows_checks.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system_object.h"
#include "platform/wsh_network_object.h"

namespace {

using checks::Ref;
using checks::Text;

void report(bool ok, const std::string& check, HRESULT hr, const std::string& seen = {}) {
    checks::report(ok, check, checks::hex(hr) + (seen.empty() ? "" : " " + seen));
}

void check_drives(const std::vector<std::wstring>& expected) {
    Ref<IWshNetwork2> network;
    HRESULT hr = CreateWshNetwork(network.put());
    report(hr == S_OK && network.p, "CoCreateInstance WshNetwork for IWshNetwork2", hr);
    if (!network.p) return;
    Ref<IWshCollection> drives;
    hr = network->EnumNetworkDrives(drives.put());
    report(hr == S_OK && drives.p, "EnumNetworkDrives", hr);
    if (!drives.p) return;
    LONG count = -1;
    hr = drives->Count(&count);
    report(hr == S_OK && count == LONG(expected.size()), "Count", hr, std::to_string(count));
    for (LONG i = 0; i < count && i < LONG(expected.size()); ++i) {
        VARIANT index;
        VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        VARIANT item;
        VariantInit(&item);
        hr = drives->Item(&index, &item);
        const bool ok = hr == S_OK && item.vt == VT_BSTR && (item.bstrVal ? item.bstrVal : L"") == expected[i];
        report(ok, "Item " + std::to_string(i) + " is \"" + checks::narrow(expected[i]) + "\"", hr,
               item.vt == VT_BSTR ? "\"" + checks::narrow_bstr(item.bstrVal) + "\"" : "vt " + std::to_string(item.vt));
        VariantClear(&item);
    }
}

void check_share(const std::wstring& folder_path, const std::wstring& file_name) {
    Ref<IFileSystem> fso;
    HRESULT hr = CreateFileSystemObject(fso.put());
    report(hr == S_OK && fso.p, "CoCreateInstance FileSystemObject", hr);
    if (!fso.p) return;
    const std::string folder_name = checks::narrow(folder_path);
    VARIANT_BOOL exists = VARIANT_FALSE;
    hr = fso->FolderExists(Text(folder_path).text, &exists);
    report(hr == S_OK && exists == VARIANT_TRUE, "FolderExists " + folder_name, hr);
    const std::wstring file_path = folder_path + L"\\" + file_name;
    exists = VARIANT_FALSE;
    hr = fso->FileExists(Text(file_path).text, &exists);
    report(hr == S_OK && exists == VARIANT_TRUE, "FileExists " + checks::narrow(file_path), hr);

    Ref<IFolder> folder;
    hr = fso->GetFolder(Text(folder_path).text, folder.put());
    report(hr == S_OK && folder.p, "GetFolder " + folder_name, hr);
    if (!folder.p) return;
    Ref<IFileCollection> files;
    hr = folder->get_Files(files.put());
    Ref<IUnknown> enumeration;
    if (files.p) hr = files->get__NewEnum(enumeration.put());
    std::vector<std::wstring> names;
    if (enumeration.p) names = checks::member_names<IFile>(enumeration.p, hr);
    std::string seen;
    for (const std::wstring& name : names) seen += " \"" + checks::narrow(name) + "\"";
    report(std::find(names.begin(), names.end(), file_name) != names.end(),
           "the folder lists \"" + checks::narrow(file_name) + "\"", hr, seen);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: wine_network FOLDER FILE [LOCAL REMOTE]...\n");
        return 2;
    }
    std::vector<std::wstring> drives;
    for (int i = 3; i < argc; ++i) drives.push_back(std::string_view(argv[i]) == "-" ? L"" : checks::widen(argv[i]));
    {
        const checks::ComSession com;
        check_drives(drives);
        check_share(checks::widen(argv[1]), checks::widen(argv[2]));
    }
    return checks::summary();
}
