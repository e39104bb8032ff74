#pragma once
// WaterMagmaModel: the reference water model (IAPWS-95, WagnerPruss) with the
// energetics of magma-water interaction and the Brenvik command program.
//
// A cycle: cold surface water (state 1) is carried down to a depth (state 2),
// heated by magma to a peak state 3 (isochoric, isobaric or Wohletz heating:
// the heat given off by the magma, cooling and crystallising, equals the heat
// taken up by the water and the sediment), then expanded back to the surface
// pressure reversibly (isentropically, through state 4 on the saturation
// curve to state 5) and irreversibly (against the constant surface pressure),
// optionally with the pyroclasts still heating the water.  Heat balances are
// per kg of magma (J/kg), works and heats per g of water (J/g, negative when
// the water does work).  All operations change the state of this object.
//
// Failures are reported through `errorflag` (the drivers test it after every
// calculation) and through NaN in a work whose end state was not found.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "console/WaterMagmaCalculationInfo.h"
#include "console/WaterMagmaCalculationResult.h"
#include "fluid/CurveOutput.h"
#include "platform/LogSink.h"
#include "water/WagnerPruss.h"

// Saturated expansion results of calculateSaturatedExpansionWork when a
// caller asks for them instead of the report.
struct WaterSaturationResult {
    double P = 0, T = 0;  // bar, K
    double Vl = 0, Vv = 0;
    double Ul = 0, Hl = 0, Al = 0, Gl = 0, Cvl = 0, Cpl = 0, Sl = 0;
    double Uv = 0, Hv = 0, Av = 0, Gv = 0, Cvv = 0, Cpv = 0, Sv = 0;
    double steamMassRevLiquid = 0, steamMassIrrLiquid = 0, steamMassRevSteam = 0, steamMassIrrSteam = 0;  // %
    double steamVolumeRevLiquid = 0, steamVolumeIrrLiquid = 0, steamVolumeRevSteam = 0,
           steamVolumeIrrSteam = 0;  // %
    double WrevLiquid = 0, WirrLiquid = 0, WrevSteam = 0, WirrSteam = 0;  // J/g
    double fugacity = 0, fugacityRatio = 0;
};

class WaterMagmaModel : public WagnerPruss {
public:
    explicit WaterMagmaModel(int phaseKind = 2) : WagnerPruss(phaseKind) {}

    double molarMass() const { return kMolarMass; }

    // IAPWS-95 was fitted up to 1273 K and 10 000 bar; Wagner & Pruss (2002,
    // J. Phys. Chem. Ref. Data 31, 387) show that it extrapolates soundly far
    // beyond, to 5000 K and 100 000 bar at least.  A state given beyond those
    // limits, or below the model's lowest temperature, is no state of water.
    static constexpr double kExtrapolatedTmax = 5000.0;    // K
    static constexpr double kExtrapolatedPmax = 100000.0;  // bar
    static constexpr double kFittedTmax = 1273.0;          // K
    static constexpr double kFittedPmax = 10000.0;         // bar
    // Whether T (K) and P (bar) lie within those states.
    bool holdsWaterTemperature(double T_) const { return T_ >= validity.Tmin && T_ <= kExtrapolatedTmax; }
    static bool holdsWaterPressure(double P_bar) { return P_bar > 0.0 && P_bar <= kExtrapolatedPmax; }

    // ---- Brenvik console program (WaterMagmaCommand.cpp)
    // argv[0] is the program name: alone it prints the banner and the options;
    // otherwise argv[1] is the option word and the rest its arguments.
    // Returns 0 when the option word was run and its calculation succeeded,
    // 1 for an unknown word, bad arguments, a failed calculation (one that
    // reports a failure through the log) or a file that cannot be written.
    // The "interactive" dialogue reads from `in`.
    int doWaterMagmaCommand(int argc, const char** argv, std::FILE* in = stdin);
    int doMenuCommand(const char* word, int argc, const char** argv, std::FILE* in = stdin);
    static void printBanner();
    static void printAbout();
    // After the state report of "TP": says when the state is metastable, or
    // is not of the phase asked for.
    static void printPhaseOfState(const StableState& phase, bool steamAsked);

private:
    int runMenuCommand(const char* word, int argc, const char** argv, std::FILE* in);
    int runStateWorkCommand(const char* word, int argc, const char** argv);
    // Says once, on standard error, that a peak state lies beyond the range in
    // which IAPWS-95 was fitted (1 GPa, 1273 K) and is extrapolated.
    void notePeakBeyondFittedRange(const WaterMagmaCalculationResult& r);
    // Says once, on standard error, that the starting water at T (K) and P
    // (bar) lies beyond that range.
    static void noteStateBeyondFittedRange(double T_, double P_bar);
    bool peakExtrapolationNoted = false;
    // The isobaric liquid peak was held half a kelvin below the superheat
    // limit: the magma gives more than the liquid takes up to that limit but
    // too little to flash it at Tboil, so no temperature closes the balance
    // and the rest of the magma's heat stays with the magma.
    bool peakHeldBelowSuperheatLimit = false;
    // A cycle refused at its mass ratio ("Refused at m = ...: why"): the
    // failure of a single cycle (a diagnostic) while refusalIsFailure, a
    // point left out of a sweep (a note) otherwise; refusalSaid records it.
    // In a recharge or fractionation loop the cycle refused is named after
    // the mass ratio ("cycle 560 of the loop, the magma at 612.3 K: ").
    template <class... A>
    void refusePoint(const char* format, A... args) {
        refusalSaid = true;
        char text[1024];
        std::snprintf(text, sizeof text, format, args...);
        std::string said = text;
        const std::size_t colon = said.find(": ");
        if (!loopCycle.empty() && colon != std::string::npos) said.insert(colon + 2, loopCycle);
        if (refusalIsFailure)
            platform::diagf("%s", said.c_str());
        else
            platform::warnf("%s", said.c_str());
    }
    std::string loopCycle;
    bool refusalIsFailure = false;
    bool refusalSaid = false;
    // The entry of the calling thread's log capture that holds the note,
    // -1 when it went to the sink or was not given.
    long peakNoteEntry = -1;

public:
    // With keepRechargeTable the table of recharge cycles of an Igor run
    // ("recharge") is kept in rechargeTable instead of written.
    bool keepRechargeTable = false;
    std::string rechargeTable;
    // Called after each cycle of a recharge or fractionation loop (the
    // progress of a diagram whose points are loops of many cycles).
    std::function<void()> cycleDone;
    // The worker threads of an E(m) diagram: 0 for one per core.  Each
    // point is computed on a model of its own, so that the diagram is the
    // same on any number of them.
    unsigned diagramWorkers = 0;

private:
    // Steps of the heating-decompression path (WaterMagmaDecompression.cpp).
    struct HeatingDecompressionPath;
    void setDecompressionState4(double t, double p, double v, double w, double q);
    bool stepHeatingDecompressionIsentrope(HeatingDecompressionPath& path);
    bool fragmentsEquilibriumTemperature(double Tw, double Tmag, double Cw, double& Teq);
    void trackHeatingDecompressionEnd(HeatingDecompressionPath& path, double Pend);
    bool crossHeatingDecompressionSaturation(HeatingDecompressionPath& path);
    void chooseNextHeatingDecompressionStep(HeatingDecompressionPath& path);
    void closeHeatingDecompressionPath(const HeatingDecompressionPath& path);

    // Steps of the expansions after isobaric heating (WaterMagmaExpansion.cpp).
    void setReversibleEndSteamFractions(WaterMagmaCalculationResult& r, double x5);
    void setIrreversibleEndSteamFractions(WaterMagmaCalculationResult& r, double x);
    void takeOnePhaseDecompressionEnd(WaterMagmaCalculationResult& r, double Sc);
    void expandIrreversiblyAfterIsobaricHeating(WaterMagmaCalculationResult& r, double Ts, double Vs, double Us,
                                                double leg);
    double leverRuleAtSurfacePressure(WaterMagmaCalculationResult& r, double S4);
    void expandTwoPhaseStateAfterIsobaricHeating(WaterMagmaCalculationResult& r);
    void expandSteamStateAfterIsobaricHeating(WaterMagmaCalculationResult& r);
    void expandLiquidStateAfterIsobaricHeating(WaterMagmaCalculationResult& r);
    void writeIsobaricHeatingPath(const WaterMagmaCalculationResult& r);

    // Steps of the pyroclast-heated expansions (WaterMagmaExpansion.cpp).
    void setPyroclastEndSteamFractions(WaterMagmaCalculationResult& r, double x);
    double leverRuleForPyroclastEnd(WaterMagmaCalculationResult& r);
    void setSuperheatedPyroclastEnd(WaterMagmaCalculationResult& r, double Tfrag, double Sstart);
    void coolLiquidWithFragmentsAtSurfacePressure(WaterMagmaCalculationResult& r);
    void expandBoilingLiquidWithFragments(WaterMagmaCalculationResult& r);
    void runPyroclastHeatingDecompression(WaterMagmaCalculationResult& r);
    void expandFromPyroclastSaturationPoint(WaterMagmaCalculationResult& r);
    void setPyroclastEndAtSurfacePressure(WaterMagmaCalculationResult& r);
    void expandWithFragmentsAlongHeatingDecompression(WaterMagmaCalculationResult& r);
    void expandIrreversiblyWithFragments(WaterMagmaCalculationResult& r);

public:
    // ---- peak temperatures of heating (WaterMagmaHeating.cpp)
    double calculateLatentHeatTerm(double a, double b) const;
    void calculateIsobaricPeakTemperature(WaterMagmaCalculationResult& r);
    double equationForIsobaricHeating(double T_, void* data);
    void calculateIsochoricPeakTemperature(double T0, double V0, double P0, double cs, double Tc, std::FILE* file);
    double equationForIsochorHeating(double T_, void* data);
    void calculateWohletzPeakTemperature(double T0, double V0, double P0, double cw, double cs, double Tc);
    double equationForWohletzHeating(double T_, void* data);
    void calculateEquilibriumCurve(double Tm_, double a, double b, double c, double d, char mode, const char* suffix);

    // ---- decompression points and heating-decompression paths (WaterMagmaDecompression.cpp)
    void calculate_irreversible_decompression_point_at_fixed_p(double T1, double V1, double P_Pa, double cM,
                                                               double T0);
    // The same from a start state given by its energy U1 (J/mol), which may be
    // a liquid-vapour mixture of mean volume V1 that the model cannot evaluate
    // as one phase.
    void calculateIrreversibleDecompressionFrom(double T1, double V1, double U1, double P_Pa, double cM, double T0);
    double equationForIrreversibleDecompression(double T_, void* data);
    void calculateAtmosphericDecompressionPoint(double S_, double P_bar);
    void calculateHeatingDecompression(double V0, double T0, double Tmin_, double Tmax_, double Pend, char mode,
                                       const char* suffix, std::vector<double>* array);
    double equationForHeatingDecompressionEquilibriumTemperature(double T_, void* data);
    // One isentropic step of the heating decompression: from the current,
    // evaluated state on the isentrope S_target to the temperature `target`
    // (K), or to the pressure `target` (Pa) with atPressure.  Newton steps on
    // the state functions from the tangent's prediction, else from the plain
    // start (Tfrom, Vfrom), leave the model at the state found; false
    // (errorflag set, the model at the last trial) when no mechanically
    // stable state is found.
    bool continueIsentrope(double target, bool atPressure, double Tfrom, double Vfrom);
    // The second-order parts of the isentrope's step, (V - tangent) / (h^2
    // V1) and, in pressure, (T - tangent) / (h^2 T1), h the step, at the last
    // step of the path in the same variable, which the next step adds to its
    // tangent; NaN at the start of a path.  The path's steps change little
    // from one to the next, so that the start lands within the Newton
    // tolerance without a second evaluation.
    struct IsentropeCurvature {
        double V = std::nan(""), T = std::nan("");
        bool atPressure = false;
    } isentropeCurvature;
    // The path from (T0, V0) for the water:magma ratio m_; with writeCurve its
    // curve is written to the file "isoh3".
    void calculateHeatingDecompressionPath1(const char* name, double T0, double V0, double m_, bool writeCurve = true);
    void calculateHeatingDecompressionPath2(const char* path, double T0, double S0, double Tmin_,
                                            WaterMagmaCalculationResult& r);
    double calculateIsentropicMixtureState(double S0, double T0, double T_);

    // ---- expansion works (WaterMagmaExpansion.cpp)
    void calculateExpansionWork(WaterMagmaCalculationResult& r);
    void calculateWorkForIsobaricHeating(WaterMagmaCalculationResult& r);
    void calculateIsothermalExpansionWork(WaterMagmaCalculationResult& r);
    double calculateLatentHeatEntropicTerm(double a, double b) const;

    // ---- one cycle (WaterMagmaCycle.cpp)
    void calculateWaterMagmaCycle(WaterMagmaCalculationInfo& info, WaterMagmaCalculationResult& r, char writeCurves,
                                  char report);
    void prepareCycleCalculation(WaterMagmaCalculationInfo& info, WaterMagmaCalculationResult& r);
    // The anchors of isobaric heating at P2 (saturation, superheat limit,
    // boiling point of its entropy and the states there): the same for every
    // batch of a recharge or fractionation loop, whose water starts at the
    // same depth, so that the loop finds them once (kept only while
    // keepDepthAnchors holds, which the loop sets and clears).
    void calculateIsobaricHeatingAnchors(WaterMagmaCalculationResult& r);
    struct DepthAnchors {
        bool valid = false;
        double P2 = 0.0, Vl0 = 0.0, Vv0 = 0.0;
        int phaseKind = 0;
        WaterMagmaCalculationResult values;
    };
    bool keepDepthAnchors = false;
    DepthAnchors depthAnchors;
    void prepareExpansionWorkCalculation(double Psurf, WaterMagmaCalculationResult& r);
    // Whether a computed cycle stays within what the magma can give: the
    // peak closes its heat balance (to 1e-6), every expansion work lies between
    // zero and the Carnot bound of the heat the water takes up (between its
    // hottest temperature while heated and the surface water) with the
    // exergy the water at depth holds above the surface water, and no
    // pyroclast-heated end is hotter than the fragments at T3.  A cycle
    // outside is reported on the diagnostic channel; the caller refuses it.
    bool cycleWithinPhysicalBounds(const WaterMagmaCalculationResult& r);
    // After an isochoric or Wohletz peak search: false, said, when it found
    // no peak (errorflag set).
    bool peakFound(const WaterMagmaCalculationResult& r, const WaterMagmaCalculationInfo& info);

    // ---- drivers (WaterMagmaDrivers.cpp)
    void drawWaterMagmaCycle(WaterMagmaCalculationInfo& info, char mode);
    void calculateWaterMagmaCycleWithRecharge(WaterMagmaCalculationInfo& info, WaterMagmaCalculationResult& r,
                                              char writeCurves, char report);
    int calculateEnergyDiagramPoint(double m_, WaterMagmaCalculationInfo& info, WaterMagmaCalculationResult& r,
                                    std::vector<double>* array);
    void drawWaterMagmaDiagram(WaterMagmaCalculationInfo& info, char mode, char progress, std::vector<double>* array,
                               double mMin, double mMax);
    // The 31 values of one E(m) point.
    static void appendEnergyDiagramPoint(const WaterMagmaCalculationResult& r, std::vector<double>& array);

    // ---- Igor files (WaterMagmaIgor.cpp)
    void writeIgorScriptForPhaseDiagram(int curve, int display, int newExperiment);
    void writeIgorScriptForWaterMagmaCycle(WaterMagmaCalculationResult& r);
    void writeIgorScriptForWaterMagmaCycle1(WaterMagmaCalculationResult& r);
    void writeIgorScriptForWaterMagmaDiagram(char pyroclastHeated, char recharge, const char* suffix);
    void produceIgorFileFromArray(WaterMagmaCalculationInfo& info, const std::vector<double>& array);

    // ---- saturated expansion, exsolution and isobaric heating works (WaterMagmaWorks.cpp)
    double calculateIsentropicVaporization(double S_);
    double calculateIsentropicVaporization(double S_, double Ul, double Uv, double Hl, double Hv, double Sl,
                                           double Sv, double Vl, double Vv);
    void calculateSaturationExpansionWork(double V1, double V2, double U1, double U2, double S1, double S2,
                                          double& x1, double& x2, double& xi1, double& xi2, double& W1, double& W2,
                                          double& Wi1, double& Wi2);
    // start: Vl, Vv, Ul, Uv, Sl, Sv, Hl, Hv; Pf (Pa); reference at Pf: Vl, Vv,
    // Ul, Uv, Hl, Hv, Sl, Sv; results per start (liquid, steam): reversible
    // and irreversible liquid fractions, works and the enthalpy drop.
    struct SaturatedStart {
        double V, U, S, H;
    };
    struct SaturatedReference {
        double Pf, Vl, Vv, Ul, Uv, Hl, Hv, Sl, Sv;
    };
    struct SaturatedExpansion {
        double xRev, xIrr, Wrev, Wirr, dH;
    };
    SaturatedExpansion calculateSaturationExpansionWorkForPex(const SaturatedStart& start,
                                                              const SaturatedReference& ref);
    void calculateSaturatedExpansionWork(double T_, double P_bar, WaterSaturationResult* record, double Pex);
    // Its steps: the saturated liquid and vapour at the final pressure; the
    // start on the saturation curve (at T_ or at P_bar), the critical point
    // standing for it at the top; the start's liquid and vapour.  False when
    // the command ends there (errorflag set, said unless `record`).
    bool saturatedReferenceAtFinalPressure(double Pex, bool record, SaturatedReference& ref);
    void placeSaturationAtCriticalPoint();
    bool saturationStartAtTemperature(double T_, bool record, bool& ok);
    bool saturationStartAtPressure(double P_bar, bool record, bool& ok);
    bool saturationStartState(double T_, double P_bar, bool record);
    double saturatedStartStates(double Ts, double Vl, double Vv, WaterSaturationResult* rec, SaturatedStart& liq,
                                SaturatedStart& vap);
    // The saturation state at P_Pa close below the critical pressure, where
    // the search at given pressure no longer converges: a bisection on the
    // saturation pressure at given T.  False when none is found.
    bool saturationTemperatureNearCritical(double P_Pa);
    void calculateExsolutionWork(double T_, double P_bar, double Vm);
    double equationForExsolutionWork(double T_, void* data);
    void calculateTemperatureForGivenExsolutionWorkAndPressure(double W0, double P_bar, double Vm);
    void calculateExsolutionWorkIsoCurve(double W0, double T0, double Pstart, double Pend, double dP, double Vm,
                                         std::vector<double>& out);
    void calculateIsobaricHeatingWork(double P_bar, double T0, double T1);

    // Heating-decompression results.
    char decompressionSaturationFlag = -1;
    double decompressionT4 = 0, decompressionP4 = 0, decompressionV4 = 0;
    double decompressionWork4 = 0, decompressionHeat4 = 0;
    char decompressionEndFlag = -1;
    double decompressionT5 = 0, decompressionP5 = 0, decompressionV5 = 0;
    double decompressionWork5 = 0, decompressionHeat5 = 0;
};

// The E(m) data file: opened for writing with its header; null when it
// cannot be opened (reported on standard error).
std::FILE* produceHeaderIgorFileForWaterMagmaDiagram(WaterMagmaCalculationInfo& info);
void writeDataIgorFileForWaterMagmaDiagram(std::FILE* file, WaterMagmaCalculationInfo& info,
                                           WaterMagmaCalculationResult& r);
// The table of recharge cycles of an Igor run, "recharge", written whole.
void writeRechargeTable(const std::string& rows);
