#pragma once
// Progress of a long calculation, shown on standard error.
//
// A calculation that may run longer than a couple of seconds (a sweep, a
// table of paths) creates one Progress with the amount of work it has to do
// and reports how far it is.  When standard error is a terminal a bar is
// drawn on one line and redrawn in place, at most ten times a second and only
// once the calculation has run for half a second; the line is cleared when
// the Progress ends, and before the log writes anything (results, traces,
// diagnostics), so that text never lands on the bar's line.  When standard
// error is not a terminal (a pipe, a file, a test) nothing at all is written,
// so that logs and captured output stay clean.  A calculation that prints its
// rows on standard output as it goes says so: on a terminal those rows are
// its sign of life, and no bar is drawn among them.  Standard output is never
// written to.
#include <cstdio>
#include <functional>
#include <string>

namespace platform {

class Progress {
public:
    // `label` names the work ("Water-magma ratio", ...); `total` is its
    // amount, in the units later given to update().  With printsRows the
    // calculation writes rows on standard output while it runs.
    explicit Progress(std::string label, double total, bool printsRows = false);
    // Seconds since any fixed origin.
    using Clock = std::function<double()>;
    // The same on a given stream, drawing as on a terminal or not, after the
    // given delay (seconds), timed by `clock` (the steady clock when empty):
    // for tests.
    Progress(std::string label, double total, std::FILE* out, bool terminal, double delay, Clock clock = {});
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `done` units of the total are done; `value`, when given, is shown after
    // the percentage (the current water-magma ratio, temperature, ...).
    void update(double done);
    void update(double done, double value);
    // The same with a note in place of the value ("m = 0.001, batch 57 of 800").
    void update(double done, const std::string& note);
    // Clears the line now (the destructor does it otherwise).
    void finish();

private:
    void draw(double done, const double* value, const std::string* note = nullptr);

    std::string label_;
    double total_;
    std::FILE* out_;
    bool terminal_;
    double delay_;
    bool drawn_ = false;
    bool finished_ = false;
    Clock clock_;
    double start_, last_;
};

// Clears the line of the bar being drawn, if any, before other text is
// written to the terminal; the bar is drawn again at its next update.
void clearProgressLine();

}  // namespace platform
