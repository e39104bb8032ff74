#pragma once
// States, heats and works of one magma-water heating-and-expansion cycle, and
// the totals of a recharge loop.
//
// States: 1 the water at the surface, 2 the water at depth before heating,
// 3 after heating by the magma, 4 where the expansion meets the saturation
// curve (only when state4 is set), 5 the end of the expansion at Pref.
// Temperatures in K, pressures in bar, molar volumes in m3/mol except the
// state volumes V1..V4 (cm3/mol), U, H, A in J/mol, S in J/(mol K); heats and
// works in J per g of water, negative when the water does work.
//
// A record starts zero-filled (the first cycle of a run reads T3 = 0).
#include <cstdio>
#include <vector>

struct WaterMagmaCalculationResult {
    double m = 0, sedimentMassRatio = 0, Tm = 0;
    double Pref = 0, TsatRef = 0, VlRef = 0, VvRef = 0, UlRef = 0, UvRef = 0, SlRef = 0, SvRef = 0;
    double HlRef = 0, HvRef = 0;
    double Q = 0, Wrev = 0, dHrev = 0;
    unsigned char state4 = 0;
    double liquidMassFraction5 = 0, liquidVolumeFraction5 = 0, steamMassFraction5 = 0, steamVolumeFraction5 = 0;
    double Wirr = 0, T5irr = 0;
    double liquidMassFraction5irr = 0, liquidVolumeFraction5irr = 0, steamMassFraction5irr = 0,
           steamVolumeFraction5irr = 0;
    double S5irr = 0;
    unsigned char pyroclastCase = 0, state4Pyroclast = 0;
    double liquidMassFraction5p = 0, steamMassFraction5p = 0, liquidVolumeFraction5p = 0, steamVolumeFraction5p = 0;
    double Qp = 0, WrevP = 0, WirrP = 0;
    double liquidMassFraction5irrP = 0, liquidVolumeFraction5irrP = 0, steamMassFraction5irrP = 0,
           steamVolumeFraction5irrP = 0;
    double pathWork = 0, pathHeat = 0;
    double W34 = 0, W45 = 0;
    double T1 = 0, P1 = 0, T2 = 0, P2 = 0, T3 = 0, P3 = 0, T4 = 0, P4 = 0, T5 = 0, P5 = 0;
    double T4p = 0, P4p = 0, T5p = 0, P5p = 0;
    double T5irrP = 0;
    double U1 = 0, H1 = 0, V1 = 0, S1 = 0;
    double U2 = 0, H2 = 0, V2 = 0, S2 = 0;
    double TsatP2 = 0, VlSatP2 = 0, UlSatP2 = 0, HlSatP2 = 0;
    double Tspinodal = 0, Vspinodal = 0, Sspinodal = 0, Hspinodal = 0;
    double Tboil = 0, VlBoil = 0, VvBoil = 0, Pboil = 0, HlBoil = 0, HvBoil = 0;
    double heatToVaporize = 0;
    double UlBoil = 0, UvBoil = 0, AlBoil = 0, AvBoil = 0;
    double liquidFraction3 = 0;
    double SlBoil = 0, SvBoil = 0;
    double Cp2 = 0, Cv2 = 0;
    double flashWork = 0, vaporizationWork = 0;
    double H3 = 0, U3 = 0, A3 = 0, S3 = 0, V3 = 0;
    double U4 = 0, S4 = 0, V4 = 0;
    double U5 = 0, S5 = 0, H5 = 0;
    double U4p = 0, H4p = 0;
    double S4p = 0, V4p = 0, S5p = 0;
    double U5p = 0;
    unsigned char phaseState = 0;  // 0 unset, 1 liquid, 2 two-phase at Tboil, 3 steam, 4 P2 >= 221 bar
    unsigned char writeCurves = 0;
    unsigned char heatingMode = 0, recharge = 0, fractionation = 0;
    int fractionationCount = 0;
    double WrevTotal = 0, WirrTotal = 0, QTotal = 0;
    double cycleCount = 0;
    unsigned char saturationFailed = 0;
    double magmaCoolingFraction = 0;
    double sedimentHeatCapacity = 0;
    double Tcoupled = 0;
    char scriptFlag = 0;  // 1 standard output and Igor files, 6 the log and arrays of values
    // Curves of output mode 6 (values appended row after row).
    std::vector<double> isentropeArray, decompressionArray, isochoreArray;
    std::FILE* diagramFile = nullptr;  // open E(m) data file of the one-point calculation (not owned)

    // The cycle report on standard output.
    void print() const;
    // The expansion-work report of the "TP" and "TV" words on standard output.
    void printExpansionWork() const;
    // The cycle report in the log.
    void writeToLog() const;
};
