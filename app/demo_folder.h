// The demo's folder: made once, then reused, with its database put back to the first state before
// every run so that every run tells the same story.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

struct DemoFolder {
    std::filesystem::path root;              // absolute
    std::filesystem::path database;          // host.db: what the update works on
    std::filesystem::path initial_database;  // host.initial.db: its first state, never opened by the update
    std::filesystem::path network;           // network/: \\server\share is network/server/share
    std::filesystem::path drives;            // network/drives.txt
    std::filesystem::path marker;            // pathmender-demo.txt: says what the folder is
};

DemoFolder demo_folder(const std::filesystem::path& root);

// A folder that cannot serve as the demo (it holds something else, or a damaged demo).
struct DemoFolderError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Makes the demo in folder.root unless it holds one already; a folder that exists and holds
// anything else is refused, untouched. A new demo is made beside it and moved into place whole,
// so an interrupted run leaves no half-made demo. Returns true when it made one.
bool make_demo_once(const DemoFolder& folder);

// Replaces host.db with a copy of host.initial.db (copied beside it, then renamed over it), and
// puts back any network file or connections line that went missing.
void reset_demo(const DemoFolder& folder);
