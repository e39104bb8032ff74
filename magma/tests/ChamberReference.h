#pragma once
// An independent evaluation of the single-volatile chamber on ideal gas, for
// checking the model: the initial state and the volume balance written out
// from the physics, and the pressure found by plain bisection.
#include <cmath>

struct ChamberReference {
    // Case data.
    double M = 1000.0, P0 = 1e8, X0 = 0.0, w = 0.01;
    double s = 6.8e-8, n = 0.7;      // solubility s·P^n of the volatile
    double T = 1473.0, Mg = 0.018;   // temperature, molar mass of the gas
    double rhoMelt = 2700.0, rhoCrystal = 3300.0;
    double mu = 1e10, beta = 1e10;

    double solubility(double p) const { return s * std::pow(p, n); }
    double gasDensity(double p) const { return p * Mg / (8.31 * T); }

    // Initial state.
    double volatiles() const { return w * M; }
    double melt0() const { return M - X0 * M - volatiles(); }
    bool saturatedAtP0() const { return melt0() * solubility(P0) <= volatiles(); }
    double gas0() const {
        const double dissolved = std::fmin(volatiles(), melt0() * solubility(P0));
        return volatiles() - dissolved;
    }
    double volume0() const {
        return melt0() / rhoMelt + gas0() / gasDensity(P0) + X0 * M / rhoCrystal;
    }

    // Chamber volume minus the volume of its contents at crystal fraction X and
    // pressure p.  The volatile-free melt shrinks by the crystals formed.
    double volumeBalance(double X, double p) const {
        const double crystals = X * M;
        const double melt = melt0() - (crystals - X0 * M);
        const double dissolved = std::fmin(volatiles(), melt * solubility(p));
        const double gas = volatiles() - dissolved;
        const double chamber = volume0() * std::exp((p - P0) / mu);
        return chamber - melt / (rhoMelt * std::exp((p - P0) / beta)) - gas / gasDensity(p) -
               crystals / (rhoCrystal * std::exp((p - P0) / mu));
    }

    // Pressure (Pa) at crystal fraction X by bisection between lo and hi, which
    // must bracket one sign change.
    double pressureAt(double X, double lo = 1e5, double hi = 1e9) const {
        double flo = volumeBalance(X, lo);
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (lo + hi);
            const double fmid = volumeBalance(X, mid);
            if ((fmid < 0) == (flo < 0)) {
                lo = mid;
                flo = fmid;
            } else {
                hi = mid;
            }
        }
        return 0.5 * (lo + hi);
    }
};
