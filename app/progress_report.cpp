#include "app/progress_report.h"

#include <cmath>

#include "app/terminal.h"
#include "com/utf.h"

namespace {

std::string clock_text(double seconds) {
    const long whole = std::lround(seconds);
    char text[32];
    if (whole >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

ProgressStyle progress_style(bool quiet, bool lines) {
    if (quiet) return ProgressStyle::none;
    if (lines) return ProgressStyle::lines;
    return standard_error_is_terminal() ? ProgressStyle::live : ProgressStyle::none;
}

ProgressReport::ProgressReport(ProgressStyle style, std::int64_t total, std::FILE* out)
    : style_(style), total_(total), out_(out) {}

std::string ProgressReport::line(const RunCounts& counts, std::u16string_view table) const {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = elapsed > 0 ? counts.records / elapsed : 0;
    std::string text = std::to_string(counts.records) + "/" + std::to_string(total_) + " records";
    if (!table.empty()) text += ", " + utf8(table);
    text += ", relinked " + std::to_string(counts.relinked);
    char figures[64];
    std::snprintf(figures, sizeof figures, ", %.0f records/s", rate);
    text += figures;
    if (rate > 0 && counts.records < total_) text += ", " + clock_text((total_ - counts.records) / rate) + " left";
    return text;
}

void ProgressReport::print(const RunCounts& counts, std::u16string_view table) {
    if (style_ == ProgressStyle::lines) std::fprintf(out_, "progress: %s\n", line(counts, table).c_str());
    else std::fprintf(out_, "\r%s\033[K", line(counts, table).c_str());
    std::fflush(out_);
    last_printed_ = Clock::now();
    printed_ = true;
    live_line_shown_ = style_ == ProgressStyle::live;
    printed_records_ = counts.records;
}

void ProgressReport::update(const RunCounts& counts, std::u16string_view table, bool table_end) {
    if (style_ == ProgressStyle::none) return;
    const auto every = style_ == ProgressStyle::lines ? std::chrono::milliseconds(1000) : std::chrono::milliseconds(100);
    if ((table_end && style_ == ProgressStyle::lines) || Clock::now() - last_printed_ >= every) print(counts, table);
}

void ProgressReport::finish(const RunCounts& counts, std::u16string_view table) {
    if (style_ == ProgressStyle::none || !printed_) return;
    if (style_ == ProgressStyle::live || counts.records != printed_records_) print(counts, table);
    if (style_ == ProgressStyle::live) std::fputc('\n', out_);
    live_line_shown_ = false;
    std::fflush(out_);
}

void ProgressReport::make_way() {
    if (!live_line_shown_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    live_line_shown_ = false;
}
