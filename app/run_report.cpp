#include "app/run_report.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "app/system_files.h"
#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/media_tables.h"
#include "platform/ole/ansi_codepage.h"
#include "platform/case_insensitive.h"
#include "platform/network.h"

namespace fs = std::filesystem;

namespace {

constexpr char kHeader[] = "table,mediaid,kind,source,outcome,new_path,found_by,candidates,other_candidates,error";
constexpr std::size_t kMostOtherCandidates = 10;

// A field as RFC 4180 has it: quoted when it holds a comma, a quote or a line break, its quotes doubled.
std::string csv_field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted.push_back('"');
        quoted.push_back(c);
    }
    return quoted + "\"";
}

const char* kind_name(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::empty: return "empty";
    case ObjectKind::embedded: return "embedded";
    case ObjectKind::linked: return "linked";
    case ObjectKind::unreadable: break;
    }
    return "unreadable";
}

// \\server of a path or a server name: what follows the leading backslashes up to the next one.
std::u16string server_of(std::u16string_view path) {
    std::size_t start = 0;
    while (start < path.size() && path[start] == u'\\') ++start;
    const std::size_t end = path.find(u'\\', start);
    return u"\\\\" + std::u16string(path.substr(start, end == std::u16string_view::npos ? end : end - start));
}

std::u16string_view file_name_of(std::u16string_view path) {
    const std::size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

std::string system_error_text() { return std::strerror(errno); }

}  // namespace

std::u16string remapped_path(std::u16string_view link, std::u16string_view previous_server,
                             std::u16string_view share) {
    const std::u16string_view name = file_name_of(link);
    const std::u16string_view folder = link.substr(0, link.size() - name.size());
    const std::u16string old_server = server_of(previous_server), new_server = server_of(share);
    return replace_whole_names(folder, old_server, new_server).append(name);
}

RunReport::RunReport(fs::path target, ReportSetting setting)
    : target_(std::move(target)), setting_(std::move(setting)), share_names_(setting_.share) {
    std::string name = target_.string() + ".partial-XXXXXX";
    std::string why;
    out_ = create_unique_file(name, why);
    if (!out_) throw std::runtime_error("the report " + target_.string() + " cannot be written: " + why);
    temporary_ = name;
    std::setvbuf(out_, nullptr, _IOFBF, 1 << 16);
    line({kHeader});
}

RunReport::~RunReport() {
    if (!out_) return;
    std::fclose(out_);
    std::error_code ignored;
    fs::remove(temporary_, ignored);
}

void RunReport::line(std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) std::fputc(',', out_);
        first = false;
        std::fwrite(field.data(), 1, field.size(), out_);
    }
    std::fputs("\r\n", out_);
}

void RunReport::row(const AccountedRecord& record, std::string_view outcome, std::u16string_view error) {
    ++read_in_table_[record.table];
    std::string found_by, candidates, others;
    const bool relinked = record.written && outcome != "error";
    if (relinked)
        found_by = record.new_path == remapped_path(record.source, setting_.previous_server, setting_.share)
                       ? "remapped"
                       : "name";
    if (found_by == "name" || outcome == "not-found") {
        const ShareNames::Found found = share_names_.find(file_name_of(record.source), kMostOtherCandidates + 1);
        candidates = std::to_string(found.count);
        std::size_t listed = 0;
        for (const std::u16string& path : found.paths) {
            if (relinked && equal_ignoring_case(path, record.new_path)) continue;
            if (listed++ == kMostOtherCandidates) break;
            if (!others.empty()) others.push_back('|');
            others += utf8(path);
        }
    }
    const std::string fields[] = {csv_field(utf8(record.table)),
                                  csv_field(utf8(record.media_id)),
                                  kind_name(record.kind),
                                  csv_field(utf8(record.source)),
                                  std::string(outcome),
                                  csv_field(record.written ? utf8(record.new_path) : std::string()),
                                  found_by,
                                  candidates,
                                  csv_field(others),
                                  csv_field(utf8(error))};
    line({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7], fields[8], fields[9]});
}

void RunReport::settled(const AccountedRecord& record) {
    const char* outcome = record.written                       ? (setting_.preview ? "would-relink" : "relinked")
                          : record.selected                    ? "not-found"
                          : record.kind == ObjectKind::linked  ? "other-server"
                                                               : "not-linked";
    // A file of such a name may lie on the disk of the share, but the file server lists none.
    const bool name_unlistable = record.selected && !record.written && !is_valid_network_name(file_name_of(record.source));
    row(record, outcome,
        name_unlistable ? u"the file name cannot be a name on the file server (it holds one of \\ / : * ? \" < > | or "
                          u"a control character), so no file of that name is ever found"
                        : u"");
}

void RunReport::rows_not_reached(const DatabaseLocation& database, int busy_timeout_ms) {
    // The tables in the order the run walks them, each in the order it hands its records out:
    // past the records the run read, every one is a record it did not reach.
    for (std::u16string_view table : kMediaTables) {
        std::int64_t skip = read_in_table_[std::u16string(table)];
        const std::u16string from = u" FROM dbo." + std::u16string(table);
        // A table whose objects cannot be read (the very fault that may have stopped the run) still
        // has its records accounted for, by their keys; one without even those has none to give.
        std::unique_ptr<RowSource> select;
        bool with_objects = true;
        try {
            select = open_rows_at(database, busy_timeout_ms, u"SELECT MEDIAID, Object" + from);
        } catch (const ComError&) {
            with_objects = false;
            try {
                select = open_rows_at(database, busy_timeout_ms, u"SELECT MEDIAID" + from);
            } catch (const ComError&) {
                continue;
            }
        }
        while (select->step()) {
            if (skip > 0) {
                --skip;
                continue;
            }
            AccountedRecord record;
            record.table = table;
            switch (select->kind(0)) {
            case ColumnKind::integer: record.media_id = utf16(std::to_string(select->integer(0))); break;
            case ColumnKind::bytes: record.media_id = pathmender::ole::ansi_decode(select->bytes(0)); break;
            case ColumnKind::real: record.media_id = utf16(std::to_string(select->real(0))); break;
            case ColumnKind::null: break;
            }
            if (with_objects) {
                StoredObjectView object = view_stored_object(select->bytes(1));
                record.kind = object.kind;
                record.source = std::move(object.link);
            } else {
                record.kind = ObjectKind::unreadable;
            }
            row(record, "not-reached");
        }
    }
}

void RunReport::finish(const RunAccount& account, const std::optional<std::u16string>& stopped_by,
                       const DatabaseLocation& database, int busy_timeout_ms) {
    if (stopped_by) {
        if (const std::optional<AccountedRecord>& in_hand = account.record_in_hand()) row(*in_hand, "error", *stopped_by);
        rows_not_reached(database, busy_timeout_ms);
    }
    std::FILE* out = std::exchange(out_, nullptr);
    const bool written = sync_file(out);
    const std::string why = written ? std::string() : system_error_text();
    const bool closed = std::fclose(out) == 0;
    std::error_code ec;
    if (!written || !closed) {
        fs::remove(temporary_, ec);
        throw std::runtime_error("the report " + target_.string() + " could not be written: " + why);
    }
    fs::rename(temporary_, target_, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temporary_, ec);
        throw std::runtime_error("the report " + target_.string() + " could not be put in place: " + reason);
    }
}
