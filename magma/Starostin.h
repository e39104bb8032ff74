#pragma once
// Starostin: a one-dimensional vertical column, a dense lower layer (2200
// kg/m3) under a light upper one (100 kg/m3), advanced by an explicit
// finite-difference step of the mass and momentum balances with the pressure
// kept hydrostatic from the initial state.  Each step writes the profile
// (height, density, pressure, velocity) to the file "profile" for gnuplot.
#include <vector>

#include "numerics/Equation.h"

class Starostin : public Equation {
public:
    Starostin();

    // One time step, then the file "profile" (rows 0 .. n - 2).  False when the
    // file cannot be written.
    bool calculateProfile();
    // Ten steps, printing the time after each, then gnuplot on the script
    // "sta" (written with a plot of "profile" when the folder has none).
    void calculateEvolution();

    int n = 500;         // grid points
    double H = 1000.0;   // column height, m
    std::vector<double> P, u, rho, z;  // Pa, m/s, kg/m3, m
    std::vector<double> massFluxGradient, momentumFluxGradient, pressureGradient;
    double t = 0.0;      // s
    double dz = 0.0;     // m
    double dt = 0.5;     // s
};
