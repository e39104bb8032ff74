// Expansion of the heated water (state 3) back to the surface pressure Pref:
// reversibly along its isentrope (through state 4 on the saturation curve,
// then by the lever rule between the saturated liquid and vapour at Pref) and
// irreversibly against the constant pressure Pref (U5 - U3 = -Pref (V5 - V3)),
// after isochoric or Wohletz heating and after isobaric heating, and the
// pyroclast-heated cases in which the magma fragments keep heating the water.
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "console/WaterMagmaModel.h"
#include "fluid/ErrorFlagScope.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

constexpr double kMagmaVolume = 4.86e-5;  // m3 per kg of magma counted in the steam volume fractions
constexpr double kSc = 79.394;           // critical molar entropy of water, J/(mol K)
constexpr double kTriplePointT = 273.16;  // K, triple point of water
const double kNaN = std::numeric_limits<double>::quiet_NaN();

double liquidVolumeFraction(double x, double Vl, double Vv) { return x * Vl / (x * Vl + (1.0 - x) * Vv); }

void writeEmptyCurve(const char* path, const char* waves) {
    std::FILE* f = platform::openOutput(path, "w");
    if (f == nullptr) return;
    std::fprintf(f, "IGOR\nWAVES %s\nBEGIN\n nan nan \n END\n", waves);
    platform::closeOutput(f, path);
}

}  // namespace

// ---------------------------------------------------------------- isochoric or Wohletz heating

void WaterMagmaModel::calculateExpansionWork(WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const double m = r.m;
    const double Sc = criticalMolarEntropy;
    // 1. Where the isentrope S3 meets the saturation curve.
    if (Sc > r.S3)
        calculateBoilingPointFromS(r.S3);
    else
        calculateCondensationPointFromS(r.S3);
    // A solver that "converges" outside the physical range has failed too.
    if (!errorflag && !(T > 0.0 && std::isfinite(T) && P > 0.0 && std::isfinite(P))) errorflag = 1;
    // The saturation point is found up to the critical point: where none is,
    // the isentrope lies beyond the saturation curve's entropies (below the
    // liquid's or above the vapour's at the triple point) and reaches the
    // surface pressure in a single phase.
    const bool noSaturationPoint = errorflag != 0;
    errorflag = 0;
    r.T4 = noSaturationPoint ? 0.0 : T;
    r.P4 = noSaturationPoint ? 0.0 : P * 1e-5;
    if (r.P4 > r.Pref) {
        // State 4 lies on the isentrope: the expansion goes on from S3.
        r.U4 = U;
        r.S4 = r.S3;
        r.V4 = V * 1e6;
        const double x = leverRuleAtSurfacePressure(r, r.S4);
        r.state4 = 1;
        r.W34 = (r.U4 - r.U3) * 0.001 / M;
        r.W45 = (r.U5 - r.U4) * 0.001 / M;
        r.steamMassFraction5 = (1 - x) * m / (1 + m);
        r.steamVolumeFraction5 = m * (1 - x) * r.VvRef / (m * x * r.VlRef + m * (1 - x) * r.VvRef + kMagmaVolume);
    } else {
        r.state4 = 0;
        r.T4 = 0.0;
        calculateAtmosphericDecompressionPoint(r.S3, r.Pref);
        takeOnePhaseDecompressionEnd(r, Sc);
        r.W34 = 0.0;
        r.W45 = (r.U5 - r.U3) * 0.001 / M;
    }
    // 4. Curves of the cycle.
    if (r.writeCurves) {
        const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);  // the curves are no part of the result
        if (r.scriptFlag == 1) {
            if (r.T2 > 0.0) calculateTheIsochor(r.V2 * 1e-6, r.T2, r.T3, 0, 1, "0", nullptr);
            calculateTheIsentropicCurve(r.T3, 0.0, r.V3 * 1e-6, -1.0, 273.15, magmaTemperature, r.Pref * 1e5,
                                        1e15, 1, "1", nullptr);
            if (r.state4 == 1) {
                temperature(critical_T);
                volume(critical_V);
                calculateIsoBiphasic(kIsoEntropy, r.S3, 2, critical_T, -1.0, critical_V, critical_V, r.TsatRef, 1,
                                     "2");
            }
        } else if (r.scriptFlag == 6) {
            r.isochoreArray.clear();
            r.isochoreArray.reserve(100);
            calculateTheIsochor(r.V2 * 1e-6, r.T2, r.T3, 0, 6, "", &r.isochoreArray);
            r.isentropeArray.clear();
            r.isentropeArray.reserve(100);
            calculateTheIsentropicCurve(r.T3, 0.0, r.V3 * 1e-6, -1.0, 273.15, magmaTemperature + 0.1, r.Pref * 1e5,
                                        1e15, 6, "", &r.isentropeArray);
        }
    }
    // 5. Energies.
    r.Q = (r.U3 - r.U2) * 0.001 / M;
    r.Wrev = (r.U5 - r.U3) * 0.001 / M;
    r.dHrev = (r.H5 - r.H3) * 0.001 / M;
    // 6. Irreversible adiabatic expansion against Pref.
    const double Pa = r.Pref * 1e5;
    const double V3 = r.V3 * 1e-6;
    double x = (Pa * V3 - Pa * r.VvRef - r.UvRef + r.U3) / (r.UlRef - r.UvRef + Pa * r.VlRef - Pa * r.VvRef);
    r.liquidMassFraction5irr = x;
    r.liquidVolumeFraction5irr = liquidVolumeFraction(x, r.VlRef, r.VvRef);
    if (x >= 0.0 && x <= 1.0) {
        r.T5irr = r.TsatRef;
        const double Vmix = x * r.VlRef + (1 - x) * r.VvRef;
        r.Wirr = -Pa * (Vmix - V3) / M * 0.001;
        r.S5irr = x * r.SlRef + (1 - x) * r.SvRef;
    } else {
        double Tstart = r.T3;
        if (r.T3 > 600.0 && r.T3 < 650.0) Tstart = 700.0;
        // The energy balance starts from state 3 itself; only the search
        // starts above the critical region when T3 lies just below it.
        calculate_irreversible_decompression_point_at_fixed_p(r.T3, V3, Pa, 0.0, Tstart);
        r.T5irr = T;
        r.S5irr = S;
        if (errorflag) {
            // Why there is no end state: the search for it runs over the
            // stable fluid, above water's triple point.
            if (r.T3 < kTriplePointT)
                platform::diagf("Irreversible adiabatic expansion to %g bar: the water at %.2f K is a supercooled "
                                "liquid, below the triple point of water (%g K), and so would be its end state, where "
                                "the search for it does not go: its temperature and work are not given.\n",
                                r.Pref, r.T3, kTriplePointT);
            else
                platform::diagf("Irreversible adiabatic expansion to %g bar from %.2f K (m = %g): no end state of "
                                "the energy balance was found: its temperature and work are not given.\n",
                                r.Pref, r.T3, m);
            r.Wirr = kNaN;
            r.T5irr = kNaN;
        } else {
            r.Wirr = -Pa * (V - V3) / M * 0.001;
        }
        if (x > 1.0) {
            x = 1.0;
            r.liquidMassFraction5irr = r.liquidVolumeFraction5irr = 1.0;
        } else if (x < 0.0) {
            x = 0.0;
            r.liquidMassFraction5irr = r.liquidVolumeFraction5irr = 0.0;
        }
    }
    r.steamMassFraction5irr = (1 - x) * m / (1 + m);
    r.steamVolumeFraction5irr = (1 - x) * m * r.VvRef / (x * m * r.VlRef + (1 - x) * m * r.VvRef + kMagmaVolume);
    calculateIsothermalExpansionWork(r);
}

// ---------------------------------------------------------------- isobaric heating

// Steam mass and volume fractions at the reversible end (state 5) for the
// liquid mass fraction x5 of the water.
void WaterMagmaModel::setReversibleEndSteamFractions(WaterMagmaCalculationResult& r, double x5) {
    const double m = r.m;
    r.steamMassFraction5 = (1 - x5) * m / (1 + m);
    r.steamVolumeFraction5 = (1 - x5) * m * r.VvRef / (x5 * m * r.VlRef + (1 - x5) * m * r.VvRef + kMagmaVolume);
}

// The end state 5 of a decompression to Pref that stays in one phase (the
// state the phase holds now): a liquid below water's critical entropy Sc,
// steam above it.
void WaterMagmaModel::takeOnePhaseDecompressionEnd(WaterMagmaCalculationResult& r, double Sc) {
    const double m = r.m;
    r.T5 = T;
    r.U5 = U;
    r.H5 = H;
    r.S5 = S;
    r.P5 = r.Pref;
    if (r.S5 < Sc) {
        r.liquidMassFraction5 = r.liquidVolumeFraction5 = 1.0;
        r.steamMassFraction5 = r.steamVolumeFraction5 = 0.0;
    } else {
        r.liquidMassFraction5 = r.liquidVolumeFraction5 = 0.0;
        r.steamMassFraction5 = m / (1 + m);
        r.steamVolumeFraction5 = m * V / (m * V + kMagmaVolume);
    }
}

// The same at the irreversible end.
void WaterMagmaModel::setIrreversibleEndSteamFractions(WaterMagmaCalculationResult& r, double x) {
    const double m = r.m;
    r.steamMassFraction5irr = (1 - x) * m / (1 + m);
    r.steamVolumeFraction5irr = (1 - x) * m * r.VvRef / (x * m * r.VlRef + (1 - x) * m * r.VvRef + kMagmaVolume);
}

// Irreversible adiabatic expansion against Pref from a start state (T, V
// in m3/mol, U J/mol, possibly a liquid-vapour mixture) after the
// isobaric expansion of the heating and `leg`, the work of a reversible
// liquid leg before it: the balance U5 - U = -Pref (V5 - V) ends on the
// saturation line at Pref when it gives a liquid fraction in [0, 1], else
// in one phase; a failed search leaves no end state (NaN).
void WaterMagmaModel::expandIrreversiblyAfterIsobaricHeating(WaterMagmaCalculationResult& r, double Ts, double Vs,
                                                             double Us, double leg) {
    const double Pa = r.Pref * 1e5;
    const double k = 0.001 / molarMass();
    double x = (Pa * Vs - Pa * r.VvRef - r.UvRef + Us) / (r.UlRef - r.UvRef + Pa * r.VlRef - Pa * r.VvRef);
    r.liquidMassFraction5irr = x;
    r.liquidVolumeFraction5irr = liquidVolumeFraction(x, r.VlRef, r.VvRef);
    if (x >= 0.0 && x <= 1.0) {
        r.T5irr = r.TsatRef;
        r.Wirr = (-Pa * (x * r.VlRef + (1 - x) * r.VvRef - Vs) + r.vaporizationWork + leg) * k;
    } else {
        calculateIrreversibleDecompressionFrom(Ts, Vs, Us, Pa, 0.0, Ts);
        r.T5irr = errorflag ? kNaN : T;
        r.Wirr = errorflag ? kNaN : (-Pa * (V - Vs) + r.vaporizationWork + leg) * k;
        x = x > 1.0 ? 1.0 : 0.0;
        r.liquidMassFraction5irr = r.liquidVolumeFraction5irr = x;
    }
    setIrreversibleEndSteamFractions(r, x);
}

// The reversible end on the saturation line at Pref by the lever rule on the
// entropy S4 of state 4: its liquid mass fraction x5 and state functions.
double WaterMagmaModel::leverRuleAtSurfacePressure(WaterMagmaCalculationResult& r, double S4) {
    const double x5 = (S4 - r.SvRef) / (r.SlRef - r.SvRef);
    r.liquidMassFraction5 = x5;
    r.liquidVolumeFraction5 = liquidVolumeFraction(x5, r.VlRef, r.VvRef);
    r.U5 = x5 * r.UlRef + (1 - x5) * r.UvRef;
    r.H5 = x5 * r.HlRef + (1 - x5) * r.HvRef;
    r.S5 = x5 * r.SlRef + (1 - x5) * r.SvRef;
    r.T5 = r.TsatRef;
    r.P5 = r.Pref;
    return x5;
}

// A. Isobaric heating that ends in the two-phase state 3 at Tboil.
void WaterMagmaModel::expandTwoPhaseStateAfterIsobaricHeating(WaterMagmaCalculationResult& r) {
    const double k = 0.001 / molarMass();
    const double x3 = r.liquidFraction3;
    const double x5 = leverRuleAtSurfacePressure(r, r.S4);
    r.state4 = 1;
    r.Q = (r.HlBoil - r.H2 + (1 - x3) * (r.HvBoil - r.HlBoil)) * k;
    r.vaporizationWork = -r.Pboil * 1e5 * (r.VvBoil - r.VlBoil) * (1 - x3) - r.HlBoil + r.H2 - r.U2 + r.UlBoil;
    r.Wrev = (r.U5 - r.U3 + r.vaporizationWork) * k;
    setReversibleEndSteamFractions(r, x5);
    expandIrreversiblyAfterIsobaricHeating(r, r.T3, r.V3 * 1e-6, r.U3, 0.0);
    if (r.writeCurves) {
        if (r.scriptFlag == 1) {
            writeEmptyCurve("isos1", "p1 t1");
            temperature(critical_T);
            volume(critical_V);
            calculateIsoBiphasic(kIsoEntropy, r.S3, 2, critical_T, -1.0, critical_V, critical_V, r.TsatRef, 1, "2");
        } else if (r.scriptFlag == 6) {
            r.isentropeArray.clear();
        }
    }
}

// B. Isobaric heating that ends in steam or a supercritical state 3: its
// isentrope meets the saturation curve at state 4 above Pref (then the lever
// rule at Pref), or reaches Pref first in one phase.
void WaterMagmaModel::expandSteamStateAfterIsobaricHeating(WaterMagmaCalculationResult& r) {
    const double k = 0.001 / molarMass();
    if (r.S3 < kSc)
        calculateBoilingPointFromS(r.S3);
    else
        calculateCondensationPointFromS(r.S3);
    // Without a saturation point (found up to the critical point) the
    // isentrope lies beyond the saturation curve's entropies and reaches the
    // surface pressure in one phase.
    const bool noSaturationPoint = errorflag != 0;
    errorflag = 0;
    r.T4 = noSaturationPoint ? 0.0 : T;
    r.P4 = noSaturationPoint ? 0.0 : P * 1e-5;
    if (r.P4 > r.Pref) {
        r.U4 = U;
        r.S4 = S;
        const double x5 = leverRuleAtSurfacePressure(r, r.S4);
        r.state4 = 1;
        setReversibleEndSteamFractions(r, x5);
    } else {
        calculateAtmosphericDecompressionPoint(r.S3, r.Pref);
        if (errorflag) r.saturationFailed = 1;
        takeOnePhaseDecompressionEnd(r, kSc);
        r.state4 = 0;
    }
    if (r.writeCurves) {
        const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);  // the curves are no part of the result
        if (r.scriptFlag == 1) {
            calculateTheIsentropicCurve(r.T3, 0.0, r.V3 * 1e-6, -1.0, 273.15, magmaTemperature + 0.1, 1e5, 1e15, 1,
                                        "1", nullptr);
            if (r.state4 == 1) {
                temperature(critical_T);
                volume(critical_V);
                calculateIsoBiphasic(kIsoEntropy, r.S3, 2, critical_T, -1.0, critical_V, critical_V, 373.15, 1, "2");
            }
        } else if (r.scriptFlag == 6) {
            r.isentropeArray.clear();
            r.isentropeArray.reserve(100);
            calculateTheIsentropicCurve(r.T3, 0.0, r.V3 * 1e-6, -1.0, 273.15, magmaTemperature + 0.1, r.Pref * 1e5,
                                        1e15, 6, "", &r.isentropeArray);
        }
    }
    r.Q = (r.H3 - r.H2) * k;
    r.vaporizationWork = r.U3 - r.H3 + r.H2 - r.U2;
    r.Wrev = (r.vaporizationWork + r.U5 - r.U3) * k;
    expandIrreversiblyAfterIsobaricHeating(r, r.T3, r.V3 * 1e-6, r.U3, 0.0);
}

// C. Isobaric heating that ends in a liquid state 3: the liquid follows its
// isentrope to its boiling point (state 4), or to the surface pressure first.
void WaterMagmaModel::expandLiquidStateAfterIsobaricHeating(WaterMagmaCalculationResult& r) {
    const double k = 0.001 / molarMass();
    calculateBoilingPointFromS(r.S3);
    r.T4 = T;
    r.P4 = P * 1e-5;
    r.U4 = U;
    r.S4 = S;
    r.V4 = Vl_sat * 1e6;
    double x5 = leverRuleAtSurfacePressure(r, r.S4);
    // A record reused from an earlier point must not keep its state 4.
    r.state4 = x5 > 1.0 ? 0 : 1;
    if (x5 > 1.0) r.liquidMassFraction5 = r.liquidVolumeFraction5 = 1.0;
    if (r.Pref > r.P4) {
        const double f = (r.P4 - r.Pref) / (r.P4 - r.P3), g = 1.0 - f;
        r.P4 = f * r.P3 + g * r.P4;
        r.U4 = f * r.U3 + g * r.U4;
        r.S4 = f * r.S3 + g * r.S4;
        r.V4 = f * r.V3 + g * r.V4;
        r.T4 = f * r.T3 + g * r.T4;
        r.T5 = r.T4;
        r.P5 = r.P4;
        r.U5 = r.U4;
        r.S5 = r.S4;
    }
    if (r.writeCurves) {
        if (r.scriptFlag == 1) {
            writeEmptyCurve("isos1", "p1 t1");
            temperature(critical_T);
            volume(critical_V);
            if (r.Pref >= r.P4)
                writeEmptyCurve("isoss2", "p2 t2");
            else
                calculateIsoBiphasic(kIsoEntropy, r.S3, 2, critical_T, -1.0, critical_V, critical_V, 373.15, 1, "2");
        } else if (r.scriptFlag == 6) {
            r.isentropeArray.clear();
        }
    }
    r.Q = (r.H3 - r.H2) * k;
    r.vaporizationWork = r.U3 - r.H3 + r.H2 - r.U2;
    // The liquid follows its isentrope from state 3 to state 4 (its boiling
    // point, or the surface pressure first): that leg's work U4 - U3 is
    // part of both expansions, so that each keeps the first law.
    r.Wrev = (r.vaporizationWork + r.U5 - r.U3) * k;
    setReversibleEndSteamFractions(r, x5 > 1.0 ? 1.0 : x5);  // a non-boiling liquid has no steam
    expandIrreversiblyAfterIsobaricHeating(r, r.T4, r.V4 * 1e-6, r.U4, r.U4 - r.U3);
}

// The heating path of the cycle in the (P, T) plane, the Igor curve "isop0".
void WaterMagmaModel::writeIsobaricHeatingPath(const WaterMagmaCalculationResult& r) {
    const double x3 = r.liquidFraction3;
    std::FILE* f = platform::openOutput("isop0", "w");
    if (f == nullptr) return;
    std::fprintf(f, "IGOR\nWAVES p0 t0\nBEGIN\n");
    std::fprintf(f, "%12f %12f\n", r.P1, r.T1);
    std::fprintf(f, "%12f %12f\n", r.P2, r.T2);
    if (r.phaseState != 4 && x3 >= 0.0 && x3 <= 1.0) {
        std::fprintf(f, "%12f %12f\n", r.P2, r.Tspinodal);
        std::fprintf(f, "%12f %12f\n", r.Pboil, r.Tboil);
    }
    std::fprintf(f, "%12f %12f\n", r.P3, r.T3);
    if (x3 == -2.0) std::fprintf(f, "%12f %12f\n", r.P4, r.T4);
    std::fprintf(f, "END\n");
    platform::closeOutput(f, "isop0");
}

void WaterMagmaModel::calculateWorkForIsobaricHeating(WaterMagmaCalculationResult& r) {
    const double x3 = r.liquidFraction3;
    if (x3 > 0.0 && x3 < 1.0) {
        expandTwoPhaseStateAfterIsobaricHeating(r);
    } else if (x3 == 0.0) {
        expandSteamStateAfterIsobaricHeating(r);
    } else if (x3 == -2.0) {
        expandLiquidStateAfterIsobaricHeating(r);
    }
    // Otherwise (for instance x3 exactly 1.0) there is no expansion.
    if (r.writeCurves && r.scriptFlag == 1) writeIsobaricHeatingPath(r);
    calculateIsothermalExpansionWork(r);
}

// ---------------------------------------------------------------- pyroclast-heated cases

double WaterMagmaModel::calculateLatentHeatEntropicTerm(double a, double b) const {
    const double L = latentHeat;
    if (L == 0.0) return 0.0;
    const double Ts = solidusTemperature, Tl = liquidusTemperature;
    if (Ts == Tl) {
        if (a < Ts && b > Tl) return L / Ts;
        if (a >= Tl && b <= Ts) return -L / Ts;
        return 0.0;
    }
    auto c = [&](double t) { return t < Ts ? Ts : (t > Tl ? Tl : t); };
    return L / (Tl - Ts) * std::log(c(b) / c(a));
}

// Steam mass and volume fractions at the pyroclast-heated reversible end for
// the liquid mass fraction x of the water.
void WaterMagmaModel::setPyroclastEndSteamFractions(WaterMagmaCalculationResult& r, double x) {
    const double m = r.m;
    r.steamMassFraction5p = m * (1 - x) / (1 + m);
    r.steamVolumeFraction5p = (1 - x) * m * r.VvRef / (x * m * r.VlRef + (1 - x) * m * r.VvRef + kMagmaVolume);
}

// The pyroclast-heated end on the saturation line at Pref by the lever rule
// on its entropy S5p: its liquid mass fraction and energy.
double WaterMagmaModel::leverRuleForPyroclastEnd(WaterMagmaCalculationResult& r) {
    const double x = (r.S5p - r.SvRef) / (r.SlRef - r.SvRef);
    r.liquidMassFraction5p = x;
    r.liquidVolumeFraction5p = liquidVolumeFraction(x, r.VlRef, r.VvRef);
    r.U5p = x * r.UlRef + (1 - x) * r.UvRef;
    return x;
}

// An entropy S5p above the saturated vapour's at Pref: the fragments' heat
// leaves the water as superheated steam at Pref.  Water and fragments end at
// one temperature T5p, between TsatRef and the fragments' start Tfrag, with
// their total entropy kept:
//   S(T5p, Pref) + cM ln(T5p / Tfrag) + (M / m) dS(Tfrag, T5p) = Sstart,
// Sstart the water's entropy where the fragments start giving heat.  (Taking
// the fragments down to TsatRef while the steam stays hotter would book heat
// that no colder water can take.)  Newton in T, kept within its bracket by
// bisection: the left side grows with T at (Cp + cM) / T.
void WaterMagmaModel::setSuperheatedPyroclastEnd(WaterMagmaCalculationResult& r, double Tfrag, double Sstart) {
    const double M = molarMass();
    const double cM = M * magmaHeatCapacity / magmaWaterRatio;
    auto excess = [&](double T_) {
        set_the_phase_as(1);
        calculateFromTP(T_, r.Pref, 0);
        return S + cM * std::log(T_ / Tfrag) + (M / magmaWaterRatio) * calculateLatentHeatEntropicTerm(Tfrag, T_) -
               Sstart;
    };
    double lo = r.TsatRef, hi = Tfrag, t = hi;
    double f = excess(t);
    bool found = errorflag == 0 && f >= 0.0;
    for (int i = 0; found && i < 100 && std::fabs(f) > 1e-12 * (std::fabs(Sstart) + cM); ++i) {
        if (f > 0.0) hi = t;
        else lo = t;
        double next = t - f / ((Cp + cM) / t);
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (hi - lo <= 1e-12 * hi) break;
        t = next;
        f = excess(t);
        found = errorflag == 0;
    }
    if (found) excess(t);
    if (!found || errorflag) {
        platform::warnf("At m = %g the steam heated by its fragments has no state at %.2f bar: no reversible "
                        "pyroclast-heated work.\n",
                        r.m, r.Pref);
        r.T5p = r.P5p = r.U5p = r.S5p = kNaN;
        errorflag = 0;  // the work is missing; the cycle's other results stand
    } else {
        r.T5p = t;
        r.P5p = P * 1e-5;
        r.U5p = U;
        r.S5p = S;
    }
    r.liquidMassFraction5p = r.liquidVolumeFraction5p = 0.0;
}

// A liquid that reaches the surface pressure below its boiling point there
// (state 4 then lies at Pref): the water and the fragments expand together as
// a liquid, keeping their total entropy, and end between the water's own
// isentropic end T4 and the fragments' T3, never hotter than the fragments.
// Newton in T on the liquid at Pref.
void WaterMagmaModel::coolLiquidWithFragmentsAtSurfacePressure(WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const double k = 0.001 / M;
    const double cM = M * magmaHeatCapacity / magmaWaterRatio;
    r.state4Pyroclast = 0;
    r.T4p = 0.0;
    double t = r.T4;
    auto totalEntropy = [&](double T_) {
        return S + cM * std::log(T_ / r.T3) + (M / magmaWaterRatio) * calculateLatentHeatEntropicTerm(r.T3, T_) - r.S3;
    };
    for (int i = 0; i < 30; ++i) {
        set_the_phase_as(2);
        calculateFromTP(t, r.Pref, 0);
        if (errorflag) break;
        const double dt = -totalEntropy(t) / ((Cp + cM) / t);
        t += dt;
        if (std::fabs(dt) <= 1e-11 * t) break;
    }
    if (!errorflag) {
        set_the_phase_as(2);
        calculateFromTP(t, r.Pref, 0);
    }
    if (errorflag)
        platform::warnf("At m = %g the liquid heated by its fragments has no state at %.2f bar: no reversible "
                        "pyroclast-heated work.\n",
                        r.m, r.Pref);
    r.T5p = errorflag ? kNaN : t;
    r.P5p = r.Pref;
    r.S4p = r.S4;
    r.U4p = r.U4;
    r.S5p = S;
    r.U5p = U;
    r.liquidMassFraction5p = r.liquidVolumeFraction5p = 1.0;
    const double fragments = cM * (r.T3 - t) - (M / magmaWaterRatio) * calculateLatentHeatTerm(r.T3, t);
    r.WrevP = errorflag ? kNaN : (r.U5p - r.U3 - fragments + r.vaporizationWork) * k;
    r.Qp = errorflag ? kNaN : r.Q + fragments * k;
    setPyroclastEndSteamFractions(r, 1.0);
}

// A liquid that boils before the surface pressure: the fragments stay at T3
// while the liquid follows its isentrope to state 4 (T4 differs from T3
// unless state 3 is two-phase); from there they cool from T3 to the end with
// the water, keeping the total entropy.
void WaterMagmaModel::expandBoilingLiquidWithFragments(WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const double k = 0.001 / M;
    const double cM = M * magmaHeatCapacity / magmaWaterRatio;
    r.state4Pyroclast = 0;  // the record's state 4 serves (a reused record keeps no other)
    r.T4p = r.T4;
    r.S4p = r.S4;
    r.U4p = r.U4;
    r.T5p = r.TsatRef;
    r.P5p = r.Pref;
    r.S5p = r.S4p + cM * std::log(r.T3 / r.T5p) + (M / magmaWaterRatio) * calculateLatentHeatEntropicTerm(r.T3, r.T5p);
    double x = leverRuleForPyroclastEnd(r);
    if (x < 0.0) {
        setSuperheatedPyroclastEnd(r, r.T3, r.S4p);
        x = 0.0;
    } else if (x > 1.0) {
        r.liquidMassFraction5p = r.liquidVolumeFraction5p = 1.0;
        x = 1.0;
    }
    // The liquid leg U4 - U3 counts, as in the adiabatic case; the
    // fragments give their heat and any latent heat of crystallisation.
    const double fragments = cM * (r.T3 - r.T5p) - (M / magmaWaterRatio) * calculateLatentHeatTerm(r.T3, r.T5p);
    r.WrevP = (r.U5p - r.U3 - fragments + r.vaporizationWork) * k;
    r.Qp = r.Q + fragments * k;
    setPyroclastEndSteamFractions(r, x);
}

// The heating-decompression path from state 3, written as the curve "isoh3"
// or kept in the record's array when the cycle's curves are asked for.
void WaterMagmaModel::runPyroclastHeatingDecompression(WaterMagmaCalculationResult& r) {
    const bool curves = r.writeCurves && (r.scriptFlag == 1 || r.scriptFlag == 6);
    if (curves && r.scriptFlag == 1) {
        calculateHeatingDecompression(r.V3 * 1e-6, r.T3, 273.15, magmaTemperature, r.Pref * 1e5, 1, "3", nullptr);
    } else if (curves) {
        r.decompressionArray.clear();
        r.decompressionArray.reserve(100);
        calculateHeatingDecompression(r.V3 * 1e-6, r.T3, 273.15, magmaTemperature, r.Pref * 1e5, 6, "",
                                      &r.decompressionArray);
    } else {
        calculateHeatingDecompression(r.V3 * 1e-6, r.T3, 273.15, magmaTemperature, r.Pref * 1e5, 0, "", nullptr);
    }
}

// The heating-decompression path met the saturation curve above Pref at
// state 4: from there the water and the fragments end on the saturation line
// at Pref keeping their total entropy (or as superheated steam).
void WaterMagmaModel::expandFromPyroclastSaturationPoint(WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const double k = 0.001 / M;
    const double cM = M * magmaHeatCapacity / magmaWaterRatio;
    const bool isobaric = r.heatingMode == 1;
    r.state4Pyroclast = 1;
    r.T4p = decompressionT4;
    r.P4p = decompressionP4 * 1e-5;
    r.V4p = decompressionV4 * 1e6;
    volume(decompressionV4);
    temperature(decompressionT4);
    calculate_state_functions();
    r.U4p = U;
    r.H4p = H;
    r.S4p = S;
    r.T5p = r.TsatRef;
    r.P5p = r.Pref;
    r.S5p = r.S4p + cM * std::log(r.T4p / r.T5p) +
            (M / magmaWaterRatio) * calculateLatentHeatEntropicTerm(r.T4p, r.T5p);
    double x = leverRuleForPyroclastEnd(r);
    if (x < 0.0) {
        setSuperheatedPyroclastEnd(r, r.T4p, r.S4p);
        x = 0.0;
    }
    // From state 4 the fragments give their heat (and any latent heat)
    // down to T5p.  The water's energy at state 4 is taken from the
    // path's own balance, U3 + W4 + Q4 (the evaluated U4p on the path,
    // and consistent with W4 and Q4 also where state 4 is the last
    // trial of a path that failed by the critical point).
    const double fragments = cM * (r.T4p - r.T5p) - (M / magmaWaterRatio) * calculateLatentHeatTerm(r.T4p, r.T5p);
    const double U4path = r.U3 + decompressionWork4 + decompressionHeat4;
    double W = r.U5p - U4path - fragments + decompressionWork4;
    double Qh = (isobaric ? 1000.0 * r.Q * M : r.U3 - r.U2) + decompressionHeat4 + fragments;
    if (isobaric) W += r.vaporizationWork;
    r.WrevP = W * k;
    r.Qp = Qh * k;
    setPyroclastEndSteamFractions(r, x);
}

// The heating-decompression path reached the surface pressure in one phase:
// its end state 5 and the work and heat along it.
void WaterMagmaModel::setPyroclastEndAtSurfacePressure(WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const double k = 0.001 / M;
    const double m = r.m;
    const bool isobaric = r.heatingMode == 1;
    r.T5p = decompressionT5;
    r.P5p = decompressionP5 * 1e-5;
    temperature(r.T5p);
    volume(decompressionV5);
    calculate_state_functions();
    r.S5p = S;
    r.U5p = U;
    double W = decompressionWork5;
    double Qh = (isobaric ? 1000.0 * r.Q * M : r.U3 - r.U2) + decompressionHeat5;
    if (isobaric) W += r.vaporizationWork;
    r.WrevP = W * k;
    r.Qp = Qh * k;
    if (kSc > r.S5p) {
        r.liquidMassFraction5p = r.liquidVolumeFraction5p = 1.0;
        r.steamMassFraction5p = r.steamVolumeFraction5p = 0.0;
    } else {
        r.liquidMassFraction5p = r.liquidVolumeFraction5p = 0.0;
        r.steamMassFraction5p = m / (1 + m);
        r.steamVolumeFraction5p = m * V / (m * V + kMagmaVolume);
    }
}

// Steam or a heated liquid that the fragments keep heating while it
// decompresses: the heating-decompression path from state 3 to the
// saturation curve (then as above) or to the surface pressure.
void WaterMagmaModel::expandWithFragmentsAlongHeatingDecompression(WaterMagmaCalculationResult& r) {
    runPyroclastHeatingDecompression(r);
    // A path that ended early is told by its own flags; it does not fail
    // the cycle, whose other results stand.
    errorflag = 0;
    if (decompressionSaturationFlag == 1 && decompressionP4 > r.Pref * 1e5) {
        expandFromPyroclastSaturationPoint(r);
    } else {
        r.state4Pyroclast = 0;
        r.T4p = 0.0;
    }
    if (r.state4Pyroclast == 0 && decompressionEndFlag != 1) {
        // The path reached neither the saturation curve nor the surface
        // pressure: no end state, so no reversible pyroclast-heated work.
        platform::warnf("At m = %g the pyroclast-heated expansion from %.2f K reached neither the saturation "
                        "curve nor the surface pressure: no reversible pyroclast-heated work.\n",
                        r.m, r.T3);
        r.T5p = r.P5p = r.S5p = r.U5p = r.WrevP = r.Qp = kNaN;
        r.liquidMassFraction5p = r.liquidVolumeFraction5p = kNaN;
        r.steamMassFraction5p = r.steamVolumeFraction5p = kNaN;
    } else if (r.state4Pyroclast == 0) {
        setPyroclastEndAtSurfacePressure(r);
    }
}

// Irreversible pyroclast case: the water and the fragments expand against
// Pref, U5 - U3 = -Pref (V5 - V3) with the fragments' heat (and any latent
// heat) down to the end temperature.
void WaterMagmaModel::expandIrreversiblyWithFragments(WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const double m = r.m;
    const double k = 0.001 / M;
    const double cM = M * magmaHeatCapacity / magmaWaterRatio;
    const double Pa = r.Pref * 1e5;
    const double V3 = r.V3 * 1e-6;
    const double Lh = calculateLatentHeatTerm(r.T3, r.TsatRef);
    const double x = (Pa * (V3 - r.VvRef) - r.UvRef - cM * (r.TsatRef - r.T3) - M * Lh / magmaWaterRatio + r.U3) /
                     (r.UlRef - r.UvRef + Pa * (r.VlRef - r.VvRef));
    r.liquidMassFraction5irrP = x;
    if (x >= 0.0 && x <= 1.0) {
        r.liquidVolumeFraction5irrP = liquidVolumeFraction(x, r.VlRef, r.VvRef);
        r.T5irrP = r.TsatRef;
        const double Vmix = x * r.VlRef + (1 - x) * r.VvRef;
        r.WirrP = (-Pa * (Vmix - V3) + r.vaporizationWork) * k;
        r.steamMassFraction5irrP = (1 - x) * m / (1 + m);
        r.steamVolumeFraction5irrP = m * (1 - x) * r.VvRef / (m * x * r.VlRef + m * (1 - x) * r.VvRef + kMagmaVolume);
    } else {
        calculateIrreversibleDecompressionFrom(r.T3, V3, r.U3, Pa, cM, r.T3);
        r.T5irrP = T;
        if (errorflag) {
            r.WirrP = kNaN;
            r.T5irrP = kNaN;
        } else {
            r.WirrP = (-Pa * (V - V3) + r.vaporizationWork) * k;
        }
        if (x < 0.0) {
            r.liquidMassFraction5irrP = r.liquidVolumeFraction5irrP = 0.0;
            r.steamMassFraction5irrP = m / (1 + m);
            r.steamVolumeFraction5irrP = m * V / (m * V + kMagmaVolume);
        } else {
            r.liquidMassFraction5irrP = r.liquidVolumeFraction5irrP = 1.0;
            r.steamMassFraction5irrP = r.steamVolumeFraction5irrP = 0.0;
        }
    }
}

void WaterMagmaModel::calculateIsothermalExpansionWork(WaterMagmaCalculationResult& r) {
    if (!r.pyroclastCase) return;
    if (r.heatingMode == 1 && (r.phaseState == 1 || r.phaseState == 2) && !(r.T4 > r.TsatRef))
        coolLiquidWithFragmentsAtSurfacePressure(r);
    else if (r.heatingMode == 1 && (r.phaseState == 1 || r.phaseState == 2))
        expandBoilingLiquidWithFragments(r);
    else
        expandWithFragmentsAlongHeatingDecompression(r);
    expandIrreversiblyWithFragments(r);
}
