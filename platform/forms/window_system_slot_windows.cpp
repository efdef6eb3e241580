#include "window_system_slot.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace forms {

// A section of the paging file named after the process, which the system keeps for as long as a
// copy of the platform holds it open (each does, for the process's lifetime) and which every copy
// maps to the same, zero-filled memory.
WindowSystem*& window_system_slot() {
    static WindowSystem** slot = [] {
        const std::wstring name = L"Local\\Pathmender-window-system-" + std::to_wstring(::GetCurrentProcessId());
        HANDLE section = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              sizeof(WindowSystem*), name.c_str());
        void* view = section ? ::MapViewOfFile(section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(WindowSystem*))
                             : nullptr;
        // Without it no window system could be installed at all: nothing the program could go on with.
        if (!view) std::abort();
        return static_cast<WindowSystem**>(view);
    }();
    return *slot;
}

}  // namespace forms
