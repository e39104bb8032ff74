#pragma once
// The fluid command interpreter of `varnok` (FluidCommands.cpp): command
// words run on one fluid model.
#include <cstdio>

class FluidPhase;

// Runs the command words argv[0 .. argc-1] on `model`, in order; the model's
// own words (FluidPhase::doCommandEx) are tried first.  Arguments missing at
// the end of the list are read from `in` (none when it is null).  False when
// any command failed (each failure is reported naming its command word).
bool runFluidCommands(FluidPhase& model, int argc, char* const* argv, std::FILE* in = stdin);
