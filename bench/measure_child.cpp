// pm_bench_measure REPORT PROGRAM [ARGS...]: runs PROGRAM and writes its exit status, peak resident
// size and CPU times to REPORT.
//
// A forked child's peak resident size counts the parent's pages it held before exec, so the driver,
// which holds a whole corpus manifest, cannot measure its children itself. This program is small
// and holds nothing, so the peak it sees is the program's own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: pm_bench_measure REPORT PROGRAM [ARGS...]\n");
        return 2;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("pm_bench_measure: fork");
        return 2;
    }
    if (pid == 0) {
        ::execv(argv[2], argv + 2);
        std::perror("pm_bench_measure: exec");
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        std::perror("pm_bench_measure: wait4");
        return 2;
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::FILE* report = std::fopen(argv[1], "w");
    if (!report) {
        std::perror("pm_bench_measure: report");
        return 2;
    }
    std::fprintf(report, "%d %ld %ld.%06ld %ld.%06ld\n", code, usage.ru_maxrss, long(usage.ru_utime.tv_sec),
                 long(usage.ru_utime.tv_usec), long(usage.ru_stime.tv_sec), long(usage.ru_stime.tv_usec));
    return std::fclose(report) == 0 ? 0 : 2;
}
