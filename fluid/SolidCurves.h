#pragma once
// The melting and sublimation lines of the solid gases with reference
// equations here, each from its reference equation's publication, given the
// fluid's row of the reference fluids (its triple point Tt, pt) and T in K:
// pressures in Pa, NaN outside the temperatures of each line (melting from
// the triple point up, sublimation up to it).
//
//   CO2  melting  p/pt = 1 + a1 (T/Tt - 1) + a2 (T/Tt - 1)^2, a1 = 1955.5390,
//        a2 = 2055.4593 (Span & Wagner, J. Phys. Chem. Ref. Data 25 (1996)
//        1509, eq. 3.10; to 327 K in their data, used beyond);
//        sublimation ln(p/pt) = (Tt/T) [a1 (1 - T/Tt) + a2 (1 - T/Tt)^1.9 +
//        a3 (1 - T/Tt)^2.9], a = -14.740846, 2.4327015, -5.3061778 (eq. 3.12)
//   CH4  melting  p/pt = 1 + a1 ((T/Tt)^1.85 - 1) + a2 ((T/Tt)^2.1 - 1),
//        a1 = 0.247568e5, a2 = -0.736602e4 (Setzmann & Wagner, J. Phys. Chem.
//        Ref. Data 20 (1991) 1061): 377.5 bar at 100 K, 1040.3 bar at 115 K,
//        2832.6 bar at 150 K; Abramson's (2011) Simon curve from higher
//        pressures lies within 0.9 % of it.  It leaves the triple point at
//        3.9 MPa/K, the Clausius-Clapeyron slope of the fusion of methane
//        (0.94 kJ/mol over about 2.7 cm3/mol at 90.7 K).
//        sublimation ln(p/pt) = a1 (1 - Tt/T), a1 = 12.94: the
//        Clausius-Clapeyron line through their triple point whose slope
//        there, a1/Tt, exceeds that of their vapour pressure (Tt d ln p/dT
//        = 11.674, 8.80 kJ/mol over R Tt for the ideal vapour) by the
//        enthalpy of fusion, 0.94 kJ/mol, over Z R Tt^2 (Z = 0.992, the
//        saturated vapour's): 12.93 at the triple point, 12.92 to 12.96 for
//        enthalpies of fusion of 0.93 to 0.96 kJ/mol;
//        1.25 kPa at 77.35 K, as measured over solid methane (about 9.5 Torr).
//   N2   melting  p/pt = 1 + a1 ((T/Tt)^1.78963 - 1), a1 = 12798.61;
//        sublimation ln(p/pt) = (Tt/T) a1 (1 - T/Tt), a1 = -13.088692 (Span,
//        Lemmon, Jacobsen, Wagner & Yokozeki, J. Phys. Chem. Ref. Data 29
//        (2000) 1361).

struct ReferenceFluid;

namespace gases {

double co2MeltingPressure(const ReferenceFluid& f, double T);
double co2SublimationPressure(const ReferenceFluid& f, double T);
double ch4MeltingPressure(const ReferenceFluid& f, double T);
double ch4SublimationPressure(const ReferenceFluid& f, double T);
double n2MeltingPressure(const ReferenceFluid& f, double T);
double n2SublimationPressure(const ReferenceFluid& f, double T);

}  // namespace gases
