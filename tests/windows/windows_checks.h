// What the Windows check programs share: one printed line per check, text for those lines, owners of
// BSTRs and interface references, COM for the program's lifetime and a scratch folder. Takes only
// the platform's headers, so that the client of the module can use it without this system's.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <string>
#include <string_view>

namespace checks {

inline int failures = 0;

// One line: "ok  " or "FAIL", the check, and what was seen.
inline void report(bool ok, std::string_view check, std::string_view detail = {}) {
    std::printf("%s %.*s%s%.*s\n", ok ? "ok  " : "FAIL", int(check.size()), check.data(), detail.empty() ? "" : ": ",
                int(detail.size()), detail.data());
    std::fflush(stdout);
    if (!ok) ++failures;
}

// The closing line; the program's exit status.
inline int summary() {
    std::printf("%d check(s) failed\n", failures);
    return failures == 0 ? 0 : 1;
}

// Wide text for a report line: ASCII as it is, anything else as '?'.
inline std::string narrow(const wchar_t* text, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) out.push_back(text[i] < 128 ? char(text[i]) : '?');
    return out;
}
inline std::string narrow(std::wstring_view text) { return narrow(text.data(), text.size()); }
inline std::string narrow(const wchar_t* text) { return text ? narrow(text, std::wcslen(text)) : "(null)"; }
inline std::string narrow_bstr(BSTR text) { return text ? narrow(text, SysStringLen(text)) : "(null)"; }

// ASCII text as wide text.
inline std::wstring widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

inline std::string hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// Owns one BSTR, made from wide text or filled by a callee.
struct Text {
    BSTR text = nullptr;
    Text() = default;
    explicit Text(const wchar_t* value) : text(SysAllocString(value)) {}
    explicit Text(const std::wstring& value) : Text(value.c_str()) {}
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(text); }
    // Frees what it held before handing out its address.
    BSTR* put() { SysFreeString(text); text = nullptr; return &text; }
    bool is(const wchar_t* expected) const {
        return text && SysStringLen(text) == std::wcslen(expected) && std::wcscmp(text, expected) == 0;
    }
    std::string narrow() const { return narrow_bstr(text); }
};

// Owns one interface reference.
template <class I>
struct Ref {
    I* p = nullptr;
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { if (p) p->Release(); }
    // Releases what it held before handing out its address.
    I** put() { if (p) p->Release(); p = nullptr; return &p; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    I* operator->() const { return p; }
};

// COM initialised for the program's lifetime; the call is the first check.
struct ComSession {
    ComSession() {
        const HRESULT hr = CoInitialize(nullptr);
        report(SUCCEEDED(hr), "CoInitialize", hex(hr));
    }
    ~ComSession() { CoUninitialize(); }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;
};

// A folder of the program's own under the system's temporary folder; what the program leaves in it
// goes with it.
class ScratchFolder {
public:
    explicit ScratchFolder(const wchar_t* name) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + name;
        remove(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { remove(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return path_; }
    // relative uses '\' or '/' between names.
    std::wstring operator/(std::wstring_view relative) const {
        std::wstring out = path_ + L"\\";
        for (wchar_t c : relative) out.push_back(c == L'/' ? L'\\' : c);
        return out;
    }
    void folder(std::wstring_view relative) const { CreateDirectoryW((*this / relative).c_str(), nullptr); }
    void file(std::wstring_view relative) const {
        HANDLE file = CreateFileW((*this / relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }

private:
    static void remove(const std::wstring& path) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(path), ignored);
    }

    std::wstring path_;
};

}  // namespace checks
