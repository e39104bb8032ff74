#pragma once
// The molar volume of a pure gas along one isotherm, tabulated once from its
// equation of state: a Chebyshev series in pressure of the product P·v (the
// compressibility factor times R·T), which stays smooth and nearly linear
// over the chamber's pressures where v itself goes as 1/P.  The series is
// accepted only when it matches the equation of state between its nodes to a
// relative 1e-12; outside its pressure interval, or at another temperature,
// the caller asks the equation of state itself.
#include <vector>

#include "magma/ChamberGasModel.h"

class GasVolumeTable {
public:
    // Fits the gas's molar volume at T (K) from pLo to pHi (bar) on 16, 32, 64
    // then 128 Chebyshev nodes until the series is accurate enough; false,
    // leaving the table empty, when the equation of state fails at a node or
    // no series reaches the accuracy.
    bool build(ChamberGasModel& gas, double T, double pLo, double pHi);
    void clear();
    // True when the table holds the isotherm T and P (bar) lies in its interval.
    bool covers(double T, double P) const { return !c_.empty() && T == T_ && P >= lo_ && P <= hi_; }
    // Molar volume (m3/mol) at P (bar) inside the interval.
    double molarVolume(double P) const;

private:
    double T_ = 0.0, lo_ = 0.0, hi_ = 0.0;
    std::vector<double> c_;  // Chebyshev coefficients of P·v, the first halved
    double series(const std::vector<double>& c, double P) const;
};
