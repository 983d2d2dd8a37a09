#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/platform/FuseMount.h"

// A test run once on each FUSE drive: each gets its freshly mounted image. Where no
// mount can be made the test is skipped, except in CI, where that fails it.
namespace testtree {

class OnFuseDrive : public ::testing::TestWithParam<FuseKind> {
protected:
    void SetUp() override {
        mount_ = std::make_unique<FuseMount>(GetParam());
        if (mount_->Mounted()) return;
        if (FuseMountsRequired()) FAIL() << mount_->Why();
        GTEST_SKIP() << mount_->Why();
    }
    void TearDown() override { mount_.reset(); }

    const std::string& Drive() const { return mount_->Path(); }
    FuseMount& Mount() const { return *mount_; }

private:
    std::unique_ptr<FuseMount> mount_;
};

// Disk images, and network shares of servers on this machine.
inline auto FuseDrives() {
    return ::testing::Values(FuseKind::Exfat, FuseKind::Ntfs, FuseKind::Fat, FuseKind::Smbnetfs, FuseKind::Gvfs,
                             FuseKind::Sshfs);
}

inline std::string FuseDriveName(const ::testing::TestParamInfo<FuseKind>& info) { return FuseKindName(info.param); }

}  // namespace testtree
