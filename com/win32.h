// On Windows, COM is the system's own: its types, constants and functions come from the platform's
// headers, and com/ adds only this system's helpers on top. Included by com/'s headers there only.
#pragma once

#ifndef _WIN32
#error "com/win32.h is for the Windows build"
#endif

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>
