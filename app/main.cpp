// pathmender: the stand-in host's program. Each subcommand lives in a file of its own
// (command_*.cpp); this file only puts them together.
#include <iostream>

#include <CLI/CLI.hpp>

#include "app/commands.h"
#include "app/local_time_zone.h"

int main(int argc, char** argv) {
    pin_local_time_zone();
    CLI::App app{"Pathmender: the stand-in host of the Update Linked Media plug-in"};
    app.require_subcommand(1);
    add_registration_commands(app);
    add_info_command(app);
    add_update_command(app);
#ifdef PATHMENDER_WITH_GUI
    add_page_command(app);
#endif
    add_demo_command(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::RuntimeError& e) {
        return e.get_exit_code();  // the command has said why
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // Bad arguments: one line saying why, and status 2.
        std::cerr << "pathmender: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
