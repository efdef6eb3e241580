#include <cstdio>
#include <iostream>

#include "com/error.h"
#include "com/utf.h"
#include "app/commands.h"

std::filesystem::path program_folder() {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : program.parent_path();
}

std::filesystem::path default_module_path() { return program_folder() / "Pathmender.so"; }

void fail_command(const std::string& message) {
    std::cerr << "pathmender: " << message << "\n";
    throw CLI::RuntimeError(1);
}

std::string current_error_text() {
    HRESULT hr = hresult_from_current_exception();
    ErrorRecord error;
    GetErrorRecord(hr, &error);
    // Run-time errors by their number, other failures as the HRESULT they are.
    std::int32_t number = error_number_from_hresult(hr);
    char shown[16];
    if (number < 0) std::snprintf(shown, sizeof shown, "0x%08X", static_cast<unsigned>(number));
    else std::snprintf(shown, sizeof shown, "%d", static_cast<int>(number));
    return utf8(error_text(ComError(number, std::move(error.description)))) + " (error " + shown + ")";
}
