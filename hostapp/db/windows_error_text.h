// The system's text for a Windows error number (GetLastError's), on one line: for the Windows
// files of the host and the program.
#pragma once

#include <string>

std::string windows_error_text(unsigned long error);
