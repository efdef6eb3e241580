// Runs the built pathmender program as a child whose pid the test holds, so that it can be
// killed at any moment, given a file size limit, or denied root's way past file permissions.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ChildOptions {
    std::map<std::string, std::string> environment;  // set on top of the test's own
    std::optional<std::uint64_t> file_size_limit;    // RLIMIT_FSIZE, bytes; writes past it fail
    // Drops CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH, so that a root child meets file modes.
    bool obey_file_modes = false;
};

struct ChildResult {
    bool exited = false;
    int status = -1;       // the exit status when exited
    int signal = 0;        // the signal that ended it otherwise
    long max_rss_kib = 0;  // its peak resident memory
    std::string out, err;
    std::vector<std::string> lines() const;  // out, one entry a line
};

class ChildProgram {
public:
    // Starts bin/pathmender with arguments; its output goes to files in output_folder.
    ChildProgram(const std::vector<std::string>& arguments, const std::filesystem::path& output_folder,
                 const ChildOptions& options = {});
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    ~ChildProgram();  // kills and reaps a child still running

    pid_t pid() const { return pid_; }
    void kill_now();                   // SIGKILL
    ChildResult wait();                // until it ends
    std::optional<ChildResult> poll();  // nothing while it runs

private:
    ChildResult finish(int raw, const struct rusage& usage);

    pid_t pid_ = -1;
    std::filesystem::path out_file_, err_file_;
};

// Whether a child can be made to meet file modes: always when not root, else when root may drop
// the capabilities that pass them by.
bool child_can_obey_file_modes();
