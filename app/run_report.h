// The report of an update run: a CSV file (RFC 4180, UTF-8, a header row) with one row for every
// media record the run read, in the order read, from what the host sees and decodes:
//
//   table,mediaid,kind,source,outcome,new_path,found_by,candidates,other_candidates,error
//
// kind: empty, embedded, linked, unreadable. source: the link's path before the run. outcome:
// relinked (would-relink in a preview), not-found, other-server (a link that does not name the
// previous server as a whole name), not-linked, error (the record an error stopped the run at, the
// page's message in error), not-reached (every record of the run's tables after that one, read by
// the host after the run). found_by: remapped (the file at its remapped path) or name (found by
// the search). candidates: for a link found by name or not found, how many files of its name lie
// below the chosen share; other_candidates: up to ten of the others, '|' between them.
//
// Rows are written as the run goes into a temporary file beside the report, which is renamed to
// the report's name only when the run is over: a report under its own name is a finished one.
#pragma once

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "app/run_account.h"
#include "hostapp/db/database_location.h"
#include "app/share_names.h"

struct ReportSetting {
    bool preview = false;
    std::u16string previous_server;  // as typed
    std::u16string share;            // the chosen drive's \\server\share
};

class RunReport final : public RecordSink {
public:
    // Starts the temporary file beside target, with the header row; raises std::runtime_error
    // when it cannot be made.
    RunReport(std::filesystem::path target, ReportSetting setting);
    // A report that was not finished is removed.
    ~RunReport() override;
    RunReport(const RunReport&) = delete;
    RunReport& operator=(const RunReport&) = delete;

    void settled(const AccountedRecord& record) override;

    // The run is over. stopped_by: the page's message when an error ended the run; then the record
    // in hand is the error row and the records after it are read from database as not reached. The
    // report gets its name. Raises std::runtime_error when it could not be written.
    void finish(const RunAccount& account, const std::optional<std::u16string>& stopped_by,
                const DatabaseLocation& database, int busy_timeout_ms);

    const std::filesystem::path& target() const { return target_; }

private:
    void row(const AccountedRecord& record, std::string_view outcome, std::u16string_view error = {});
    void line(std::initializer_list<std::string_view> fields);
    void rows_not_reached(const DatabaseLocation& database, int busy_timeout_ms);

    std::filesystem::path target_, temporary_;
    ReportSetting setting_;
    std::FILE* out_ = nullptr;
    ShareNames share_names_;
    std::map<std::u16string, std::int64_t> read_in_table_;  // rows written per table
};

// The path a link of the previous server has on the new one: each whole-name occurrence of the
// previous server in its folder replaced by the share's server, then its file name.
std::u16string remapped_path(std::u16string_view link, std::u16string_view previous_server, std::u16string_view share);
