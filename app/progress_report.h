// The progress of an update run on standard error: a live line on a terminal, plain lines for
// logs and scripts, or nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/run_account.h"

enum class ProgressStyle {
    none,
    live,   // one line, rewritten in place, at most ten times a second
    lines,  // "progress: DONE/TOTAL records, ..." at most once a second and at each table's end
};

class ProgressReport {
public:
    // total: the records the run will read, as counted before it.
    ProgressReport(ProgressStyle style, std::int64_t total, std::FILE* out = stderr);

    // After each record, and at each table's end (table_end).
    void update(const RunCounts& counts, std::u16string_view table, bool table_end);
    // The run is over: a last line with the final counts, and a live line ends.
    void finish(const RunCounts& counts, std::u16string_view table);
    // Something else is about to be printed on the terminal: a live line makes way (it comes back
    // at the next update).
    void make_way();

private:
    using Clock = std::chrono::steady_clock;
    std::string line(const RunCounts& counts, std::u16string_view table) const;
    void print(const RunCounts& counts, std::u16string_view table);

    ProgressStyle style_;
    std::int64_t total_;
    std::FILE* out_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_printed_{};
    bool printed_ = false;
    bool live_line_shown_ = false;
    std::int64_t printed_records_ = -1;
};

// The style for the command line's choice: --quiet none; --progress lines; otherwise a live line
// when standard error is a terminal, and nothing when it is not.
ProgressStyle progress_style(bool quiet, bool lines);
