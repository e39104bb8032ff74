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

// The same for the H2O-CO2 mixture, in moles: each volatile dissolves as its
// solubility times the volatile-free melt mass times its mole fraction in the
// gas, and the ideal gas fills (moles of gas)·R·T/P whatever its composition.
struct MixtureChamberReference {
    double M = 1000.0, P0 = 1e8, X0 = 0.0, w = 0.04, x = 0.3;
    double s1 = 6.8e-8, n1 = 0.7;   // H2O in the 2700 kg/m3 melt
    double s2 = 4.4e-12, n2 = 1.0;  // CO2
    double T = 1473.0;
    double rhoMelt = 2700.0, rhoCrystal = 3300.0;
    double mu = 1e10, beta = 1e10;
    static constexpr double kMH2O = 0.018, kMCO2 = 0.044;

    double h2o() const { return (1.0 - x) * w * M; }
    double co2() const { return x * w * M; }
    double melt(double X) const { return M - X * M - h2o() - co2(); }

    // Gas masses (H2O, CO2) over the melt of crystal fraction X at p; both 0
    // when the melt holds everything.  The gas's CO2 mole fraction y solves
    // y = nCO2/(nH2O + nCO2) with each gas mass the total less what dissolves.
    void gas(double X, double p, double& gH2O, double& gCO2) const {
        const double c1 = s1 * std::pow(p, n1) * melt(X), c2 = s2 * std::pow(p, n2) * melt(X);
        gH2O = gCO2 = 0.0;
        if (h2o() / c1 + co2() / c2 <= 1.0) return;  // undersaturated
        double lo = std::fmax(0.0, 1.0 - h2o() / c1), hi = std::fmin(1.0, co2() / c2);
        for (int i = 0; i < 200; ++i) {
            const double y = 0.5 * (lo + hi);
            const double nH2O = (h2o() - c1 * (1.0 - y)) / kMH2O, nCO2 = (co2() - c2 * y) / kMCO2;
            (nCO2 / (nH2O + nCO2) < y ? hi : lo) = y;
        }
        const double y = 0.5 * (lo + hi);
        gH2O = h2o() - c1 * (1.0 - y);
        gCO2 = co2() - c2 * y;
    }
    double gasVolume(double X, double p) const {
        double gH2O, gCO2;
        gas(X, p, gH2O, gCO2);
        return (gH2O / kMH2O + gCO2 / kMCO2) * 8.31 * T / p;
    }
    double volume0() const { return melt(X0) / rhoMelt + gasVolume(X0, P0) + X0 * M / rhoCrystal; }
    double volumeBalance(double X, double p) const {
        return volume0() * std::exp((p - P0) / mu) - melt(X) / (rhoMelt * std::exp((p - P0) / beta)) -
               gasVolume(X, p) - X * M / (rhoCrystal * std::exp((p - P0) / mu));
    }
    // Pressure at X by bisection between lo and hi (one sign change).
    double pressureAt(double X, double lo = 1e5, double hi = 1e9) const {
        const bool riseLo = volumeBalance(X, lo) < 0;
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (lo + hi);
            ((volumeBalance(X, mid) < 0) == riseLo ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
};
