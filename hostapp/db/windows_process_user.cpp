#include "hostapp/db/windows_process_user.h"

#include <windows.h>

std::vector<unsigned char> process_user() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (!::GetTokenInformation(token, TokenUser, user.data(), size, &size)) user.clear();
    ::CloseHandle(token);
    return user;
}
