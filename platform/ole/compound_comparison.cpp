// Temporary: runs the libgsf path beside the new reader and writer and logs where they differ.
#include "compound_comparison.h"

#include "legacy_compound_file.h"
#include "ole_error.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>

namespace pathmender::ole {

namespace {

std::mutex g_log_mutex;
std::atomic<int> g_dumps{0};

void log_line(const std::string& line, ByteView input) {
    const char* path = std::getenv("PATHMENDER_COMPARE_LOG");
    if (!path)
        return;
    std::lock_guard lock(g_log_mutex);
    std::ofstream(path, std::ios::app) << line << "\n";
    if (line.find("DIFF") != std::string::npos && g_dumps < 600) {
        std::ofstream dump(std::string(path) + "." + std::to_string(g_dumps++) + ".bin", std::ios::binary);
        dump.write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
    }
}

template <class T, class F>
std::optional<T> attempt(F f, std::string& error, OleFailure& failure) {
    try {
        return f();
    } catch (const OleError& e) {
        error = e.what();
        failure = e.failure();
        return std::nullopt;
    }
}

}  // namespace

CompoundFile compare_reading(ByteView bytes, const std::function<CompoundFile()>& read_new) {
    if (!std::getenv("PATHMENDER_COMPARE_LOG"))
        return read_new();
    std::string new_error, old_error;
    OleFailure new_failure{}, old_failure{};
    auto fresh = attempt<CompoundFile>(read_new, new_error, new_failure);
    auto old = attempt<CompoundFile>([&] { return legacy::read_compound_file(bytes); }, old_error, old_failure);
    if (fresh && old)
        log_line(*fresh == *old ? "read same ok" : "read DIFF content", bytes);
    else if (!fresh && !old)
        log_line("read same refused", bytes);
    else if (fresh)
        log_line("read DIFF new-accepts legacy-refuses: " + old_error, bytes);
    else
        log_line("read DIFF new-refuses legacy-accepts: " + new_error, bytes);
    if (!fresh)
        throw OleError(new_failure, new_error);
    return std::move(*fresh);
}

Bytes compare_writing(const CompoundFile& file, const std::function<Bytes()>& write_new) {
    if (!std::getenv("PATHMENDER_COMPARE_LOG"))
        return write_new();
    std::string new_error, old_error;
    OleFailure new_failure{}, old_failure{};
    auto fresh = attempt<Bytes>(write_new, new_error, new_failure);
    auto old = attempt<Bytes>([&] { return legacy::write_compound_file(file); }, old_error, old_failure);
    if (fresh && old)
        log_line(*fresh == *old ? "write same " + std::to_string(fresh->size()) : "write DIFF bytes", old ? ByteView(*old) : ByteView());
    else if (!fresh && !old)
        log_line("write same refused", {});
    else if (fresh)
        log_line("write DIFF new-writes legacy-refuses: " + old_error, {});
    else
        log_line("write DIFF new-refuses legacy-writes: " + new_error, {});
    if (!fresh)
        throw OleError(new_failure, new_error);
    return std::move(*fresh);
}

}  // namespace pathmender::ole
