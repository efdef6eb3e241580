// The host's Windows ports checked on Windows or under Wine: SHA-256 from the system against known
// digests, the undo journal's private file and its hold (another handle sees it held, the file's
// bytes stay readable through SQLite's other handles, closing lets go), write access, the journal's
// time stamp, the host's folders, its class objects found by CoCreateInstance and gone once
// revoked, and the program's own files (unique names, folder probes that leave nothing behind).
// One line per check; the exit status is non-zero when any check failed.
#include "windows_checks.h"

#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/system_files.h"
#include "com/class_factory.h"
#include "com/object.h"
#include "hostapp/db/file_access.h"
#include "hostapp/db/journal_hold.h"
#include "hostapp/db/sha256.h"
#include "hostapp/services/class_registration.h"
#include "hostapp/services/host_platform.h"

namespace {

using checks::report;
namespace fs = std::filesystem;

void check_sha256() {
    struct Case {
        std::string text;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        const std::string digest =
            hex_text(sha256({reinterpret_cast<const std::uint8_t*>(c.text.data()), c.text.size()}));
        report(digest == c.digest, "SHA-256 of " + std::to_string(c.text.size()) + " bytes", digest);
    }
}

std::string read_all(const fs::path& file) {
    HANDLE in = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
    if (in == INVALID_HANDLE_VALUE) return "(cannot open)";
    char buffer[64] = {};
    DWORD got = 0;
    const BOOL read = ReadFile(in, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(in);
    return read ? std::string(buffer, got) : "(cannot read)";
}

void write_all(const fs::path& file, const std::string& bytes) {
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD put = 0;
    if (out != INVALID_HANDLE_VALUE) WriteFile(out, bytes.data(), DWORD(bytes.size()), &put, nullptr);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
}

void check_journal_file(const checks::ScratchFolder& folder) {
    const fs::path journal = folder / L"host.db.pathmender-journal";
    report(!make_private_file(journal, {}), "a new journal file is made");
    report(make_private_file(journal, {}).has_value(), "a journal file that is there is not taken again");
    folder.file(L"host.db");
    const fs::path beside = folder / L"beside.pathmender-journal";
    report(!make_private_file(beside, folder / L"host.db"), "a journal file like its database is made");

    auto run = std::make_unique<JournalHoldFile>();
    JournalHoldFile other;
    report(!run->open(journal) && !other.open(journal), "two handles of the journal open");
    report(!other.held_elsewhere(), "nobody holds it yet");
    report(run->take() == JournalHoldFile::Take::taken, "the run takes the hold");
    report(other.held_elsewhere(), "another handle sees it held");
    report(other.take() == JournalHoldFile::Take::held_elsewhere, "another handle cannot take it");
    write_all(journal, "SQLite format 3");
    report(read_all(journal) == "SQLite format 3", "the held file's bytes are written and read by other handles",
           read_all(journal));
    {
        JournalHoldFile gone;
        report(!gone.open(journal) && gone.held_elsewhere(), "a third handle sees it held too");
    }
    run.reset();  // closing the handle lets go
    report(!other.held_elsewhere(), "closing the run's handle lets go of the hold");
    report(other.take() == JournalHoldFile::Take::taken, "then another handle takes it");
    JournalHoldFile missing;
    report(missing.open(folder / L"no such journal").has_value() && !missing.held_elsewhere(),
           "a missing journal cannot be opened and is held by nobody");
}

void check_write_access(const checks::ScratchFolder& folder) {
    folder.file(L"writable");
    folder.file(L"read-only");
    SetFileAttributesW((folder / L"read-only").c_str(), FILE_ATTRIBUTE_READONLY);
    report(!write_access_denied(folder / L"writable"), "a plain file may be written");
    report(write_access_denied(folder / L"read-only"), "a read-only file may not");
    report(!write_access_denied(folder / L"missing"), "a missing file is not refused");
    SetFileAttributesW((folder / L"read-only").c_str(), FILE_ATTRIBUTE_NORMAL);
}

void check_host_folders() {
    const std::string now = journal_time_now();
    report(std::regex_match(now, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d{4})")), "the journal's time stamp", now);
    std::error_code ec;
    const fs::path temp = default_temp_folder();
    report(fs::is_directory(temp, ec), "the host's temporary folder is a folder", temp.string());
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    report(host_program_folder() == fs::path(program).parent_path(), "the host's program folder",
           host_program_folder().string());
}

constexpr CLSID kProbeClass = make_guid("{6B1F0C52-3E0A-4D55-9A43-0C3B8D2E7A11}");

class Probe final : public ComObject<Probe, IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return count ? (*count = 0, S_OK) : E_POINTER; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

void check_class_objects() {
    ComPtr<ClassFactory<Probe>> factory = make_com<ClassFactory<Probe>>();
    register_class_object(kProbeClass, factory.get());
    IDispatch* made = nullptr;
    HRESULT hr = CoCreateInstance(kProbeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&made));
    report(SUCCEEDED(hr) && made, "CoCreateInstance finds the program's class object", checks::hex(hr));
    if (made) made->Release();
    revoke_class_object(kProbeClass);
    made = reinterpret_cast<IDispatch*>(1);
    hr = CoCreateInstance(kProbeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&made));
    report(hr == REGDB_E_CLASSNOTREG && !made, "revoked, the class is not registered", checks::hex(hr));
}

void check_program_files(const checks::ScratchFolder& folder) {
    std::set<std::string> names;
    bool all_made = true;
    for (int i = 0; i < 3; ++i) {
        std::string name = fs::path(folder / L"report.csv.partial-XXXXXX").string(), why;
        std::FILE* out = create_unique_file(name, why);
        all_made = all_made && out && std::fputs("a,b\r\n", out) >= 0 && sync_file(out);
        if (out) std::fclose(out);
        names.insert(name);
    }
    report(all_made && names.size() == 3, "three unique files made, written and synced");
    report(read_all(*names.begin()) == "a,b\r\n", "written as given, line ends included");
    report(!folder_not_writable(folder.path()), "the scratch folder takes files");
    report(folder_not_writable(folder / L"missing").has_value(), "a missing folder does not");
    std::error_code ec;
    std::size_t entries = 0;
    for (auto it = fs::directory_iterator(fs::path(folder.path()), ec); !ec && it != fs::directory_iterator(); ++it)
        ++entries;
    report(entries == 3, "the probes left nothing behind", std::to_string(entries) + " entries");
    report(!no_space_left(folder.path()), "the scratch folder's disk has room");
}

}  // namespace

int main() {
    checks::ComSession com;
    check_sha256();
    {
        checks::ScratchFolder folder(L"pathmender-host-ports");
        check_journal_file(folder);
        check_write_access(folder);
    }
    check_host_folders();
    check_class_objects();
    {
        checks::ScratchFolder folder(L"pathmender-program-files");
        check_program_files(folder);
    }
    return checks::summary();
}
