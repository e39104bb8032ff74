// The reference equations of state behind the chamber model's gas densities:
// IAPWS-95 for water and the IUPAC equation for carbon dioxide, each searching
// its molar volume from its liquid-like start (phase kind 2) below its
// critical temperature.
#include "fluid/CriticalPoints.h"
#include "gases/IUPACCO2.h"
#include "magma/ChamberGasModel.h"
#include "magma/PhaseGasModel.h"
#include "water/WagnerPruss.h"

std::unique_ptr<ChamberGasModel> makeWaterGasModel() { return std::make_unique<PhaseGasModel<WagnerPruss>>(kWaterCritical.T, 2); }

std::unique_ptr<ChamberGasModel> makeCO2GasModel() { return std::make_unique<PhaseGasModel<IUPACCO2>>(304.2, 2); }
