#include "app/document/DisplayCheck.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLibraryInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {
std::optional<std::string> environment(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) return std::nullopt;
    return std::string(v);
}

// What a platform list asks for ("wayland;xcb", "xcb:option"), among the
// platforms this Qt has a plugin for (`has`, by plugin name): the window
// systems, 'x' for X11 and 'w' for Wayland; whether an entry draws without a
// window system (offscreen, minimal, vnc, eglfs...), which needs no display;
// and the entries this Qt has no plugin for.
struct PlatformRequest {
    std::string systems;
    bool withoutWindowSystem = false;
    std::vector<std::string> missing;
};

PlatformRequest requestedPlatforms(const std::string& platforms, const std::function<bool(const std::string&)>& has) {
    PlatformRequest r;
    size_t start = 0;
    while (start <= platforms.size()) {
        size_t end = platforms.find(';', start);
        if (end == std::string::npos) end = platforms.size();
        std::string name = platforms.substr(start, end - start);
        name = name.substr(0, name.find(':'));
        start = end + 1;
        if (name.empty()) continue;
        const bool wayland = name.rfind("wayland", 0) == 0;
        if (!has(wayland ? "wayland" : name)) {
            r.missing.push_back(name);
        } else if (name == "xcb") {
            r.systems += 'x';
        } else if (wayland) {
            r.systems += 'w';
        } else {
            r.withoutWindowSystem = true;
        }
    }
    return r;
}

bool connectUnixSocket(const std::string& path) {
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path)) return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return ok;
}

// Runs `call` with standard error going into a pipe, and returns what was
// written there: libxcb writes an X server's reason for refusing a
// connection to standard error, and that reason belongs in the program's
// own sentence, not before it.  The pipe never blocks the writer (a reason
// longer than the pipe holds is cut short).
std::string standardErrorOf(const std::function<void()>& call) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        call();
        return {};
    }
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    if (saved >= 0) ::dup2(fds[1], STDERR_FILENO);
    call();
    if (saved >= 0) {
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
    }
    ::close(fds[1]);
    std::string said;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) said.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    return said;
}

// An X connection opened and closed through libxcb, the library Qt's own X
// platform uses: it reads the display's address and authorisation as Qt will,
// and refuses a screen number the server does not have.
X11Answer openX11Display(const std::string& display) {
    void* xcb = ::dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!xcb) return {};  // cannot tell: the window system is left to answer
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    using Setup = const void* (*)(void*);
    using Screens = int (*)(const void*);
    auto setup = reinterpret_cast<Setup>(::dlsym(xcb, "xcb_get_setup"));
    auto screens = reinterpret_cast<Screens>(::dlsym(xcb, "xcb_setup_roots_length"));
    X11Answer answer;
    if (connect && hasError && disconnect) {
        // libxcb's codes: 6 for a screen the server does not have; 1 for a
        // connection that failed, where the server's reason for refusing it,
        // when it answered at all, went to standard error.
        constexpr int kConnectionError = 1, kInvalidScreen = 6;
        int error = 0;
        const std::string said = standardErrorOf([&] {
            int screen = 0;  // asked for, libxcb checks that the server has it
            void* c = connect(display.c_str(), &screen);
            error = c ? hasError(c) : 1;
            // A libxcb older than that check: the server's count of screens.
            if (error == 0 && setup && screens && setup(c) && screen >= screens(setup(c))) error = kInvalidScreen;
            if (c) disconnect(c);  // a connection in error is freed the same way
        });
        const size_t end = said.find_last_not_of(" \t\r\n.");
        answer.reason = end == std::string::npos ? std::string() : said.substr(0, end + 1);
        if (error == kInvalidScreen)
            answer.kind = X11Answer::Kind::noSuchScreen;
        else if (error == kConnectionError && !answer.reason.empty())
            answer.kind = X11Answer::Kind::refused;
        else if (error != 0)
            answer.kind = X11Answer::Kind::unreachable;
    }
    ::dlclose(xcb);
    return answer;
}

// Whether one of the folders Qt takes its platform plugins from holds the
// plugin of a window system ("xcb" is libqxcb.so, "wayland" libqwayland-*.so):
// Qt's own plugin folder, QT_PLUGIN_PATH's folders, QT_QPA_PLATFORM_PLUGIN_PATH
// and the program's own folder.
bool hasPlatformPlugin(const std::string& plugin) {
    namespace fs = std::filesystem;
    std::vector<fs::path> folders{
        fs::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) / "platforms"};
    if (const char* list = std::getenv("QT_PLUGIN_PATH")) {
        std::string paths = list;
        for (size_t start = 0; start <= paths.size();) {
            size_t end = paths.find(':', start);
            if (end == std::string::npos) end = paths.size();
            if (end > start) folders.push_back(fs::path(paths.substr(start, end - start)) / "platforms");
            start = end + 1;
        }
    }
    if (const char* dir = std::getenv("QT_QPA_PLATFORM_PLUGIN_PATH")) folders.emplace_back(dir);
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) folders.push_back(self.parent_path() / "platforms");
    const std::string prefix = "libq" + plugin;
    for (const fs::path& folder : folders) {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.rfind(prefix, 0) == 0 && name.find(".so") != std::string::npos) return true;
        }
        ec.clear();
    }
    return false;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// The sentence for an X server that answered but cannot be used: a screen
// number it does not have, or a connection it refused (most often for want
// of the key of its session's authority file).
std::string x11Refusal(const DisplaySettings& s, const X11Answer& x, const std::string& program) {
    const std::string& name = *s.x11Display;
    const std::string named = quoted(name) + " named by " + s.x11DisplaySource;
    if (x.kind == X11Answer::Kind::noSuchScreen) {
        // ":0.7" is display 0, screen 7; the display alone is its first screen.
        const size_t colon = name.rfind(':');
        const size_t dot = name.find('.', colon == std::string::npos ? 0 : colon);
        const std::string display = name.substr(0, dot);
        const std::string screen = dot == std::string::npos ? std::string() : name.substr(dot + 1);
        return program + ": the X display " + named + " asks for screen " + screen +
               ", which its X server does not have, so the window cannot open: name the display without a screen (" +
               quoted(display) + ", its first screen) or a screen the server has.";
    }
    // Servers word a missing or wrong key in their own ways ("Authorization
    // required", "No protocol specified", "Invalid MIT-MAGIC-COOKIE-1 key").
    bool authorisation = x.reason.empty();
    for (const char* word : {"uthori", "rotocol", "ookie", "key"})
        authorisation = authorisation || x.reason.find(word) != std::string::npos;
    if (!authorisation)
        return program + ": the X server of the display " + named + " refuses the connection (" + quoted(x.reason) +
               "), so the window cannot open.";
    const std::string keys = s.xAuthority ? "the authority file that XAUTHORITY names (" + quoted(*s.xAuthority) + ")"
                                          : std::string("~/.Xauthority (XAUTHORITY is not set)");
    return program + ": the X server of the display " + named + " refuses the connection" +
           (x.reason.empty() ? std::string() : " (" + quoted(x.reason) + ")") +
           ", so the window cannot open: it accepts only programs that give it the key of its session, and " + keys +
           " holds no such key; run it from a terminal of that session, or set XAUTHORITY to that session's "
           "authority file.";
}
}  // namespace

DisplaySettings displaySettingsFrom(int argc, char** argv) {
    DisplaySettings s;
    s.qtPlatform = environment("QT_QPA_PLATFORM");
    s.x11Display = environment("DISPLAY");
    // Qt's own arguments, with one dash or two: "-display" names the X display
    // in place of DISPLAY.
    for (int i = 1; i + 1 < argc; ++i) {
        const char* arg = argv[i][0] == '-' && argv[i][1] == '-' ? argv[i] + 1 : argv[i];
        if (std::strcmp(arg, "-platform") == 0) {
            s.qtPlatform = argv[i + 1];
            s.qtPlatformSource = "-platform";
        }
        if (std::strcmp(arg, "-display") == 0) {
            s.x11Display = std::string(argv[i + 1]);
            s.x11DisplaySource = "-display";
        }
    }
    s.xAuthority = environment("XAUTHORITY");
    s.waylandDisplay = environment("WAYLAND_DISPLAY");
    s.runtimeDir = environment("XDG_RUNTIME_DIR");
    return s;
}

DisplayProbes defaultDisplayProbes() { return {openX11Display, connectUnixSocket, hasPlatformPlugin}; }

std::string displayProblem(const DisplaySettings& s, const DisplayProbes& probes, const std::string& program) {
    auto has = [&probes](const std::string& plugin) { return !probes.platformPlugin || probes.platformPlugin(plugin); };
    const std::string virtualDisplay = "start a virtual display (for example Xvfb :1 & DISPLAY=:1 " + program + ")";
    // Qt's own choice, without a platform named, is among the window systems it has.
    const PlatformRequest asked = requestedPlatforms(s.qtPlatform.value_or("wayland;xcb"), has);
    if (asked.withoutWindowSystem) return {};
    const std::string named = s.qtPlatform ? "the Qt platform " + quoted(*s.qtPlatform) + " named by " +
                                                 s.qtPlatformSource
                                           : std::string();
    if (s.qtPlatform && asked.systems.empty()) {
        return program + ": " + named + " is not one this Qt has a platform plugin for, so the window cannot open: " +
               "name xcb (an X display) or offscreen (no window shown), or " +
               (s.qtPlatformSource == "-platform" ? "leave out -platform" : "unset " + s.qtPlatformSource) + ".";
    }
    const bool wantX = asked.systems.find('x') != std::string::npos;
    const bool wantWayland = asked.systems.find('w') != std::string::npos;
    const bool tryX = wantX && s.x11Display;
    const bool tryWayland = wantWayland && s.waylandDisplay;
    if (!tryX && !tryWayland) {
        // A display is named, but this Qt has no plugin to draw on it.
        std::string unusable;
        if (!has("wayland") && s.waylandDisplay)
            unusable = "the Wayland display " + quoted(*s.waylandDisplay) +
                       " named by WAYLAND_DISPLAY cannot be used (this Qt has no Wayland platform plugin)";
        else if (!has("xcb") && s.x11Display)
            unusable = "the X display " + quoted(*s.x11Display) + " named by " + s.x11DisplaySource +
                       " cannot be used (this Qt has no X11 platform plugin)";
        if (!unusable.empty())
            return program + ": " + unusable + " and no other display is set, so the window cannot open: run it " +
                   "from a terminal of " + (has("xcb") ? "an X11 desktop session" : "a desktop session") +
                   ", log in with X forwarding (ssh -X), or " + virtualDisplay + ".";
        // The platform named asks for a display that is not set.
        if (s.qtPlatform)
            return program + ": " + named + " needs " + (wantX ? "DISPLAY" : "WAYLAND_DISPLAY") +
                   ", which is not set, so the window cannot open: set it, or run it from a terminal of a desktop " +
                   "session, or " + virtualDisplay + ".";
        return program +
               ": no display is set (neither DISPLAY nor WAYLAND_DISPLAY), so the window cannot open: run it from a "
               "terminal of a desktop session, log in with X forwarding (ssh -X), or " + virtualDisplay + ".";
    }
    std::vector<std::string> unreachable;
    X11Answer x;
    if (tryX) {
        x = probes.x11 ? probes.x11(*s.x11Display) : X11Answer{};
        if (x.kind == X11Answer::Kind::opened) return {};
        unreachable.push_back("the X display " + quoted(*s.x11Display) + " named by " + s.x11DisplaySource);
    }
    if (tryWayland) {
        const std::string& name = *s.waylandDisplay;
        std::optional<std::string> socket =
            name.front() == '/' ? std::optional(name) : s.runtimeDir ? std::optional(*s.runtimeDir + "/" + name)
                                                                     : std::nullopt;
        if (socket && probes.wayland && probes.wayland(*socket)) return {};
        unreachable.push_back("the Wayland display " + quoted(name) + " named by WAYLAND_DISPLAY (" +
                              (socket ? "no compositor answers at " + *socket : std::string("XDG_RUNTIME_DIR is not set")) +
                              ")");
    }
    // An X server that answers is no stale display: what it said is what is wrong.
    if (tryX && x.kind != X11Answer::Kind::unreachable) return x11Refusal(s, x, program);
    std::string which = unreachable[0];
    if (unreachable.size() > 1) which += " nor " + unreachable[1];
    return program + ": cannot reach " + which +
           ", so the window cannot open (a display left from an ended ssh -X session, or a display server that has "
           "stopped): run it from a terminal of a running desktop session, log in again with ssh -X, or " +
           virtualDisplay + ".";
}
