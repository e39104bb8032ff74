#pragma once
// Chemical-system code of a fluid model, set by name (FluidPhase::setSystemType)
// or by number (FluidPhase::setSystemCode).
using SystemTypeCode = char;

enum : SystemTypeCode {
    kSystemH2O = 1,
    kSystemCO2 = 2,
    kSystemCH4 = 3,
    kSystemNaCl = 4,
    kSystemKCl = 5,
    kSystemH2O_NaCl = 10,
    kSystemH2O_CO2 = 11,
    kSystemH2O_CH4 = 12,
    kSystemH2O_KCl = 13,
    kSystemNaCl_CO2 = 14,
    kSystemNaCl_CH4 = 15,
    kSystemH2O_NaCl_CO2 = 20,
    kSystemH2O_NaCl_CH4 = 21,
    kSystemH2O_NaCl_CO2_CH4 = 30,
    kSystemH2O_NaCl_KCl = 31,
    kSystemH2O_NaCl_KCl_CO2_CH4 = 32,
};

// Code of a system name ("H2O", "H2O-NaCl", ...); 0 when the name is unknown.
SystemTypeCode systemTypeCodeOf(const char* name);
