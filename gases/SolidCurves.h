#pragma once
// The melting and sublimation curves of the gases with reference equations
// here: T in K, pressures in Pa; NaN outside the temperatures of each curve.
//
//   CO2  melting  p/pt = 1 + a1 (T/Tt - 1) + a2 (T/Tt - 1)^2, Tt = 216.592 K,
//        pt = 0.51795 MPa, a1 = 1955.5390, a2 = 2055.4593 (Span & Wagner,
//        J. Phys. Chem. Ref. Data 25 (1996) 1509, eq. 3.10; to 327 K in
//        their data, used beyond);
//        sublimation ln(p/pt) = (Tt/T) [a1 (1 - T/Tt) + a2 (1 - T/Tt)^1.9 +
//        a3 (1 - T/Tt)^2.9], a = -14.740846, 2.4327015, -5.3061778 (eq. 3.12)
//   CH4  melting  p/pt = 1 + a1 ((T/Tt)^1.85 - 1) + a2 ((T/Tt)^2.1 - 1),
//        Tt = 90.6941 K, pt = 11.696 kPa, a1 = 0.247568e5, a2 = -0.736602e4
//        (Setzmann & Wagner, J. Phys. Chem. Ref. Data 20 (1991) 1061):
//        377.5 bar at 100 K, 1040.3 bar at 115 K, 2832.6 bar at
//        150 K; Abramson's (2011) Simon curve from higher pressures lies
//        within 0.9 % of it.  It leaves the triple point at 3.9 MPa/K, the
//        Clausius-Clapeyron slope of the fusion of methane (0.94 kJ/mol over
//        about 2.7 cm3/mol at 90.7 K).
//   N2   melting  p/pt = 1 + a1 ((T/Tt)^1.78963 - 1), Tt = 63.151 K,
//        pt = 12.523 kPa, a1 = 12798.61 (Span, Lemmon, Jacobsen, Wagner &
//        Yokozeki, J. Phys. Chem. Ref. Data 29 (2000) 1361)

namespace gases {

double co2MeltingPressure(double T);      // from 216.592 K
double co2SublimationPressure(double T);  // to 216.592 K
double ch4MeltingPressure(double T);      // from 90.6941 K
double n2MeltingPressure(double T);       // from 63.151 K

// "solid CO2", "solid CH4" or "solid N2" where the component named ("CO2",
// "CH4" or "C1", "N2") is solid at T (K) and P (Pa): above its melting curve
// or, below its triple point, above its sublimation curve (for CH4 and N2,
// with no sublimation curve here, above the triple-point pressure, which
// the sublimation pressure stays below); null where it is a fluid or for
// another component.
const char* gasSolidAt(const char* component, double T, double P);

}  // namespace gases
