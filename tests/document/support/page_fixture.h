// A page on a real host: a temporary folder with a host database, a network folder and a
// connections file, the host's and the platform's classes registered, and a recorder for windows.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "com/comptr.h"
#include "document/udPathmender.h"
#include "hostapp/media_database.h"
#include "platform/forms/recording_window_system.h"

class PageFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the connections file, one "LOCAL REMOTE" line each.
    void write_drives(const std::vector<std::string>& lines);
    // Creates a file (and its folders) below the network folder: "Server/Share/dir/name".
    std::filesystem::path make_network_file(const std::string& relative, const std::string& content = "x");
    // Opens the page as the shell does: creation, then Initialize; Init with the host's session
    // when given one.
    ComPtr<udPathmender> open_page(bool hand_over_session = true);
    ComPtr<ISessionContext> host_session();

    std::vector<std::u16string> messages() const;

    // The page's control of that name, as the user finds it on the page.
    template <class Control>
    static Control& control(udPathmender& page, std::string_view name) {
        return *page.page().get<Control>(name);
    }
    // Types the previous server name into an emptied box and presses Update, as the user does.
    static void press_update(udPathmender& page, std::u16string_view typed);
    // A stored linked object (a real one, from the corpus) whose link names path.
    static std::vector<std::uint8_t> link_to(std::u16string_view path);
    // The link a record's stored object names now.
    std::u16string link_of(std::u16string_view table, std::int64_t media_id);

    std::filesystem::path root, network, database_file, temp;
    forms::ScopedRecorder windows;
    MediaDatabase& database() { return *database_; }

private:
    std::unique_ptr<MediaDatabase> database_;
};
