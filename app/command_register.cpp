// pathmender register [MODULE] / pathmender unregister [MODULE]: loads the module and calls its
// DllRegisterServer or DllUnregisterServer, as the platform's registration tool does.
#include <iostream>
#include <memory>

#include "com/error.h"
#include "com/module_loader.h"
#include "com/utf.h"
#include "app/commands.h"

namespace {

using RegistrationFn = HRESULT(STDAPICALLTYPE*)();

void run_registration(const std::string& module_argument, const char* entry_point, const char* done) {
    std::filesystem::path module = module_argument.empty() ? default_module_path() : std::filesystem::path(module_argument);
    register_module_file(module, entry_point);
    std::cout << done << " " << std::filesystem::absolute(module).lexically_normal().string() << " in "
              << registry_location() << "\n";
}

}  // namespace

void register_module_file(const std::filesystem::path& module, const char* entry_point) {
    HRESULT hr = S_OK;
    try {
        auto loaded = ServerModule::open(module);
        auto entry = reinterpret_cast<RegistrationFn>(loaded->symbol(entry_point));
        if (!entry) fail_command(module.string() + " has no " + entry_point);
        hr = entry();
        check(hr);
    } catch (const CLI::RuntimeError&) {
        throw;
    } catch (...) {
        std::string why = current_error_text();
        CoFreeUnusedLibraries();
        fail_command(std::string(entry_point) + " failed for " + module.string() + ": " + why);
    }
    CoFreeUnusedLibraries();
}

void add_registration_commands(CLI::App& app) {
    auto register_module = std::make_shared<std::string>();
    auto* reg = app.add_subcommand("register", "Record the plug-in's classes and type library in the registry");
    const std::string module_help = "The module file (default: " + default_module_path().filename().string() + " beside this program)";
    reg->add_option("module", *register_module, module_help);
    reg->callback([register_module] { run_registration(*register_module, "DllRegisterServer", "Registered"); });

    auto unregister_module = std::make_shared<std::string>();
    auto* unreg = app.add_subcommand("unregister", "Remove the plug-in's entries from the registry");
    unreg->add_option("module", *unregister_module, module_help);
    unreg->callback([unregister_module] { run_registration(*unregister_module, "DllUnregisterServer", "Unregistered"); });
}
