#include "platform/Process.h"

#include "platform/LogSink.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
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

namespace {

// Forks and runs argv; `input` (when given) is fed to the program's standard
// input through a pipe, and the call then waits.
RunResult startProgram(const std::vector<std::string>& argv, bool wait, const std::string* input) {
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
        warnf("%s\n", result.message.c_str());
        return result;
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    if (input && ::pipe(pipeFds) != 0) {
        result.message = "cannot start " + argv[0] + ": " + std::strerror(errno);
        warnf("%s\n", result.message.c_str());
        return result;
    }
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) {
        result.message = "cannot start " + argv[0];
        warnf("%s\n", result.message.c_str());
        if (input) {
            ::close(pipeFds[0]);
            ::close(pipeFds[1]);
        }
        return result;
    }
    if (pid == 0) {
        if (input) {
            ::dup2(pipeFds[0], 0);
            ::close(pipeFds[0]);
            ::close(pipeFds[1]);
        }
        if (!wait && !input) {
            // Detach: a second fork so that the viewer is not our child.
            if (::fork() != 0) ::_exit(0);
            ::setsid();
        }
        ::execv(exe.c_str(), args.data());
        ::_exit(127);
    }
    result.started = true;
    if (input) {
        ::close(pipeFds[0]);
        // A program that stops reading early closes the pipe: no SIGPIPE.
        struct sigaction ignore {}, previous {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &previous);
        std::size_t done = 0;
        while (done < input->size()) {
            const ssize_t n = ::write(pipeFds[1], input->data() + done, input->size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(pipeFds[1]);
        ::sigaction(SIGPIPE, &previous, nullptr);
        wait = true;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) break;
    }
    if (wait) result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace

RunResult runProgram(const std::vector<std::string>& argv, bool wait) { return startProgram(argv, wait, nullptr); }

RunResult runProgramWithInput(const std::vector<std::string>& argv, const std::string& input) {
    return startProgram(argv, true, &input);
}

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}

namespace {

// The file's path from the root, for messages (the name itself when the
// folder cannot be resolved).
std::string absolutePath(const std::string& file) {
    if (!file.empty() && file[0] == '/') return file;
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) return file;
    return std::string(buf) + "/" + file;
}

bool startsWithWord(const std::string& line, const char* word) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos) return false;
    const std::size_t n = std::strlen(word);
    return line.compare(i, n, word) == 0;
}

}  // namespace

std::string pngNameForScript(const std::string& scriptFile) {
    const std::size_t slash = scriptFile.find_last_of('/');
    const std::size_t dot = scriptFile.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? scriptFile.substr(0, dot) : scriptFile) + ".png";
}

std::string headlessGnuplotScript(const std::string& script, const std::string& png) {
    std::string quoted;
    for (char c : png) {
        if (c == '\'' ) quoted += "''";  // a quote inside a single-quoted gnuplot string
        else quoted += c;
    }
    std::string out = "set terminal pngcairo size 1024,768\nset output '" + quoted + "'\n";
    std::size_t start = 0;
    while (start < script.size()) {
        std::size_t end = script.find('\n', start);
        if (end == std::string::npos) end = script.size();
        const std::string line = script.substr(start, end - start);
        // The script's own window terminal and its waits for the user.
        if (!startsWithWord(line, "set term") && !startsWithWord(line, "pause")) out += line + "\n";
        start = end + 1;
    }
    out += "unset multiplot\nunset output\n";
    return out;
}

RunResult runGnuplot(const std::string& scriptFile) {
    if (!externalProgramsEnabled() || displayAvailable()) return runProgram({"gnuplot", scriptFile, "-"});
    RunResult result;
    std::FILE* f = std::fopen(scriptFile.c_str(), "r");
    if (!f) {
        result.message = "cannot read the gnuplot script " + scriptFile;
        logDiagnostic(result.message + "\n");
        return result;
    }
    std::string script;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) script.append(buf, n);
    std::fclose(f);
    const std::string png = pngNameForScript(scriptFile);
    result = runProgramWithInput({"gnuplot"}, headlessGnuplotScript(script, png));
    if (result.started && result.status == 0)
        logTrace("No display: the plot of " + scriptFile + " is drawn in " + absolutePath(png) + "\n");
    else if (result.started)
        logDiagnostic("gnuplot could not draw " + scriptFile + " into " + absolutePath(png) + "\n");
    return result;
}

RunResult openWithViewer(const std::string& file) {
    if (externalProgramsEnabled() && !displayAvailable()) {
        RunResult result;
        result.message = "no display to open " + file;
        logTrace("No display: " + absolutePath(file) + " is not opened\n");
        return result;
    }
    return runProgram({"xdg-open", file}, false);
}

}  // namespace platform
