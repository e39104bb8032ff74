#pragma once
// The critical points of the four reference fluids as their reference
// equations of state fix them: the one definition that the ancillary
// equations, the correlations reduced by them, the ranges and the rules that
// compare a state with the critical point all read.

struct CriticalPoint {
    double T;    // K
    double P;    // Pa
    double rho;  // kg/m3
    // The pressure in bar and in MPa (exact quotients of the values in Pa,
    // so the same doubles as the published figures written in those units).
    constexpr double Pbar() const { return P / 1e5; }
    constexpr double PMPa() const { return P / 1e6; }
    // The temperature in °C (647.096 - 273.15 is the double nearest 373.946).
    constexpr double TCelsius() const { return T - 273.15; }
};

// Water: IAPWS-95 (Wagner & Pruss, J. Phys. Chem. Ref. Data 31, 387 (2002)).
inline constexpr CriticalPoint kWaterCritical{647.096, 22.064e6, 322.0};
// CO2: Span & Wagner, J. Phys. Chem. Ref. Data 25, 1509 (1996).
inline constexpr CriticalPoint kCO2Critical{304.1282, 7.3773e6, 467.6};
// CH4: Setzmann & Wagner, J. Phys. Chem. Ref. Data 20, 1061 (1991).
inline constexpr CriticalPoint kCH4Critical{190.564, 4.5992e6, 162.66};
// N2: Span, Lemmon, Jacobsen, Wagner & Yokozeki, J. Phys. Chem. Ref. Data 29,
// 1361 (2000).
inline constexpr CriticalPoint kN2Critical{126.192, 3.3958e6, 313.3};
