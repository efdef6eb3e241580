// The real page on a real host, on the desktop: a temporary folder with a host database, a network
// folder and a connections file, the host's and the platform's classes registered, and the page
// opened as the shell opens it, shown in a document window.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "com/comptr.h"
#include "document/udPathmender.h"
#include "gui/desktop.h"
#include "testkit/media_database.h"

class DesktopPage : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the connections file, one "LOCAL REMOTE" line each.
    void write_drives(const std::vector<std::string>& lines);
    // Creates a file (and its folders) below the network folder: "Server/Share/dir/name".
    void make_network_file(const std::string& relative);
    // A linked object (from the corpus) whose link names path.
    static std::vector<std::uint8_t> link_to(std::u16string_view path);
    // Creates the page, runs Initialize, hands it the host's session and shows it in a window.
    void open_page();

    std::filesystem::path root, network, database_file, temp;
    std::unique_ptr<MediaDatabase> database;
    ComPtr<udPathmender> page;
    std::unique_ptr<gui::DocumentWindow> window;
};
