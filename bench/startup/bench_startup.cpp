// Start-up benchmark: from process start to the main window's first paint, and
// the peak memory of the process, for the game and for a bare Qt window with one
// label, run alternately in the same session. Both programs get the same
// preloaded reporter (firstpaint.cpp), which prints a monotonic time stamp at
// their first paint and ends them.
// --compare=PROGRAM adds another build of the game to the same session, so a
// change can be shown before and after against the same peer.
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
    std::vector<std::string> programs = {QV_BARE_PROGRAM, QV_GAME_PROGRAM};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--runs=", 0) == 0)
            runs = std::max(1, std::atoi(argv[i] + 7));
        else if (arg.rfind("--compare=", 0) == 0)
            programs.push_back(arg.substr(10));
    }

    setenv("LD_PRELOAD", QV_FIRST_PAINT_LIBRARY, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Settings and tally files go to a scratch folder if the program's own folder
    // is not writable; never to the user's.
    char scratch[] = "/tmp/quenvale-bench-XXXXXX";
    if (mkdtemp(scratch)) {
        setenv("XDG_CONFIG_HOME", scratch, 1);
        setenv("XDG_DATA_HOME", scratch, 1);
    }

    const std::size_t count = programs.size();
    std::vector<std::vector<double>> ms(count), rss(count);
    Run warm;
    for (const std::string &program : programs)
        runOnce(program.c_str(), warm); // fills the file cache
    for (int i = 0; i < runs; ++i) {
        for (std::size_t p = 0; p < count; ++p) {
            Run run;
            if (!runOnce(programs[p].c_str(), run)) {
                std::fprintf(stderr, "%s did not report its first paint\n", programs[p].c_str());
                return 1;
            }
            ms[p].push_back(run.ms);
            rss[p].push_back(run.rssMb);
        }
    }

    const double bareMs = median(ms[0]), bareMb = median(rss[0]);
    std::printf("Start-up to first paint, offscreen, median of %d runs each\n", runs);
    std::printf("%-14s %12s %14s\n", "program", "time (ms)", "peak RSS (MB)");
    std::printf("%-14s %12.1f %14.1f\n", "bare window", bareMs, bareMb);
    for (std::size_t p = 1; p < count; ++p) {
        const double t = median(ms[p]), m = median(rss[p]);
        const std::string name = p == 1 ? "quenvale" : "compared " + std::to_string(p - 1);
        std::printf("%-14s %12.1f %14.1f\n", name.c_str(), t, m);
        std::printf("%-14s %12.2f %14.2f   (goal: at most 1.50)\n", "  ratio", t / bareMs, m / bareMb);
    }
    for (std::size_t p = 2; p < count; ++p)
        std::printf("compared %zu: %s\n", p - 1, programs[p].c_str());
    return 0;
}
