// pathmender update: one scripted press of Update on the page, for terminals, scripts and tests.
#include <iostream>
#include <memory>

#include "com/utf.h"
#include "app/commands.h"
#include "hostapp/shell/page_script.h"

void add_update_command(CLI::App& app) {
    struct Options {
        std::string database, network, drives, previous, drive;
        bool exact = false;
    };
    auto options = std::make_shared<Options>();
    auto* update = app.add_subcommand("update", "Run the page once: type the previous server, pick a drive, press Update");
    update->add_option("--db", options->database, "The host database (SQLite)")->required();
    update->add_option("--network", options->network, "The network folder: <server>/<share>/...")->required();
    update->add_option("--drives", options->drives, "The workstation's connections (default: NETWORK/drives.txt)");
    update->add_option("--previous", options->previous, "The previous server name, typed exactly as given")->required();
    update->add_option("--drive", options->drive, "The local name of the drive to search (default: the first)");
    update->add_flag("--exact", options->exact, "Use previous directory structure when searching for files");
    update->callback([options] {
        PageRequest request;
        request.database = options->database;
        request.network = options->network;
        request.drives = options->drives;
        request.previous_server = utf16(options->previous);
        if (!options->drive.empty()) request.drive = utf16(options->drive);
        request.exact = options->exact;
        try {
            run_page_update(request);
        } catch (const PageScriptError& e) {
            std::cerr << "pathmender: " << e.what() << "\n";
            throw CLI::RuntimeError(e.exit_status);
        }
    });
}
