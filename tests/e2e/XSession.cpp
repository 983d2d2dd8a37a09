#include "XSession.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

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

Display* Open(const Xvfb& x) {
    Display* d = XOpenDisplay(x.Display().c_str());
    if (!d) throw std::runtime_error("cannot connect to " + x.Display());
    return d;
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

void SetResources(const Xvfb& x, const std::string& resources) {
    Display* d = Open(x);
    const auto* bytes = reinterpret_cast<const unsigned char*>(resources.data());
    XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "RESOURCE_MANAGER", False), XInternAtom(d, "STRING", False),
                    8, PropModeReplace, bytes, static_cast<int>(resources.size()));
    XCloseDisplay(d);
}

Xvfb::Xvfb(int width, int height, bool abstractSocket, const std::vector<std::string>& options) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    // The write end goes to the server as descriptor 3 without O_CLOEXEC (dup2 clears it).
    // -noreset: an X server that starts afresh whenever its last client leaves refuses
    // connections meanwhile, and the tests come and go.
    std::vector<std::string> argv{SA_XVFB, "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0",
                                  std::to_string(width) + "x" + std::to_string(height) + "x24"};
    if (!abstractSocket) argv.insert(argv.end(), {"-nolisten", "local"});
    argv.insert(argv.end(), options.begin(), options.end());
    server_ = Child::Start(argv, {}, {}, {}, fds[1]);
    ::close(fds[1]);
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && ::poll(&p, 1, 15000) > 0) {
        char buf[16];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        number.append(buf, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (number.find('\n') == std::string::npos) throw std::runtime_error("Xvfb did not come up");
    display_ = ":" + number.substr(0, number.find('\n'));
}

Xvfb::~Xvfb() {
    server_.Stop(SIGTERM);
}

RunResult Xdotool(const Xvfb& x, const std::vector<std::string>& args, int timeoutMs) {
    std::vector<std::string> argv{SA_XDOTOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv, {x.Env()}, timeoutMs);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::vector<unsigned long> VisibleWindows(const Xvfb& x, pid_t pid, const std::string& name) {
    const RunResult r =
        Xdotool(x, {"search", "--onlyvisible", "--pid", std::to_string(pid), "--name", "^" + name + "$"});
    std::vector<unsigned long> out;
    for (const std::string& line : Lines(r.Out))
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
            out.push_back(std::stoul(line));
    return out;
}

std::optional<Geometry> WindowGeometry(const Xvfb& x, unsigned long window) {
    Display* d = Open(x);
    XWindowAttributes a{};
    std::optional<Geometry> out;
    Window child = 0;
    int rx = 0, ry = 0;
    if (XGetWindowAttributes(d, window, &a) &&
        XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &rx, &ry, &child))
        out = Geometry{rx, ry, a.width, a.height, a.map_state == IsViewable};
    XCloseDisplay(d);
    return out;
}

std::string WindowName(const Xvfb& x, unsigned long window) {
    Display* d = Open(x);
    std::string out;
    XTextProperty p{};
    if (XGetTextProperty(d, window, &p, XInternAtom(d, "_NET_WM_NAME", False)) && p.value) {
        out.assign(reinterpret_cast<const char*>(p.value), p.nitems);
        XFree(p.value);
    }
    XCloseDisplay(d);
    return out;
}

std::vector<long> WindowMotifHints(const Xvfb& x, unsigned long window) {
    Display* d = Open(x);
    std::vector<long> out;
    const Atom hints = XInternAtom(d, "_MOTIF_WM_HINTS", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, hints, 0, 5, False, hints, &type, &format, &count, &after, &data) == Success &&
        data && format == 32)
        out.assign(reinterpret_cast<const long*>(data), reinterpret_cast<const long*>(data) + count);
    if (data) XFree(data);
    XCloseDisplay(d);
    return out;
}

std::vector<std::pair<int, int>> WindowIconSizes(const Xvfb& x, unsigned long window) {
    Display* d = Open(x);
    std::vector<std::pair<int, int>> out;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, XInternAtom(d, "_NET_WM_ICON", False), 0, 1 << 20, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success &&
        data && format == 32) {
        // CARDINALs come as longs: width, height, then width * height pixels, repeated.
        const auto* v = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i + 2 <= count;) {
            const long w = v[i], h = v[i + 1];
            if (w <= 0 || h <= 0) break;
            out.emplace_back(static_cast<int>(w), static_cast<int>(h));
            i += 2 + static_cast<unsigned long>(w * h);
        }
    }
    if (data) XFree(data);
    XCloseDisplay(d);
    return out;
}

std::vector<uint32_t> WindowPixels(const Xvfb& x, unsigned long window, int left, int top, int width, int height) {
    Display* d = Open(x);
    std::vector<uint32_t> out;
    if (XImage* image = XGetImage(d, window, left, top, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  AllPlanes, ZPixmap)) {
        for (int y = 0; y < height; ++y)
            for (int xx = 0; xx < width; ++xx) out.push_back(static_cast<uint32_t>(XGetPixel(image, xx, y)) & 0xFFFFFFu);
        XDestroyImage(image);
    }
    XCloseDisplay(d);
    return out;
}

bool SendDeleteWindow(const Xvfb& x, unsigned long window) {
    Display* d = Open(x);
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(d, window, False, NoEventMask, &e);
    XSync(d, False);
    XCloseDisplay(d);
    return sent != 0;
}

bool SendKeysyms(const Xvfb& x, unsigned long window, const std::vector<unsigned long>& keysyms) {
    Display* d = Open(x);
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(d, &minCode, &maxCode);
    bool sent = true;
    for (const KeySym sym : keysyms) {
        KeyCode code = XKeysymToKeycode(d, sym);
        if (code == 0) {
            int perCode = 0;
            KeySym* map = XGetKeyboardMapping(d, static_cast<KeyCode>(minCode), maxCode - minCode + 1, &perCode);
            for (int c = maxCode; map && c >= minCode && code == 0; --c) {
                bool unused = true;
                for (int k = 0; k < perCode; ++k)
                    if (map[(c - minCode) * perCode + k] != NoSymbol) unused = false;
                if (!unused) continue;
                // Both shift columns, so that no case rule turns a capital into a small letter.
                KeySym both[2] = {sym, sym};
                XChangeKeyboardMapping(d, c, 2, both, 1);
                code = static_cast<KeyCode>(c);
            }
            if (map) XFree(map);
            XSync(d, False);
        }
        if (code == 0) {
            sent = false;
            break;
        }
        XKeyEvent e;
        std::memset(&e, 0, sizeof e);
        e.display = d;
        e.window = window;
        e.root = DefaultRootWindow(d);
        e.time = CurrentTime;
        e.x = e.y = e.x_root = e.y_root = 1;
        e.same_screen = True;
        e.keycode = code;
        e.type = KeyPress;
        sent = XSendEvent(d, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&e)) && sent;
        e.type = KeyRelease;
        sent = XSendEvent(d, window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&e)) && sent;
    }
    XSync(d, False);
    XCloseDisplay(d);
    return sent;
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
