// The network a scripted page run sees. Here it is a folder of the layout <server>/<share>/... with
// the workstation's connections in a text file, named by the options --network and --drives
// (page_network_posix.cpp). On Windows it is the system's own: UNC paths and mapped drives go to
// the system, and the program has no such options (page_network_windows.cpp).
#pragma once

#include <CLI/CLI.hpp>

#include "app/page_script.h"

// The options that name the network, on a command that runs the page.
void add_network_options(CLI::App& command, PageRequest& request);
// Refuses (PageScriptError, status 2) a network the options name that is not there.
void check_network_arguments(const PageRequest& request);
// Sets the platform up for the request's network, once the database has been checked; raises
// PageScriptError (status 1) when the network cannot be read.
void configure_network(const PageRequest& request);
