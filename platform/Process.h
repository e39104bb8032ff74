#pragma once
// Starting external programs (gnuplot, a file viewer, a pager).
//
// Programs are started from an argument vector, never through a shell, and are
// looked up on PATH.  Setting the environment variable VARNOK_NO_EXTERNAL to a
// non-empty value other than "0" switches every start off (tests and CI do):
// the call then only reports what it would have run.  A program that cannot be
// found is reported on standard error; it is never a crash.
#include <string>
#include <vector>

namespace platform {

struct RunResult {
    bool started = false;   // the program was found and started
    int status = -1;        // its exit status when waited for, -1 otherwise
    std::string message;    // why it did not start, or empty
};

// True unless VARNOK_NO_EXTERNAL switches external programs off (or a test
// forced them off with setExternalProgramsEnabled).
bool externalProgramsEnabled();
// Overrides the environment switch for the rest of the process.
void setExternalProgramsEnabled(bool enabled);

// Full path of an executable found on PATH (or the name itself when it holds a
// '/' and is executable); empty when there is none.
std::string findOnPath(const std::string& program);

// Runs argv[0] with the given arguments.  With wait = true the call returns the
// exit status; otherwise the program runs on detached.
RunResult runProgram(const std::vector<std::string>& argv, bool wait = true);

// The same with `input` written to the program's standard input (closed
// after it); the call waits for the program.
RunResult runProgramWithInput(const std::vector<std::string>& argv, const std::string& input);

// True when a display is there to show windows on (DISPLAY or WAYLAND_DISPLAY
// set and not empty).
bool displayAvailable();

// Runs gnuplot on a script file, the way the diagram writers hand their
// scripts over ("gnuplot script -", the plot window stays open).  With no
// display the script is drawn into a PNG file beside it instead ("g105.gp"
// gives "g105.png"): its own terminal settings and pauses are left out, and
// the log says where the picture is.
RunResult runGnuplot(const std::string& scriptFile);

// The script text that draws `script` into the PNG file `png`.
std::string headlessGnuplotScript(const std::string& script, const std::string& png);
// "g105.gp" -> "g105.png", "sta" -> "sta.png" (same folder).
std::string pngNameForScript(const std::string& scriptFile);

// Opens a file in the desktop's viewer for its type (xdg-open).  With no
// display the viewer is not started; the log says where the file is.
RunResult openWithViewer(const std::string& file);

}  // namespace platform
