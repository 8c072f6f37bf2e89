// Start-up benchmark: from process start to the main window's first paint, and
// the peak memory of the process, for the game and for a bare Qt window with one
// label, run alternately in the same session. Both programs print a monotonic
// time stamp at their first paint (QUENVALE_EXIT_AFTER_FIRST_PAINT) and end.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Run {
    double ms = 0;   // fork to first paint
    double rssMb = 0; // peak resident set
};

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

bool runOnce(const char *program, Run &run)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    const long long start = monotonicNs();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    long long stamp = 0;
    if (std::sscanf(text.c_str(), "first-paint monotonic-ns %lld", &stamp) != 1)
        return false;
    run.ms = double(stamp - start) / 1e6;
    run.rssMb = double(usage.ru_maxrss) / 1024.0;
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 20;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--runs=", 0) == 0)
            runs = std::max(1, std::atoi(argv[i] + 7));

    setenv("QUENVALE_EXIT_AFTER_FIRST_PAINT", "1", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Settings and tally files go to a scratch folder if the program's own folder
    // is not writable; never to the user's.
    char scratch[] = "/tmp/quenvale-bench-XXXXXX";
    if (mkdtemp(scratch)) {
        setenv("XDG_CONFIG_HOME", scratch, 1);
        setenv("XDG_DATA_HOME", scratch, 1);
    }

    const char *programs[2] = {QV_BARE_PROGRAM, QV_GAME_PROGRAM};
    std::vector<double> ms[2], rss[2];
    Run warm;
    runOnce(programs[0], warm); // fills the file cache for both
    runOnce(programs[1], warm);
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            Run run;
            if (!runOnce(programs[p], run)) {
                std::fprintf(stderr, "%s did not report its first paint\n", programs[p]);
                return 1;
            }
            ms[p].push_back(run.ms);
            rss[p].push_back(run.rssMb);
        }
    }

    const double t[2] = {median(ms[0]), median(ms[1])};
    const double m[2] = {median(rss[0]), median(rss[1])};
    std::printf("Start-up to first paint, offscreen, median of %d runs each\n", runs);
    std::printf("%-14s %12s %14s\n", "program", "time (ms)", "peak RSS (MB)");
    std::printf("%-14s %12.1f %14.1f\n", "bare window", t[0], m[0]);
    std::printf("%-14s %12.1f %14.1f\n", "quenvale", t[1], m[1]);
    std::printf("%-14s %12.2f %14.2f   (goal: at most 1.50)\n", "ratio", t[1] / t[0], m[1] / m[0]);
    return 0;
}
