#include "platform/network.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "com/error.h"
#include "com/utf.h"
#include "support/network_tree.h"

namespace {

std::vector<std::pair<std::string, std::string>> as_pairs(const std::vector<NetworkConnection>& connections) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& c : connections) pairs.emplace_back(utf8(c.local_name), utf8(c.remote_name));
    return pairs;
}

TEST(NetworkConfig, ReadsConnectionsInOrderSkippingCommentsAndBlankLines) {
    NetworkTree tree;
    tree.file("drives.txt",
              "# the workstation's connections\n"
              "\n"
              "y: \\\\Files\\Media\r\n"
              "   \t\n"
              "-\t\\\\Backup\\Old Media  \n"
              "  # an indented comment\n"
              "Z:   \\\\NewServer\\Data");
    EXPECT_EQ(connections_file(), tree.root() / "drives.txt");
    EXPECT_EQ(as_pairs(read_network_connections()),
              (std::vector<std::pair<std::string, std::string>>{
                  {"Y:", "\\\\Files\\Media"}, {"", "\\\\Backup\\Old Media"}, {"Z:", "\\\\NewServer\\Data"}}));
}

TEST(NetworkConfig, MalformedLineIsAnErrorNamingFileAndLine) {
    const char* lines[] = {
        "Z:",                        // no remote name
        "ZZ: \\\\srv\\share",        // not a drive letter
        "1: \\\\srv\\share",
        "Z \\\\srv\\share",
        "Z: srv\\share",             // not UNC
        "Z: \\\\srv",                // no share
        "Z: \\\\srv\\",
        "Z: \\\\\\share",            // no server
        "Z: \\\\srv\\share\\folder", // more than a share
        "Z: \\\\srv\\sh*re",
        "Z: //srv/share",
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        NetworkTree tree;
        auto file = tree.file("drives.txt", std::string("# first\nY: \\\\ok\\share\n") + line + "\n");
        try {
            read_network_connections();
            ADD_FAILURE() << "accepted";
        } catch (const ComError& e) {
            EXPECT_EQ(e.number, 5);
            std::string text = utf8(e.description);
            EXPECT_NE(text.find(file.string()), std::string::npos) << text;
            EXPECT_NE(text.find("line 3"), std::string::npos) << text;
        }
    }
}

TEST(NetworkConfig, OneDriveLetterConnectsOneShare) {
    NetworkTree tree;
    tree.file("drives.txt", "Z: \\\\a\\b\nz: \\\\c\\d\n");
    EXPECT_THROW(read_network_connections(), ComError);
}

TEST(NetworkConfig, MissingDefaultFileMeansNoConnectionsButANamedOneMustExist) {
    NetworkTree tree;
    EXPECT_TRUE(read_network_connections().empty());
    set_connections_file(tree.root() / "elsewhere.txt");
    try {
        read_network_connections();
        ADD_FAILURE() << "a missing named file was accepted";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 53);
        EXPECT_NE(utf8(e.description).find("elsewhere.txt"), std::string::npos);
    }
}

TEST(NetworkConfig, EnvironmentGivesTheDefaults) {
    NetworkTree tree;
    set_network_root({});
    ::setenv("PATHMENDER_NETWORK", "/srv/net", 1);
    ::unsetenv("PATHMENDER_DRIVES");
    EXPECT_EQ(network_root(), "/srv/net");
    EXPECT_EQ(connections_file(), "/srv/net/drives.txt");
    ::setenv("PATHMENDER_DRIVES", "/etc/pm-drives", 1);
    EXPECT_EQ(connections_file(), "/etc/pm-drives");
    set_connections_file("/tmp/mine.txt");
    EXPECT_EQ(connections_file(), "/tmp/mine.txt");
    ::unsetenv("PATHMENDER_NETWORK");
    ::unsetenv("PATHMENDER_DRIVES");
    set_connections_file({});
    EXPECT_EQ(network_root(), "");
    EXPECT_EQ(connections_file(), "");
    EXPECT_TRUE(read_network_connections().empty());
}

}  // namespace
