#pragma once
#include <string>
#include <sys/types.h>

// A small file-system image made with its mkfs tool in a temporary folder and mounted
// there through FUSE for the life of the object. The driver runs in the foreground as
// a child of the test; the mount is undone by its own mount point and the driver waited
// for by its own PID, also when the test fails. Linux only; needs root and /dev/fuse.
namespace testtree {

enum class FuseKind { kExfat, kNtfs, kFat };
const char* FuseKindName(FuseKind kind);

class FuseMount {
public:
    explicit FuseMount(FuseKind kind);
    ~FuseMount();
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }  // what failed, when not mounted
    const std::string& Path() const { return mountPoint_; }

private:
    bool Mount(FuseKind kind);
    bool Fail(std::string why);
    void Unmount();

    std::string folder_, image_, mountPoint_, loopDevice_, why_;
    pid_t driver_ = -1;
    bool mounted_ = false;
};

// CI runs as root with /dev/fuse: there a mount that fails is an error, not a skip.
bool FuseMountsRequired();

}  // namespace testtree
