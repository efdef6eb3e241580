// pathmender demo, run as the built program with a registry of its own: the story it tells, what
// it does to the demo database, and that every run tells the same story.
#include <gtest/gtest.h>

#include <fstream>

#include "com/utf.h"
#include "e2e/support/child_program.h"
#include "app/demo_scenario.h"
#include "testkit/media_database.h"
#include "support/files.h"
#include "support/scoped.h"

namespace fs = std::filesystem;

namespace {

constexpr char kSummary[] =
    "[Pathmender Host] Media links have been updated.  Some linked media files could not be located.";

class DemoCommand : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(output_); }
    // pathmender demo on folder, with a registry of its own that starts empty.
    ChildResult demo(const fs::path& folder) const {
        ChildOptions options;
        options.environment["PATHMENDER_REGISTRY"] = (root / "registry").string();
        return ChildProgram({"demo", folder.string()}, output_, options).wait();
    }

    // Each record as the demo should leave it, checked against the database bytes.
    void expect_updated_as_the_story_says(const fs::path& folder) const {
        MediaDatabase initial = MediaDatabase::open(folder / "host.initial.db");
        MediaDatabase updated = MediaDatabase::open(folder / "host.db");
        for (const DemoRecord& record : demo_records()) {
            SCOPED_TRACE(utf8(record.table) + " " + std::to_string(record.media_id));
            const auto before = initial.read(record.table, record.media_id);
            const auto after = updated.read(record.table, record.media_id);
            ASSERT_TRUE(before && after);
            EXPECT_EQ(*before, record.object);
            switch (record.fate) {
            case DemoFate::same_folders:
            case DemoFate::found_by_search:
                EXPECT_EQ(source_doc_of(*before), record.link_path);
                EXPECT_EQ(source_doc_of(*after), record.new_path);
                EXPECT_EQ(record.new_path.rfind(u"\\\\NewServer\\", 0), 0u);
                break;
            case DemoFate::gone:
            case DemoFate::other_server:
            case DemoFate::embedded:
                EXPECT_EQ(*after, *before);
                break;
            }
        }
    }

    TempFolder folder_;
    const fs::path root = folder_.path(), output_ = root / "output";
};

TEST_F(DemoCommand, RelinksTheMovedFilesLeavesTheRestAndTellsTheSameStoryEveryRun) {
    const fs::path folder = root / "new" / "pathmender-demo";
    const ChildResult first = demo(folder);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find(std::string(kSummary) + "\n"), std::string::npos) << first.out;
    EXPECT_NE(first.err.find("registered"), std::string::npos) << "the plug-in was registered first: " << first.err;
    EXPECT_NE(first.out.find("pathmender update --db " + (folder / "host.db").string()), std::string::npos);
    expect_updated_as_the_story_says(folder);
    for (const auto& entry : fs::directory_iterator(folder.parent_path()))
        EXPECT_EQ(entry.path().filename(), "pathmender-demo") << "left behind: " << entry.path();

    const ChildResult second = demo(folder);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, first.out);
    EXPECT_EQ(second.err, "");
    expect_updated_as_the_story_says(folder);
}

TEST_F(DemoCommand, MakesTheDemoInAnEmptyFolder) {
    const fs::path folder = root / "empty";
    fs::create_directories(folder);
    const ChildResult run = demo(folder);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_regular_file(folder / "host.initial.db"));
    EXPECT_TRUE(fs::is_directory(folder / "network" / "NewServer" / "Media"));
    EXPECT_FALSE(fs::exists(folder / "network" / "OldServer"));
    EXPECT_EQ(read_text(folder / "network" / "drives.txt"), demo_drives_text());
}

TEST_F(DemoCommand, RefusesAFolderThatHoldsSomethingElse) {
    const fs::path folder = root / "mine";
    fs::create_directories(folder);
    std::ofstream(folder / "notes.txt") << "mine";
    const ChildResult run = demo(folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("holds no demo"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(read_text(folder / "notes.txt"), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2);  // mine, output
}

TEST_F(DemoCommand, ResetsADemoWhoseNetworkLostAFile) {
    const fs::path folder = root / "demo";
    ASSERT_EQ(demo(folder).status, 0);
    fs::remove(folder / "network" / "NewServer" / "Media" / "Staff" / "Portraits" / "hopper.jpg");
    const ChildResult again = demo(folder);
    ASSERT_EQ(again.status, 0) << again.err;
    expect_updated_as_the_story_says(folder);
}

}  // namespace
