#include "platform/Process.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>

namespace platform {
namespace {
std::optional<bool>& forcedSwitch() {
    static std::optional<bool> forced;
    return forced;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}
}  // namespace

bool externalProgramsEnabled() {
    if (forcedSwitch()) return *forcedSwitch();
    const char* off = std::getenv("VARNOK_NO_EXTERNAL");
    return !(off && *off && std::strcmp(off, "0") != 0);
}

void setExternalProgramsEnabled(bool enabled) { forcedSwitch() = enabled; }

std::string findOnPath(const std::string& program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return isExecutableFile(program) ? program : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        std::string candidate = dir + "/" + program;
        if (isExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

RunResult runProgram(const std::vector<std::string>& argv, bool wait) {
    RunResult result;
    if (argv.empty()) {
        result.message = "no program given";
        return result;
    }
    if (!externalProgramsEnabled()) {
        result.message = "external programs are switched off; not running " + argv[0];
        return result;
    }
    std::string exe = findOnPath(argv[0]);
    if (exe.empty()) {
        result.message = "cannot find the program \"" + argv[0] + "\" on PATH";
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return result;
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) {
        result.message = "cannot start " + argv[0];
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return result;
    }
    if (pid == 0) {
        if (!wait) {
            // Detach: a second fork so that the viewer is not our child.
            if (::fork() != 0) ::_exit(0);
            ::setsid();
        }
        ::execv(exe.c_str(), args.data());
        ::_exit(127);
    }
    result.started = true;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) break;
    }
    if (wait) result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

RunResult runGnuplot(const std::string& scriptFile) {
    return runProgram({"gnuplot", scriptFile, "-"});
}

RunResult openWithViewer(const std::string& file) { return runProgram({"xdg-open", file}, false); }

}  // namespace platform
