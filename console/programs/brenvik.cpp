// Brenvik: energetics of magma-water systems on the reference water model.
//
//     brenvik                 the banner and the list of options
//     brenvik --help (or -h)  the same
//     brenvik pv m 0.5 d 200  one option word with its arguments
//
// Results go to standard output, messages to standard error, and the
// solvers' traces too when VARNOK_TRACE asks for them.  The exit status is 0
// when the option ran, its calculation succeeded
// and every result was written; 1 otherwise.  Interrupted (SIGINT, SIGTERM),
// it leaves each file it was writing complete up to its last whole row, with
// a note of the interrupt, and ends by that signal.
#include <new>

#include "console/LogReport.h"
#include "console/WaterMagmaModel.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

int main(int argc, char** argv) {
    // Ctrl-C or a SIGTERM leaves the files written so far whole.
    platform::keepOutputOnInterrupt();
    try {
        WaterMagmaModel water(2);
        return logreport::finishOutput(water.doWaterMagmaCommand(argc, const_cast<const char**>(argv)), "Brenvik");
    } catch (const std::bad_alloc&) {
        // The library has reported the allocation that failed.
        platform::diagf("brenvik: out of memory, the calculation stopped\n");
        return 1;
    }
}
