#pragma once
// Vapour pressure of an NaCl or CaCl2 brine as that of pure water times a
// quadratic in the molality, with the brine's critical temperature as a
// function of its salt mole fraction.  T in K, pressures in bar, x the salt
// mole fraction in the water-salt binary, m = x/(0.018(1 - x)).
#include <cstdio>

class SaltCorr {
public:
    void setNaClParameters();
    void setCaCl2Parameters();

    double h(double m) const { return 1.0 + a * m + b * m * m; }
    // Pure water (Wagner & Pruss saturation equation), bar.
    double calculatePsat(double T) const;
    // Critical curve of water-salt systems above 647.096 K, bar.
    double calculatePc(double T) const;
    // calculatePsat up to 647.096 K, calculatePc above.
    double getP0(double T) const;
    // Critical temperature (K) of the brine; NaN (reported) for an unknown type.
    double calculateTc(double x) const;

    // Igor text files "satu", "isot", "isop", "crit" + suffix; false when the
    // file cannot be written.
    bool getWaterSaturationCurve(const char* suffix) const;
    bool getIsotherm(const char* suffix, double T) const;
    bool getIsopleth(const char* suffix, double x) const;
    bool getCriticalCurve(const char* suffix) const;
    // Console session on standard input and output (in and out for tests).
    void session(std::FILE* in = stdin, std::FILE* out = stdout);

    double a = 0.0, b = 0.0;
    double c1 = 0.0, c2 = 0.0, c3 = 0.0, c4 = 0.0;
    int type = 0;
    double xmax = 0.0;
    double M = 0.0;  // g/mol
};

// Vapour pressure of a brine after Shibue (2003): a salt-dependent critical
// pressure times the reduced vapour pressure of water and exp h(x).
class Shibue {
public:
    void setNaClParameters();
    void setCaCl2Parameters();

    // ln of the reduced vapour pressure of pure water at T (K).
    double calculate_g(double T) const;
    double calculate_h(double x) const;
    // Critical temperature (K) and pressure (bar) of the brine; NaN (reported)
    // for an unknown type.
    double calculateTc(double x) const;
    double calculatePc(double x) const;
    // Vapour pressure of the brine (bar); 0 above its critical temperature,
    // NaN between water's critical temperature and the brine's (the reduced
    // vapour pressure of water has no value there).
    double getPsat(double T, double x) const;

    bool getWaterSaturationCurve(const char* suffix) const;
    bool getIsotherm(const char* suffix, double T) const;
    bool getIsopleth(const char* suffix, double x) const;
    bool getCriticalCurve(const char* suffix) const;
    void session(std::FILE* in = stdin, std::FILE* out = stdout);

    double q0 = 0.0, q1 = 0.0, q2 = 0.0, q3 = 0.0, q4 = 0.0, x0 = 0.0;
    double c1 = 0.0, c2 = 0.0, c3 = 0.0, c4 = 0.0;
    double p0 = 0.0, p1 = 0.0, p2 = 0.0, p3 = 0.0, p4 = 0.0, p5 = 0.0;
    int type = 0;
    double xmax = 0.0;
    double M = 0.0;
};
