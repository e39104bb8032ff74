// Every entry point of the H2O-NaCl diagram against bad arguments: NaN, the
// infinities, negative and out-of-range values and the edges of each range
// are refused with pointFailed and a message naming the call, the argument,
// its range and the value given (NaN as nan); a valid call after a refusal
// answers, and a point solver's flag tells of that call.  The edges of the
// halite liquidus (the three-phase pressure) and of the three-phase curve
// (NaCl's triple point, 800.7 °C and 5e-4 bar) are checked against Driesner &
// Heinrich (2007) evaluated independently (their eq. 1-10; the check values
// of the published coefficients).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "brines/PalliserModel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// One argument of one entry point: the call, with every other argument
// valid, returns NaN where it gave no answer (the call's sentinel results
// are mapped to NaN).
struct ArgumentCase {
    const char* call;      // the name in the message
    const char* said;      // the message's text naming the argument or the cause
    std::vector<double> bad;  // out-of-range and edge values (NaN and the infinities are always tried)
    double good;           // a valid value (NaN: none tried)
    bool solver;           // a point solver clears pointFailed itself
    std::function<double(PalliserModel&, double)> run;
};

double orNaN(bool failed, double v) { return failed ? kNaN : v; }

std::string printed(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "not %g", v);
    return buf;
}

// The outputs the cases' calls write into.
struct CaseOutputs {
    double a = 0, b = 0, c = 0, d = 0, e = 0;
    std::vector<double> rows;
};

// The messages' texts naming the common arguments and their ranges.
const char* const kT = "the temperature T must be a number from";
const char* const kX = "the salinity X must be a number from 0 to 1 (NaCl mass fraction)";
const char* const kP = "the pressure P must be a number above 0";
const char* const kRho = "the density rho must be a number above 0 kg/m3";
const char* const kXwt = "the salinity Xwt must be a number from 0 to 100 wt % NaCl";

// Water and NaCl.
std::vector<ArgumentCase> waterAndNaClCases(CaseOutputs& o) {
    using M = PalliserModel;
    double &a = o.a, &b = o.b, &c = o.c;
    return {
        // ---- water
        {"getWaterLiquidDensity", kT, {-30.0, 1000.5}, 25.0, false, [](M& m, double v) { return m.getWaterLiquidDensity(v, 100.0); }},
        {"getWaterLiquidDensity", kP, {0.0, -1.0, 10001.0}, 100.0, false, [](M& m, double v) { return m.getWaterLiquidDensity(25.0, v); }},
        {"getWaterVapourDensity", kT, {-30.0, 1001.0}, 200.0, false, [](M& m, double v) { return m.getWaterVapourDensity(v, 1.0); }},
        {"getWaterVapourDensity", kP, {0.0, -1.0}, 1.0, false, [](M& m, double v) { return m.getWaterVapourDensity(200.0, v); }},
        {"calculateWaterSaturationPoint", kT, {-30.0, 1001.0}, 100.0, true,
         [&](M& m, double v) { m.calculateWaterSaturationPoint(v, a, b, c); return a; }},
        {"getWaterSaturationTemperature", "the pressure P must be a number from 0.00611655 to 220.64 bar", {0.0, -1.0, 300.0}, 1.01325, false,
         [&](M& m, double v) { return m.getWaterSaturationTemperature(v, a, b); }},
        {"getIsochoricWaterPressure", kT, {-30.0, 1001.0}, 400.0, false, [](M& m, double v) { return m.getIsochoricWaterPressure(v, 500.0); }},
        {"getIsochoricWaterPressure", kRho, {0.0, -1.0}, 500.0, false, [](M& m, double v) { return m.getIsochoricWaterPressure(400.0, v); }},
        {"calculateWaterDensity", kT, {-30.0, 1001.0}, 25.0, false, [](M& m, double v) { return m.calculateWaterDensity(v, 1.0, 0.0); }},
        {"calculateWaterDensity", "the density rhoIn must be a number from 0 kg/m3", {-1.0}, 0.0, false,
         [](M& m, double v) { return m.calculateWaterDensity(25.0, 1.0, v); }},
        // ---- NaCl
        {"getNaClLiquidDensity", kT, {-30.0, 3200.0}, 900.0, false, [](M& m, double v) { return m.getNaClLiquidDensity(v, 1.0); }},
        {"getNaClLiquidDensity", kP, {0.0, -1.0}, 1.0, false, [](M& m, double v) { return m.getNaClLiquidDensity(900.0, v); }},
        {"getNaClVapourDensity", kT, {-30.0}, 900.0, false, [](M& m, double v) { return m.getNaClVapourDensity(v, 1e-3); }},
        {"getNaClVapourDensity", kP, {0.0, -1.0}, 1e-3, false, [](M& m, double v) { return m.getNaClVapourDensity(900.0, v); }},
        {"getHaliteMeltingPressure", kT, {700.0, 3200.0}, 850.0, false, [](M& m, double v) { return m.getHaliteMeltingPressure(v); }},
        {"getHaliteMeltingTemperature", "the pressure P must be a number from 0 to", {-1.0, 5001.0}, 2000.0, false,
         [](M& m, double v) { return m.getHaliteMeltingTemperature(v); }},
        {"getHaliteMeltingTemperatureOffset", "the temperature T0 must be a finite number", {}, 800.7, false,
         [](M& m, double v) { return m.getHaliteMeltingTemperatureOffset(2000.0, v); }},
        {"getHaliteSublimationPressure", "the temperature T must be a number above -273.15 and up to 800.7 °C", {-300.0, 801.0}, 700.0, false, [](M& m, double v) { return m.getHaliteSublimationPressure(v); }},
        {"calculateNaClSatPressure", kT, {700.0, 3200.0}, 900.0, false, [](M& m, double v) { return m.calculateNaClSatPressure(v); }},
        {"calculateNaClSatTemperature", "the pressure P must be a number from 0.0005 to", {1e-4, 400.0, -1.0}, 2.7627e-3, false,
         [](M& m, double v) { return m.calculateNaClSatTemperature(v); }},
        {"calculateNaClSaturationPoint", kT, {700.0, 3200.0}, 900.0, true,
         [&](M& m, double v) { m.calculateNaClSaturationPoint(v, a, b, c); return a; }},
        {"calculateNaClDensity", kP, {0.0, -1.0}, 1.0, false, [](M& m, double v) { return m.calculateNaClDensity(900.0, v, 0.0); }},
    };
}

// The three-phase curve and halite.
std::vector<ArgumentCase> haliteCases(CaseOutputs& o) {
    using M = PalliserModel;
    double &a = o.a, &b = o.b, &c = o.c, &d = o.d, &e = o.e;
    return {
        // ---- three-phase curve and halite
        {"H2O-NaCl: no halite + liquid + vapour curve", "to NaCl's triple point, 800.7 °C and 0.0005 bar", {0.05, 800.705, -1.0}, 400.0, true,
         [&](M& m, double v) { m.calculateSLVPoint(v, a, b, c, d, e); return a; }},
        {"slvLiquidComposition", kT, {0.05, 800.705}, 400.0, false, [](M& m, double v) { return m.slvLiquidComposition(v); }},
        {"calculateHaliteGasSat", kT, {0.05, 801.0}, 400.0, true, [&](M& m, double v) { m.calculateHaliteGasSat(v, 1e-6, a, b); return a; }},
        {"calculateHaliteGasSat", "the salinity X must be a number above 0 and up to 1 (NaCl mass fraction)", {-0.1, 0.0, 1.1}, 1e-6, true,
         [&](M& m, double v) { m.calculateHaliteGasSat(400.0, v, a, b); return a; }},
        {"calculateHaliteGasBubble", kT, {0.05, 801.0}, 400.0, true, [&](M& m, double v) { m.calculateHaliteGasBubble(v, 100.0, a, b); return a; }},
        {"calculateHaliteGasBubble", kP, {0.0, -1.0}, 100.0, true, [&](M& m, double v) { m.calculateHaliteGasBubble(400.0, v, a, b); return a; }},
        {"H2O-NaCl: no vapour saturated with halite", "above the three-phase pressure, 176.126 bar", {200.0}, 100.0, true,
         [&](M& m, double v) { m.calculateHaliteGasBubble(400.0, v, a, b); return a; }},
        {"preCalculateHaliteGasBubble", kT, {0.05, 801.0}, 400.0, true, [&](M& m, double v) { m.preCalculateHaliteGasBubble(v); return m.Pslv; }},
        {"doCalculateHaliteGasBubble", "the pressure P must be a number above 0 and up to 176.126 bar", {0.0, -1.0, 200.0}, 100.0, true,
         [&](M& m, double v) { m.preCalculateHaliteGasBubble(400.0); m.doCalculateHaliteGasBubble(v, a, b); return a; }},
        {"calculateHaliteLiquidPoint", "the temperature T must be a finite number", {}, 400.0, true,
         [&](M& m, double v) { m.calculateHaliteLiquidPoint(v, 1000.0, a, 0.0, b); return a; }},
        {"calculateHaliteLiquidPoint", kP, {0.0, -1.0, 5001.0}, 1000.0, true,
         [&](M& m, double v) { m.calculateHaliteLiquidPoint(400.0, v, a, 0.0, b); return a; }},
        {"H2O-NaCl: no halite liquidus at", "from 0 °C to the melting point of halite", {-1.0, 850.0}, 400.0, true,
         [&](M& m, double v) { m.calculateHaliteLiquidPoint(v, 1000.0, a, 0.0, b); return a; }},
        {"calculateHaliteLiquidTemperature", kX, {-0.1, 1.1}, 0.40, true,
         [&](M& m, double v) { m.calculateHaliteLiquidTemperature(v, 2000.0, a, b, 300.0); return orNaN(m.pointFailed, a); }},
        {"calculateHaliteLiquidTemperature", kP, {0.0, -1.0, 5001.0}, 2000.0, true,
         [&](M& m, double v) { m.calculateHaliteLiquidTemperature(0.40, v, a, b, 300.0); return orNaN(m.pointFailed, a); }},
        {"H2O-NaCl: no halite liquidus temperature", "(the liquidus holds from", {0.1, 0.2}, 0.40, true,
         [&](M& m, double v) { m.calculateHaliteLiquidTemperature(v, 2000.0, a, b, 300.0); return orNaN(m.pointFailed, a); }},
        {"calculateHaliteLiquidTemperatureFromRhoX", kX, {-0.1, 1.1}, kNaN, true,
         [&](M& m, double v) { m.calculateHaliteLiquidTemperatureFromRhoX(v, 1300.0, a, b, 300.0); return orNaN(m.pointFailed, a); }},
        {"calculateHaliteLiquidTemperatureFromRhoX", kRho, {0.0, -1.0}, kNaN, true,
         [&](M& m, double v) { m.calculateHaliteLiquidTemperatureFromRhoX(0.40, v, a, b, 300.0); return orNaN(m.pointFailed, a); }},
        {"getHaliteLiquidGasState", kX, {-0.1, 1.1}, 0.5, true,
         [&](M& m, double v) { m.getHaliteLiquidGasState(400.0, v, 500.0, a, b, c); return a; }},
        {"H2O-NaCl: no halite + liquid + vapour curve", "to NaCl's triple point", {801.0}, 400.0, true,
         [&](M& m, double v) { m.getHaliteLiquidGasState(v, 0.5, 500.0, a, b, c); return a; }},
        {"getHaliteLiquidGasState", kRho, {0.0, -1.0}, 500.0, true,
         [&](M& m, double v) { m.getHaliteLiquidGasState(400.0, 0.5, v, a, b, c); return a; }},
        {"calculateHaliteLiquidGasDensity", kRho, {0.0, -1.0}, 500.0, false,
         [&](M& m, double v) { return m.calculateHaliteLiquidGasDensity(400.0, 0.5, v); }},
    };
}

// The critical curve and the liquid-vapour surface.
std::vector<ArgumentCase> criticalAndLiquidVapourCases(CaseOutputs& o) {
    using M = PalliserModel;
    double &a = o.a, &b = o.b, &c = o.c, &d = o.d, &e = o.e;
    return {
        // ---- critical curve
        {"H2O-NaCl: no critical point at", "runs from water's critical point", {370.0, 1000.5, -1.0}, 500.0, true,
         [&](M& m, double v) { m.calculateCriticalPoint(v, a, b, c); return a; }},
        {"criticalComposition", kT, {-30.0, 1000.01}, 600.0, false, [](M& m, double v) { return m.criticalComposition(v); }},
        {"H2O-NaCl: no critical point of", "(the critical curve holds 0 to", {-0.01, 0.4, 1.1}, 0.1, true,
         [&](M& m, double v) { m.calculateCriticalPointFromX(v, a, b, c); return a; }},
        // ---- liquid-vapour surface
        {"calculateLGPoint", kT, {-30.0, 1001.0}, 500.0, true, [&](M& m, double v) { m.calculateLGPoint(v, 500.0, a, b, c, d); return a; }},
        {"calculateLGPoint", kP, {0.0, -1.0, 5001.0}, 500.0, true, [&](M& m, double v) { m.calculateLGPoint(500.0, v, a, b, c, d); return a; }},
        {"calculateBubblePoint", kT, {-30.0, 1001.0}, 500.0, true, [&](M& m, double v) { m.calculateBubblePoint(v, 0.3, a, b, c, d); return a; }},
        {"calculateBubblePoint", kX, {-0.1, 1.1}, 0.3, true, [&](M& m, double v) { m.calculateBubblePoint(500.0, v, a, b, c, d); return a; }},
        {"calculateDewPoint", kT, {-30.0, 1001.0}, 500.0, true, [&](M& m, double v) { m.calculateDewPoint(v, 0.01, a, b, c, d); return a; }},
        {"calculateDewPoint", kX, {-0.1, 1.1}, 0.01, true, [&](M& m, double v) { m.calculateDewPoint(500.0, v, a, b, c, d); return a; }},
        {"calculateLiquidSaturationPoint", kT, {-30.0, 1001.0}, 300.0, true,
         [&](M& m, double v) { m.calculateLiquidSaturationPoint(v, 0.2, a, b); return a; }},
        {"calculateLiquidSaturationPoint", kX, {-0.1, 1.1}, 0.2, true,
         [&](M& m, double v) { m.calculateLiquidSaturationPoint(300.0, v, a, b); return a; }},
        {"preCalculate_Fixed_T_Parameters", kT, {-30.0, 1001.0}, 500.0, true,
         [&](M& m, double v) { m.preCalculate_Fixed_T_Parameters(v); return orNaN(m.pointFailed, 1.0); }},
        {"getLiquidGasPressureBounds", kT, {-30.0, 1001.0}, 500.0, true,
         [&](M& m, double v) { m.preCalculate_Fixed_T_Parameters(500.0); m.getLiquidGasPressureBounds(v, a, b); return a; }},
        {"calculateForLiquidGasIsotherm", kP, {0.0, -1.0, 5001.0}, 500.0, true,
         [&](M& m, double v) { m.preCalculate_Fixed_T_Parameters(500.0); m.calculateForLiquidGasIsotherm(500.0, v, a, b, c, d); return a; }},
        {"calculateBubblePointFromP", kP, {0.0, -1.0, 5001.0}, 530.274, true,
         [&](M& m, double v) { m.calculateBubblePointFromP(v, 0.3, a, b, c, d, 480.0); return orNaN(a == -1.0, a); }},
        {"calculateBubblePointFromP", kX, {-0.1, 1.1}, 0.3, true,
         [&](M& m, double v) { m.calculateBubblePointFromP(530.274, v, a, b, c, d, 480.0); return orNaN(a == -1.0, a); }},
        {"calculateBoilingPointWithGasVolume", "the vapour volume fraction phiV must be a number from 0 to 1", {-0.1, 1.1}, 0.0, true,
         [&](M& m, double v) { double r = 0, w = 0; m.calculateBoilingPointWithGasVolume(500.0, 0.3, v, a, b, c, d, e, r); (void)w; return orNaN(a == -1.0, a); }},
        {"calculateBoilingPointWithGasVolume", kX, {-0.1, 1.1}, 0.3, true,
         [&](M& m, double v) { double r = 0; m.calculateBoilingPointWithGasVolume(500.0, v, 0.0, a, b, c, d, e, r); return orNaN(a == -1.0, a); }},
    };
}

// Ice, bulk density, fluid inclusions and halite dissolution.
std::vector<ArgumentCase> iceDensityAndInclusionCases(CaseOutputs& o) {
    using M = PalliserModel;
    double &a = o.a, &b = o.b, &c = o.c, &d = o.d, &e = o.e;
    return {
        // ---- ice
        {"calculateFreezingTemperature", "the salt content X must be a number from 0 to 1", {-0.1, 1.1}, 0.1, true,
         [&](M& m, double v) { m.calculateFreezingTemperature(v, 1.0, a); return a; }},
        {"calculateFreezingTemperature", "the NaCl share c of the salt must be a number from 0 to 1", {-0.1, 1.1}, 1.0, true,
         [&](M& m, double v) { m.calculateFreezingTemperature(0.1, v, a); return a; }},
        {"calculateIceMeltingSalinity", "the temperature T must be a finite number", {}, -5.0, true,
         [&](M& m, double v) { m.calculateIceMeltingSalinity(v, 1.0, a); return a; }},
        {"H2O-NaCl: ice melting at", "lies outside the ice liquidus (-21.2 to 0 °C)", {1.0, -30.0}, -5.0, true,
         [&](M& m, double v) { m.calculateIceMeltingSalinity(v, 1.0, a); return a; }},
        {"calculateIceMeltingSalinity", "the NaCl share c of the salt must be a number from 0 to 1", {-0.1, 1.1}, 1.0, true,
         [&](M& m, double v) { m.calculateIceMeltingSalinity(-5.0, v, a); return a; }},
        // ---- bulk density
        {"calculateFluidDensity", "the temperature T must be a number from -21.985", {-30.0}, 400.0, true,
         [](M& m, double v) { return m.calculateFluidDensity(v, 100.0, 0.1, 0.0); }},
        {"calculateFluidDensity", kP, {0.0, -1.0}, 100.0, true, [](M& m, double v) { return m.calculateFluidDensity(400.0, v, 0.1, 0.0); }},
        {"calculateFluidDensity", kX, {-0.1, 1.1}, 0.1, true, [](M& m, double v) { return m.calculateFluidDensity(400.0, 100.0, v, 0.0); }},
        {"calculateFluidDensity", "the density rhoIn must be a number from 0 kg/m3", {-1.0}, 0.0, true,
         [](M& m, double v) { return m.calculateFluidDensity(400.0, 100.0, 0.1, v); }},
        // ---- fluid inclusions and halite dissolution
        {"calculateFromThTm", "the homogenisation temperature Th must be a number from 0 to 1000 °C", {-1.0, 1001.0}, kNaN, true,
         [&](M& m, double v) { double r = 0, Ps = 0, Ph = 0, phi = 0; m.calculateFromThTm(v, 250.0, a, r, 0.0, 300.0, 0.3, 1000.0, Ps, Ph, phi); return a; }},
        {"calculateFromThTm", "the halite dissolution temperature Tm must be a number from 0.1 to 800.7 °C", {0.05, 801.0}, kNaN, true,
         [&](M& m, double v) { double r = 0, Ps = 0, Ph = 0, phi = 0; m.calculateFromThTm(900.0, v, a, r, 0.0, 300.0, 0.3, 1000.0, Ps, Ph, phi); return a; }},
        {"calculateThLiq", kX, {-0.1, 1.1}, kNaN, true, [&](M& m, double v) { return m.calculateThLiq(v, 900.0, 300.0, a); }},
        {"calculateThLiq", kRho, {0.0, -1.0}, kNaN, true, [&](M& m, double v) { return m.calculateThLiq(0.1, v, 300.0, a); }},
        {"H2O-NaCl: no halite dissolution temperature", "(the three-phase liquid holds", {0.2, 1.1, -0.1}, 0.4, true,
         [&](M& m, double v) { return m.calculateTm0(v, a, b); }},
        {"calculateTm", kX, {-0.1, 1.1}, kNaN, true, [&](M& m, double v) { m.calculateTm(v, 0.1, 300.0, a, b); return orNaN(m.pointFailed, a); }},
        {"calculateTm", "the vapour volume fraction phiV must be a number from 0 to 1", {-0.1, 1.1}, kNaN, true,
         [&](M& m, double v) { m.calculateTm(0.4, v, 300.0, a, b); return orNaN(m.pointFailed, a); }},
        {"calculateTm3", kX, {-0.1, 1.1}, kNaN, true,
         [&](M& m, double v) { m.calculateTm3(v, 0.1, 300.0, a, b, c, d, e); return orNaN(m.pointFailed, a); }},
        {"calculateTm3", "the halite volume fraction phiH must be a number from 0 to 1", {-0.1, 1.1}, kNaN, true,
         [&](M& m, double v) { m.calculateTm3(0.4, v, 300.0, a, b, c, d, e); return orNaN(m.pointFailed, a); }},
        {"H2O-NaCl: no halite dissolution temperature", "(the three-phase liquid holds", {0.2, 1.1}, 0.4, true,
         [&](M& m, double v) { m.calculateSLVPointFromX(v, a, b, c, d, e, 300.0); return orNaN(m.pointFailed, a); }},
    };
}

// Isochores, depths and curves.
std::vector<ArgumentCase> isochoreAndCurveCases(CaseOutputs& o) {
    using M = PalliserModel;
    double &a = o.a, &b = o.b, &c = o.c, &d = o.d;
    std::vector<double>& rows = o.rows;
    return {
        // ---- isochores and depths
        {"getIsochoricFluidPressure", kT, {-30.0, 1001.0}, kNaN, true,
         [](M& m, double v) { return orNaN(m.getIsochoricFluidPressure(v, 500.0, 900.0, 10.0) == 0.0, 1.0); }},
        {"getIsochoricFluidPressure", kRho, {0.0, -1.0}, kNaN, true,
         [](M& m, double v) { return orNaN(m.getIsochoricFluidPressure(400.0, 500.0, v, 10.0) == 0.0, 1.0); }},
        {"getIsochoricFluidPressure", kXwt, {-5.0, 101.0}, kNaN, true,
         [](M& m, double v) { return orNaN(m.getIsochoricFluidPressure(400.0, 500.0, 900.0, v) == 0.0, 1.0); }},
        {"getIsochoricHaliteGasPressure", kXwt, {-5.0, 101.0}, kNaN, true,
         [](M& m, double v) { return orNaN(m.getIsochoricHaliteGasPressure(400.0, 100.0, 50.0, v) == 0.0, 1.0); }},
        {"getIsochoricHaliteGasPressure", "the start pressure Pstart must be a finite number", {}, kNaN, true,
         [](M& m, double v) { return orNaN(m.getIsochoricHaliteGasPressure(400.0, v, 50.0, 50.0) == 0.0, 1.0); }},
        {"getIsochoricLiquidGasPressure", kRho, {0.0, -1.0}, kNaN, true,
         [](M& m, double v) { return orNaN(m.getIsochoricLiquidGasPressure(300.0, 0.0, v, 10.0) == 0.0, 1.0); }},
        {"getIsochoricHaliteLiquidPressure", kT, {-30.0, 1001.0}, kNaN, true,
         [&](M& m, double v) { return orNaN(m.getIsochoricHaliteLiquidPressure(v, 500.0, 1500.0, 50.0, a) == 0.0, 1.0); }},
        {"convertPressureToDepth", kX, {-0.1, 1.1}, kNaN, true,
         [&](M& m, double v) { return m.convertPressureToDepth(v, 10.0, 100.0, 0.0, a); }},
        {"convertPressureToDepth", "the pressure P1 must be a number above 0", {0.0, -1.0, 5001.0}, kNaN, true,
         [&](M& m, double v) { return m.convertPressureToDepth(0.1, 10.0, v, 0.0, a); }},
        {"calculateGeothermBubblePoint", kX, {-0.1, 1.1}, kNaN, true,
         [&](M& m, double v) { m.calculateGeothermBubblePoint(20.0, 0.0, 1.0, 0.03, v, -1.0, a, b, c, d); return orNaN(a == -1.0, a); }},
        {"calculateGeothermBubblePoint", "the gradient gradT must be a finite number", {}, kNaN, true,
         [&](M& m, double v) { m.calculateGeothermBubblePoint(20.0, 0.0, 1.0, v, 0.1, -1.0, a, b, c, d); return orNaN(a == -1.0, a); }},
        // ---- curves: no rows
        {"calculateLiquidIsopleth", kXwt, {-5.0, 101.0}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateLiquidIsopleth(rows, v, 400.0, 300.0); return orNaN(rows.empty(), 1.0); }},
        {"calculateGasIsopleth", kXwt, {-5.0, 101.0}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateGasIsopleth(rows, v, 400.0, 0.0, 0.0, 0.0); return orNaN(rows.empty(), 1.0); }},
        {"calculateIsobaricHaliteLiquidCurve", kP, {0.0, -1.0, 5001.0}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateIsobaricHaliteLiquidCurve(rows, v, 300.0, 310.0); return orNaN(rows.empty(), 1.0); }},
        {"calculateLiquidGasIsotherm", kT, {-30.0, 1001.0}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateLiquidGasIsotherm(rows, v); return orNaN(rows.empty(), 1.0); }},
        {"calculateHaliteGasIsotherm", kT, {0.05, 801.0}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateHaliteGasIsotherm(rows, v); return orNaN(rows.empty(), 1.0); }},
        {"calculateTheIsochor", kX, {-0.1, 1.1}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateTheIsochor(rows, v, 500.0, 1000.0, 400.0, 900.0); return orNaN(rows.empty(), 1.0); }},
        {"calculateTheIsochor", "the density rho must be a number above 0", {0.0, -1.0}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateTheIsochor(rows, 0.1, 500.0, 1000.0, 400.0, v); return orNaN(rows.empty(), 1.0); }},
        {"calculateSpinodalCurve", kX, {-0.1, 1.1}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateSpinodalCurve(rows, v); return orNaN(rows.empty(), 1.0); }},
        {"calculateIceMeltingIsotherm", "the temperature T must be a number from -10.7 to 0 °C", {1.0, -30.0, -21.2, -21.985, -10.8}, kNaN, true,
         [&](M& m, double v) { rows.clear(); m.calculateIceMeltingIsotherm(rows, v); return orNaN(rows.empty(), 1.0); }},
    };
}

// Each case's NaN, infinities and bad values are refused with pointFailed,
// no result and a message naming the call, the argument and the value; its
// valid value then answers without a message.
void expectEveryBadArgumentRefused(const std::vector<ArgumentCase>& cases) {
    // Refusals of a cause other than the argument itself, whose NaN and
    // infinities the argument's own case tries.
    auto causeOnly = [](const char* call) {
        for (const char* c : {"H2O-NaCl: no vapour saturated with halite", "H2O-NaCl: no halite liquidus at",
                              "H2O-NaCl: no halite liquidus temperature", "H2O-NaCl: ice melting at"})
            if (std::string(call) == c) return true;
        return false;
    };
    PalliserModel m;
    for (const ArgumentCase& k : cases) {
        std::vector<double> values;
        if (!causeOnly(k.call)) values = {kNaN, kInf, -kInf};
        values.insert(values.end(), k.bad.begin(), k.bad.end());
        for (double v : values) {
            SCOPED_TRACE(std::string(k.call) + " " + k.said + " " + printed(v));
            m.pointFailed = 0;
            testing::internal::CaptureStderr();
            const double r = k.run(m, v);
            const std::string err = testing::internal::GetCapturedStderr();
            EXPECT_FALSE(std::isfinite(r)) << r;
            EXPECT_EQ(m.pointFailed, 1);
            EXPECT_NE(err.find(k.call), std::string::npos) << err;
            EXPECT_NE(err.find(k.said), std::string::npos) << err;
            // The value given, as it is (NaN as nan, never as 0).
            if (!std::isfinite(v)) { EXPECT_NE(err.find(std::isnan(v) ? "nan" : (v > 0 ? "inf" : "-inf")), std::string::npos) << err; }
        }
        if (std::isnan(k.good)) continue;
        // A valid call after the refusals answers; a point solver clears
        // the flag left by them.
        SCOPED_TRACE(std::string(k.call) + " valid " + std::to_string(k.good));
        m.pointFailed = k.solver ? 1 : 0;
        testing::internal::CaptureStderr();
        const double r = k.run(m, k.good);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::isfinite(r)) << r;
        EXPECT_EQ(m.pointFailed, 0);
        EXPECT_EQ(err, "");
    }
}

}  // namespace

TEST(PalliserArguments, WaterAndNaClEntryPointsRefuseBadArgumentsWithAMessage) {
    CaseOutputs o;
    expectEveryBadArgumentRefused(waterAndNaClCases(o));
}

TEST(PalliserArguments, ThreePhaseAndHaliteEntryPointsRefuseBadArgumentsWithAMessage) {
    CaseOutputs o;
    expectEveryBadArgumentRefused(haliteCases(o));
}

TEST(PalliserArguments, CriticalAndLiquidVapourEntryPointsRefuseBadArgumentsWithAMessage) {
    CaseOutputs o;
    expectEveryBadArgumentRefused(criticalAndLiquidVapourCases(o));
}

TEST(PalliserArguments, IceDensityAndInclusionEntryPointsRefuseBadArgumentsWithAMessage) {
    CaseOutputs o;
    expectEveryBadArgumentRefused(iceDensityAndInclusionCases(o));
}

TEST(PalliserArguments, IsochoreDepthAndCurveEntryPointsRefuseBadArgumentsWithAMessage) {
    CaseOutputs o;
    expectEveryBadArgumentRefused(isochoreAndCurveCases(o));
}

// The halite liquidus exists from the three-phase pressure up (Driesner &
// Heinrich 2007, eq. 8 with eq. 10): below it halite lies beside vapour and
// the liquidus is refused, naming that pressure (176.126 bar at 400 °C,
// 389.886 bar at 600 °C).  Above it the liquid is the published one (47.1118
// wt % at 400 °C and 1000 bar; 40 wt % at 2000 bar melts halite last at
// 325.289 °C).
TEST(PalliserArguments, HaliteLiquidusRefusedBelowTheThreePhasePressure) {
    PalliserModel m;
    double X = 0.0, rho = 0.0, T = 0.0;
    auto refusal = [&](const std::function<void()>& call) {
        testing::internal::CaptureStderr();
        call();
        return testing::internal::GetCapturedStderr();
    };
    std::string said = refusal([&] { m.calculateHaliteLiquidPoint(600.0, 1.0, X, 0.0, rho); });
    EXPECT_EQ(m.pointFailed, 1);
    EXPECT_TRUE(std::isnan(X) && std::isnan(rho));
    EXPECT_NE(said.find("the three-phase pressure, 389.886 bar"), std::string::npos) << said;
    said = refusal([&] { m.calculateHaliteLiquidPoint(400.0, 100.0, X, 0.0, rho); });
    EXPECT_EQ(m.pointFailed, 1);
    EXPECT_NE(said.find("the three-phase pressure, 176.126 bar"), std::string::npos) << said;
    // 76 wt % at 1 bar: its liquidus temperature lies where the three-phase
    // pressure is hundreds of bar.
    said = refusal([&] { m.calculateHaliteLiquidTemperature(0.76, 1.0, T, rho, 600.0); });
    EXPECT_EQ(m.pointFailed, 1);
    EXPECT_EQ(T, -1.0);
    EXPECT_NE(said.find("no halite liquidus of 76 wt % NaCl at 1 bar"), std::string::npos) << said;
    // At and above the three-phase pressure: the published liquidus.
    double Ps, Xl, Xv, rl, rv;
    m.calculateSLVPoint(400.0, Ps, Xl, Xv, rl, rv);
    EXPECT_NEAR(Ps, 176.126, 5e-4);
    m.calculateHaliteLiquidPoint(400.0, Ps, X, 0.0, rho);
    EXPECT_EQ(m.pointFailed, 0);
    EXPECT_NEAR(100.0 * X, 47.1212, 5e-4);
    m.calculateHaliteLiquidPoint(400.0, 1000.0, X, 0.0, rho);
    EXPECT_NEAR(100.0 * X, 47.1118, 5e-4);
    EXPECT_GT(rho, 1000.0);
    m.calculateHaliteLiquidTemperature(0.40, 2000.0, T, rho, 300.0);
    EXPECT_EQ(m.pointFailed, 0);
    EXPECT_NEAR(T, 325.289, 1e-3);
    // The density call itself places 47 wt % at 400 °C and 100 bar beside
    // halite and vapour, not in the liquid.
    m.calculateFluidDensity(400.0, 100.0, 0.47, 0.0);
    EXPECT_EQ(m.region, 4);
}

// The three-phase curve ends at NaCl's triple point, 800.7 °C and 5e-4 bar
// (eq. 10 is built to pass through it); just above it eq. 10 gives negative
// pressures, and the curve is refused there.
TEST(PalliserArguments, ThreePhaseCurveEndsAtTheTriplePoint) {
    PalliserModel m;
    double P, Xl, Xv, rl, rv;
    m.calculateSLVPoint(800.7, P, Xl, Xv, rl, rv);
    EXPECT_EQ(m.pointFailed, 0);
    EXPECT_NEAR(P, 5e-4, 1e-9);
    EXPECT_GT(rv, 0.0);
    EXPECT_GT(rl, 0.0);
    m.calculateSLVPoint(800.0, P, Xl, Xv, rl, rv);
    EXPECT_NEAR(P, 2.46412, 5e-5);
    for (double T : {800.705, 800.71, 800.8}) {
        testing::internal::CaptureStderr();
        m.calculateSLVPoint(T, P, Xl, Xv, rl, rv);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m.pointFailed, 1) << T;
        EXPECT_TRUE(std::isnan(P) && std::isnan(rv)) << T;
        EXPECT_NE(said.find("800.7 °C and 0.0005 bar"), std::string::npos) << said;
    }
}

// Halite dissolution of an inclusion of 40 wt % whose density is not a
// number: refused naming the density, not answered with -1 °C and -1 bar
// as if found, nor blamed on the salinity.  A valid call after it answers.
TEST(PalliserArguments, HaliteDissolutionWithANaNDensityIsRefused) {
    PalliserModel m;
    double T = 0.0, P = 0.0;
    testing::internal::CaptureStderr();
    m.calculateHaliteLiquidTemperatureFromRhoX(0.40, kNaN, T, P, 300.0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m.pointFailed, 1);
    EXPECT_NE(said.find("the density rho must be a number above 0 kg/m3, not nan"), std::string::npos) << said;
    EXPECT_EQ(said.find("salinity"), std::string::npos) << said;
    // The liquid of 40 wt % on its liquidus at 2000 bar has a density that
    // gives back that pressure and the liquidus temperature.
    double Tl = 0.0, rho = 0.0;
    m.calculateHaliteLiquidTemperature(0.40, 2000.0, Tl, rho, 300.0);
    ASSERT_EQ(m.pointFailed, 0);
    m.calculateHaliteLiquidTemperatureFromRhoX(0.40, rho, T, P, 300.0);
    EXPECT_EQ(m.pointFailed, 0);
    EXPECT_NEAR(T, Tl, 1e-3);
    EXPECT_NEAR(P, 2000.0, 1.0);
}
