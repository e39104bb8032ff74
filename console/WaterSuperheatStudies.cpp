// Studies of superheated water: thermal conductivity, reversible against
// irreversible decompression to 1 bar, the volume fraction of water in a
// water-magma mixture, and the works of water superheated at depth.
#include <cmath>
#include <cstdio>

#include "console/WaterStudyModel.h"
#include "fluid/ErrorFlagScope.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "platform/Progress.h"

namespace {
constexpr double kMagmaDensity = 2500.0;  // kg/m3

// The state reached by a decompression ("Reversible" or "Irreversible") of
// water of molar mass M (kg/mol).
void printDecompressionPoint(const char* kind, const FluidPhase& w, double M) {
    std::printf("%s Decompression point\n", kind);
    std::printf("====================================\n");
    std::printf("P : %12.2f\n", w.P * 1e-5);
    std::printf("S : %12.2f J/mol/K %12.2f J/kg/K\n", w.S, w.S / M);
    std::printf("T : %12.2f\n", w.T);
    std::printf("V : %12.2f\n", w.V * 1e6);
    std::printf("H : %12.2f kJ/mol %12.2f kJ/kg\n", w.H * 0.001, w.H * 0.001 / M);
}
}  // namespace

double WaterStudyModel::calculateWaterConductivity(double T_) {
    return 0.0784769460355426 +
           T_ * (-0.00158330929400247 +
                 T_ * (3.06955226587662e-05 +
                       T_ * (-9.42725477742753e-08 + T_ * (1.12390728109853e-10 + T_ * -5.01397987009335e-14))));
}

void WaterStudyModel::sayIfSupercooledVapour(double M) {
    // Below the boiling temperature at its pressure a vapour is supercooled,
    // metastable: the stable state of the same enthalpy H = U + P V (which
    // the expansion against the constant pressure keeps) is the boiling
    // liquid and its steam, the steam's mass fraction (H - Hl) / (Hv - Hl).
    if (!(V > 0.0) || T >= ancillaryCriticalTemperature("H2O")) return;
    const double H0 = H, T0 = T, P0 = P * 1e-5;
    const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);  // a note, no failure of the state
    calculateTheSaturationTemperature(P0, 0);
    if (errorflag || !(T0 < T) || !(V > Vl_sat)) return;
    const double Ts = T, Vl = Vl_sat, Vv = Vv_sat;
    auto enthalpyAt = [&](double v) {
        temperature(Ts);
        volume(v);
        calculate_state_functions();
        return H;
    };
    const double Hl = enthalpyAt(Vl), Hv = enthalpyAt(Vv);
    const double q = (H0 - Hl) / (Hv - Hl);
    std::printf("** Metastable: a supercooled vapour, below the boiling temperature %.2f K at %.2f bar;", Ts, P0);
    if (q >= 0.0 && q <= 1.0)
        std::printf(" the stable state of its enthalpy is %.1f %% steam (by mass) with the boiling liquid at %.2f K\n",
                    100.0 * q, Ts);
    else
        std::printf(" the stable state of its enthalpy (%.2f kJ/kg) is the liquid\n", H0 * 1e-3 / M);
}

void WaterStudyModel::compareReversibleIrreversibleWorks(double T_, double P_Pa) {
    const double M = molarMass();
    errorflag = 0;
    set_the_phase_as(1);
    temperature(T_);
    pressure(P_Pa * 1e-5);
    calculate_molar_volume();
    if (!errorflag) calculate_state_functions();
    if (errorflag || !(dPdV < 0.0)) {
        platform::diagf("No steam state of water at %g K and %g Pa to decompress.\n", T_, P_Pa);
        errorflag = 0;
        return;
    }
    const double S0 = S;
    calculate_irreversible_decompression_point_at_fixed_p(T_, V, 1e5, 0.0, T_);
    if (errorflag) {
        platform::diagf("No irreversible decompression point found\n");
        errorflag = 0;
    } else {
        printDecompressionPoint("Irreversible", *this, M);
        sayIfSupercooledVapour(M);
    }
    // An isentrope that enters the two-phase region ends at 1 bar as the
    // liquid-steam mixture of its entropy; otherwise in one phase.
    const double x = calculateIsentropicVaporization(S0);
    if (!(x >= 0.0 && x <= 1.0)) calculateAtmosphericDecompressionPoint(S0, 1.0);
    if (!errorflag) printDecompressionPoint("Reversible", *this, M);
}

namespace {
// The water's mass fraction of the water-magma mixture lies within 0 and 1.
bool massFractionOfWater(double w) {
    if (w >= 0.0 && w <= 1.0) return true;
    platform::diagf("The mass fraction of water w must lie between 0 and 1, not %g.\n", w);
    return false;
}
}  // namespace

double WaterStudyModel::calculateWaterVolumeFractionMagma(double T_, double P_bar, double w) {
    errorflag = 0;
    if (!massFractionOfWater(w)) return std::nan("");
    calculateFromTP(T_, P_bar, 1);
    if (errorflag) return std::nan("");
    const double M = molarMass();
    const double vw = (w / M) * V;
    const double phi = vw / ((1.0 - w) / kMagmaDensity + vw);
    std::printf("Volume water fraction : %lf\n", phi);
    return phi;
}

void WaterStudyModel::calculateWaterVolumeFractionDiagram(double w, double Tmin_, double Tmax_, double Pmin,
                                                          double Pmax) {
    if (!massFractionOfWater(w)) return;
    std::FILE* f = platform::openOutput("wat", "wt");
    if (!f) {
        return;
    }
    const double M = molarMass();
    int rows = 0;
    platform::Progress progress("Water volume fraction, T (K)", Tmax_ - Tmin_, true);
    for (double t = Tmin_; t <= Tmax_; t += 5.0) {
        progress.update(t - Tmin_, t);
        for (double p = Pmin; p <= Pmax; p += 5.0) {
            errorflag = 0;
            calculateFromTP(t, p, 1);
            if (errorflag) {
                std::fprintf(f, "%12.2f\t%12.2f\t%12s\n", t, p, "nan");
            } else {
                const double vw = (w / M) * V;
                std::fprintf(f, "%12.2f\t%12.2f\t%12.10lf\n", t, p, vw / ((1.0 - w) / kMagmaDensity + vw));
            }
            ++rows;
        }
        std::fprintf(f, "\n");
    }
    errorflag = 0;
    platform::closeOutput(f, "wat");
    lastRows = rows;
}

void WaterStudyModel::drawSuperheatDiagram(double z, double dT) {
    const double M = molarMass();
    errorflag = 0;
    // Every step that finds no state ends the study with a message.
    auto fail = [this](const char* what) {
        platform::diagf("Superheat: %s.\n", what);
        errorflag = 0;
    };
    // The surface water and the water at depth are liquids, whatever phase
    // an earlier study left the model at.
    set_the_phase_as(2);
    std::printf("State 1\n----------\n");
    calculateFromTP(293.15, 1.0, 1);
    std::printf("State 2\n----------\n");
    const double T2 = 293.15 + 0.03 * z, P2 = z + 1.0;
    calculateFromTP(T2, P2, 1);
    if (errorflag) return fail("no water state at depth");
    calculateTheSaturationTemperature(P2, 0);
    if (errorflag) {
        platform::diagf("No saturation state at %.2f bar\n", P2);
        errorflag = 0;
        return;
    }
    // The saturated liquid's enthalpy (the model is left at the vapour).
    temperature(T);
    volume(Vl_sat);
    calculate_state_functions();
    const double H1 = H;
    calculateTheLiquidSpinodalTemperatureFromP(P2);
    if (errorflag) return fail("no liquid spinodal at the pressure at depth");
    const double Tsp = T;
    const double T3 = T2 + dT;
    if (!(T3 < Tsp)) {
        platform::diagf("Superheat: the liquid at %.2f K lies beyond its superheat limit (%.2f K) at %.2f bar.\n", T3,
                        Tsp, P2);
        return;
    }
    set_the_phase_as(2);
    calculateFromTP(T3, P2, 1);
    if (errorflag) return fail("no liquid state at the superheated temperature");
    const double U3 = U, H3 = H, S3 = S;
    calculateBoilingPointFromS(S3);
    if (errorflag) return fail("the isentrope of the superheated liquid meets no boiling point");
    // The lever rule below is that of the saturated water at 1 bar: a liquid
    // whose isentrope boils only below 1 bar is still liquid there.
    if (!(P >= 1e5)) {
        platform::diagf("Superheat: the liquid at %.2f K and %.2f bar boils on its isentrope only at %.4g bar, below "
                        "the 1 bar it expands to.\n",
                        T3, P2, P * 1e-5);
        errorflag = 0;
        return;
    }
    const double T4 = T, P4 = P, U4 = U, S4 = S;
    volume(Vv_sat);
    calculate_state_functions();
    const double U4v = U;
    const double fl = calculateIsentropicVaporization(S4);
    const double U5 = U;
    std::printf("P3 : %lf\n", P2);
    std::printf("T3 : %lf\n", T3);
    std::printf("P4 : %lf\n", P4 * 1e-5);
    std::printf("T4 : %lf\n", T4);
    std::printf("fl : %lf\n", fl);
    std::printf("Q  : %lf\n", (H3 - H1) / M * 0.001);
    std::printf("W4 : %lf\n", (U4 - U3) / M * 0.001);
    std::printf("W5 : %lf\n\n", (U5 - U4) / M * 0.001);
    std::printf("W6 : %lf\n\n", (U5 - U4v) / M * 0.001);
}
