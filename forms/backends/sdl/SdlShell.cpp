#include "SdlShell.h"

#include <algorithm>
#include <cctype>
#include <string>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace forms::sdl {

namespace {

bool EndsWithExe(const std::string& s) {
    if (s.size() < 4) return false;
    std::string tail = s.substr(s.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".exe";
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

std::string Unquoted(std::string s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

std::string InFolder(const std::string& folder, const std::string& file) {
    if (folder.empty() || file.empty() || file.front() == '/') return file;
    return folder.back() == '/' ? folder + file : folder + "/" + file;
}

bool IsUrl(const std::string& s) { return s.find("://") != std::string::npos; }

}  // namespace

bool Shell::Open(const ShellRequest& r) {
    Reap();
    std::string target = InFolder(r.Directory, Unquoted(r.File));
    // A Windows program is not there to run: what it was asked to open (a help
    // viewer's help file) goes to the desktop's viewer instead.
    if (EndsWithExe(target) && !PathExists(target)) {
        if (r.Parameters.empty()) return false;
        target = InFolder(r.Directory, Unquoted(r.Parameters));
    }
    if (!IsUrl(target) && !PathExists(target)) return false;
    const std::string program = "xdg-open";
    std::vector<char*> argv{const_cast<char*>(program.c_str()), target.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    children_.push_back(pid);
    return true;
}

void Shell::Reap() {
    children_.erase(std::remove_if(children_.begin(), children_.end(),
                                   [](pid_t pid) {
                                       int status = 0;
                                       return ::waitpid(pid, &status, WNOHANG) != 0;
                                   }),
                    children_.end());
}

}  // namespace forms::sdl
