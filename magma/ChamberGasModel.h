#pragma once
// The gas-density source of the chamber model: the molar volume of a pure gas
// (H2O or CO2) at the chamber's temperature and pressure.
//
// The chamber model holds one for water and one for carbon dioxide and, for
// every state, sets the temperature and the pressure on it and asks for the
// molar volume; the gas density is then the gas's molar mass over that volume.
// The reference equations of state (water: IAPWS-95; CO2: the IUPAC equation)
// stand behind this interface; makeWaterGasModel() and makeCO2GasModel() build
// them, and a test may hand the model a closed-form gas of its own instead.
#include <memory>

class ChamberGasModel {
public:
    virtual ~ChamberGasModel() = default;

    // Molar volume (m3/mol) of the gas at T (K) and P (bar).  Returns false,
    // leaving V untouched, when the volume cannot be found.
    virtual bool molarVolume(double T, double Pbar, double& V) = 0;
};

// The reference equations of state of water (IAPWS-95, `WagnerPruss`) and of
// carbon dioxide (`IUPACCO2`), each searching its molar volume from its
// liquid-like start.
std::unique_ptr<ChamberGasModel> makeWaterGasModel();
std::unique_ptr<ChamberGasModel> makeCO2GasModel();
