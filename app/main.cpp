// pathmender: the stand-in host's program. Each subcommand lives in a file of its own
// (command_*.cpp); this file only puts them together.
#include <algorithm>
#include <iostream>
#include <string_view>

#include <CLI/CLI.hpp>

#include "app/commands.h"

int main(int argc, char** argv) {
    CLI::App app{"Pathmender: the stand-in host of the Update Linked Media plug-in", "pathmender"};
    app.require_subcommand(1);
    app.set_version_flag("--version", PATHMENDER_VERSION);
    add_registration_commands(app);
    add_info_command(app);
    add_update_command(app);
    add_runs_command(app);
    add_undo_command(app);
#ifdef PATHMENDER_WITH_GUI
    add_page_command(app);
    add_demo_command(app, run_page_window);
#else
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
    // An option the command does not have is named too, before the parser would only say which
    // required option is missing.
    if (!first.starts_with('-')) {
        const CLI::App* command = app.get_subcommand(argv[1]);
        for (int i = 2; i < argc; ++i) {
            const std::string_view word = argv[i];
            if (word == "--") break;
            if (word.size() < 2 || word[0] != '-' || word == "--help" || word == "-h") continue;
            const std::string name(word.substr(0, word.find('=')));
            const CLI::Option* option = command->get_option_no_throw(name);
            if (!option) {
                std::cerr << "pathmender: " << first << " has no option '" << name << "' (pathmender " << first
                          << " --help lists its options)\n";
                return 2;
            }
            if (option->get_type_size() > 0 && name.size() == word.size()) ++i;  // its value follows
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::RuntimeError& e) {
        return e.get_exit_code();  // the command has said why
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // Bad arguments: one line saying why, and status 2.
        std::cerr << "pathmender: " << e.what() << "\n";
        return 2;
    } catch (...) {
        // Nothing escapes: a failure no command expected ends it as a failed run or command.
        std::cerr << "pathmender: " << current_error_text() << "\n";
        return first == "update" ? 4 : 1;
    }
    return 0;
}
