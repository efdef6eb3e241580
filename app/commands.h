// The subcommands of the pathmender program, one file each; main wires them together.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

// register / unregister: self-registration of a module (default: the one beside the program).
void add_registration_commands(CLI::App& app);
// info: loads the plug-in as the host does and prints its header.
void add_info_command(CLI::App& app);
// update: one scripted press of Update on the page.
void add_update_command(CLI::App& app);
// runs: the runs of the undo journal, the newest first.
void add_runs_command(CLI::App& app);
// undo: takes a run back from the undo journal.
void add_undo_command(CLI::App& app);
struct PageRequest;
// page: the page in a desktop window (built with the desktop front end only).
void add_page_command(CLI::App& app);
// The page in a desktop window until the user closes it, its runs kept in the undo journal in
// journal (none: in none); built with the desktop front end only.
void run_page_window(const PageRequest& request, const std::optional<std::filesystem::path>& journal);
// demo: makes a demo once, runs the update on it as a user would, shows what changed; in a desktop
// window through desktop, when given and there is a display.
void add_demo_command(CLI::App& app,
                      void (*desktop)(const PageRequest& request, const std::optional<std::filesystem::path>& journal));

// Shared by the commands.
// Loads module and calls its DllRegisterServer or DllUnregisterServer (entry_point); fails the command.
void register_module_file(const std::filesystem::path& module, const char* entry_point);
// Where the program and the registry are (command_support_posix.cpp, command_support_windows.cpp).
std::filesystem::path program_folder();
std::filesystem::path default_module_path();  // <program folder>/Pathmender.so (Pathmender.dll on Windows)
// Where registrations go, for people: the registry file here, the system's registry on Windows.
std::string registry_location();
// The program's thread as COM needs it while it lives: on Windows a single-threaded apartment with
// OLE, for the system's classes and the plug-in's (its classes are apartment-threaded); this
// system's own runtime has no apartments.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_ = false;
};
// Ends the command with exit status 1 after printing "pathmender: " and message on stderr.
[[noreturn]] void fail_command(const std::string& message);
// The text of a ComError or other exception in flight, for fail_command.
std::string current_error_text();
