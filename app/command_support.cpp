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
    try {
        throw;
    } catch (const ComError& e) {
        std::u16string text = error_text(e);
        // Run-time errors by their number, other failures as the HRESULT they are.
        char number[16];
        if (e.number < 0) std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(e.number));
        else std::snprintf(number, sizeof number, "%d", static_cast<int>(e.number));
        return utf8(text) + " (error " + number + ")";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown error";
    }
}
