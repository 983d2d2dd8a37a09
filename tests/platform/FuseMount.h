#pragma once
#include <string>
#include <sys/types.h>

#include <vector>

// A small file-system image made with its mkfs tool in a temporary folder and mounted
// there through FUSE for the life of the object; or a share of a server started for it
// on 127.0.0.1 (Samba, reached through smbnetfs or through gvfs in a private session
// bus; an SFTP server reached through sshfs), its folder in the same temporary folder.
// Every process runs as a child of the test; the mount is undone by its own mount point
// and each process ended by its own PID (with what it started), also when the test
// fails. Linux only; needs root and /dev/fuse. Samba takes port 445 of 127.0.0.1, which
// only one test at a time can hold.
namespace testtree {

enum class FuseKind { kExfat, kNtfs, kFat, kSmbnetfs, kGvfs, kSshfs };
const char* FuseKindName(FuseKind kind);

class FuseMount {
public:
    explicit FuseMount(FuseKind kind);
    ~FuseMount();
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }  // what failed, when not mounted
    // The drive's root as the test uses it: the share's folder, for a share.
    const std::string& Path() const { return root_; }

    // Shares: the server's own path of `path` below Path(); stopping and starting the
    // server, which the client then finds gone and back.
    bool IsShare() const { return !server_.empty(); }
    bool IsSmbShare() const { return kind_ == FuseKind::kSmbnetfs || kind_ == FuseKind::kGvfs; }
    FuseKind Kind() const { return kind_; }
    std::string OnServer(const std::string& path) const;
    void StopServer();
    bool StartServer();

private:
    bool Mount(FuseKind kind);
    bool MountShare(FuseKind kind);
    bool WaitForMount(const std::string& driver);
    bool Fail(std::string why);
    void Unmount();

    FuseKind kind_;
    std::string folder_, image_, mountPoint_, root_, loopDevice_, why_;
    std::vector<std::string> server_, environment_;  // a share's server command; its clients' environment
    pid_t driver_ = -1, serverPid_ = -1;
    int serverPort_ = 0;
    std::vector<pid_t> helpers_;  // the session bus and gvfs's daemon
    bool mounted_ = false;
};

// A line for each network client this machine cannot run, so that a run says what it
// did not cover: the kernel's own CIFS and NFS clients.
void SayWhatIsNotCovered();

// CI runs as root with /dev/fuse: there a mount that fails is an error, not a skip.
bool FuseMountsRequired();

}  // namespace testtree
