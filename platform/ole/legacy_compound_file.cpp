// The only file that talks to libgsf and GLib.
#include "legacy_compound_file.h"

#include "compound_directory_fixup.h"
#include "ole_error.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-output-impl.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-utils.h>

#include <memory>
#include <utility>

namespace pathmender::ole::legacy {

namespace {

constexpr std::uint64_t kFiletimeTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr int kMaxStorageDepth = 64;

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GDateTimeUnref {
    void operator()(GDateTime* time) const { g_date_time_unref(time); }
};
using GDateTimePtr = std::unique_ptr<GDateTime, GDateTimeUnref>;

// libgsf reports damage it works around (cut chains, cycles, short blocks) only as log messages;
// while a LibgsfComplaints is alive on a thread, messages there are counted instead of printed.
// Everything else goes on to whatever handler was installed before ours.
thread_local int* t_libgsf_complaints = nullptr;
GLogFunc g_previous_log_handler = g_log_default_handler;

void on_log_message(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    if (t_libgsf_complaints) {
        if (level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING))
            ++*t_libgsf_complaints;
        return;
    }
    g_previous_log_handler(domain, level, message, nullptr);
}

void prepare_libgsf() {
    static const bool ready = [] {
        gsf_init();
        g_previous_log_handler = g_log_set_default_handler(on_log_message, nullptr);
        return true;
    }();
    (void)ready;
}

class LibgsfComplaints {
public:
    LibgsfComplaints() : outer_(t_libgsf_complaints) { t_libgsf_complaints = &count_; }
    ~LibgsfComplaints() { t_libgsf_complaints = outer_; }
    LibgsfComplaints(const LibgsfComplaints&) = delete;
    LibgsfComplaints& operator=(const LibgsfComplaints&) = delete;

    bool any() const { return count_ > 0; }

private:
    int count_ = 0;
    int* outer_;
};

std::uint64_t filetime_from(GDateTime* time) {
    if (!time)
        return 0;
    const std::int64_t seconds = g_date_time_to_unix(time) + kSecondsFrom1601To1970;
    if (seconds < 0)
        return 0;
    return static_cast<std::uint64_t>(seconds) * kFiletimeTicksPerSecond +
           static_cast<std::uint64_t>(g_date_time_get_microsecond(time)) * 10;
}

GDateTimePtr datetime_from(std::uint64_t filetime) {
    if (filetime == 0)
        return nullptr;
    const auto seconds = static_cast<std::int64_t>(filetime / kFiletimeTicksPerSecond);
    const auto microseconds = static_cast<GTimeSpan>(filetime % kFiletimeTicksPerSecond / 10);
    GDateTimePtr whole(g_date_time_new_from_unix_utc(seconds - kSecondsFrom1601To1970));
    if (!whole)
        throw OleError(OleFailure::SavingToFile, "error saving to file: time out of range");
    return GDateTimePtr(g_date_time_add(whole.get(), microseconds));
}

// ---- reading ----

// libgsf reads the root entry's siblings, which the format says it has none of, as further roots:
// it complains and loses what it allocated for them. Such a file is refused before libgsf sees it,
// as libgsf's complaints would have it refused anyway. Headers libgsf cannot use at all are left
// for it to refuse.
void check_root_entry(ByteView bytes) {
    constexpr std::size_t kHeaderSize = 512;
    constexpr std::size_t kEntrySize = 128;
    constexpr std::size_t kEntryType = 0x42;
    constexpr std::size_t kLeftSibling = 0x44;
    constexpr std::size_t kRightSibling = 0x48;
    constexpr std::uint8_t kRootStorage = 5;
    constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
    if (bytes.size() < kHeaderSize)
        return;
    const unsigned shift = load_u16(bytes, 0x1E);
    if (shift != 9 && shift != 12)
        return;
    const std::uint64_t first_directory_sector = load_u32(bytes, 0x30);
    const std::uint64_t entry = (first_directory_sector + 1) << shift;
    if (entry + kEntrySize > bytes.size())
        return;
    if (bytes[entry + kEntryType] != kRootStorage || load_u32(bytes, entry + kLeftSibling) != kNoStream ||
        load_u32(bytes, entry + kRightSibling) != kNoStream)
        fail_loading("compound file whose root entry is no single root storage");
}

ClassId class_id_of(GsfInput* entry) {
    ClassId id{};
    if (!gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(entry), id.data()))
        fail_loading("compound file entry without class id");
    return id;
}

Bytes read_stream_data(GsfInput* stream, std::size_t file_size) {
    const gsf_off_t size = gsf_input_size(stream);
    if (size < 0 || static_cast<std::uint64_t>(size) > file_size)
        fail_loading("compound file stream larger than the file");
    Bytes data(static_cast<std::size_t>(size));
    if (!data.empty() && !gsf_input_read(stream, data.size(), data.data()))
        fail_loading("compound file stream cannot be read whole");
    return data;
}

void read_storage(GsfInfile* directory, CompoundStorage& storage, std::size_t file_size, int depth) {
    if (depth > kMaxStorageDepth)
        fail_loading("compound file storages nested too deeply");
    const int count = gsf_infile_num_children(directory);
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(directory, i);
        GObjectPtr<GsfInput> child(gsf_infile_child_by_index(directory, i));
        if (!name || !child)
            fail_loading("compound file entry cannot be opened");
        if (gsf_infile_num_children(GSF_INFILE(child.get())) >= 0) {
            CompoundStorage& sub = storage.storages.emplace_back();
            sub.name = name;
            sub.class_id = class_id_of(child.get());
            sub.modified_time = filetime_from(gsf_input_get_modtime(child.get()));
            read_storage(GSF_INFILE(child.get()), sub, file_size, depth + 1);
        } else {
            storage.streams.push_back({name, read_stream_data(child.get(), file_size)});
        }
    }
}

// ---- writing ----

void write_storage_content(GsfOutfile* directory, const CompoundStorage& storage);

void close_output(GsfOutput* output) {
    if (!gsf_output_close(output))
        throw OleError(OleFailure::SavingToFile, "error saving to file: compound file entry not closed");
}

void set_directory_attributes(GsfOutput* directory, const CompoundStorage& storage) {
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(directory), storage.class_id.data());
    if (GDateTimePtr time = datetime_from(storage.modified_time))
        gsf_output_set_modtime(directory, time.get());
}

void write_storage_content(GsfOutfile* directory, const CompoundStorage& storage) {
    for (const CompoundStorage& sub : storage.storages) {
        GObjectPtr<GsfOutput> child(gsf_outfile_new_child(directory, sub.name.c_str(), TRUE));
        if (!child)
            throw OleError(OleFailure::SavingToFile, "error saving to file: storage not created");
        set_directory_attributes(child.get(), sub);
        write_storage_content(GSF_OUTFILE(child.get()), sub);
        close_output(child.get());
    }
    for (const CompoundStream& stream : storage.streams) {
        GObjectPtr<GsfOutput> child(gsf_outfile_new_child(directory, stream.name.c_str(), FALSE));
        if (!child || (!stream.data.empty() &&
                       !gsf_output_write(child.get(), stream.data.size(), stream.data.data())))
            throw OleError(OleFailure::SavingToFile, "error saving to file: stream not written");
        close_output(child.get());
    }
}

}  // namespace

CompoundFile read_compound_file(ByteView bytes) {
    check_root_entry(bytes);
    prepare_libgsf();
    LibgsfComplaints complaints;
    GObjectPtr<GsfInput> input(
        gsf_input_memory_new(bytes.data(), static_cast<gsf_off_t>(bytes.size()), FALSE));
    GError* error = nullptr;
    GObjectPtr<GsfInfile> root(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!root)
        fail_loading("not a compound file");

    CompoundFile file;
    file.root.name = "Root Entry";
    file.root.class_id = class_id_of(GSF_INPUT(root.get()));
    file.root.modified_time = filetime_from(gsf_input_get_modtime(GSF_INPUT(root.get())));
    read_storage(root.get(), file.root, bytes.size(), 0);
    if (complaints.any())
        fail_loading("damaged compound file");
    return file;
}

Bytes write_compound_file(const CompoundFile& file) {
    prepare_libgsf();
    LibgsfComplaints complaints;
    GObjectPtr<GsfOutput> sink(gsf_output_memory_new());
    GObjectPtr<GsfOutfile> root(gsf_outfile_msole_new_full(sink.get(), 512, 64));
    if (!root)
        throw OleError(OleFailure::SavingToFile, "error saving to file: compound file not created");
    set_directory_attributes(GSF_OUTPUT(root.get()), file.root);
    write_storage_content(root.get(), file.root);
    close_output(GSF_OUTPUT(root.get()));
    if (complaints.any())
        throw OleError(OleFailure::SavingToFile, "error saving to file: libgsf reported a problem");

    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    const gsf_off_t size = gsf_output_size(sink.get());
    Bytes bytes(data, data + size);
    fix_up_directory(bytes);
    return bytes;
}

}  // namespace pathmender::ole::legacy
