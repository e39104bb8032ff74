#pragma once
// Whether the desktop program can reach a display, asked before any window
// system is touched: Qt ends a program whose display it cannot open with an
// abort and a message about platform plugins, which tells a user nothing about
// a stale DISPLAY (an ended ssh -X session) or a WAYLAND_DISPLAY without its
// compositor.
#include <functional>
#include <optional>
#include <string>

// Where the window system is looked for: the environment, and the platform
// and X display named on the command line ("-platform offscreen", "-display
// :1"), which come first.
struct DisplaySettings {
    std::optional<std::string> qtPlatform;  // QT_QPA_PLATFORM, or the -platform argument
    std::string qtPlatformSource = "QT_QPA_PLATFORM";  // which of the two named it
    std::optional<std::string> x11Display;  // DISPLAY, or the -display argument
    std::string x11DisplaySource = "DISPLAY";   // which of the two named it
    std::optional<std::string> xAuthority;      // XAUTHORITY, the file of keys an X server asks for
    std::optional<std::string> waylandDisplay;  // WAYLAND_DISPLAY
    std::optional<std::string> runtimeDir;      // XDG_RUNTIME_DIR, where a Wayland socket named alone lies
};

DisplaySettings displaySettingsFrom(int argc, char** argv);

// What an X display answered to a connection: it opened; nothing answers at
// the display's address; its server answered but refused the connection
// (with its own words, such as that an authorisation is required); or the
// server has no screen of the number the name gives (":0.7").
struct X11Answer {
    enum class Kind { opened, unreachable, refused, noSuchScreen };
    Kind kind = Kind::opened;
    std::string reason;  // the server's own words, for a refused connection
};

// How a display is tried: an X display by its name, a Wayland socket by its
// path (true when a connection was made).  The defaults open an X connection
// through libxcb (loaded at run time: the window system's own library decides
// the display's address and its authorisation, and checks the screen) and
// connect to the socket.
// `platformPlugin` says whether Qt has the platform plugin of a window system
// ("xcb", "wayland"): a display Qt has no plugin for cannot be used, however
// well it answers.  The default looks where Qt looks for its plugins; an
// empty one takes every plugin as present.
struct DisplayProbes {
    std::function<X11Answer(const std::string& display)> x11;
    std::function<bool(const std::string& socketPath)> wayland;
    std::function<bool(const std::string& plugin)> platformPlugin;
};
DisplayProbes defaultDisplayProbes();

// Empty when the window can open (or when the platform asked for draws
// without a window system, such as "offscreen"); otherwise one sentence for
// standard error that names the display that cannot be reached and how to
// give the program one.  `program` begins the sentence.
std::string displayProblem(const DisplaySettings& settings, const DisplayProbes& probes, const std::string& program);
