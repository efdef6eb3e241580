#include <cstdio>
#include <iostream>

#include "com/error.h"
#include "com/utf.h"
#include "app/commands.h"
#include "hostapp/services/host_platform.h"

std::filesystem::path program_folder() { return host_program_folder(); }

void fail_command(const std::string& message) {
    std::cerr << "pathmender: " << message << "\n";
    throw CLI::RuntimeError(1);
}

std::string current_error_text() {
    const ComError error = error_from_current_exception();
    // Run-time errors by their number, other failures as the HRESULT they are.
    char shown[16];
    if (error.number < 0) std::snprintf(shown, sizeof shown, "0x%08X", static_cast<unsigned>(error.number));
    else std::snprintf(shown, sizeof shown, "%d", static_cast<int>(error.number));
    return utf8(error_text(error)) + " (error " + shown + ")";
}
