#include "e2e/support/every_database.h"

#include <fstream>
#include <type_traits>

#include "com/utf.h"

namespace fs = std::filesystem;

namespace {

// The records of a host database file (MediaDatabase) or of one on a server (ServerMediaDatabase).
template <typename Database>
class RecordsOf final : public RecordStore {
public:
    explicit RecordsOf(Database& database) : database_(database) {}
    void insert(std::u16string_view table, std::int64_t media_id, std::span<const std::uint8_t> object,
                std::optional<std::int64_t> parent_id) override {
        database_.insert(table, media_id, object, parent_id);
    }
    void insert_null_object(std::u16string_view table, std::int64_t media_id) override {
        database_.insert_null_object(table, media_id);
    }
    std::optional<std::vector<std::uint8_t>> read(std::u16string_view table, std::int64_t media_id) override {
        return database_.read(table, media_id);
    }
    Records all_records() override {
        if constexpr (std::is_same_v<Database, MediaDatabase>) return read_all_records(database_.connection());
        else return database_.all_records();
    }
    void in_transaction(const std::function<void()>& work) override { database_.in_transaction(work); }

private:
    Database& database_;
};

}  // namespace

std::string database_kind_name(const testing::TestParamInfo<DatabaseKind>& info) {
    switch (info.param) {
    case DatabaseKind::file: return "File";
    case DatabaseKind::postgres: return "PostgreSQL";
    case DatabaseKind::sqlite_odbc: return "SQLiteThroughOdbc";
    }
    return "Unknown";
}

void OnEveryDatabase::SetUp() {
    ProgramFixture::SetUp();
    switch (GetParam()) {
    case DatabaseKind::file: store_ = std::make_unique<RecordsOf<MediaDatabase>>(HostFixture::database()); return;
    case DatabaseKind::postgres:
        PM_REQUIRE_POSTGRES(cluster_);
        connection_ = cluster_->login().odbc_connection_string();
        server_.emplace(ServerMediaDatabase::create(connection_));
        break;
    case DatabaseKind::sqlite_odbc:
        // The test's own host database file, in write-ahead-log mode as made.
        connection_ = u"Driver=SQLite3;Database=" + utf16(database_file.string()) + u";";
        server_.emplace(ServerMediaDatabase::open(connection_));
        break;
    }
    store_ = std::make_unique<RecordsOf<ServerMediaDatabase>>(*server_);
    connection_file_ = root / "connection.txt";
    std::ofstream(connection_file_) << utf8(connection_) << "\n";
    fs::permissions(connection_file_, fs::perms::owner_read | fs::perms::owner_write);
}

void OnEveryDatabase::TearDown() {
    store_.reset();
    server_.reset();
    ProgramFixture::TearDown();
}

std::vector<std::string> OnEveryDatabase::database_arguments() const {
    if (!on_server()) return {"--db", database_file.string()};
    return {"--connection-file", connection_file_.string()};
}

std::vector<std::string> OnEveryDatabase::on_database(std::vector<std::string> arguments) const {
    const std::vector<std::string> database = database_arguments();
    arguments.insert(arguments.begin() + 1, database.begin(), database.end());
    return arguments;
}

ChildOptions OnEveryDatabase::options(ChildOptions options) const {
    options.environment.try_emplace("XDG_STATE_HOME", (root / "state").string());
    return in_temp(std::move(options));
}

std::vector<std::string> OnEveryDatabase::update_arguments(const std::string& previous,
                                                           const std::vector<std::string>& more) const {
    std::vector<std::string> arguments{"update", "--network", network.string(), "--previous", previous};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return on_database(arguments);
}

ChildResult OnEveryDatabase::update(const std::string& previous, const std::vector<std::string>& more,
                                    const ChildOptions& more_options) const {
    return run(update_arguments(previous, more), options(more_options));
}
