#pragma once
// Opening a program or document on a Linux desktop: the desktop's viewer, xdg-open,
// started and later reaped, never waited for.
#include <vector>

#include <sys/types.h>

#include "forms/core/Backend.h"

namespace forms::sdl {

class Shell {
public:
    Shell() = default;
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
    ~Shell() { Reap(); }

    // A Windows program that isn't there has its parameters opened instead (a help
    // viewer with its help file). False when there is nothing to open or no viewer.
    bool Open(const ShellRequest& r);
    // Collects the viewers that have ended, so none stays a zombie.
    void Reap();

private:
    std::vector<pid_t> children_;
};

}  // namespace forms::sdl
