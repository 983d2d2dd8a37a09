#include "tests/platform/FuseMount.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <vector>

extern char** environ;

namespace testtree {

namespace {

constexpr off_t kImageSize = 64 << 20;

// Starts `argv` with its output sent to `output` (or thrown away), in `environment`
// (the test's own if empty); returns its PID.
pid_t Start(const std::vector<std::string>& argv, const std::string& output = "/dev/null",
            const std::vector<std::string>& environment = {}) {
    std::vector<char*> args, env;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : environment) env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environment.empty() ? environ : env.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool Run(const std::vector<std::string>& argv, const std::string& output = "/dev/null",
         const std::vector<std::string>& environment = {}) {
    const pid_t pid = Start(argv, output, environment);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool IsMountPoint(const std::string& path) {
    struct stat here, parent;
    return stat(path.c_str(), &here) == 0 && stat((path + "/..").c_str(), &parent) == 0 && here.st_dev != parent.st_dev;
}

// `pid` and every process it started, found by their parents' PIDs in /proc: a server
// forks one process per client, which ending the server alone leaves running.
std::vector<pid_t> Descendants(pid_t pid) {
    std::vector<pid_t> found{pid};
    for (std::size_t at = 0; at < found.size(); ++at) {
        DIR* proc = opendir("/proc");
        for (const dirent* e = proc ? readdir(proc) : nullptr; e; e = readdir(proc)) {
            const pid_t child = std::atoi(e->d_name);
            if (child <= 0) continue;
            std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
            std::string line;
            std::getline(stat, line);
            const std::size_t close = line.rfind(')');
            int parent = 0;
            if (close != std::string::npos && std::sscanf(line.c_str() + close + 1, " %*c %d", &parent) == 1 &&
                parent == found[at])
                found.push_back(child);
        }
        if (proc) closedir(proc);
    }
    return found;
}

// Ends `pid`, a child of the test, with everything it started; waits for it.
void EndTree(pid_t& pid) {
    if (pid <= 0) return;
    for (const pid_t p : Descendants(pid)) kill(p, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
}

bool Listens(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool open = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) close(fd);
    return open;
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0) close(fd);
    return bound ? ntohs(address.sin_port) : 0;
}

bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 400; ++i) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

void Write(const std::string& path, const std::string& text, mode_t mode = 0644) {
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
}

constexpr int kSmbPort = 445;  // smbnetfs's client library reaches no other

}  // namespace

const char* FuseKindName(FuseKind kind) {
    switch (kind) {
    case FuseKind::kExfat: return "exFAT";
    case FuseKind::kNtfs: return "NTFS";
    case FuseKind::kFat: return "FAT";
    case FuseKind::kSmbnetfs: return "SambaThroughSmbnetfs";
    case FuseKind::kGvfs: return "SambaThroughGvfs";
    case FuseKind::kSshfs: return "SftpThroughSshfs";
    }
    return "?";
}

bool FuseMountsRequired() {
    return std::getenv("CI") != nullptr;
}

FuseMount::FuseMount(FuseKind kind) : kind_(kind) {
    char pattern[] = "/tmp/sa-fuse-XXXXXX";
    if (!mkdtemp(pattern)) {
        why_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    image_ = folder_ + "/image";
    mountPoint_ = folder_ + "/mount";
    root_ = mountPoint_;
    mounted_ = Mount(kind);
    if (!mounted_) Unmount();
}

FuseMount::~FuseMount() {
    Unmount();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool FuseMount::Fail(std::string why) {
    why_ = std::move(why);
    return false;
}

bool FuseMount::Mount(FuseKind kind) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) return Fail("no access to /dev/fuse");
    if (kind == FuseKind::kSmbnetfs || kind == FuseKind::kGvfs || kind == FuseKind::kSshfs) return MountShare(kind);
    const int fd = open(image_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const bool sized = fd >= 0 && ftruncate(fd, kImageSize) == 0;
    if (fd >= 0) close(fd);
    if (!sized || mkdir(mountPoint_.c_str(), 0700) != 0) return Fail("cannot make the image");

    std::vector<std::string> driver;
    switch (kind) {
    case FuseKind::kExfat: {
        if (!Run({"mkfs.exfat", image_})) return Fail("mkfs.exfat failed");
        // As root the exFAT driver mounts block devices only.
        const std::string name = folder_ + "/loop";
        if (!Run({"losetup", "--find", "--show", image_}, name)) return Fail("losetup failed");
        std::ifstream(name) >> loopDevice_;
        driver = {"mount.exfat-fuse", "-d", loopDevice_, mountPoint_};  // -d: foreground
        break;
    }
    case FuseKind::kNtfs:
        if (!Run({"mkfs.ntfs", "--quick", "--force", image_})) return Fail("mkfs.ntfs failed");
        driver = {"ntfs-3g", "-o", "no_detach", image_, mountPoint_};
        break;
    case FuseKind::kFat:
        if (!Run({"mkfs.fat", image_})) return Fail("mkfs.fat failed");
        driver = {"fusefat", "-f", "-o", "rw+", image_, mountPoint_};
        break;
    default: return Fail("not an image");
    }
    driver_ = Start(driver);
    if (driver_ <= 0) return Fail("cannot start " + driver[0]);
    return WaitForMount(driver[0]);
}

bool FuseMount::MountShare(FuseKind kind) {
    const std::string share = folder_ + "/share", home = folder_ + "/home";
    if (mkdir(share.c_str(), 0777) != 0 || chmod(share.c_str(), 0777) != 0 || mkdir(home.c_str(), 0700) != 0 ||
        mkdir(mountPoint_.c_str(), 0700) != 0)
        return Fail("cannot make the share's folders");
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "HOME=", 5) != 0) environment_.push_back(*e);
    environment_.push_back("HOME=" + home);
    std::vector<std::string> driver;
    if (kind == FuseKind::kSshfs) {
        const std::string ssh = folder_ + "/ssh", config = ssh + "/sshd_config";
        const int port = FreePort();
        mkdir(ssh.c_str(), 0700);
        mkdir("/run/sshd", 0755);  // sshd's own empty folder for its unprivileged child
        if (!Run({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", ssh + "/host"}) ||
            !Run({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", ssh + "/client"}) || port == 0)
            return Fail("cannot make the SSH keys");
        std::ifstream in(ssh + "/client.pub");
        Write(ssh + "/authorized_keys", std::string(std::istreambuf_iterator<char>(in), {}));
        Write(config, "Port " + std::to_string(port) + "\nListenAddress 127.0.0.1\nHostKey " + ssh +
                          "/host\nPidFile none\nAuthorizedKeysFile " + ssh +
                          "/authorized_keys\nPermitRootLogin yes\nStrictModes no\nPasswordAuthentication no\n"
                          "KbdInteractiveAuthentication no\nUsePAM no\nSubsystem sftp internal-sftp\n");
        server_ = {"/usr/sbin/sshd", "-D", "-e", "-f", config};
        serverPort_ = port;
        if (!StartServer()) return Fail("sshd did not start");
        // reconnect: a server that comes back is found again, as a desktop's mount does.
        driver = {"sshfs", "-f", "-o",
                  "port=" + std::to_string(port) + ",IdentityFile=" + ssh +
                      "/client,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,BatchMode=yes,reconnect",
                  "root@127.0.0.1:" + share, mountPoint_};
    } else {
        const std::string samba = folder_ + "/samba", config = samba + "/smb.conf";
        mkdir(samba.c_str(), 0700);
        std::string dirs;  // every folder the server writes, in the test's own
        for (const char* dir : {"private dir", "lock directory", "state directory", "cache directory", "pid directory",
                                "ncalrpc dir"}) {
            const std::string path = samba + "/" + std::string(dir).substr(0, std::string(dir).find(' '));
            mkdir(path.c_str(), 0700);
            dirs += std::string("  ") + dir + " = " + path + "\n";
        }
        // A server as a NAS ships it: default name mangling, case-insensitive; the
        // guest writes as root, the owner of the test's files.
        Write(config, "[global]\n  server role = standalone server\n  interfaces = 127.0.0.1\n"
                      "  bind interfaces only = yes\n  smb ports = " + std::to_string(kSmbPort) + "\n" + dirs +
                      "  log file = " + samba + "/log\n  map to guest = Bad User\n  guest account = root\n"
                      "  load printers = no\n  disable spoolss = yes\n"
                      "[share]\n  path = " + share + "\n  guest ok = yes\n  read only = no\n  force user = root\n");
        server_ = {"smbd", "--foreground", "--no-process-group", "--configfile=" + config, "--debug-stdout"};
        serverPort_ = kSmbPort;
        if (Listens(kSmbPort)) return Fail("port 445 of 127.0.0.1 is taken");
        if (!StartServer()) return Fail("smbd did not start");
        if (kind == FuseKind::kSmbnetfs) {
            mkdir((home + "/.smb").c_str(), 0700);
            Write(home + "/.smb/smb.conf", "[global]\n  client min protocol = SMB2\n");
            Write(home + "/.smb/smbnetfs.conf", "auth \"guest\" \"\"\nsmb_query_browsers \"false\"\n", 0600);
            driver = {"smbnetfs", "-f", mountPoint_};
            root_ = mountPoint_ + "/127.0.0.1/share";
        } else {
            // gvfs as a desktop runs it, on a session bus of its own.
            const std::string runtime = folder_ + "/runtime", bus = runtime + "/bus";
            mkdir(runtime.c_str(), 0700);
            Write(folder_ + "/bus.conf",
                  "<busconfig><type>session</type><listen>unix:path=" + bus +
                      "</listen><auth>EXTERNAL</auth><standard_session_servicedirs/><policy context=\"default\">"
                      "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                      "<allow own=\"*\"/></policy></busconfig>\n");
            environment_.insert(environment_.end(), {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + bus,
                                                     "XDG_RUNTIME_DIR=" + runtime, "GIO_USE_VFS=gvfs"});
            helpers_.push_back(Start({"dbus-daemon", "--config-file=" + folder_ + "/bus.conf", "--nofork"}));
            if (!WaitFor([&] { return access(bus.c_str(), F_OK) == 0; })) return Fail("no session bus");
            helpers_.push_back(Start({"/usr/libexec/gvfsd", "--no-fuse"}, "/dev/null", environment_));
            driver = {"/usr/libexec/gvfsd-fuse", "-f", mountPoint_};
            root_ = mountPoint_ + "/smb-share:server=127.0.0.1,share=share";
        }
    }
    driver_ = Start(driver, "/dev/null", environment_);
    if (driver_ <= 0) return Fail("cannot start " + driver[0]);
    if (!WaitForMount(driver[0])) return false;
    if (kind == FuseKind::kGvfs && !Run({"gio", "mount", "-a", "smb://127.0.0.1/share"}, "/dev/null", environment_))
        return Fail("gio mount failed");
    struct stat st;
    if (!WaitFor([&] { return stat(root_.c_str(), &st) == 0 && S_ISDIR(st.st_mode); }))
        return Fail("the share does not show in " + root_);
    return true;
}

std::string FuseMount::OnServer(const std::string& path) const {
    return folder_ + "/share" + path.substr(std::min(root_.size(), path.size()));
}

void FuseMount::StopServer() {
    EndTree(serverPid_);
}

bool FuseMount::StartServer() {
    if (server_.empty()) return false;
    serverPid_ = Start(server_);
    // Back once the client lists the share again: smbnetfs takes a few seconds.
    return serverPid_ > 0 && WaitFor([this] { return Listens(serverPort_); }) && WaitFor([this] {
               DIR* folder = opendir(root_.c_str());
               errno = 0;
               const bool listed = folder && readdir(folder) && errno == 0;
               if (folder) closedir(folder);
               return listed;
           });
}

bool FuseMount::WaitForMount(const std::string& name) {
    for (int i = 0; i < 200; ++i) {
        if (IsMountPoint(mountPoint_)) return true;
        int status = 0;
        if (waitpid(driver_, &status, WNOHANG) == driver_) {
            driver_ = -1;
            return Fail(name + " ended without mounting");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return Fail(name + " did not mount in time");
}

void FuseMount::Unmount() {
    if (!mountPoint_.empty() && IsMountPoint(mountPoint_) && !Run({"umount", mountPoint_}))
        Run({"umount", "--lazy", mountPoint_});
    if (driver_ > 0) {
        // The driver ends once its mount is gone; one that does not is ended.
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 200 && !ended; ++i) {
            ended = waitpid(driver_, &status, WNOHANG) == driver_;
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        if (!ended) {
            kill(driver_, SIGKILL);
            waitpid(driver_, &status, 0);
        }
        driver_ = -1;
    }
    if (!loopDevice_.empty()) Run({"losetup", "--detach", loopDevice_});
    loopDevice_.clear();
    StopServer();
    for (pid_t& helper : helpers_) EndTree(helper);
    helpers_.clear();
    mounted_ = false;
}

void SayWhatIsNotCovered() {
    std::ifstream table("/proc/filesystems");
    const std::string known((std::istreambuf_iterator<char>(table)), {});
    for (const auto& [type, client] : {std::pair{"cifs", "CIFS/SMB"}, std::pair{"nfs", "NFS"}}) {
        const bool here = known.find(std::string("\t") + type) != std::string::npos;
        std::printf("not covered: the kernel's own %s client (%s)\n", client,
                    here ? "present, but these tests mount no share with it" : "not available on this machine");
    }
}

}  // namespace testtree
