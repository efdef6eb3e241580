#include "e2e/support/child_program.h"

#include "support/files.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// In the forked child only: async-signal-safe calls, then exec or _exit.
bool drop_file_mode_override() {
    if (::geteuid() != 0) return true;
    return ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) == 0 &&
           ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) == 0;
}

}  // namespace

std::vector<std::string> ChildResult::lines() const {
    std::vector<std::string> out;
    std::istringstream in(this->out);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

ChildProgram::ChildProgram(const std::vector<std::string>& arguments, const fs::path& output_folder,
                           const ChildOptions& options)
    : out_file_(output_folder / "child-stdout.txt"), err_file_(output_folder / "child-stderr.txt") {
    // Everything the child needs is made before the fork.
    std::string program = std::string(PATHMENDER_BIN_DIR) + "/pathmender";
    std::vector<std::string> argv_text{program};
    argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::map<std::string, std::string> environment;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        auto eq = entry.find('=');
        if (eq != std::string::npos) environment[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : options.environment) environment[name] = value;
    std::vector<std::string> env_text;
    for (const auto& [name, value] : environment) env_text.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);

    int out = ::open(out_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int err = ::open(err_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0 || err < 0) throw std::runtime_error("cannot create the child's output files");

    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (options.file_size_limit) {
            // A write past the limit then fails with EFBIG instead of killing the child.
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit {rlim_t(*options.file_size_limit), rlim_t(*options.file_size_limit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
        }
        if (options.obey_file_modes && !drop_file_mode_override()) ::_exit(126);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out);
    ::close(err);
    if (pid_ < 0) throw std::runtime_error("fork failed");
}

ChildProgram::~ChildProgram() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void ChildProgram::kill_now() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
}

ChildResult ChildProgram::finish(int raw, const struct rusage& usage) {
    pid_ = -1;
    ChildResult result;
    result.exited = WIFEXITED(raw);
    if (result.exited) result.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) result.signal = WTERMSIG(raw);
    result.max_rss_kib = usage.ru_maxrss;
    result.out = read_text(out_file_);
    result.err = read_text(err_file_);
    return result;
}

ChildResult ChildProgram::wait() {
    int raw = 0;
    struct rusage usage {};
    while (::wait4(pid_, &raw, 0, &usage) < 0)
        if (errno != EINTR) throw std::runtime_error("wait4 failed");
    return finish(raw, usage);
}

std::optional<ChildResult> ChildProgram::poll() {
    int raw = 0;
    struct rusage usage {};
    pid_t done = ::wait4(pid_, &raw, WNOHANG, &usage);
    if (done == 0) return std::nullopt;
    if (done < 0) throw std::runtime_error("wait4 failed");
    return finish(raw, usage);
}

bool child_can_obey_file_modes() {
    pid_t probe = ::fork();
    if (probe == 0) ::_exit(drop_file_mode_override() ? 0 : 1);
    int raw = 0;
    ::waitpid(probe, &raw, 0);
    return WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
}
