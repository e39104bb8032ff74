// The chamber model's sweeps: solubility curve, crystallisation curve, crystal
// fraction at a given overpressure and the eruption sequence.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fluid/CurveOutput.h"
#include "magma/TaitJaupart.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {

// The eruption sequence ends when half of the chamber's mass is crystals: an
// overpressure reached only beyond this fraction makes no eruption.
constexpr double kEndCrystalFraction = 0.5;
// Total mass (kg) of the chamber contents the curves and sequences are given for.
constexpr double kCurveMass = 1000.0;

std::string format(const char* fmt, double a, double b = 0.0) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, fmt, a, b);
    return buffer;
}

// Steps of a crystallisation curve left out for one reason: how many, over
// which crystal fractions, the pressures the model computed there (if any)
// and the first refusal.
struct LeftOutRows {
    int count = 0;
    double firstX = 0.0, lastX = 0.0;
    double lowest = HUGE_VAL, highest = -HUGE_VAL;  // Pa
    std::string first;

    void add(double X, double P, const std::string& refusal) {
        if (count++ == 0) {
            firstX = X;
            first = refusal;
        }
        lastX = X;
        lowest = std::fmin(lowest, P);
        highest = std::fmax(highest, P);
    }
    // Says the rows, with the pressures computed there and where they lie
    // ("below the 100 bar ..."); with no place, that no pressure was found
    // and the first refusal.
    void say(int steps, const std::string& where) const {
        if (count == 0) return;
        char span[160];
        if (count == 1)
            std::snprintf(span, sizeof span, "1 of the %d rows of the crystallisation curve (crystal fraction %g) is "
                          "left out: ", steps, firstX);
        else
            std::snprintf(span, sizeof span, "%d of the %d rows of the crystallisation curve (crystal fractions %g to "
                          "%g) are left out: ", count, steps, firstX, lastX);
        if (where.empty()) {
            platform::warnf("%sno chamber pressure was found there. The first: %s\n", span, first.c_str());
            return;
        }
        const std::string pressures = count == 1 ? format("the pressure the model computed there, %g bar, ", 1e-5 * lowest)
                                                 : format("the pressures the model computed there, %g to %g bar, ",
                                                          1e-5 * lowest, 1e-5 * highest);
        platform::warnf("%s%s%s%s.\n", span, pressures.c_str(), count == 1 ? "lies " : "lie ", where.c_str());
    }
};

// A gas volume percentage above the 75 % limit, with the digits that show it
// is above (75.004 is "75.004", not "75").
std::string gasPercent(double value) {
    char buffer[64];
    const double limit = 100.0 * TaitJaupart::kMaxGasVolumeFraction;
    for (int digits = 3; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (std::strtod(buffer, nullptr) > limit) break;
    }
    return buffer;
}


}  // namespace

int TaitJaupart::calculateSolubilityCurve(double X, double w, double x, char mode, const char* /*suffix*/,
                                          std::vector<double>* array) {
    if (!(sa > 0.0) || !(na > 0.0) ||
        (fluidType == kChamberFluidH2OCO2 && (!(sb > 0.0) || !(nb > 0.0)))) {
        refuse("The solubility curve needs the solubility laws of the volatiles (sa, na; sb, nb for CO2).");
        return kRefused;
    }
    // Only the caller's array receives this curve.
    CurveOutput out(mode == kArrayOfValues && array != nullptr ? kArrayOfValues : 0, "", nullptr, {"C", "P"},
                    array);
    ml = 1.0;
    int points = 0;
    if (fluidType != kChamberFluidH2OCO2) {
        // 1 bar to 2991 bar in steps of 10 bar.
        for (int i = 0; i < 300; ++i, ++points) {
            P = 1e5 + i * 1e6;
            const double C = sa * std::pow(P, na);
            md = C;
            out.writeRow({100.0 * C / (C + ml), 1e-5 * P});
        }
    } else {
        // 1 bar to 1991 bar.
        for (int i = 0; i < 200; ++i, ++points) {
            calculateSaturation(1e5 + i * 1e6, X, (1.0 - x) * w, x * w);
            const double D = mdSat + mdSatCO2;
            out.writeRow({100.0 * D / (D + ml), 1e-5 * P});
        }
    }
    return points;
}

int TaitJaupart::calculateCrystallizationCurve(double X1, double X2, char mode, const char* suffix,
                                               std::vector<double>* array) {
    if (!configured) {
        refuse("The crystallisation curve needs an accepted initial state.");
        return kRefused;
    }
    if (!std::isfinite(X1) || !std::isfinite(X2) || std::fabs(X2 - X1) > 1.0) {
        refuse("The crystallisation curve needs crystal fractions between 0 and 1.");
        return kRefused;
    }
    // The Igor text file "crysta.txt" (values "%12lf", each followed by a
    // blank) or the caller's array; other modes write nothing.
    CurveLayout layout;
    layout.value = {12, 6, 'f'};
    layout.rowEnd = std::string(" \n");
    const int outMode = mode == kIgorTextFile || (mode == kArrayOfValues && array != nullptr) ? mode : 0;
    // Per 1000 kg of chamber contents, whatever mass the state was given with.
    if (!scaleInitialState(kCurveMass)) {
        refuse(message);
        return kRefused;
    }
    CurveOutput out(outMode, "crysta.txt", suffix, {"mc", "ml", "mg", "md", "Vl", "Vg", "Vc", "P", "Pa"}, array,
                    layout);
    // Steps of 0.001 counted by index, the last one landing on X2.
    const double direction = X2 >= X1 ? 1.0 : -1.0;
    const int steps = static_cast<int>(std::ceil(std::fabs(X2 - X1) / kCrystallizationStep - 1e-9));
    // A step whose pressure lies outside the solubility laws' range, or that
    // has no pressure, is no row: left out, and said below with its span.
    LeftOutRows below, above, unsolved;
    int rows = 0;
    bool fragmentedSaid = false;
    for (int i = 0; i <= steps; ++i) {
        const double X = i < steps ? X1 + direction * i * kCrystallizationStep : X2;
        const int status = calculateOverpressure(X);
        if (status != 0) {
            (status == kSolverBelowMin ? below : status == kSolverAboveMax ? above : unsolved).add(X, P, message);
            continue;
        }
        if (!fragmentedSaid && 100.0 * Vg / V > 100.0 * kMaxGasVolumeFraction) {
            // The set-up held the magma under the limit; crystallisation
            // exsolves gas past it.
            fragmentedSaid = true;
            platform::warnf("At crystal fraction %g the magma is %s %% gas by volume, more than the %g %% at which a "
                            "magma fragments: from there the rows describe a magma the chamber model no longer "
                            "holds.\n",
                            X, gasPercent(100.0 * Vg / V).c_str(), 100.0 * kMaxGasVolumeFraction);
        }
        const double row[kCrystallizationCurveRowSize] = {
            100.0 * mc / M,
            100.0 * ml / M,
            100.0 * (mg + mgCO2) / M,
            100.0 * (md + mdCO2) / M,
            100.0 * Vl / V,
            100.0 * Vg / V,
            100.0 * Vc / V,
            1e-5 * P,
            1e-5 * P0 / std::pow(1.0 - mc / M, 1.0 / na),
        };
        ++rows;
        out.writeRow(row);
    }
    const std::string why = fallingPressureReason(saturated == 0);
    below.say(steps + 1, format("below the %g bar from which the solubility laws were calibrated", 1e-5 * kMinPressure) +
                             (why.empty() ? "" : ": " + why));
    above.say(steps + 1, format("above the %g bar to which the solubility laws were calibrated", 1e-5 * kMaxPressure));
    unsolved.say(steps + 1, {});
    return rows;
}

double TaitJaupart::calculateCrystallizationForOverpressure(double overpressure, int* status) {
    dP = overpressure;
    Secant solver;
    solver.obj = this;
    solver.fn = toEquationFn<ScalarEquationFn>(&TaitJaupart::equationForOverpressure);
    solver.data = nullptr;
    solver.x0 = mc0 / M;
    solver.x1 = solver.x0 + 1e-5;
    const double X = solver.solve();
    if (status != nullptr) *status = solver.status;
    return X;
}

int TaitJaupart::nextEruptionFraction(double Xc, double& X) {
    int status = 0;
    X = calculateCrystallizationForOverpressure(dP, &status);
    if (status == 0 && X > Xc && X <= kEndCrystalFraction) return 0;
    // The secant fails where the pressure first falls with crystallisation (an
    // undersaturated melt whose crystals are denser than it), may land behind
    // the current fraction, or find a root beyond one half, where an earlier
    // one may hide.  Scan forwards to one half for the first fraction at which
    // the overpressure reaches dP, then narrow that bracket by bisection.
    constexpr double kScanStep = 0.01;
    const int scanSteps = static_cast<int>(std::ceil((kEndCrystalFraction - Xc) / kScanStep - 1e-9));
    double below = Xc;  // overpressure not yet reached
    double above = -1.0;
    // Fractions whose pressure could not be computed: the first, the last and why.
    int failed = 0;
    double firstFailed = 0.0, lastFailed = 0.0;
    std::string why;
    for (int i = 1; i <= scanSteps && above < 0.0; ++i) {
        const double Xi = i < scanSteps ? Xc + i * kScanStep : kEndCrystalFraction;
        const int status = calculateOverpressure(Xi);
        // A pressure below the laws' range lies below P0 (which is within
        // it), and so below any threshold: known not to be reached there.
        if (status == kSolverBelowMin) {
            below = Xi;
            continue;
        }
        if (status != 0) {
            if (failed++ == 0) {
                firstFailed = Xi;
                why = message;
            }
            lastFailed = Xi;
            continue;
        }
        if (P - P0 >= dP) {
            above = Xi;
        } else {
            below = Xi;
        }
    }
    if (above < 0.0 && failed > 0) {
        // The threshold may lie where the pressure is unknown: that is not
        // "not reached", it is a failure, said with where and why.
        message = format("The chamber pressure could not be computed at %g of the %g crystal fractions searched for "
                         "the next eruption",
                         failed, scanSteps) +
                  (failed > 1 ? format(" (from %g to %g)", firstFailed, lastFailed) : format(" (at %g)", firstFailed)) +
                  format(", so whether the overpressure of %g bar is reached is not known. ", 1e-5 * dP) + why;
        return 2;
    }
    if (above < 0.0) {
        message = format("The overpressure of %g bar is not reached before half of the mass is crystals.", 1e-5 * dP);
        return 1;
    }
    for (int i = 0; i < 100 && above - below > 1e-12; ++i) {
        const double mid = 0.5 * (below + above);
        if (calculateOverpressure(mid) == 0 && P - P0 >= dP) {
            above = mid;
        } else {
            below = mid;
        }
    }
    X = above;
    return calculateOverpressure(X) == 0 ? 0 : 2;  // leaves the state at X
}

bool TaitJaupart::eruptedFraction(double cavity, double& f) {
    error = 0;
    equationForP(P0, nullptr);
    const double magmaVolume = Vl + Vg;
    if (error != 0 || !(magmaVolume > 0.0)) {
        error = 0;
        message = format("The state of the magma brought back to %g bar could not be evaluated.", 1e-5 * P0);
        return false;
    }
    f = 1.0 - (cavity - Vc) / magmaVolume;
    return true;
}

EruptionSequenceEnd TaitJaupart::calculateEruptionSequence(double overpressure, std::vector<double>* array,
                                                           const EruptionProgress& progress) {
    if (!configured) {
        refuse("The eruption sequence needs an accepted initial state.");
        return EruptionSequenceEnd::notConfigured;
    }
    if (!(overpressure > 0.0) || !std::isfinite(overpressure)) {
        refuse(format("The overpressure at which the chamber erupts must be positive (%g bar).", 1e-5 * overpressure));
        return EruptionSequenceEnd::notConfigured;
    }
    // An eruption pressure above the range of the solubility laws is a state
    // the chamber never reaches within it.
    if (!(P0 + overpressure <= kMaxPressure)) {
        message = format("The chamber would erupt at %g bar, above the ", 1e-5 * (P0 + overpressure)) +
                  format("%g bar to which its solubility laws were calibrated.", 1e-5 * kMaxPressure);
        return EruptionSequenceEnd::overpressureNotReached;
    }
    // A magma without volatiles never gains pressure from crystals denser
    // than its melt: no eruption is searched for.
    if (const std::string why = fallingPressureReason(mv + mvCO2 <= 0.0); !why.empty()) {
        message = format("The overpressure of %g bar is never reached: ", 1e-5 * overpressure) + why + ".";
        return EruptionSequenceEnd::overpressureNotReached;
    }
    // Per 1000 kg of chamber contents, whatever mass the state was given with
    // (or an earlier sequence left).
    if (!scaleInitialState(kCurveMass)) {
        refuse(message);
        return EruptionSequenceEnd::solveFailed;
    }
    CurveOutput out(array != nullptr ? kArrayOfValues : 0, "", nullptr,
                    {"dV", "me", "ed", "eg", "yG", "wv", "mc0", "ml0", "mg0", "M"}, array);
    double mcPrev = mc0;
    double Xc = mc0 / M;
    dP = overpressure;
    const double cavity = V0;
    // Every state of the sequence lies on the melt's isotherm, and the
    // pressure searches stay between their start at 100 bar and a little past
    // P0 + dP: the gas volumes are tabulated once over that interval (the
    // equations of state answer outside it), and the tables go with the
    // sequence.
    struct TablesOfTheSequence {
        GasVolumeTable& water;
        GasVolumeTable& co2;
        ~TablesOfTheSequence() {
            water.clear();
            co2.clear();
        }
    } tables{waterTable, co2Table};
    if (useEOS == 1 && tabulateGas == 1) {
        const double lo = 0.5e-5 * std::fmin(1e7, P0);
        const double hi = 2e-5 * (P0 + std::fmin(std::fmax(0.0, dP), kMaxPressure));
        if (water && (fluidType == kChamberFluidH2O || fluidType == kChamberFluidH2OCO2))
            waterTable.build(*water, T, lo, hi);
        if (co2 && (fluidType == kChamberFluidCO2 || fluidType == kChamberFluidH2OCO2)) co2Table.build(*co2, T, lo, hi);
    }
    bool fragmentedSaid = false;
    for (int eruption = 0; Xc < kEndCrystalFraction; ++eruption) {
        if (eruption >= kMaxEruptions) return EruptionSequenceEnd::eruptionLimit;
        double X = 0.0;
        const int found = nextEruptionFraction(Xc, X);
        // Not reached before one half: after an eruption the chamber crystallises
        // to one half without another, the sequence's end; without any, the
        // threshold is never reached.
        if (found == 1)
            return eruption > 0 ? EruptionSequenceEnd::halfCrystallised : EruptionSequenceEnd::overpressureNotReached;
        if (found != 0) return EruptionSequenceEnd::solveFailed;
        // The members now hold the chamber at the overpressure dP.
        if (!fragmentedSaid && 100.0 * Vg / V > 100.0 * kMaxGasVolumeFraction) {
            fragmentedSaid = true;
            platform::warnf("At eruption %d (crystal fraction %g) the magma is %s %% gas by volume, more than the %g "
                            "%% at which a magma fragments: from there the sequence describes a magma the chamber "
                            "model no longer holds.\n",
                            eruption + 1, X, gasPercent(100.0 * Vg / V).c_str(), 100.0 * kMaxGasVolumeFraction);
        }
        const double G = mg + mgCO2;
        const double D = md + mdCO2;
        const double yG = G > 0.0 ? mgCO2 / G : 0.0;  // CO2 share of the gas
        const double yD = D > 0.0 ? mdCO2 / D : 0.0;  // CO2 share of the dissolved volatiles
        const double meltAtEruption = ml;
        const double magmaVolume = Vl + Vg;  // melt with its volatiles at the eruption pressure
        // The magma leaves with its gas and dissolved volatiles in the
        // chamber's proportions (homogeneous flow), the crystals stay, and the
        // wall relaxes to the cavity it had at P0 (Tait, Jaupart and Vergniolle
        // 1989): the chamber erupts the fraction f of its magma for which what
        // is left, re-balanced at P0, fills V0 again.  Solubilities and gas
        // volumes scale with the masses, so the magma's volume at P0 is
        // (1 - f) times that of the whole magma there.
        double f = 0.0;
        if (!eruptedFraction(cavity, f)) return EruptionSequenceEnd::solveFailed;
        if (!(f > 0.0)) return EruptionSequenceEnd::noEruptedVolume;
        if (!(f < 1.0)) return EruptionSequenceEnd::meltExhausted;
        const double dV = f * magmaVolume;
        const double me = f * meltAtEruption;
        const double ed = f * D;
        const double eg = f * G;
        const double growth = X * M - mcPrev;
        if (!(ml0 - growth - me > 0.0)) return EruptionSequenceEnd::meltExhausted;
        mc0 += growth;
        ml0 -= growth + me;
        M -= me + ed + eg;
        mv -= (1.0 - yD) * ed + (1.0 - yG) * eg;
        mvCO2 -= yD * ed + yG * eg;
        const double XcPrev = Xc;
        Xc = mc0 / M;
        const double volatiles = mv + mvCO2;
        xCO2 = volatiles > 0.0 ? mvCO2 / volatiles : 0.0;
        // The next cycle starts at P0 with the masses left.
        if (!checkSetup(M, P0, mc0 / M, volatiles / M, xCO2) || !initialState(M, P0, mc0 / M, volatiles / M, xCO2))
            return EruptionSequenceEnd::solveFailed;
        V0 = cavity;  // what is left fills it; the wall keeps its reference volume
        out.writeRow({dV, me, ed, eg, yG, (mv + mvCO2) / (mv + mvCO2 + ml0), mc0, ml0, mg0 + mg0CO2, M});
        mcPrev = mc0;
        if (!(Xc > XcPrev)) return EruptionSequenceEnd::noCrystalGrowth;
        if (progress && !progress(eruption + 1, Xc)) return EruptionSequenceEnd::cancelled;
    }
    return EruptionSequenceEnd::halfCrystallised;
}
