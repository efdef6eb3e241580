// Runs the built pathmender program against a host database and network folder of the test's own,
// with a registry of its own in which the plug-in is registered.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/media_database.h"
#include "platform/ole/ole_object.h"

struct ProgramResult {
    int status;
    std::string out, err;
    std::vector<std::string> lines() const;  // stdout, one entry a line
};

class ProgramFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    ProgramResult run(const std::vector<std::string>& arguments) const;
    // pathmender update on this test's database and network, with more arguments after --previous.
    ProgramResult update(const std::string& previous, const std::vector<std::string>& more = {}) const;

    std::filesystem::path make_network_file(const std::string& relative) const;
    void write_drives(const std::vector<std::string>& lines) const;

    // A real stored link (container layout) re-linked to path, and its bytes.
    static std::vector<std::uint8_t> container_link(std::u16string_view path);
    // A real embedded object, plain image.
    static std::vector<std::uint8_t> embedded_object();
    static std::vector<std::uint8_t> corpus_file(const std::string& name);
    // The link path of a stored object.
    static std::u16string source_doc_of(const std::vector<std::uint8_t>& bytes);

    std::filesystem::path root, network, database_file;
    MediaDatabase& database() { return *database_; }

    static std::filesystem::path registry;

private:
    std::unique_ptr<MediaDatabase> database_;
};

inline constexpr char kCaption[] = "[Pathmender Host] ";

// The exit statuses of pathmender update.
inline constexpr int kNotBroughtUp = 1;  // the page could not be brought up
inline constexpr int kRefused = 2;       // bad arguments, or the page refused the input
inline constexpr int kSomeNotFound = 3;  // the run completed; some selected links were not found
inline constexpr int kRunError = 4;      // an error ended the run or the click
