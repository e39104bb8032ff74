#pragma once
// The lever rule of the H2O-NaCl diagram: two phases a and b in equilibrium,
// of NaCl mass fractions Xa and Xb and densities ra and rb (kg/m3), make the
// bulk mass fraction X with the mass fraction w = (X - Xb)/(Xa - Xb) of a;
// their specific volumes add by mass, v = w/ra + (1 - w)/rb.  Every region of
// two phases (liquid + vapour, halite + liquid, halite + vapour) and the
// searches of its isochores, homogenisation and dissolution temperatures
// read it from here.

// Density of halite (kg/m3) in the two- and three-phase regions below its
// melting point.
inline constexpr double kHaliteDensity = 2163.3340736627797;

// A mass or volume fraction that lies in [0, 1].
inline bool inUnit(double w) { return w >= 0.0 && w <= 1.0; }

struct TwoPhaseLever {
    double w;  // mass fraction of phase a
    double v;  // bulk specific volume, m3/kg

    TwoPhaseLever(double X, double Xa, double ra, double Xb, double rb)
        : w((X - Xb) / (Xa - Xb)), v(w / ra + (1.0 - w) / rb)
    {
    }
    // True when X lies between the two phases' compositions (the mixture
    // holds some of each, or one alone).
    bool holds() const { return inUnit(w); }
    // The bulk density, kg/m3.
    double density() const { return 1.0 / v; }
};
