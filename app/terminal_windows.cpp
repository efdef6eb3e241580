#include "app/terminal.h"

#include <windows.h>

// A console answers GetConsoleMode; a pipe, a file or the null device does not.
bool standard_error_is_terminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}
