#include "tests/platform/FuseMount.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/platform/TempTree.h"

extern char** environ;

namespace testtree {

namespace {

constexpr off_t kImageSize = 64 << 20;

// Starts `argv` with its output sent to `output` (or thrown away); returns its PID.
pid_t Start(const std::vector<std::string>& argv, const std::string& output = "/dev/null") {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool Run(const std::vector<std::string>& argv, const std::string& output = "/dev/null") {
    const pid_t pid = Start(argv, output);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool IsMountPoint(const std::string& path) {
    struct stat here, parent;
    return stat(path.c_str(), &here) == 0 && stat((path + "/..").c_str(), &parent) == 0 && here.st_dev != parent.st_dev;
}

}  // namespace

const char* FuseKindName(FuseKind kind) {
    switch (kind) {
        case FuseKind::Exfat:
            return "exFAT";
        case FuseKind::Ntfs:
            return "NTFS";
        case FuseKind::Fat:
            return "FAT";
        case FuseKind::Smbnetfs:
            return "SambaThroughSmbnetfs";
        case FuseKind::Gvfs:
            return "SambaThroughGvfs";
        case FuseKind::Sshfs:
            return "SftpThroughSshfs";
    }
    return "?";
}

bool FuseMountsRequired() { return std::getenv("CI") != nullptr; }

FuseMount::FuseMount(FuseKind kind) : kind_(kind) {
    char pattern[] = "/tmp/sa-fuse-XXXXXX";
    if (!mkdtemp(pattern)) {
        why_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    image_ = folder_ + "/image";
    mountPoint_ = root_ = folder_ + "/mount";
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
    if (IsShare()) {
        // The share's processes outlive their script: this process reaps them.
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        const char* names[] = {"smbnetfs", "gvfs", "sshfs"};
        const std::string said = folder_ + "/said";
        if (!Run({"bash", SA_SHARE_SCRIPT, "start", names[static_cast<int>(kind) - 3], folder_}, said))
            return Fail("share.sh could not start the share: " + ReadFile(said));
        std::ifstream(said) >> root_;
        return true;
    }
    const int fd = open(image_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const bool sized = fd >= 0 && ftruncate(fd, kImageSize) == 0;
    if (fd >= 0) close(fd);
    if (!sized || mkdir(mountPoint_.c_str(), 0700) != 0) return Fail("cannot make the image");

    std::vector<std::string> driver;
    switch (kind) {
        case FuseKind::Exfat: {
            if (!Run({"mkfs.exfat", image_})) return Fail("mkfs.exfat failed");
            // As root the exFAT driver mounts block devices only.
            const std::string name = folder_ + "/loop";
            if (!Run({"losetup", "--find", "--show", image_}, name)) return Fail("losetup failed");
            std::ifstream(name) >> loopDevice_;
            driver = {"mount.exfat-fuse", "-d", loopDevice_, mountPoint_};  // -d: foreground
            break;
        }
        case FuseKind::Ntfs:
            if (!Run({"mkfs.ntfs", "--quick", "--force", image_})) return Fail("mkfs.ntfs failed");
            driver = {"ntfs-3g", "-o", "no_detach", image_, mountPoint_};
            break;
        case FuseKind::Fat:
            if (!Run({"mkfs.fat", image_})) return Fail("mkfs.fat failed");
            driver = {"fusefat", "-f", "-o", "rw+", image_, mountPoint_};
            break;
        default:
            return Fail("no image for a share");
    }
    driver_ = Start(driver);
    if (driver_ <= 0) return Fail("cannot start " + driver[0]);
    for (int i = 0; i < 200; ++i) {
        if (IsMountPoint(mountPoint_)) return true;
        int status = 0;
        if (waitpid(driver_, &status, WNOHANG) == driver_) {
            driver_ = -1;
            return Fail(driver[0] + " ended without mounting");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return Fail(driver[0] + " did not mount in time");
}

bool FuseMount::Share(const char* command) const { return Run({"bash", SA_SHARE_SCRIPT, command, folder_}); }

void FuseMount::Unmount() {
    if (IsShare() && !folder_.empty()) {
        Share("stop");
        while (waitpid(-1, nullptr, WNOHANG) > 0) {}
    }
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
    mounted_ = false;
}

}  // namespace testtree
