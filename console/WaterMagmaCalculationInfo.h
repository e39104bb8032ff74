#pragma once
// Inputs of one magma-water calculation of the Brenvik program: the water at
// the surface and at depth, the magma, the sediment around the water, the
// heating law and the recharge options.
//
// The option words build one record, fill it from keyword arguments
// ("T1 25 m 0.5 recharge ...") or from a console dialogue, give every field
// still unset its default, convert the typed units (deg. C, J/g, deg. C/km)
// to the record's (K, J/kg, K/m) and print a summary.
#include <cstdio>
#include <string>

struct WaterMagmaCalculationInfo {
    // Unset markers.
    static constexpr double kUnset = -100.0;
    static constexpr unsigned char kUnsetFlag = 0xFF;
    // Most batches of a fractionated calculation.
    static constexpr int kMaxFractionations = 1000;

    double T1 = kUnset;                 // K: initial water temperature
    double Psurf = kUnset;              // bar: surface pressure
    double depth = kUnset;              // m
    double geothermalGradient = kUnset; // K/m
    double m = kUnset;                  // kg of water per kg of magma
    double Tm = kUnset;                 // K: magma temperature
    double cp = kUnset;                 // J/(kg K): magma heat capacity
    double L = kUnset;                  // J/kg: solidification latent heat
    double Tsol = kUnset;               // K
    double Tliq = kUnset;               // K
    double overpressure = kUnset;       // bar
    unsigned char pyroclastHeated = kUnsetFlag;
    unsigned char heatingMode = kUnsetFlag;  // 0 isochoric, 1 isobaric, 2 Wohletz
    unsigned char recharge = kUnsetFlag;
    int maxRecharges = -1;
    double g = kUnset;                  // m/s2 (gravity)
    char suffix[2] = {static_cast<char>(kUnsetFlag), 0};
    unsigned char fractionation = kUnsetFlag;
    int fractionationCount = -1;
    double porosity = kUnset;           // fraction
    double saturation = kUnset;         // fraction
    double sediRho = kUnset;            // kg/m3
    double sediCp = kUnset;             // J/(kg K)
    double coupling = kUnset;           // fraction

    WaterMagmaCalculationInfo() = default;

    // Every field still unset takes its default (typed units).
    void setValuesToDefault();
    // Parses the keyword words, completes (unless "interactive" was met),
    // converts and, with `summary`, prints the summary (a caller that checks
    // the inputs first prints it once they are accepted).  The dialogue of
    // "interactive" reads from `in`.  A word that is no keyword, a value
    // keyword without its value (the last word) and a value that is no number
    // are reported on standard error; the call then returns false before the
    // summary.
    bool readArguments(int argc, const char** argv, std::FILE* in = stdin, bool summary = true);
    // Checks the converted inputs (positive temperatures, pressures, ratio and
    // heat capacity, solidus not above liquidus, fractions within 0 and 1, at
    // least one recharge, 1 to kMaxFractionations batches); false with the
    // reason otherwise.
    bool validate(std::string& message) const;
    // The water at depth (state 2): the surface water warmed by the
    // geothermal gradient (K) and loaded by a water column of 1000 kg/m3 and
    // the overpressure (bar).
    double depthTemperature() const { return T1 + geothermalGradient * depth; }
    double depthPressure() const { return depth * g * 0.01 + Psurf + overpressure; }
    // The surface water and the water at depth are states of a water model
    // whose states lie between Tmin and Tmax (K) and up to Pmax (bar), and
    // the magma is hotter than the water at depth and not above Tmax; false
    // with the reason otherwise.
    bool validateWaterStates(double Tmin, double Tmax, double Pmax, std::string& message) const;
    // Console dialogue for the fields still unset; prompts on standard output.
    void askToUser(std::FILE* in = stdin);
    void printSummary() const;
    void writeToLog() const;
    int isEqualTo(const WaterMagmaCalculationInfo* other) const;

    // The summary labels of the heating code and of a flag.
    static const char* heatingName(unsigned char mode);
    static const char* yesNo(unsigned char flag) { return flag == 1 ? "yes" : "no"; }
};
