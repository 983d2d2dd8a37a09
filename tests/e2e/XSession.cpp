#include "XSession.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace e2e {

namespace {

constexpr int kDisplays = 1000;  // display numbers tried for a server of the test's own

std::string SocketName(int display) { return "/tmp/.X11-unix/X" + std::to_string(display); }

// A unix socket address; `abstract` puts the name in the abstract namespace.
sockaddr_un Address(const std::string& name, bool abstract, socklen_t& length) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + (abstract ? 1 : 0), name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) + name.size());
    return address;
}

// Whether a server of another test answers on the display's socket file.
bool SocketFileAnswers(int display) {
    socklen_t length = 0;
    const sockaddr_un address = Address(SocketName(display), false, length);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    if (fd >= 0) ::close(fd);
    return answers;
}

// A connection of the harness's own. A window can be gone by the time the harness asks
// about it (its connection was closed, its process ended); the server then answers
// with an error, and Xlib's default handler would end the whole test program. While a
// connection is open its errors are counted instead: the request failed, the caller
// says so. Errors on other connections of the process (the SDL backend's, in the
// backend's tests) go on to the handler that was there before.
class Connection {
public:
    explicit Connection(const Xvfb& x) : display_(XOpenDisplay(x.Display().c_str())) {
        if (!display_) throw std::runtime_error("cannot connect to " + x.Display());
        previous_ = XSetErrorHandler(&Connection::OnError);
        open_ = this;
    }
    ~Connection() {
        XSync(display_, False);
        XCloseDisplay(display_);
        open_ = nullptr;
        XSetErrorHandler(previous_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* Get() const { return display_; }
    // Whether the server refused a request made so far, once it has answered them all.
    bool Failed() {
        XSync(display_, False);
        return errors_ > 0;
    }

private:
    static int OnError(Display* display, XErrorEvent* e) {
        if (open_ && open_->display_ == display) {
            ++open_->errors_;
            return 0;
        }
        return open_ && open_->previous_ ? open_->previous_(display, e) : 0;
    }

    static inline Connection* open_ = nullptr;  // the tests ask the server one request at a time
    Display* display_;
    XErrorHandler previous_ = nullptr;
    int errors_ = 0;
};

}  // namespace

AbstractName::AbstractName(int display) : display_(display) { Bind(); }

AbstractName::AbstractName(AbstractName&& o) noexcept : display_(o.display_), fd_(o.fd_) { o.fd_ = -1; }

AbstractName& AbstractName::operator=(AbstractName&& o) noexcept {
    if (this != &o) {
        Release();
        display_ = o.display_;
        fd_ = o.fd_;
        o.fd_ = -1;
    }
    return *this;
}

AbstractName::~AbstractName() { Release(); }

void AbstractName::Bind() {
    socklen_t length = 0;
    const sockaddr_un address = Address(SocketName(display_), true, length);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) != 0) Release();
}

void AbstractName::Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool AbstractName::Listen() { return fd_ >= 0 && ::listen(fd_, 8) == 0; }

int AbstractName::CloseConnections(int count) {
    if (fd_ < 0) return 0;
    int closed = 0;
    for (; closed < count; ++closed) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, closed == 0 ? 20000 : 5000) != 1) break;
        const int connection = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) break;
        ::close(connection);
    }
    // A listening socket cannot go back to refusing: a fresh one takes the name at once.
    Release();
    Bind();
    return closed;
}

void SetResources(const Xvfb& x, const std::string& resources) {
    Connection c(x);
    Display* d = c.Get();
    const auto* bytes = reinterpret_cast<const unsigned char*>(resources.data());
    XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "RESOURCE_MANAGER", False), XInternAtom(d, "STRING", False),
                    8, PropModeReplace, bytes, static_cast<int>(resources.size()));
}

Xvfb::Xvfb(int width, int height, bool abstractSocket, const std::vector<std::string>& options) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    // The write end goes to the server as descriptor 3 without O_CLOEXEC (dup2 clears it).
    std::vector<std::string> argv{SA_START_XVFB, std::to_string(width) + "x" + std::to_string(height)};
    if (!abstractSocket) {
        // The display whose abstract name the test can hold and no other server uses.
        for (int display = 0; display < kDisplays && !abstract_.Held(); ++display) {
            AbstractName name(display);
            if (name.Held() && !SocketFileAnswers(display)) abstract_ = std::move(name);
        }
        if (!abstract_.Held()) throw std::runtime_error("no display free for a server without its abstract name");
        argv.insert(argv.end(), {":" + std::to_string(abstract_.Display()), "-nolisten", "local"});
    }
    argv.insert(argv.end(), options.begin(), options.end());
    server_ = Child::Start(argv, {"SA_XVFB=" SA_XVFB}, {}, {}, fds[1]);
    ::close(fds[1]);
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

Xvfb::~Xvfb() { server_.Stop(SIGTERM); }

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
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) out.push_back(std::stoul(line));
    return out;
}

std::optional<Geometry> WindowGeometry(const Xvfb& x, unsigned long window) {
    Connection c(x);
    Display* d = c.Get();
    XWindowAttributes a{};
    std::optional<Geometry> out;
    Window child = 0;
    int rx = 0, ry = 0;
    if (XGetWindowAttributes(d, window, &a) &&
        XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &rx, &ry, &child))
        out = Geometry{rx, ry, a.width, a.height, a.map_state == IsViewable};
    return out;
}

std::string WindowName(const Xvfb& x, unsigned long window) {
    Connection c(x);
    Display* d = c.Get();
    std::string out;
    XTextProperty p{};
    if (XGetTextProperty(d, window, &p, XInternAtom(d, "_NET_WM_NAME", False)) && p.value) {
        out.assign(reinterpret_cast<const char*>(p.value), p.nitems);
        XFree(p.value);
    }
    return out;
}

std::vector<long> WindowMotifHints(const Xvfb& x, unsigned long window) {
    Connection c(x);
    Display* d = c.Get();
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
    return out;
}

std::vector<std::pair<int, int>> WindowIconSizes(const Xvfb& x, unsigned long window) {
    Connection c(x);
    Display* d = c.Get();
    std::vector<std::pair<int, int>> out;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, XInternAtom(d, "_NET_WM_ICON", False), 0, 1 << 20, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
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
    return out;
}

std::vector<uint32_t> WindowPixels(const Xvfb& x, unsigned long window, int left, int top, int width, int height) {
    Connection c(x);
    Display* d = c.Get();
    std::vector<uint32_t> out;
    if (XImage* image = XGetImage(d, window, left, top, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  AllPlanes, ZPixmap)) {
        for (int y = 0; y < height; ++y)
            for (int xx = 0; xx < width; ++xx)
                out.push_back(static_cast<uint32_t>(XGetPixel(image, xx, y)) & 0xFFFFFFu);
        XDestroyImage(image);
    }
    return out;
}

bool SendDeleteWindow(const Xvfb& x, unsigned long window) {
    Connection c(x);
    Display* d = c.Get();
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(d, window, False, NoEventMask, &e);
    return sent != 0 && !c.Failed();
}

bool SendKeysyms(const Xvfb& x, unsigned long window, const std::vector<unsigned long>& keysyms) {
    Connection c(x);
    Display* d = c.Get();
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
    return sent && !c.Failed();
}

}  // namespace e2e
