#pragma once
// The grid of the IUPAC tables of methane and carbon dioxide (Angus,
// Armstrong & de Reuck 1976, 1978): 0 to 1200 degrees C, 1 to 10000 bar.
#include "fluid/FluidPhase.h"

// Prints on standard output, for each pressure of the grid, the percent
// deviation of other's fugacity coefficient from model's at each temperature,
// preceded by that of its molar volume when `volumes` is set.
void printDeviationsOnTheIUPACGrid(FluidPhase& model, FluidPhase& other, bool volumes);
