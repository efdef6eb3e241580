// pathmender update killed with SIGKILL at random moments of a long run, again and again: after
// every kill the database file is sound and every record is either its old bytes or its old
// object fully re-linked, and a completed run afterwards re-links the rest.
//
// A killed run cannot delete the one temporary file it may have open; its name is fresh for
// every transfer, so it never stands in a later run's way, and a later run removes all of its own.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <thread>

#include "com/utf.h"
#include "e2e/support/child_program.h"
#include "e2e/support/program_fixture.h"
#include "e2e/support/record_check.h"
#include "hostapp/db/media_tables.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRecords = 2640;
constexpr int kKills = 20;
constexpr int kFolders = 8;

struct Expected {
    std::vector<std::uint8_t> original;
    std::u16string new_path;  // empty: never re-linked
};

class CrashSafety : public ProgramFixture {
protected:
    std::unique_ptr<ChildProgram> start_update(const fs::path& database) {
        return std::make_unique<ChildProgram>(update_arguments("\\\\OldServer", {}, database), root, in_temp());
    }
};

std::string folder_name(int k) { return "f" + std::to_string(k); }

std::uint64_t seed_for_this_run() {
    if (const char* given = std::getenv("PATHMENDER_CRASH_SEED")) return std::strtoull(given, nullptr, 10);
    return std::random_device{}();
}

TEST_F(CrashSafety, RecordsAreOldOrFullyRelinkedAfterEveryKill) {
    // Half the records are links whose file is on the new server; the rest are embedded
    // objects, links to another server and links whose file is nowhere.
    std::vector<std::vector<std::uint8_t>> found(kFolders), missing(kFolders);
    for (int k = 0; k < kFolders; ++k) {
        make_network_file("NewServer/Media/" + folder_name(k) + "/a.xls");
        found[k] = link_to(u"\\\\OldServer\\Media\\" + utf16(folder_name(k)) + u"\\a.xls");
        missing[k] = link_to(u"\\\\OldServer\\Media\\" + utf16(folder_name(k)) + u"\\gone.xls");
    }
    const auto embedded = read_corpus(kEmbeddedPaint);
    const auto elsewhere = link_to(u"\\\\Archive\\Media\\a.xls");

    std::map<RecordKey, Expected> expected;
    database().in_transaction([&] {
        for (int i = 0; i < kRecords; ++i) {
            RecordKey key{std::u16string(kMediaTables[i % kMediaTables.size()]), i + 1};
            const int k = i % kFolders;
            Expected e;
            switch (i % 6) {
            case 0: case 1: case 2:
                e = {found[k], u"\\\\NewServer\\Media\\" + utf16(folder_name(k)) + u"\\a.xls"};
                break;
            case 3: e = {embedded, {}}; break;
            case 4: e = {elsewhere, {}}; break;
            default: e = {missing[k], {}}; break;
            }
            database().insert(key.first, key.second, e.original);
            expected[key] = std::move(e);
        }
    });
    database().connection().execute("PRAGMA wal_checkpoint(TRUNCATE)");

    // How long one whole run takes here, on a copy: kills land anywhere within it.
    const fs::path copy = root / "calibration.db";
    fs::copy_file(database_file, copy);
    auto started = Clock::now();
    ChildResult calibration = start_update(copy)->wait();
    const auto whole_run = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    ASSERT_EQ(calibration.status, kSomeNotFound) << calibration.err;
    fs::remove(copy);
    for (const char* suffix : {"-wal", "-shm"}) fs::remove(root / ("calibration.db" + std::string(suffix)));
    ASSERT_EQ(folder_entries(temp), std::vector<std::string>{});

    const std::uint64_t seed = seed_for_this_run();
    SCOPED_TRACE("PATHMENDER_CRASH_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);
    // Kills land from the program's start to half a whole run: in its start-up, its reads and its
    // write-backs (committed in groups, so a kill among them may lose a group), and the rounds
    // together get through the run.
    std::uniform_int_distribution<long> delay_ms(0, std::max<long>(20, whole_run.count() / 2));

    std::set<RecordKey> relinked;
    std::size_t leftovers = 0;
    int kills = 0, completed = 0, kills_among_write_backs = 0;
    for (int round = 0; round < kKills; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto child = start_update(database_file);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms(random)));
        std::optional<ChildResult> done = child->poll();
        if (!done) {
            child->kill_now();
            done = child->wait();
        }
        if (done->exited) {
            ++completed;
            EXPECT_EQ(done->status, kSomeNotFound) << done->err;
        } else {
            ++kills;
            EXPECT_EQ(done->signal, SIGKILL);
        }

        SqliteConnection check = SqliteConnection::open_file(database_file, false);
        ASSERT_EQ(integrity_check(check), "ok");
        Records now = read_all_records(check);
        ASSERT_EQ(now.size(), expected.size());
        const std::size_t written_before = relinked.size();
        for (const auto& [key, e] : expected) {
            const RecordBytes& bytes = now.at(key);
            ASSERT_TRUE(bytes) << utf8(key.first) << " " << key.second;
            if (*bytes == e.original) {
                ASSERT_FALSE(relinked.count(key)) << "a write-back was undone: " << utf8(key.first) << " " << key.second;
                continue;
            }
            ASSERT_FALSE(e.new_path.empty()) << "changed: " << utf8(key.first) << " " << key.second;
            ASSERT_TRUE(relinked_copy(e.original, *bytes, e.new_path)) << utf8(key.first) << " " << key.second;
            relinked.insert(key);
        }
        if (!done->exited && relinked.size() > written_before) ++kills_among_write_backs;

        // A killed run may leave the one temporary file it had open, never more.
        auto entries = folder_entries(temp);
        for (const auto& name : entries) EXPECT_TRUE(name.starts_with("PM") && name.ends_with(".OLE")) << name;
        EXPECT_LE(entries.size(), leftovers + (done->exited ? 0 : 1));
        leftovers = entries.size();
    }

    // A run that is let finish re-links everything that is left and leaves no file of its own.
    ChildResult last = start_update(database_file)->wait();
    EXPECT_EQ(last.status, kSomeNotFound) << last.err;
    EXPECT_EQ(last.lines().size(), 1u);
    SqliteConnection check = SqliteConnection::open_file(database_file, false);
    ASSERT_EQ(integrity_check(check), "ok");
    Records now = read_all_records(check);
    std::size_t should_be_relinked = 0;
    for (const auto& [key, e] : expected) {
        if (e.new_path.empty()) {
            EXPECT_EQ(now.at(key), e.original);
        } else {
            ++should_be_relinked;
            EXPECT_TRUE(relinked_copy(e.original, *now.at(key), e.new_path));
        }
    }
    EXPECT_EQ(folder_entries(temp).size(), leftovers);

    RecordProperty("kills", kills);
    RecordProperty("completed_runs", completed);
    RecordProperty("kills_after_a_write_back", kills_among_write_backs);
    RecordProperty("relinked_before_last_run", int(relinked.size()));
    RecordProperty("temporary_files_left_by_kills", int(leftovers));
    std::printf("crash safety: seed %llu, whole run %lld ms, %d kills (%d in runs that had written), %d runs "
                "completed, %zu of %zu re-linked before the last run, %zu temporary files left by kills\n",
                static_cast<unsigned long long>(seed), static_cast<long long>(whole_run.count()), kills,
                kills_among_write_backs, completed, relinked.size(), should_be_relinked, leftovers);
}

}  // namespace
