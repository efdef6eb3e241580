// pathmender: the stand-in host's program. Each subcommand lives in a file of its own
// (command_*.cpp); this file only puts them together.
#include <CLI/CLI.hpp>

#include "hostapp/commands.h"

int main(int argc, char** argv) {
    CLI::App app{"Pathmender: the stand-in host of the Update Linked Media plug-in"};
    app.require_subcommand(1);
    add_registration_commands(app);
    add_info_command(app);
    CLI11_PARSE(app, argc, argv);
    return 0;
}
