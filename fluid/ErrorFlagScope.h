#pragma once
// The error flag of a phase kept across a trial calculation: a search that
// evaluates the model at states it proposes, a probe of the isotherm, a
// report that recomputes a state.  A failure of the trial is the caller's to
// read (failed()); when the scope ends the phase carries the flag it had
// before, whatever the trial left in it.
#include "fluid/Phase.h"

class ErrorFlagScope {
public:
    // Whether the trial starts with a clear flag (a failure it reads is then
    // its own), or with the flag the phase carries.
    enum Start { kClear, kAsItIs };

    explicit ErrorFlagScope(Phase& p, Start start = kClear) : p_(p), saved_(p.errorflag)
    {
        if (start == kClear) p.errorflag = 0;
    }
    ~ErrorFlagScope()
    {
        if (!keep_) p_.errorflag = saved_;
    }
    ErrorFlagScope(const ErrorFlagScope&) = delete;
    ErrorFlagScope& operator=(const ErrorFlagScope&) = delete;

    // The trial's flag, before the scope puts the saved one back.
    bool failed() const { return p_.errorflag != 0; }
    // The flag the phase carried when the scope began.
    short saved() const { return saved_; }
    // Keeps the trial's flag instead of the saved one when the scope ends
    // (a trial whose failure is the caller's failure too).
    void keepTrialFlag() { keep_ = true; }

private:
    Phase& p_;
    short saved_;
    bool keep_ = false;
};
