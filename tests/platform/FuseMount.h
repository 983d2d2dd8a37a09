#pragma once
#include <string>
#include <sys/types.h>

// A small file-system image made with its mkfs tool in a temporary folder and mounted
// there through FUSE for the life of the object. The driver runs in the foreground as
// a child of the test; the mount is undone by its own mount point and the driver waited
// for by its own PID, also when the test fails. Or a share of a server started here by
// bench/conversion/share.sh, which ends what it started by PID. Linux only; needs root
// and /dev/fuse.
namespace testtree {

enum class FuseKind { Exfat, Ntfs, Fat, Smbnetfs, Gvfs, Sshfs };
const char* FuseKindName(FuseKind kind);

class FuseMount {
public:
    explicit FuseMount(FuseKind kind);
    ~FuseMount();
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }    // what failed, when not mounted
    const std::string& Path() const { return root_; }  // for a share, the share's folder

    // Shares: Path() on the server; share.sh's other commands ("stop-server", ...).
    bool IsShare() const { return kind_ >= FuseKind::Smbnetfs; }
    bool IsSmbShare() const { return kind_ == FuseKind::Smbnetfs || kind_ == FuseKind::Gvfs; }
    std::string OnServer() const { return folder_ + "/share"; }
    bool Share(const char* command) const;

private:
    bool Mount(FuseKind kind);
    bool Fail(std::string why);
    void Unmount();

    FuseKind kind_;
    std::string folder_, image_, mountPoint_, root_, loopDevice_, why_;
    pid_t driver_ = -1;
    bool mounted_ = false;
};

// CI runs as root with /dev/fuse: there a mount that fails is an error, not a skip.
bool FuseMountsRequired();

}  // namespace testtree
