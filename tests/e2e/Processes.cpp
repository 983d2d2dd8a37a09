// The processes and folders a test starts and removes: children stopped by their own
// pid, commands run to their end, temporary folders.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "XSession.h"

extern char** environ;

namespace e2e {

namespace {

std::string FindInPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return program;
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> out;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& o : overrides)
            if (o.substr(0, o.find('=')) == name) replaced = true;
        if (!replaced) out.push_back(entry);
    }
    out.insert(out.end(), overrides.begin(), overrides.end());
    return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

Child::Child(Child&& o) noexcept : pid_(o.pid_) { o.pid_ = -1; }

Child& Child::operator=(Child&& o) noexcept {
    if (this != &o) {
        Stop(SIGKILL);
        pid_ = o.pid_;
        o.pid_ = -1;
    }
    return *this;
}

Child::~Child() { Stop(SIGKILL); }

Child Child::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& cwd,
                   const std::string& outFile, int passFd) {
    // Everything the child needs is prepared before fork: the test has threads.
    std::vector<std::string> args = argv;
    const std::string program = FindInPath(argv.at(0));
    std::vector<std::string> environment = MergedEnvironment(env);
    std::vector<char*> argp = Pointers(args);
    std::vector<char*> envp = Pointers(environment);
    const std::string out = outFile.empty() ? "/dev/null" : outFile;
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            if (fd > 2) ::close(fd);
        }
        const int in = ::open("/dev/null", O_RDONLY);
        if (in >= 0 && in != 0) {
            ::dup2(in, 0);
            ::close(in);
        }
        if (passFd == 3) ::fcntl(3, F_SETFD, 0);
        else if (passFd >= 0) {
            ::dup2(passFd, 3);
            ::close(passFd);
        }
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
        ::execve(program.c_str(), argp.data(), envp.data());
        ::_exit(127);
    }
    Child c;
    c.pid_ = pid;
    return c;
}

std::optional<int> Child::Wait(int timeoutMs) {
    if (pid_ <= 0) return std::nullopt;
    int status = 0;
    const bool ended = WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeoutMs);
    if (!ended) return std::nullopt;
    pid_ = -1;
    return status;
}

void Child::Stop(int signal) {
    if (pid_ <= 0) return;
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool RunResult::Succeeded() const { return !TimedOut && WIFEXITED(WaitStatus) && WEXITSTATUS(WaitStatus) == 0; }

RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, int timeoutMs) {
    char path[] = "/tmp/sa-run-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    ::close(fd);
    RunResult r;
    {
        Child c = Child::Start(argv, env, {}, path);
        const std::optional<int> status = c.Wait(timeoutMs);
        r.TimedOut = !status;
        r.WaitStatus = status.value_or(-1);
    }
    if (FILE* f = std::fopen(path, "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) r.Out.append(buf, n);
        std::fclose(f);
    }
    ::unlink(path);
    return r;
}

bool Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sa-e2e-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace e2e
