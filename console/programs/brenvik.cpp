// Brenvik: energetics of magma-water systems on the reference water model.
//
//     brenvik                 the banner and the list of options
//     brenvik pv m 0.5 d 200  one option word with its arguments
//
// Results go to standard output, messages to standard error, and the
// solvers' traces too when VARNOK_TRACE asks for them.  The exit status is 0 when the option ran, its calculation succeeded
// and every result was written; 1 otherwise.
#include "console/LogReport.h"
#include "console/WaterMagmaModel.h"

int main(int argc, char** argv) {
    logreport::showTracesOnlyWhenAsked();
    WaterMagmaModel water(2);
    return logreport::finishOutput(water.doWaterMagmaCommand(argc, const_cast<const char**>(argv)), "Brenvik");
}
