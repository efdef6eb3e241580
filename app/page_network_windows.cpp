#include "app/page_network.h"

// The system's network needs no naming and no setting up: the page asks the system's network
// object for the mapped drives and the system's file-system object for every UNC path, and says
// itself when it finds no drive.
void add_network_options(CLI::App&, PageRequest&) {}
void check_network_arguments(const PageRequest&) {}
void configure_network(const PageRequest&) {}
