// varnok: the fluid command interpreter.
//
//     varnok                          the list of models and command words
//     varnok --help (or -h)           the same
//     varnok wagner crit a            the critical point of water, file "crita"
//     varnok SRK1:CO2,CH4 x 0.3 TP 250 50
//
// The first word names the model; the others are command words run on it in
// order.  Arguments missing at the end are asked for on standard input.
// Results go to standard output, messages to standard error, and the
// solvers' traces too when VARNOK_TRACE asks for them.  The exit status is 0 when every command ran and every result was
// written, 1 otherwise.  Interrupted (SIGINT, SIGTERM), it leaves each file it
// was writing complete up to its last whole row, with its end marker and a
// note of the interrupt, and ends by that signal (status 128 + its number).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "console/FluidCommands.h"
#include "console/FluidModelFactory.h"
#include "console/LogReport.h"
#include "console/WaterStudyModel.h"
#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

void usage() {
    std::printf("usage: varnok MODEL [COMMAND ARGUMENTS] ...\n\nModels:\n%s", fluidModelNames().c_str());
    std::printf("\nCommands (T in K, P in bar, V in cm3/mol):\n%s", fluidCommandUsage().c_str());
    std::printf("\nThe model wagner adds the studies of heated and superheated water (T in K, P in bar unless\n"
                "P(Pa); kind, igor, liquid, heating, vapourHot and geometric are 0 or 1):\n%s",
                waterStudyUsage().c_str());
}

int finish(int status) { return logreport::finishOutput(status, ""); }

int run(int argc, char** argv) {
    // Alone, or asked for help as every console program is: the usage.
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        usage();
        return finish(0);
    }
    installFluidModelFactory();
    std::unique_ptr<FluidPhase> model(FluidPhase::getEOS(argv[1]));
    if (!model) {
        // The factory has said why; the list helps to choose a model, not
        // the components of a model named rightly.
        const std::string word(argv[1], std::strcspn(argv[1], ":"));
        const auto known = fluidModelRegistry();
        if (std::none_of(known.begin(), known.end(), [&](const FluidModelEntry& e) { return word == e.name; }))
            platform::diagf("The models are:\n%s", fluidModelNames().c_str());
        return 1;
    }
    if (argc == 2) {
        std::printf("Model %s is ready; give it command words, e.g. varnok %s crit a\n", argv[1], argv[1]);
        return finish(0);
    }
    const bool done = runFluidCommands(*model, argc - 2, argv + 2, stdin);
    const bool written = platform::writeFailureCount() == 0;
    return finish(done && written ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
    // Ctrl-C or a SIGTERM leaves the files written so far whole.
    platform::keepOutputOnInterrupt();
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        // The library has reported the allocation that failed.
        platform::diagf("varnok: out of memory, the calculation stopped\n");
        return 1;
    }
}
