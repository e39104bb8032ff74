#pragma once
// The fluid command interpreter of `varnok` (FluidCommands.cpp): command
// words run on one fluid model.
#include <cstdio>
#include <span>
#include <string>

class FluidPhase;
class StateReport;
namespace fluidcommands {
class Arguments;  // the arguments of one command, read and checked
}

// Runs the command words argv[0 .. argc-1] on `model`, in order; the model's
// own words (FluidPhase::doCommandEx) are tried first.  Arguments missing at
// the end of the list are read from `in` (none when it is null).  False when
// any command failed (each failure is reported naming its command word).
bool runFluidCommands(FluidPhase& model, int argc, char* const* argv, std::FILE* in = stdin);

// One command word of the interpreter, a row of its only list.
struct FluidCommandWord {
    const char* word;       // as typed
    const char* arguments;  // as the usage text names them
    const char* help;       // the usage text's help line (empty where the word says it)
    const char* writes;     // the names of the files it writes, before the suffix (empty: standard output)
    bool showsEnergies;     // its results hold energies or heat capacities: why they are withheld is said
    // Reads the arguments, then runs the calculation when they are good;
    // `done` turns false when it fails.
    void (*run)(FluidPhase& model, StateReport& report, fluidcommands::Arguments& arguments, bool& done);
};

// The interpreter's command words, in the order of the usage text.
std::span<const FluidCommandWord> fluidCommandWords();
// The usage text's list of the command words, with their arguments and help lines.
std::string fluidCommandUsage();
