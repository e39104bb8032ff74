#pragma once
// The melting temperatures of the molten salts of Anderko & Pitzer's model:
// below them, at a pressure P (bar), the salt is solid.
//
//   NaCl  800.7 C at its triple point (5e-4 bar), rising 0.024726 C per bar
//         (Driesner & Heinrich, Geochim. Cosmochim. Acta 71 (2007) 4880,
//         eq. 1, measured to 5000 bar)
//   KCl   771 C (CRC Handbook of Chemistry and Physics), rising 0.0286 C per
//         bar, the Clausius-Clapeyron slope T dV/dH of its enthalpy of
//         fusion, 26.28 kJ/mol (CRC Handbook), and the volume change on
//         melting, 17.3 % of the solid's (Janz, Molten Salts Handbook 1967),
//         with the melt's 48.8 cm3/mol at 1044 K (Janz 1967)
#include <cstring>

namespace anderko {

// K; 0 for another component.
inline double saltMeltingTemperature(const char* component, double P_bar) {
    if (!component) return 0.0;
    if (std::strcmp(component, "NaCl") == 0) return 273.15 + 800.7 + 0.024726 * (P_bar - 5e-4);
    if (std::strcmp(component, "KCl") == 0) return 273.15 + 771.0 + 0.0286 * P_bar;
    return 0.0;
}

// "solid NaCl (halite)" or "solid KCl (sylvite)" where the salt is solid at T (K) and P (bar), else null.
inline const char* saltSolidAt(const char* component, double T, double P_bar) {
    const double Tm = saltMeltingTemperature(component, P_bar);
    if (!(Tm > 0.0) || !(T < Tm)) return nullptr;
    return std::strcmp(component, "NaCl") == 0 ? "solid NaCl (halite)" : "solid KCl (sylvite)";
}

}  // namespace anderko
