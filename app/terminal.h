// Whether standard error is a terminal (a console on Windows), where a live progress line belongs:
// terminal_posix.cpp, terminal_windows.cpp.
#pragma once

bool standard_error_is_terminal();
