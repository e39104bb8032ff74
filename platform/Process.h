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

// Runs gnuplot on a script file, the way the diagram writers hand their
// scripts over ("gnuplot script -").
RunResult runGnuplot(const std::string& scriptFile);

// Opens a file in the desktop's viewer for its type (xdg-open).
RunResult openWithViewer(const std::string& file);

}  // namespace platform
