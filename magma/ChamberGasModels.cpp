// The reference equations of state behind the chamber model's gas densities.
#include "magma/ChamberGasModel.h"

// The water and CO2 equations of state are not part of this build yet: the
// chamber model then has no equation-of-state densities (see ChamberGasModel.h).
std::unique_ptr<ChamberGasModel> makeWaterGasModel() { return nullptr; }
std::unique_ptr<ChamberGasModel> makeCO2GasModel() { return nullptr; }
