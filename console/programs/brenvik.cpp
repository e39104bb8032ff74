// Brenvik: energetics of magma-water systems on the reference water model.
//
//     brenvik                 the banner and the list of options
//     brenvik pv m 0.5 d 200  one option word with its arguments
//
// Results go to standard output, messages and solver traces to standard
// error.  The exit status is 0 when the option ran, its calculation succeeded
// and every result was written; 1 otherwise.
#include <cstdio>

#include "console/WaterMagmaModel.h"
#include "platform/LogSink.h"

int main(int argc, char** argv) {
    WaterMagmaModel water(2);
    const int status = water.doWaterMagmaCommand(argc, const_cast<const char**>(argv));
    // Output lost on the way (a full disk, a closed pipe) is a failure too.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        platform::diagf("Brenvik: cannot write the standard output: the results are incomplete\n");
        return 1;
    }
    return status;
}
