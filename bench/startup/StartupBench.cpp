// Start-up benchmark: runs the tool again and again under an Xvfb of its own, each
// time from exec to its first frame on screen (the tool as FirstFrameTool.cpp builds
// it, which ends right after that frame), and reads each run's peak resident memory
// from wait4.
//
//   startup_bench [runs]   (default 20)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kTargetMs = 150.0;
constexpr double kTargetMb = 40.0;

struct Server {
    pid_t pid = -1;
    std::string display;
};

// The tests' starter: Xvfb picks a free display itself and writes its number once it
// takes connections.
Server StartXvfb() {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(fds[1], 3);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        setenv("SA_XVFB", SA_XVFB, 1);
        execl(SA_START_XVFB, SA_START_XVFB, "1024x768", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&p, 1, 15000) > 0) {
        char buf[16];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        number.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return {};
    }
    return {pid, ":" + number.substr(0, number.find('\n'))};
}

struct Run {
    bool ok = false;
    double ms = 0;
    double rssMb = 0;
};

Run StartOnce(const std::string& display, const std::string& folder) {
    const std::string displayVar = "DISPLAY=" + display;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0) env.push_back(*e);
    env.push_back(displayVar);
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (chdir(folder.c_str()) != 0) _exit(126);
        char* argv[] = {const_cast<char*>(SA_TOOL), nullptr};
        execve(SA_TOOL, argv, envp.data());
        _exit(127);
    }
    // The hook ends the run at its first frame; a run that shows none is stopped.
    int status = 0;
    rusage usage{};
    pid_t ended = 0;
    while ((ended = wait4(pid, &status, WNOHANG, &usage)) == 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            return {};
        }
        usleep(100);
    }
    const auto end = std::chrono::steady_clock::now();
    Run r;
    r.ok = ended == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    r.ms = std::chrono::duration<double, std::milli>(end - start).count();
    r.rssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    char folder[] = "/tmp/sa-startup-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const Server server = StartXvfb();
    if (server.pid <= 0) {
        std::fprintf(stderr, "Xvfb did not come up\n");
        rmdir(folder);
        return 1;
    }

    std::vector<double> times, rss;
    int failed = 0;
    double first = -1;
    for (int i = 0; i < runs; ++i) {
        const Run r = StartOnce(server.display, folder);
        if (!r.ok) {
            ++failed;
            continue;
        }
        if (first < 0) first = r.ms;
        times.push_back(r.ms);
        rss.push_back(r.rssMb);
    }
    kill(server.pid, SIGTERM);
    waitpid(server.pid, nullptr, 0);
    rmdir(folder);

    if (times.empty()) {
        std::fprintf(stderr, "no run reached its first frame (%d failed)\n", failed);
        return 1;
    }
    const double median = Median(times);
    const double peak = *std::max_element(rss.begin(), rss.end());
    std::printf("start-up to first frame, %zu runs under Xvfb %s\n", times.size(), server.display.c_str());
    std::printf("  first run      %7.1f ms\n", first);
    std::printf("  median         %7.1f ms   (target %.0f ms: %s)\n", median, kTargetMs,
                median <= kTargetMs ? "met" : "MISSED");
    std::printf("  fastest        %7.1f ms\n", *std::min_element(times.begin(), times.end()));
    std::printf("  slowest        %7.1f ms\n", *std::max_element(times.begin(), times.end()));
    std::printf("peak resident memory\n");
    std::printf("  largest run    %7.1f MB   (target under %.0f MB: %s)\n", peak, kTargetMb,
                peak < kTargetMb ? "met" : "MISSED");
    std::printf("  median         %7.1f MB\n", Median(rss));
    if (failed) std::printf("%d runs showed no frame\n", failed);
    return failed ? 1 : 0;
}
