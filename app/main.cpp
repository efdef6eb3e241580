// pathmender: the stand-in host's program. Each subcommand lives in a file of its own
// (command_*.cpp); this file only puts them together.
#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/commands.h"
#include "app/database_options.h"
#include "app/process_memory.h"

int main(int argc, char** argv) {
    keep_freed_memory_for_reuse();
    ComApartment apartment;
    CLI::App app{"Pathmender: the stand-in host of the Update Linked Media plug-in", "pathmender"};
    app.require_subcommand(1);
    app.set_version_flag("--version", PATHMENDER_VERSION);
    add_registration_commands(app);
    add_info_command(app);
    add_update_command(app);
    add_runs_command(app);
    add_undo_command(app);
#if defined(PATHMENDER_WITH_GUI)
    add_page_command(app);
    add_demo_command(app, run_page_window);
#elif defined(PATHMENDER_WITH_DEMO)
    add_demo_command(app, nullptr);
#endif

    // Nothing to do: the usage, and the status of bad arguments.
    if (argc < 2) {
        std::cerr << app.help();
        return 2;
    }
    // A first word that names no command, or an option the program does not have, is named back.
    const std::string_view first = argv[1];
    const auto commands = app.get_subcommands([](const CLI::App*) { return true; });
    const bool known = first.starts_with('-')
        ? (first == "--help" || first == "-h" || first == "--version")
        : std::any_of(commands.begin(), commands.end(), [&](const CLI::App* c) { return c->check_name(argv[1]); });
    if (!known) {
        std::cerr << "pathmender: unknown " << (first.starts_with('-') ? "option" : "command") << " '" << first
                  << "'; the commands are:";
        for (const CLI::App* command : commands) std::cerr << " " << command->get_name();
        std::cerr << " (pathmender --help says more)\n";
        return 2;
    }
    // The commands read copies of the arguments; the program's own show no password to a process listing.
    std::vector<std::string> arguments(argv, argv + argc);
    std::vector<char*> copies;
    for (std::string& argument : arguments) copies.push_back(argument.data());
    hide_connection_passwords(argc, argv);
    try {
        app.parse(argc, copies.data());
    } catch (const CLI::RuntimeError& e) {
        return e.get_exit_code();  // the command has said why
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // Bad arguments: one line saying why, and status 2. An option the command does not have is
        // named first: the parser would only say which required option is missing.
        const auto unknown = app.remaining(true);
        const auto option = std::find_if(unknown.begin(), unknown.end(), [](const std::string& word) {
            return word.size() > 1 && word[0] == '-';
        });
        if (option != unknown.end())
            std::cerr << "pathmender: " << first << " has no option '" << option->substr(0, option->find('='))
                      << "' (pathmender " << first << " --help lists its options)\n";
        else
            std::cerr << "pathmender: " << e.what() << "\n";
        return 2;
    } catch (...) {
        // Nothing escapes: a failure no command expected ends it as a failed run or command.
        std::cerr << "pathmender: " << current_error_text() << "\n";
        return first == "update" ? 4 : 1;
    }
    return 0;
}
