// The command interpreter over one fluid model: each word names a
// calculation followed by its arguments; arguments missing at the end of the
// list are asked for and read from the input stream.  Units on input:
// temperatures in K, pressures in bar, molar volumes in cm3/mol (converted to
// m3/mol), mole fractions and temperature steps as given.
//
// Every argument is checked: a word that is not a finite number, a
// temperature, pressure or volume that is not above zero, a suffix longer
// than 31 characters, an end of input while an argument is asked for, or mole
// fractions outside [0, 1] or summing above 1 are reported and the command is
// not run (its words are still passed over).  A command fails when its
// arguments are refused, when its calculation fails (no state, a state with
// no finite properties, a curve tracer that reports a failure) or when a file
// it writes cannot be written; the failure is reported naming the command,
// and doCommand returns false once any command has failed.
//
// Results go to standard output; the prompts for missing arguments, the
// messages and the run time to standard error through the log.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

constexpr std::size_t kMaxSuffix = 31;   // output-name suffixes
constexpr std::size_t kMaxToken = 255;   // a word read from the input stream

// One whitespace-delimited word of at most kMaxToken characters; a longer
// word is read to its end and marked as too long.  False at end of input.
bool readToken(std::FILE* in, std::string& token, bool& tooLong) {
    token.clear();
    tooLong = false;
    int c;
    do {
        c = std::fgetc(in);
    } while (c != EOF && std::isspace(static_cast<unsigned char>(c)));
    if (c == EOF) return false;
    while (c != EOF && !std::isspace(static_cast<unsigned char>(c))) {
        if (token.size() < kMaxToken) token.push_back(static_cast<char>(c));
        else tooLong = true;
        c = std::fgetc(in);
    }
    return true;
}

bool parseNumber(const char* s, double& v) {
    if (s == nullptr || *s == '\0') return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtod(s, &end);
    if (end == s || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    return true;
}

// The arguments of one command: taken from the words that follow it, or
// asked for once the list has run out.  `ok` turns false at the first bad
// argument; later arguments are still taken so that the word index passes
// over the whole command.
class Arguments {
public:
    Arguments(int argc, char* const* argv, int first, std::FILE* in, const char* command)
        : argc_(argc), argv_(argv), i_(first), in_(in), command_(command) {}

    double number(const char* label) {
        std::string word;
        if (!next(label, word)) return 0.0;
        double v = 0.0;
        if (!parseNumber(word.c_str(), v)) {
            platform::diagf("Expected a number for %s of the %s command, not \"%s\".\n", trim(label).c_str(),
                            command_, word.c_str());
            ok = false;
            return 0.0;
        }
        return v;
    }

    // A temperature, pressure or volume: a number above zero.
    double positive(const char* label) {
        const bool before = ok;
        const double v = number(label);
        if (before && ok && !(v > 0.0)) {
            platform::diagf("The %s of the %s command must be above 0, not %g.\n", trim(label).c_str(), command_, v);
            ok = false;
        }
        return v;
    }

    // A mole fraction, from 0 to 1.
    double fraction(const char* label) {
        const bool before = ok;
        const double v = number(label);
        if (before && ok && !(v >= 0.0 && v <= 1.0)) {
            platform::diagf("The %s of the %s command is a mole fraction from 0 to 1, not %g.\n", trim(label).c_str(),
                            command_, v);
            ok = false;
        }
        return v;
    }

    std::string suffix(const char* label) {
        std::string word;
        if (!next(label, word)) return std::string();
        if (word.size() > kMaxSuffix) {
            platform::diagf("The suffix \"%s\" of the %s command is longer than %zu characters.\n", word.c_str(),
                            command_, kMaxSuffix);
            ok = false;
            return std::string();
        }
        return word;
    }

    // Refuses the command unless `condition` holds.
    void require(bool condition, const char* what) {
        if (ok && !condition) {
            platform::diagf("The %s command needs %s.\n", command_, what);
            ok = false;
        }
    }

    int index() const { return i_; }
    bool ok = true;

private:
    bool next(const char* label, std::string& word) {
        if (i_ < argc_) {
            word = argv_[i_] ? argv_[i_] : "";
            ++i_;
            return true;
        }
        if (!ok) return false;  // the command will not run: ask for nothing more
        platform::warnf("Expected %s for %s command.\n", label, command_);  // a prompt, no failure
        bool tooLong = false;
        if (in_ == nullptr || !readToken(in_, word, tooLong)) {
            platform::diagf("No value was given for %s: the %s command is not run.\n", trim(label).c_str(),
                            command_);
            ok = false;
            return false;
        }
        if (tooLong) word.append(kMaxSuffix, '.');  // refused as a suffix and as a number
        return true;
    }

    static std::string trim(const char* label) {
        std::string s(label);
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }

    int argc_;
    char* const* argv_;
    int i_;
    std::FILE* in_;
    const char* command_;
};

bool is(const char* word, const char* name) { return std::string(word) == name; }

}  // namespace

// The tangent-plane test of Michelsen (1982): a fluid of composition z at T
// and P is stable when tpd(w) = sum_i w_i [ln f_i(w) - ln f_i(z)] >= 0 for
// every trial composition w (both roots of each), f_i(z) taken from the root
// of z of lowest Gibbs energy.  For a binary a grid of trial compositions
// finds the negative region of any split the isotherm shows.
bool FluidPhase::binarySplitsAt(double T_, double P_bar) {
    if (component_count != 2 || x.size() != 2 || !(x[0] > 0.0 && x[1] > 0.0)) return false;
    const std::vector<double> z = x;
    const short kept = errorflag;
    const platform::ThreadLogCapture quiet;  // a trial without a root is no failure of the state
    // ln f of both components at the root of each kind (the root's search
    // leaves its fugacities), false where none.
    auto lnFugacities = [&](int kind, double& G_, double (&lnf)[2]) {
        double V_ = 0.0;
        if (!pressureRootFromTP(kind, T_, P_bar, V_, G_)) return false;
        if (!(fugacity[0] > 0.0) || !(fugacity[1] > 0.0)) return false;
        lnf[0] = std::log(fugacity[0]);
        lnf[1] = std::log(fugacity[1]);
        return std::isfinite(lnf[0]) && std::isfinite(lnf[1]);
    };
    double ref[2] = {0.0, 0.0}, Gref = HUGE_VAL;
    bool found = false;
    for (int kind : {1, 2}) {
        double G_ = 0.0, lnf[2];
        if (lnFugacities(kind, G_, lnf) && G_ < Gref) {
            Gref = G_;
            ref[0] = lnf[0];
            ref[1] = lnf[1];
            found = true;
        }
    }
    // A grid of 1/200 steps, and trial compositions down to 1e-8 at both
    // ends, where a trace mixture's split lies (the vapour of a liquid with
    // a trace of a volatile component holds it at a few times its share).
    std::vector<double> trials;
    for (int k = 1; k < 200; ++k) trials.push_back(k / 200.0);
    for (double e = 1e-8; e < 5e-3; e *= std::sqrt(10.0)) {
        trials.push_back(e);
        trials.push_back(1.0 - e);
    }
    bool splits = false;
    for (std::size_t k = 0; found && !splits && k < trials.size(); ++k) {
        const double w[2] = {1.0 - trials[k], trials[k]};
        composition(w);
        for (int kind : {1, 2}) {
            double G_ = 0.0, lnf[2];
            if (lnFugacities(kind, G_, lnf) && w[0] * (lnf[0] - ref[0]) + w[1] * (lnf[1] - ref[1]) < -1e-9) splits = true;
        }
    }
    composition(z.data());
    errorflag = kept;
    return splits;
}

bool FluidPhase::printStateFromTP(double T_, double P_bar) {
    StableState s;
    if (!reportedStateFromTP(T_, P_bar, s)) return false;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const bool dilute = diluteBinary(solvent, solute, xs);
    bool splits = false;
    if (dilute && s.dilute.known) {
        // Below its solvent's critical temperature a dilute binary splits
        // where Raoult's and Henry's laws put it between its dew and bubble
        // pressures.  Above it the model's own test decides (a salt raises
        // the critical temperature of water steeply).
        splits = s.verdict == DiluteVerdict::kSplits;
    } else if (component_count == 2 && x[0] > 0.0 && x[1] > 0.0) {
        // The test leaves the model at a trial: the state printed, the
        // homogeneous fluid of the composition given, is found again.
        // Its messages were said by the first search of the same state: said
        // again only if this one fails.
        splits = binarySplitsAt(T_, P_bar);
        std::vector<platform::ThreadLogCapture::Entry> said;
        bool found = false;
        {
            platform::ThreadLogCapture again;
            found = reportedStateFromTP(T_, P_bar, s);
            if (!found) said = again.take();
        }
        if (!found) {
            platform::ThreadLogCapture::replay(said);
            return false;
        }
    }
    if (splits)
        std::printf("** Phase: not stable; at this temperature and pressure the mixture splits into two phases "
                    "of other compositions (the state below is the single fluid)\n");
    else if (component_count == 1 || atPureComposition() || dilute) {
        if (s.supercooledUnder)
            std::printf("** Phase: supercooled liquid, metastable: %s is stable\n", s.supercooledUnder);
        else if (s.vapourOnlyRoot && dilute && s.dilute.known)
            std::printf("** Phase: vapour (the mixture's phase below its dew pressure, %.6g bar; the model's own "
                        "saturation would take its liquid root at %.6g cm3/mol)\n",
                        s.dilute.dew, s.otherV * 1e6);
        else if (s.vapourOnlyRoot)
            std::printf("** Phase: vapour (the fluid's phase below its vapour pressure; the model's own saturation "
                        "would take its liquid root at %.6g cm3/mol)\n",
                        s.otherV * 1e6);
        else if (s.phaseUncertain && dilute)
            std::printf("** Phase: %s (near the mixture's dew and bubble pressures, %.6g and %.6g bar, the phase is "
                        "uncertain)\n",
                        phaseName(s.phase), s.dilute.dew, s.dilute.bubble);
        else if (s.phaseUncertain)
            std::printf("** Phase: %s (within 0.5 %% of the vapour pressure, the phase is uncertain)\n",
                        phaseName(s.phase));
        else if (s.otherPhase != kPhaseNone)
            std::printf("** Phase: %s (stable; the %s root at %.6g cm3/mol is metastable)\n", phaseName(s.phase),
                        phaseName(s.otherPhase), s.otherV * 1e6);
        else
            std::printf("** Phase: %s\n", phaseName(s.phase));
    }
    dump();
    return true;
}

bool FluidPhase::printStateFromTV(double T_, double V_) {
    if (!reportedStateFromTV(T_, V_)) return false;
    if (const SolidField solid = solidAt(T_, P * 1e-5); solid.solid)
        std::printf("** Phase: supercooled liquid, metastable: %s is stable\n", solid.solid);
    if (!(dPdV < 0.0) && !compressibilityDiverges())
        std::printf("** Mechanically unstable: (dP/dV)T > 0, no single phase exists at this volume\n");
    dump();
    return true;
}

bool FluidPhase::curveTemperaturesInRange(double T0, double T1, const char* what) {
    const ValidityRange validity = stateRange();
    if (validity.holdsTemperature(T0) && validity.holdsTemperature(T1)) return true;
    const std::string at =
        T0 == T1 ? "at " + givenDigits(T0) + " K" : "from " + givenDigits(T0) + " to " + givenDigits(T1) + " K";
    platform::diagf("The model %s holds %s: the %s %s lies outside it.\n", modelName(), validity.describe().c_str(),
                    what, at.c_str());
    errorflag = 1;
    return false;
}

bool FluidPhase::supercriticalLoopPressures(double T_, double& Pmin_bar, double& Pmax_bar) {
    const char* fluid = atPureComposition() ? phaseRuleFluid() : nullptr;
    const double Tcf = ancillaryCriticalTemperature(fluid);
    if (!(T_ >= Tcf)) return false;
    // P(V) from the liquid's density well above the saturated liquid's at
    // 0.6 Tc out to 50 critical volumes, in small geometric steps: a local
    // minimum followed by a local maximum is the loop.
    const double V0 = 0.8 * ancillarySaturatedLiquidVolume(fluid, 0.6 * Tcf), V1 = 50.0 * ancillarySaturatedLiquidVolume(fluid, Tcf);
    if (!(V0 > 0.0) || !(V1 > V0)) return false;
    const double keptT = T, keptV = V, keptP = P;
    const short keptFlag = errorflag;
    constexpr int kSteps = 600;
    const double r = std::pow(V1 / V0, 1.0 / kSteps);
    double prev = std::nan(""), low = std::nan(""), high = std::nan("");
    bool rising = false;
    temperature(T_);
    for (int k = 0; k <= kSteps; ++k) {
        errorflag = 0;
        volume(V0 * std::pow(r, k));
        calculate_pressure();
        if (errorflag || !std::isfinite(P)) {
            prev = std::nan("");
            continue;
        }
        if (std::isfinite(prev)) {
            if (P > prev && !rising) {
                rising = true;
                low = std::isfinite(low) ? std::min(low, prev) : prev;
            } else if (P < prev && rising) {
                rising = false;
                high = std::isfinite(high) ? std::max(high, prev) : prev;
            }
        }
        prev = P;
    }
    temperature(keptT);
    volume(keptV);
    P = keptP;
    errorflag = keptFlag;
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low)) return false;
    Pmin_bar = low * 1e-5;
    Pmax_bar = high * 1e-5;
    return true;
}

void FluidPhase::withCurveRowLimits(const std::function<void()>& curve, double splitPmin, double splitPmax) {
    const ValidityRange validity = stateRange();
    curveRowLimits = CurveRowLimits{};
    curveRowLimits.splitPmin = splitPmin;
    curveRowLimits.splitPmax = splitPmax;
    if (validity.declared()) {
        if (validity.Pmin > 0.0) curveRowLimits.Pmin = validity.Pmin;
        curveRowLimits.Pmax = validity.Pmax;
        curveRowLimits.vapourOnlyBelow = validity.vapourOnlyBelow;
    }
    curveRowLimits.fluid = phaseRuleFluid();
    curveRowLimits.solidOf = solidOf;
    curveRowLimits.supercooled = describesSupercooledLiquid();
    curveRowLimits.model = this;
    curve();
    if (curveRowLimits.withheld > 0)
        platform::warnf("The model %s holds %s: %ld states of the curve lie outside it and are written as nan.\n",
                        modelName(), validity.describe().c_str(), curveRowLimits.withheld);
    if (curveRowLimits.offReference > 0)
        platform::warnf("The model %s: %ld states of the curve, near its critical point, lie more than %g %% from the "
                        "density of %s (its reference equation) and are written as nan.\n",
                        modelName(), curveRowLimits.offReference, 100.0 * validity.densityAccuracy,
                        phaseRuleFluid());
    curveRowLimits = CurveRowLimits{};
}

void FluidPhase::reportNoCurve(const char* what) const {
    platform::diagf("The model %s computes no %s.\n", modelName(), what);
}

bool FluidPhase::doCommand(int argc, char* const* argv, std::FILE* in) {
    if (argc <= 0 || argv == nullptr) return true;
    const std::clock_t start = std::clock();
    bool allDone = true;
    int i = 0;
    while (i < argc) {
        // A command fails when it reports a failure through the log or loses
        // a file it writes.
        long diagnostics = platform::diagnosticCount();
        int lostFiles = platform::writeFailureCount();
        auto reported = [&]() {
            return platform::diagnosticCount() != diagnostics || platform::writeFailureCount() != lostFiles;
        };
        const char* word = argv[i] ? argv[i] : "";
        const int used = doCommandEx(argc - i, argv + i);
        if (used > 0) {
            if (reported()) {
                platform::diagf("Command %s failed\n", word);
                allDone = false;
            }
            i += used;
            continue;
        }
        Arguments a(argc, argv, i + 1, in, word);
        bool known = true, done = true;
        // Runs a calculation once its arguments are good; a tracer fails when it reports a failure.
        auto run = [&](auto&& calculation) {
            if (!a.ok) return;
            diagnostics = platform::diagnosticCount();
            lostFiles = platform::writeFailureCount();
            calculation();
            if (reported()) done = false;
        };
        if (is(word, "crit")) {
            const std::string s = a.suffix("suffix");
            run([&] {
                // The point where dP/dV and d2P/dV2 vanish at a fixed
                // composition is a pure fluid's critical point, not a
                // mixture's (whose coexisting phases differ in composition):
                // the critical point of a binary is sought where its material
                // stability ends; a mixture of more components has none here.
                int present = 0;
                for (int k = 0; k < component_count; ++k) present += x[k] > 0.0 ? 1 : 0;
                if (present > 1 && component_count != 2) {
                    platform::diagf("The crit command gives the critical point of a pure fluid or of a binary "
                                    "model's mixture; the model %s holds %d components (%d of them in this "
                                    "mixture).\n",
                                    modelName(), component_count, present);
                    done = false;
                    return;
                }
                // A critical point outside the model's range is refused (a
                // binary's once it is found).
                if (present == 1 && findTheCriticalPoint() && !criticalPointInRange()) {
                    done = false;
                    return;
                }
                calculateTheCriticalPoint(1, s.c_str());
                if (errorflag) done = false;
            });
        } else if (is(word, "crit2")) {
            const std::string s = a.suffix("suffix");
            run([&] { calculateTheCriticalCurve(s.c_str()); });
        } else if (is(word, "sat")) {
            const std::string s = a.suffix("suffix");
            run([&] { calculateTheSaturationCurve(s.c_str(), 1); });
        } else if (is(word, "psat")) {
            const double t = a.positive("T (K)  ");
            run([&] {
                if (reportedSaturationPressure(t) != 0) {
                    done = false;
                    return;
                }
                // A model without an ideal-gas part gives no enthalpy.
                char hvap[32] = "          --";
                if (std::isfinite(Hvap)) std::snprintf(hvap, sizeof hvap, "%12f", Hvap);
                std::printf("T %12f K  Psat %12f bar  Vl %12f cm3/mol  Vv %12f cm3/mol  Hvap %s J/mol\n", T,
                            P * 1e-5, Vl_sat * 1e6, Vv_sat * 1e6, hvap);
            });
        } else if (is(word, "spino")) {
            const std::string sl = a.suffix("suffix (liquid spinodal)");
            const std::string sv = a.suffix("suffix (vapour spinodal)");
            run([&] { calculateTheSpinodals(sl.c_str(), sv.c_str()); });
        } else if (is(word, "spinox")) {
            const double t = a.positive("T (K)       ");
            const double v = a.positive("V (cm3/mol) ");
            const double x1 = a.fraction("x1          ");
            const std::string sl = a.suffix("suffix (liquid spinodal)");
            const std::string sv = a.suffix("suffix (vapour spinodal)");
            run([&] {
                calculateTheSpinodals2(t, v * 1e-6, x1, sl.c_str(), sv.c_str());
            });
        } else if (is(word, "isoc")) {
            const double v = a.positive("V (cm3/mol) ");
            const double t0 = a.positive("Tmin (K)    ");
            const double t1 = a.positive("Tmax (K)    ");
            const std::string s = a.suffix("suffix      ");
            a.require(t1 > t0, "Tmax above Tmin");
            run([&] {
                if (!curveTemperaturesInRange(t0, t1, "isochore")) {
                    done = false;
                    return;
                }
                withCurveRowLimits([&] { calculateTheIsochor(v * 1e-6, t0, t1, 0, 1, s.c_str(), nullptr); });
            });
        } else if (is(word, "x")) {
            const int n = component_count;
            std::vector<double> xs(n > 0 ? static_cast<std::size_t>(n) : 0, 0.0);
            double sum = 0.0;
            for (int k = 1; k < n; ++k) {
                const char* name = componentName(k);
                const std::string label =
                    "mole fraction (" + std::to_string(k) + "," + std::string(name ? name : "") + ")";
                xs[k] = a.fraction(label.c_str());
                sum += xs[k];
            }
            a.require(sum <= 1.0 + 1e-12, "mole fractions that sum to at most 1");
            run([&] {
                if (n <= 0) return;
                for (int k = 1; k < n; ++k) composition_of_component(k, xs[k]);
                composition_of_component(0, sum < 1.0 ? 1.0 - sum : 0.0);
            });
        } else if (is(word, "ter")) {
            const double t = a.positive("T (K)  ");
            const double p = a.positive("P (bar)");
            const std::string s = a.suffix("suffix");
            run([&] { calculateTheTernaryDiagram(t, p, s.c_str()); });
        } else if (is(word, "T")) {
            const double t = a.positive("T (K)      ");
            run([&] { temperature(t); });
        } else if (is(word, "V")) {
            const double v = a.positive("V (cm3/mol)      ");
            run([&] { volume(v * 1e-6); });
        } else if (is(word, "TV")) {
            const double t = a.positive("T (K)      ");
            const double v = a.positive("V (cm3/mol)");
            run([&] { done = printStateFromTV(t, v * 1e-6); });
        } else if (is(word, "TP")) {
            const double t = a.positive("T (K)  ");
            const double p = a.positive("P (bar)");
            run([&] { done = printStateFromTP(t, p); });
        } else if (is(word, "isotherm")) {
            const double t = a.positive("T (K)          ");
            const double v0 = a.positive("vmin (cm3/mol) ");
            const double v1 = a.positive("vmax (cm3/mol) ");
            const std::string s = a.suffix("suffix         ");
            a.require(v1 > v0, "vmax above vmin");
            run([&] {
                if (!curveTemperaturesInRange(t, t, "isotherm")) {
                    done = false;
                    return;
                }
                // Above its fluid's critical temperature the loop of a model
                // whose own lies higher is no state of the fluid.
                double lo = 0.0, hi = -1.0, bandLo = 0.0, bandHi = 0.0, Tcm = 0.0, Pcm = 0.0;
                const bool loop = supercriticalLoopPressures(t, lo, hi);
                if (splitBandPressures(t, bandLo, bandHi, Tcm, Pcm)) {
                    // The states of the model's split further from the fluid than its accuracy too.
                    if (loop) bandLo = std::min(bandLo, lo), bandHi = std::max(bandHi, hi);
                    lo = bandLo;
                    hi = bandHi;
                    const char* fluid = phaseRuleFluid();
                    platform::warnf("The model %s puts the critical point of %s at %.6g K and %.5g bar, above the "
                                    "fluid's at %.6g K and %.5g bar: at %g K %s has no saturation, and the model's "
                                    "split of it and its states from %.6g to %.6g bar, more than %g %% from the "
                                    "fluid's density, are no states of the fluid: the isotherm writes no two-phase "
                                    "rows and its states there as nan.\n",
                                    modelName(), fluid, Tcm, Pcm, ancillaryCriticalTemperature(fluid),
                                    ancillaryCriticalPressure(fluid) * 1e-5, t, fluid, lo, hi,
                                    100.0 * stateRange().densityAccuracy);
                } else if (loop) {
                    platform::warnf("The model %s splits %s at %g K, above its critical temperature, between %.6g and "
                                    "%.6g bar: the isotherm's states there are written as nan.\n",
                                    modelName(), phaseRuleFluid(), t, lo, hi);
                }
                withCurveRowLimits([&] { calculateTheIsotherm(t, v0 * 1e-6, v1 * 1e-6, 0, 1, s.c_str(), nullptr); },
                                   lo, hi);
            });
        } else if (is(word, "tree")) {
            print_parse_tree(stdout);
        } else if (is(word, "isop")) {
            if (component_count == 3) {
                const double t = a.positive("T (K)  ");
                const double x1 = a.fraction("x1     ");
                const double x2 = a.fraction("x2     ");
                const double dT = a.number("dT     ");
                const std::string s = a.suffix("suffix ");
                run([&] { calculateTheIsopleth3(s.c_str(), t, x1, x2, dT); });
            } else if (component_count == 2) {
                const double t = a.positive("T (K)  ");
                const double x1 = a.fraction("x1     ");
                const double dT = a.number("dT     ");
                const std::string s = a.suffix("suffix ");
                run([&] { calculateTheIsopleth2(s.c_str(), t, x1, dT); });
            } else {
                run([&] { reportNoCurve("isopleth of a pure fluid"); });
            }
        } else if (is(word, "ll3")) {
            const double t = a.positive("T (K)  ");
            const double x1 = a.fraction("x1     ");
            const double x2 = a.fraction("x2     ");
            const double dT = a.number("dT     ");
            const std::string s = a.suffix("suffix ");
            run([&] { calculateTheLiquidLiquidIsopleth3(s.c_str(), t, x1, x2, dT); });
        } else if (is(word, "bino")) {
            const double t = a.positive("T (K)  ");
            const std::string s = a.suffix("suffix ");
            run([&] { calculateTheBinaryIsotherm(t, s.c_str()); });
        } else if (is(word, "binop")) {
            const double t = a.positive("T (K)   ");
            const double p = a.positive("P (bar) ");
            const std::string s = a.suffix("suffix ");
            run([&] { calculateTheBinaryIsothermFromP(t, p, s.c_str()); });
        } else {
            known = false;
        }
        if (!known) {
            platform::diagf("Command %s not recognized\n", word);
            allDone = false;
            ++i;
            continue;
        }
        i = a.index();
        if (!a.ok || !done) {
            platform::diagf("Command %s failed\n", word);
            allDone = false;
        }
    }
    std::fflush(stdout);
    platform::tracef("\nTime %lu \n", static_cast<unsigned long>(std::clock() - start));
    return allDone;
}
