// The system's file-system and network objects called through this system's declarations of
// their interfaces (platform/file_system.h, platform/wsh_network.h): each member the module calls
// must reach the member of that name, and the members a folder hands out must answer the IIDs
// declared for them. Run on Windows, or under Wine, in a scratch folder it makes itself.
// One line per check; the exit status is non-zero when any check failed.
#include <cstdio>
#include <string>

#include "com/enum_variant.h"
#include "platform/file_system_object.h"
#include "platform/wsh_network_object.h"

namespace {

int failures = 0;

void report(bool ok, const char* check, HRESULT hr) {
    std::printf("%s %s: 0x%08lX\n", ok ? "ok  " : "FAIL", check, static_cast<unsigned long>(hr));
    std::fflush(stdout);
    if (!ok) ++failures;
}

// Owns one BSTR, made from wide text or filled by a callee.
struct Text {
    BSTR text = nullptr;
    Text() = default;
    explicit Text(const wchar_t* value) : text(SysAllocString(value)) {}
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(text); }
    BSTR* put() { SysFreeString(text); text = nullptr; return &text; }
    bool is(const wchar_t* expected) const { return text && std::wstring(text) == expected; }
};

template <class I>
struct Ref {
    I* p = nullptr;
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { if (p) p->Release(); }
    I** put() { if (p) p->Release(); p = nullptr; return &p; }
    I* operator->() const { return p; }
};

// The members an enumeration hands out, each asked for I; the names of those that answer.
template <class I>
std::wstring member_names(IUnknown* enumeration, HRESULT& hr) {
    std::wstring names;
    Ref<IEnumVARIANT> members;
    hr = enumeration->QueryInterface(uuidof<IEnumVARIANT>(), reinterpret_cast<void**>(members.put()));
    if (FAILED(hr)) return names;
    VARIANT item;
    VariantInit(&item);
    while (members->Next(1, &item, nullptr) == S_OK) {
        Ref<I> member;
        if (item.vt == VT_DISPATCH && item.pdispVal)
            hr = item.pdispVal->QueryInterface(uuidof<I>(), reinterpret_cast<void**>(member.put()));
        Text name;
        if (member.p) member->get_Name(name.put());
        names += (names.empty() ? L"" : L",") + std::wstring(name.text ? name.text : L"?");
        VariantClear(&item);
    }
    return names;
}

void check_file_system(const std::wstring& root) {
    Ref<IFileSystem> fso;
    HRESULT hr = CreateFileSystemObject(fso.put());
    report(SUCCEEDED(hr), "CoCreateInstance FileSystemObject for IFileSystem", hr);
    if (!fso.p) return;
    VARIANT_BOOL exists = VARIANT_FALSE;
    hr = fso->FileExists(Text((root + L"\\a.txt").c_str()).text, &exists);
    report(hr == S_OK && exists == VARIANT_TRUE, "FileExists of a file", hr);
    hr = fso->FileExists(Text((root + L"\\none.txt").c_str()).text, &exists);
    report(hr == S_OK && exists == VARIANT_FALSE, "FileExists of no file", hr);
    hr = fso->FolderExists(Text(root.c_str()).text, &exists);
    report(hr == S_OK && exists == VARIANT_TRUE, "FolderExists", hr);
    Ref<IFolder> folder;
    hr = fso->GetFolder(Text(root.c_str()).text, folder.put());
    report(hr == S_OK && folder.p, "GetFolder", hr);
    if (!folder.p) return;
    Text text;
    hr = folder->get_Path(text.put());
    report(hr == S_OK && text.is(root.c_str()), "IFolder Path", hr);
    hr = folder->get_Name(text.put());
    report(hr == S_OK && text.is(L"pathmender-objects"), "IFolder Name", hr);

    Ref<IFileCollection> files;
    hr = folder->get_Files(files.put());
    report(hr == S_OK && files.p, "IFolder Files", hr);
    if (files.p) {
        LONG count = 0;
        hr = files->get_Count(&count);
        report(hr == S_OK && count == 1, "IFileCollection Count", hr);
        Ref<IUnknown> enumeration;
        hr = files->get__NewEnum(enumeration.put());
        if (enumeration.p) report(member_names<IFile>(enumeration.p, hr) == L"a.txt", "files answer IFile and Name", hr);
        else report(false, "IFileCollection _NewEnum", hr);
    }
    Ref<IFolderCollection> folders;
    hr = folder->get_SubFolders(folders.put());
    report(hr == S_OK && folders.p, "IFolder SubFolders", hr);
    if (folders.p) {
        LONG count = 0;
        hr = folders->get_Count(&count);
        report(hr == S_OK && count == 1, "IFolderCollection Count", hr);
        Ref<IUnknown> enumeration;
        hr = folders->get__NewEnum(enumeration.put());
        if (enumeration.p) report(member_names<IFolder>(enumeration.p, hr) == L"sub", "folders answer IFolder and Name", hr);
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
    HRESULT hr = CoInitialize(nullptr);
    report(SUCCEEDED(hr), "CoInitialize", hr);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"pathmender-objects";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
    HANDLE file = CreateFileW((root + L"\\a.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

    check_file_system(root);
    check_network();

    DeleteFileW((root + L"\\a.txt").c_str());
    RemoveDirectoryW((root + L"\\sub").c_str());
    RemoveDirectoryW(root.c_str());
    CoUninitialize();
    std::printf("%d check(s) failed\n", failures);
    return failures == 0 ? 0 : 1;
}
