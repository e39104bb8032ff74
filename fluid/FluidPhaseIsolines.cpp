// Iso-lines of one fluid model: isotherms over the molar volume, isochores
// over the temperature, isobars traced in the temperature-volume plane, and
// maps of a property over a temperature-volume grid drawn as contours by
// gnuplot.  Each tracer sets the state through the phase's setters, asks for
// the pressure or the state functions, and writes one row per state.
//
// Ranges [a, b] in n steps are walked geometrically, x(k+1) = r x(k) with
// r = (b/a)^(1/n); a range that cannot be walked that way (a <= 0, b < a,
// n < 1, non-finite values) is refused with a message instead of looping.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelRange.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/OutputFiles.h"
#include "platform/Process.h"
#include "platform/LogSink.h"

namespace {

// Output files are checked when they close (platform/OutputFiles.h).
using File = platform::OutputFile;

File openFile(const std::string& path, const char* how) { return File(path, how); }

bool geometricRange(const char* what, double a, double b, int n) {
    if (std::isfinite(a) && std::isfinite(b) && a > 0.0 && b >= a && n >= 1) return true;
    platform::diagf("%s: the range %g to %g in %d steps cannot be walked\n", what, a, b, n);
    return false;
}

const char* nameOf(const char* s) { return s ? s : ""; }

// Evaluates the state at the T and V set, by `calculate`; false when the
// model fails there (at or below the co-volume, a term outside its domain) or
// gives no finite pressure: such a state is no row of a curve.
template <class... Steps>
bool stateEvaluated(FluidPhase& p, Steps... steps) {
    p.errorflag = 0;
    (..., (p.*steps)());
    return p.errorflag == 0 && std::isfinite(p.P);
}

void appendRow(std::vector<double>* out, std::initializer_list<double> row) {
    if (out) out->insert(out->end(), row.begin(), row.end());
}

// "%5s%s\t%11s%s..." with the suffix after every name, ended by a newline.
std::string tabbedNames(const char* const* names, int n, const char* suffix) {
    std::string s;
    char buf[64];
    for (int i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "%5s%s" : "\t%11s%s", names[i], nameOf(suffix));
        s += buf;
    }
    return s + "\n";
}

// "# %12s\t%12s..." of numbered names.
std::string numberedNames(const char* const* names, int n) {
    std::string s = "# ";
    char buf[64];
    for (int i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "%12s" : "\t%12s", names[i]);
        s += buf;
    }
    return s + "\n";
}

const char* const kIsothermNames[] = {"V", "P", "A", "H", "U", "S", "G", "Cv", "Cp", "dPdV", "Hm", "Um", "rho"};
const char* const kIsothermNumbered[] = {"V(1)",  "P(2)",  "A(3)",  "H(4)",     "U(5)",   "S(6)",   "G(7)",
                                         "Cv(8)", "Cp(9)", "dPdV(10)", "Hm(11)", "Um(12)", "rho(13)"};
const char* const kIsochorNames[] = {"T", "P", "A", "H", "U", "S", "G", "Cv", "Cp", "dPdV", "V", "Um", "Hm"};
// The row of the state at the phase's T and V, built by `build` from the
// phase's fields.  Where the interpreter set its limits, the row is the
// state it prints there (CurveRowLimits::printedState): a quantity it
// withholds is NaN, and where it refuses the state every column but `kept`
// (its T and V) is.  The phase is put back at the row's T, V and P, with its
// error flag as it was.
// A binary of one phase at the T and V set, of both components, that the
// tangent-plane test (Michelsen 1982) finds unstable: a trial phase of some
// composition, on either root at its T and P, lies below the plane of its own
// fugacities (lowered by 1e-5, so that its own root does not count).
// Such a state lies inside the two-phase region (a metastable root, or one
// between the spinodals): it is no state of one phase.  The phase is left at
// its T and V with its error flag, its other fields those of the test.
bool unstableMixtureState(FluidPhase& p) {
    if (p.component_count != 2 || p.x.size() != 2 || !(p.x[0] > 0.0 && p.x[1] > 0.0)) return false;
    const double T0 = p.T, V0 = p.V;
    const short flag = p.errorflag;
    p.errorflag = 0;
    p.calculate_pressure();
    p.calculate_fugacities();
    const double P0 = p.P;
    bool unstable = false;
    if (p.errorflag == 0 && P0 > 0.0 && p.fugacity[0] > 0.0 && p.fugacity[1] > 0.0) {
        constexpr double kOnThePlane = 1e-5;
        const double ref[2] = {std::log(p.fugacity[0]) - kOnThePlane, std::log(p.fugacity[1]) - kOnThePlane};
        unstable = p.binarySplitsAgainst(T0, P0 * 1e-5, ref);
    }
    p.errorflag = flag;
    p.temperature(T0);
    p.volume(V0);
    p.P = P0;
    return unstable;
}

// The row of the state at the phase's T and V, built by `build` from the
// phase's fields.  Where the interpreter set its limits, the row is the
// state it prints there (CurveRowLimits::printedState): a quantity it
// withholds is NaN, and where it refuses the state every column but `kept`
// (its T and V) is.  A binary's state of one phase that the tangent-plane
// test finds unstable (unstableMixtureState) is written as NaN likewise, and
// the return is true: the caller counts and says them.  The phase is put
// back at the row's T, V and P, with its error flag as it was.
template <class Build>
bool rowAsPrinted(FluidPhase& p, double* row, int n, std::pair<int, int> kept, Build build) {
    build(row);
    const auto& printed = p.curveRowLimits.printedState;
    const double T0 = p.T, V0 = p.V, P0 = p.P;
    const short flag = p.errorflag;
    bool given = true, unstable = false;
    std::vector<double> shown(static_cast<std::size_t>(n));
    if (printed) {
        given = printed(T0, P0 * 1e-5, V0);
        if (given) build(shown.data());
    } else {
        std::copy(row, row + n, shown.begin());
    }
    p.errorflag = flag;
    p.temperature(T0);
    p.volume(V0);
    p.P = P0;
    if (given && unstableMixtureState(p)) given = false, unstable = true;
    for (int i = 0; i < n; ++i)
        if (i != kept.first && i != kept.second && (!given || std::isnan(shown[static_cast<std::size_t>(i)])))
            row[i] = std::nan("");
    return unstable;
}

// The states of a binary's curve that are no stable state of one phase
// (unstableMixtureState, or mechanically unstable): how many, between which
// values of the curve's variable, said once when the curve is done; where
// the interpreter tallies its curve's rows (CurveRowLimits::unstableRow),
// each handed to it at its T (K), P (Pa) and V (m3/mol), said there in one
// sentence.
struct InsideTheSplit {
    const CurveRowLimits& limits;
    long count = 0;
    double from = 0.0, to = 0.0;
    void add(double v, double T_, double P_, double V_) {
        if (limits.unstableRow) return limits.unstableRow(T_, P_ * 1e-5, V_);
        from = count == 0 ? v : std::min(from, v);
        to = count++ == 0 ? v : std::max(to, v);
    }
    void say(const char* curve, double value, const char* unit, const char* along, double scale) const {
        if (count == 0) return;
        platform::warnf("%s at %g %s: at %ld states, from %g to %g %s, the mixture of one phase is not stable (a "
                        "phase of another composition or density lies below its tangent plane): they lie inside its "
                        "two-phase region and are written as nan\n",
                        curve, value, unit, count, from * scale, to * scale, along);
    }
};

const char* const kIsochorNumbered[] = {"T(1)",  "P(2)",  "A(3)",     "H(4)",  "U(5)",   "S(6)",  "G(7)",
                                        "Cv(8)", "Cp(9)", "dPdV(10)", "V(11)", "Um(12)", "Hm(13)"};

// The two-phase region of a pure fluid, as an iso-line crossing it sees it:
// below the model's critical temperature, the saturated volumes at T.  A
// mixture (two components present) has none here.
struct Dome {
    FluidPhase& p;
    bool pure = false;
    double Tc = 0.0;

    explicit Dome(FluidPhase& phase) : p(phase) {
        int present = 0;
        for (int k = 0; k < p.component_count && k < static_cast<int>(p.x.size()); ++k)
            present += p.x[k] > 0.0 ? 1 : 0;
        if (present != 1 && p.component_count != 1) return;
        const double T0 = p.T, V0 = p.V, P0 = p.P;
        {
            const platform::ThreadLogCapture quiet;
            pure = p.findTheCriticalPoint();
            Tc = p.T;
        }
        p.errorflag = 0;
        p.temperature(T0);
        p.volume(V0);
        p.P = P0;
    }

    // The saturation at T: false above the critical temperature (or within
    // a millikelvin of it, where the saturated phases are one); `failed`
    // where the model gives none below it.
    bool at(double T_, double& Vl, double& Vv, double& Ps, bool& failed) {
        failed = false;
        if (!pure || !(T_ < Tc - 1e-3)) return false;
        // The caller's state and saturation fields are kept as they were.
        const double T0 = p.T, V0 = p.V, P0 = p.P, Vl0 = p.Vl_sat, Vv0 = p.Vv_sat, H0 = p.Hvap;
        short err = 0;
        {
            const platform::ThreadLogCapture quiet;
            err = p.calculateTheSaturationPressure(T_, false);
        }
        Vl = p.Vl_sat;
        Vv = p.Vv_sat;
        Ps = p.P;
        p.errorflag = 0;
        p.temperature(T0);
        p.volume(V0);
        p.P = P0;
        p.Vl_sat = Vl0;
        p.Vv_sat = Vv0;
        p.Hvap = H0;
        if (err != 0 || !(Vv > Vl) || !(Vl > 0.0) || !std::isfinite(Ps)) {
            failed = true;
            return false;
        }
        return true;
    }
};

}  // namespace

// ---------------------------------------------------------------- isotherms

void FluidPhase::calculate_isotherm(std::FILE* f, double T_, double Vmin, double Vmax, int n, int direction,
                                    char mode, std::vector<double>* out) {
    if (!geometricRange("Isotherm", Vmin, Vmax, n)) return;
    const double r = std::pow(Vmax / Vmin, 1.0 / n);
    temperature(T_);
    if (direction != 0 && direction != 1) return;
    const bool text = (mode == 1 || mode == 2) && f;
    const bool array = mode == 6;
    const double M = compositionMolarMass();
    double Pprev = direction == 0 ? 1e15 : 0.0;
    // Below the critical temperature of a pure fluid the isotherm crosses
    // the two-phase region between the saturated volumes, at the saturation
    // pressure: no single-phase state inside is written (a stretched liquid
    // or a compressed vapour there is metastable at best); the rows end at
    // the saturated phase on the near side and go on from the one on the far
    // side.
    Dome dome(*this);
    temperature(T_);
    double Vsl = 0.0, Vsv = 0.0, Ps = 0.0;
    bool failed = false;
    const bool crosses = dome.at(T_, Vsl, Vsv, Ps, failed);
    // Above its fluid's critical temperature the model's saturation is its
    // split of the supercritical fluid, no two-phase state of the fluid: the
    // walk steps over it without saturated rows (the interpreter writes the
    // split's states as nan and says so).
    const bool split = crosses && T_ >= ancillaryCriticalTemperature(ModelRange(*this).phaseRuleFluid());
    if (failed) {
        platform::diagf("Isotherm at %g K: the model gives no saturation at this temperature below its critical "
                        "point; the isotherm is not traced\n",
                        T_);
        return;
    }
    long written = 0;
    InsideTheSplit inside{curveRowLimits};
    const bool mixture = component_count == 2 && x.size() == 2 && x[0] > 0.0 && x[1] > 0.0;
    // Above its fluid's critical temperature, the states of a model whose own
    // critical point lies higher at the pressures of its loop (its saturated
    // phases among them) are no states of the fluid: they are left out, and
    // the caller says so once.
    CurveRowLimits& limits = curveRowLimits;
    const bool loop = limits.splitBand();
    auto writeValues = [&](const double* row) {
        if (text) {
            for (int i = 0; i < 13; ++i) std::fprintf(f, i == 0 ? "%12lg" : "\t%12lg", row[i]);
            std::fprintf(f, "\n");
        } else if (array && out) {
            out->insert(out->end(), row, row + 13);
        }
        ++written;
    };
    auto writeRow = [&] {
        if (loop && P * 1e-5 >= limits.splitPmin && P * 1e-5 <= limits.splitPmax) {
            limits.leftOutVmin = limits.leftOut == 0 ? V : std::min(limits.leftOutVmin, V);
            limits.leftOutVmax = limits.leftOut == 0 ? V : std::max(limits.leftOutVmax, V);
            ++limits.leftOut;
            return;
        }
        double row[13];
        if (rowAsPrinted(*this, row, 13, {0, 12}, [&](double* r) {
                const double values[13] = {V * 1e6, P * 1e-5, A,    H,           U,           S,    G,
                                           Cv,      Cp,       dPdV, 1e-3 * H / M, 1e-3 * U / M, M / V};
                std::copy(values, values + 13, r);
            }))
            inside.add(V, T, P, V);
        else if (!std::isnan(row[1]))
            Pprev = P;  // (the pressure of the last state written as one)
        writeValues(row);
    };
    // A binary's state between its spinodals (its pressure rising with its
    // volume): its T and V, the rest nan, counted.
    auto writeInside = [&] {
        double row[13];
        std::fill(row, row + 13, std::nan(""));
        row[0] = V * 1e6;
        row[12] = M / V;
        inside.add(V, T, P, V);
        writeValues(row);
    };
    bool domeDone = false;
    auto crossDome = [&] {
        domeDone = true;
        const double nearV = direction == 0 ? Vsl : Vsv, farV = direction == 0 ? Vsv : Vsl;
        for (double Vb : {nearV, farV}) {
            if (!(Vb >= Vmin && Vb <= Vmax)) continue;
            volume(Vb);
            if (stateEvaluated(*this, &FluidPhase::calculate_state_functions)) writeRow();
        }
    };
    // The walk is bounded by the step count as well, so that rounding cannot
    // add steps without end.
    double v = direction == 0 ? Vmin : Vmax;
    for (int k = 0; k <= n + 1 && (direction == 0 ? v < Vmax : v > Vmin); ++k, v = direction == 0 ? v * r : v / r) {
        if (crosses && v > Vsl && v < Vsv) {
            if (!domeDone && !split) crossDome();
            continue;
        }
        if (crosses && !split && !domeDone && (direction == 0 ? v >= Vsv : v <= Vsl)) crossDome();  // stepped over it
        volume(v);
        // A failed or mechanically unstable state gives no row (a binary's
        // between its spinodals a row of nan, counted); the walk goes on.
        if (!stateEvaluated(*this, &FluidPhase::calculate_state_functions)) continue;
        if (dPdV > 0) {
            if (mixture) writeInside();
            continue;
        }
        // (A binary's states inside its two-phase region are written as nan:
        // its pressure goes on from the stable states on either side.)
        const bool monotonic = direction == 0 ? P < Pprev : P > Pprev;
        if (!monotonic && mixture && unstableMixtureState(*this)) {
            writeInside();
            continue;
        }
        if (!monotonic) {
            platform::diagf("Isotherm at %g K: at %g cm3/mol the pressure (%g bar) turns back; the model has no "
                            "stable state between there and the last row, and the isotherm stops\n",
                            T_, v * 1e6, P * 1e-5);
            return;
        }
        writeRow();
    }
    inside.say("Isotherm", T_, "K", "cm3/mol", 1e6);
    if (domeDone && written > 0 && !loop)
        platform::warnf("Isotherm at %g K: from %g to %g cm3/mol the fluid is two-phase, at its saturation pressure "
                        "%g bar; no single-phase state is written there (the rows stop at one saturated phase and go "
                        "on from the other)\n",
                        T_, Vsl * 1e6, Vsv * 1e6, Ps * 1e-5);
    if (written == 0 && !crosses)
        platform::diagf("Isotherm at %g K: no state from %g to %g cm3/mol is a stable state of the model\n", T_,
                        Vmin * 1e6, Vmax * 1e6);
    if (written == 0 && crosses)
        platform::diagf("Isotherm at %g K: the range from %g to %g cm3/mol lies inside the two-phase region (%g to %g "
                        "cm3/mol at %g bar); it holds no single-phase state\n",
                        T_, Vmin * 1e6, Vmax * 1e6, Vsl * 1e6, Vsv * 1e6, Ps * 1e-5);
}

void FluidPhase::calculateTheIsotherm(double T_, double Vmin, double Vmax, int direction, char mode,
                                      const char* suffix, std::vector<double>* out) {
    File f;
    if (mode == 1 || mode == 2) {
        f = openFile(CurveOutput::fileName("isot", suffix), "w");
        if (f) {
            std::fputs(mode == 1 ? "IGOR\nWAVES " : "# ", f.get());
            // An Igor wave line takes plain names, also without a suffix.
            if (suffix || mode == 1)
                std::fputs(tabbedNames(kIsothermNames, 13, suffix).c_str(), f.get());
            else
                std::fputs(numberedNames(kIsothermNumbered, 13).c_str(), f.get());
            if (mode == 1) std::fputs("BEGIN\n", f.get());
        }
    }
    const long header = f ? std::ftell(f.get()) : -1;
    const long failures = platform::diagnosticCount();
    calculate_isotherm(f.get(), T_, Vmin, Vmax, 1000, direction, f ? mode : (mode == 6 ? 6 : 0), out);
    // A failed isotherm without a row (said why) leaves no file of headers.
    if (f && header >= 0 && std::ftell(f.get()) == header && platform::diagnosticCount() != failures) {
        f.reset();
        std::remove(CurveOutput::fileName("isot", suffix).c_str());
        return;
    }
    if (f && mode == 1) std::fputs("END\n", f.get());
}

// ---------------------------------------------------------------- isochores

void FluidPhase::calculate_isochor(std::FILE* f, double V_, double Tmin, double Tmax, int n, char mode,
                                   std::vector<double>* out, std::vector<std::string>* notes) {
    if (!geometricRange("Isochor", Tmin, Tmax, n)) return;
    const double r = std::pow(Tmax / Tmin, 1.0 / n);
    const double M = compositionMolarMass();
    // Below the critical temperature of a pure fluid, the isochore lies
    // inside the two-phase region where V is between the saturated volumes:
    // no single-phase state is written there; the isochore starts (or ends)
    // at the saturated phase of its volume, at the temperature found by
    // bisection.
    Dome dome(*this);
    volume(V_);
    auto inside = [&](double T_, bool& failed) {
        double Vl = 0.0, Vv = 0.0, Ps = 0.0;
        return dome.at(T_, Vl, Vv, Ps, failed) && V_ > Vl && V_ < Vv;
    };
    long written = 0;
    InsideTheSplit unstableRows{curveRowLimits};
    auto writeRow = [&] {
        ++written;
        double row[13];
        if (rowAsPrinted(*this, row, 13, {0, 10}, [&](double* r) {
                const double values[13] = {T,    P * 1e-5, A,           H,           U, S, G, Cv, Cp,
                                           dPdV, V * 1e6,  1e-3 * U / M, 1e-3 * H / M};
                std::copy(values, values + 13, r);
            }))
            unstableRows.add(T, T, P, V);
        if ((mode == 1 || mode == 2) && f) {
            std::fprintf(f, "%12.6f\t%12.6f\t%12.4f\t%12.4f\t%12.4f\t%12.4f\t%12.4f\t%12.4f\t%12.4f\t%12f\t%12f\t%12f\t%12f\n",
                         row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8], row[9], row[10],
                         row[11], row[12]);
        } else if (mode == 6) {
            appendRow(out, {row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8], row[9], row[10],
                            row[11], row[12]});
        }
    };
    // A sentence on the temperatures not written: said, and kept for the
    // file's notes.
    auto note = [notes](const char* format, auto... a) {
        const int size = std::snprintf(nullptr, 0, format, a...);
        std::string text(size > 0 ? static_cast<std::size_t>(size) : 0u, '\0');
        if (size > 0) std::snprintf(text.data(), text.size() + 1, format, a...);
        platform::warnf("%s", text.c_str());
        if (notes) notes->push_back(text);
    };
    // The temperatures of the isochore where no row is written, by cause.
    struct Skipped {
        long count = 0;
        double from = 0.0, to = 0.0;
        void add(double T_) {
            if (count++ == 0) from = T_;
            to = T_;
        }
    } spinodalRows, failedRows;
    auto saySkipped = [&](const Skipped& s, const char* why) {
        if (s.count > 0)
            note("Isochore at %g cm3/mol: %ld temperatures from %g to %g K are not written: %s\n", V_ * 1e6, s.count,
                 s.from, s.to, why);
    };
    double t = Tmin, tPrev = Tmin;
    bool wasInside = false, said = false;
    double insideFrom = Tmin;
    for (int k = 0; k <= n; ++k, tPrev = t, t *= r) {
        bool failed = false;
        const bool in = inside(t, failed);
        if (failed) {
            platform::diagf("Isochore at %g cm3/mol: the model gives no saturation at %g K below its critical point; "
                            "the isochore stops there\n",
                            V_ * 1e6, t);
            return;
        }
        if (in) {
            if (!wasInside) insideFrom = t;
            wasInside = true;
            continue;
        }
        if (wasInside) {
            // Out of the two-phase region between tPrev and t: its edge by
            // bisection, written as the saturated state of this volume.
            double lo = tPrev, hi = t;
            for (int i = 0; i < 60 && hi - lo > 1e-9 * hi; ++i) {
                const double mid = 0.5 * (lo + hi);
                bool fm = false;
                (inside(mid, fm) && !fm ? lo : hi) = mid;
            }
            temperature(hi);
            volume(V_);
            if (stateEvaluated(*this, &FluidPhase::calculate_fugacities, &FluidPhase::calculate_state_functions))
                writeRow();
            if (!said)
                note("Isochore at %g cm3/mol: from %g to %g K it lies inside the two-phase region; no single-phase "
                     "state is written there (its rows start at the saturated phase at %g K)\n",
                     V_ * 1e6, insideFrom, hi, hi);
            said = true;
            wasInside = false;
        }
        temperature(t);
        volume(V_);
        const bool evaluated =
            stateEvaluated(*this, &FluidPhase::calculate_fugacities, &FluidPhase::calculate_state_functions);
        if (!evaluated || !(dPdV < 0)) {
            // No state of one phase: the model gives none, or its pressure
            // rises with volume (between its spinodals); counted and said.
            (evaluated ? spinodalRows : failedRows).add(t);
            continue;
        }
        writeRow();
    }
    saySkipped(spinodalRows,
               "the model's pressure rises with volume there (between its spinodals): no state of one phase");
    saySkipped(failedRows, "the model gives no state there");
    unstableRows.say("Isochore", V_ * 1e6, "cm3/mol", "K", 1.0);
    if (written == 0 && !wasInside)
        platform::diagf("Isochore at %g cm3/mol: no state from %g to %g K is a stable state of the model\n", V_ * 1e6,
                        Tmin, Tmax);
    if (wasInside && !said)
        platform::diagf("Isochore at %g cm3/mol: the range from %g to %g K lies inside the two-phase region; it holds "
                        "no single-phase state\n",
                        V_ * 1e6, Tmin, Tmax);
    else if (wasInside)
        note("Isochore at %g cm3/mol: from %g to %g K it lies inside the two-phase region; no single-phase state is "
             "written there\n",
             V_ * 1e6, insideFrom, Tmax);
}

void FluidPhase::calculate_simplified_isochor(std::FILE* f, double V_, double Tmin, double Tmax, int n, char mode,
                                              std::vector<double>* out) {
    if (!geometricRange("Isochor", Tmin, Tmax, n)) return;
    const double r = std::pow(Tmax / Tmin, 1.0 / n);
    volume(V_);
    double t = Tmin;
    for (int k = 0; k <= n; ++k, t *= r) {
        temperature(t);
        if (!stateEvaluated(*this, &FluidPhase::calculate_pressure)) continue;
        double row[2];
        rowAsPrinted(*this, row, 2, {0, 0}, [&](double* r) { r[0] = T, r[1] = P * 1e-5; });
        if ((mode == 1 || mode == 2) && f)
            std::fprintf(f, "%12.2f\t%12.6f\n", row[0], row[1]);
        else if (mode == 6)
            appendRow(out, {row[0], row[1]});
    }
}

void FluidPhase::calculateTheIsochor(double V_, double Tmin, double Tmax, int simplified, char mode,
                                     const char* suffix, std::vector<double>* out) {
    // About one point per kelvin; a range of less than a kelvin (a water
    // barely heated in a cycle) has its two ends.
    const double span = Tmax - Tmin;
    if (!(span > 0.0) || !(span < 1e7)) {
        platform::diagf("Isochor: the range %g to %g K holds no temperature step\n", Tmin, Tmax);
        return;
    }
    const int n = std::max(1, static_cast<int>(span));
    const std::string path = CurveOutput::fileName("isoc", suffix);
    File f;
    if (mode == 1 || mode == 2) {
        f = openFile(path, "w");
        if (f) {
            if (mode == 1) {
                std::fputs("IGOR\nWAVES ", f.get());
                const char* const simple[] = {"T", "P"};
                std::fputs(simplified ? tabbedNames(simple, 2, suffix).c_str()
                                      : tabbedNames(kIsochorNames, 13, suffix).c_str(),
                           f.get());
                std::fputs("BEGIN\n", f.get());
            } else {
                std::fputs("# ", f.get());
                const char* const simple[] = {"T(1)", "P(2)"};
                std::fputs(simplified ? numberedNames(simple, 2).c_str() : numberedNames(kIsochorNumbered, 13).c_str(),
                           f.get());
            }
        }
    }
    const char rowMode = f ? mode : (mode == 6 ? 6 : 0);
    const long header = f ? std::ftell(f.get()) : -1;
    const long failures = platform::diagnosticCount();
    std::vector<std::string> notes;
    if (simplified)
        calculate_simplified_isochor(f.get(), V_, Tmin, Tmax, n, rowMode, out);
    else
        calculate_isochor(f.get(), V_, Tmin, Tmax, n, rowMode, out, &notes);
    // A failed isochore without a row (said why) leaves no file of headers.
    if (f && header >= 0 && std::ftell(f.get()) == header && platform::diagnosticCount() != failures) {
        f.reset();
        std::remove(path.c_str());
        return;
    }
    if (f && mode == 1) std::fputs("END\n", f.get());
    // What is said of the temperatures not written is the file's note too,
    // after its rows: "X // " lines in Igor's file, "# " lines in the other.
    for (std::string line : notes) {
        if (!f) break;
        std::replace(line.begin(), line.end(), '\n', ' ');
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::fprintf(f.get(), "%s%s\n", mode == 1 ? "X // " : "# ", line.c_str());
    }
    f.reset();

    if (mode != 2) return;
    File g = openFile("g105.gp", "wt");
    if (!g) return;
    const double rho = bulk_molar_weight / V_;
    const double d = 1000.0 * bulk_molar_weight;  // g/mol: J/mol columns plot as kJ/kg
    const char* data = path.c_str();
    std::fputs("set term qt\nreset\nset timestamp\nset multiplot\nset size 0.5, 0.5\nset origin 0,0\n", g.get());
    std::fputs("set xlabel \"T (K)\"\nset ylabel \"P (bar)\"\n", g.get());
    std::fprintf(g.get(), "plot \"%s\" us 1:2 w l lt 1 title \"%.1f\" \n", data, rho);
    if (!simplified) {
        std::fputs("set origin 0.5,0\nset xlabel \"T (K)\"\nset ylabel \"H (kJ/kg)\"\n", g.get());
        std::fprintf(g.get(), "plot \"%s\" us 1:($4/%lf) w l lt 1 title \"%.1f\" \n", data, d, rho);
        std::fputs("set origin 0.0,0.5\nset xlabel \"T (K)\"\nset ylabel \"Cv (kJ/kg/K)\"\n", g.get());
        std::fprintf(g.get(), "plot \"%s\" us 1:($8/%lf) w l lt 1 title \"%.1f\" \n", data, d, rho);
        std::fputs("set origin 0.5,0.5\nset xlabel \"T (K)\"\nset ylabel \"Cp (kJ/kg/K)\"\n", g.get());
        std::fprintf(g.get(), "plot \"%s\" us 1:($9/%lf) w l lt 1 title \"%.1f\"\n", data, d, rho);
    }
    g.reset();
    platform::runGnuplot("g105.gp");
}

// ---------------------------------------------------------------- P-T and P-V lines and their families

void FluidPhase::calculate_PT_isochor(double V_, double Tmin, double Tmax, int n, char mode, const char* suffix) {
    if (!geometricRange("P-T isochor", Tmin, Tmax, n)) return;
    File f = openFile(CurveOutput::fileName("pt", suffix), "w");
    if (!f) return;
    if (mode == 1)
        std::fprintf(f.get(), "IGOR\nWAVES  %11s%s %11s%s %11s%s\nBEGIN\n", "T", nameOf(suffix), "P", nameOf(suffix),
                     "V", nameOf(suffix));
    const double r = std::pow(Tmax / Tmin, 1.0 / n);
    volume(V_);
    double t = Tmin;
    for (int k = 0; k <= n && t <= Tmax; ++k, t *= r) {
        temperature(t);
        if (!stateEvaluated(*this, &FluidPhase::calculate_pressure)) continue;
        std::fprintf(f.get(), "%12lg %12lg %12lg\n", T, P * 1e-5, V * 1e6);
    }
    if (mode == 1) std::fputs("END\n", f.get());
}

void FluidPhase::calculate_PV_isotherm(double T_, double Vmin, double Vmax, int n, char mode, const char* suffix) {
    if (!geometricRange("P-V isotherm", Vmin, Vmax, n)) return;
    File f = openFile(CurveOutput::fileName("pvt", suffix) + ".txt", "w");
    if (!f) return;
    const char* s = nameOf(suffix);
    if (mode == 1)
        std::fprintf(f.get(),
                     "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %9s%s \nBEGIN\n", "V",
                     s, "P", s, "T", s, "A", s, "da", s, "Z", s, "phi", s, "H", s, "U", s, "S", s);
    const double r = std::pow(Vmax / Vmin, 1.0 / n);
    temperature(T_);
    double v = Vmin;
    for (int k = 0; k <= n && v < Vmax; ++k, v *= r) {
        volume(v);
        if (!stateEvaluated(*this, &FluidPhase::calculate_pressure, &FluidPhase::calculate_state_functions,
                            &FluidPhase::calculate_fugacities))
            continue;
        const double da = A / (R * T) + std::log(V);
        std::fprintf(f.get(), "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg \n", V * 1e6, P * 1e-5, T, A,
                     da, Z, fugcoef.empty() ? 0.0 : fugcoef[0], H, U, S);
    }
    if (mode == 1) std::fputs("END\n", f.get());
}

namespace {

// The curve names of a diagram family: the suffix whose first character is
// advanced by one before each curve ("a" gives "b", "c", ...).  A name whose
// first character would leave the printable range, or become a path
// separator, ends the family.
bool nextCurveName(std::string& name) {
    const unsigned char c = static_cast<unsigned char>(name[0]) + 1;
    if (c < 0x21 || c > 0x7e || c == '/' || c == '\\') {
        platform::diagf("Diagram: no further curve name after \"%s\"\n", name.c_str());
        return false;
    }
    name[0] = static_cast<char>(c);
    return true;
}

}  // namespace

namespace {

// A diagram of a family of curves, one per value: its name, gnuplot script,
// axes, the data file of a curve (prefix + curve name + extension) and the
// curve's title (the value times `scale`, then `unit`).
struct CurveFamily {
    const char* what;
    const char* script;
    const char* axes;
    const char* dataPrefix;
    const char* dataExtension;
    double scale;
    const char* unit;
};

// Writes one curve per value through calculate(value, mode, name), the curves
// named from the suffix (nextCurveName); in mode 2, also a gnuplot script
// plotting them all, and runs it.
template <class Calculate>
void buildCurveFamily(const CurveFamily& d, const char* model, const double* values, int count, char mode,
                      const char* suffix, Calculate calculate) {
    if ((mode != 1 && mode != 2) || !values || count < 1) return;
    if (!suffix || !*suffix) {
        platform::diagf("%s diagram: the curves need a suffix to be named\n", d.what);
        return;
    }
    std::string name = suffix;
    if (mode == 1) {
        for (int i = 0; i < count && nextCurveName(name); ++i) calculate(values[i], 1, name.c_str());
        return;
    }
    File g = openFile(d.script, "w");
    if (!g) return;
    std::fprintf(g.get(), "reset\nset timestamp\nset title \"%s - %s\"\n", d.what, model);
    std::fputs(d.axes, g.get());
    for (int i = 0; i < count && nextCurveName(name); ++i) {
        const std::string data = d.dataPrefix + name + d.dataExtension;
        calculate(values[i], 2, name.c_str());
        std::fprintf(g.get(), i == 0 ? "plot \"%s\" using 1:2 w lines title \"%.2f%s\""
                                     : ",\\\n\"%s\" using 1:2 w lines title \"%.2f%s\"",
                     data.c_str(), d.scale * values[i], d.unit);
    }
    g.reset();
    platform::runGnuplot(d.script);
}

}  // namespace

void FluidPhase::build_PT_isochor_diagram(const double* volumes, int count, double Tmin, double Tmax, int n,
                                          char mode, const char* suffix) {
    static constexpr CurveFamily kIsochors{"P-T isochor", "g6.gp",
                                           "set xlabel \"T (K)\"\nset ylabel \"P (bar)\"\nset yrange [-100:*]\n",
                                           "pt", "", 1e6, " cm^3/mol"};
    buildCurveFamily(kIsochors, modelName(), volumes, count, mode, suffix,
                     [&](double v, char m, const char* name) { calculate_PT_isochor(v, Tmin, Tmax, n, m, name); });
}

void FluidPhase::build_PV_isotherm_diagram(const double* temperatures, int count, double Vmin, double Vmax, int n,
                                           char mode, const char* suffix) {
    static constexpr CurveFamily kIsotherms{
        "P-V isotherm", "g5.gp", "set xlabel \"V (cm^3/mol)\"\nset ylabel \"P (bar)\"\nset yrange [-100:*]\n",
        "pvt", ".txt", 1.0, " K"};
    buildCurveFamily(kIsotherms, modelName(), temperatures, count, mode, suffix,
                     [&](double t, char m, const char* name) { calculate_PV_isotherm(t, Vmin, Vmax, n, m, name); });
}

// ---------------------------------------------------------------- property surfaces

namespace {

void writeContourLevels(std::FILE* g, const double* levels, int nlevels) {
    if (levels && nlevels >= 1) {
        std::fputs("set cntrparam levels discr ", g);
        for (int i = 0; i < nlevels; ++i) std::fprintf(g, i + 1 < nlevels ? "%lf, " : "%lf\n", levels[i]);
    } else {
        std::fprintf(g, "set cntrparam levels %d\n", nlevels >= 1 ? nlevels : 10);
    }
}

bool surfaceGrid(double Tmin, double Tmax, double Vmin, double Vmax, int nT, int nV) {
    if (std::isfinite(Tmin) && std::isfinite(Tmax) && Tmax >= Tmin && nT >= 1 && std::isfinite(Vmin) &&
        std::isfinite(Vmax) && Vmin > 0.0 && Vmax >= Vmin && nV >= 1)
        return true;
    platform::diagf("Surface: the grid T %g to %g (%d), V %g to %g (%d) cannot be walked\n", Tmin, Tmax, nT, Vmin,
                 Vmax, nV);
    return false;
}

}  // namespace

void FluidPhase::calculate_P_surface(const double* levels, int nlevels, double Tmin, double Tmax, double Vmin,
                                     double Vmax, int nT, int nV) {
    if (!surfaceGrid(Tmin, Tmax, Vmin, Vmax, nT, nV)) return;
    {
        File f = openFile("psurf.txt", "w");
        if (!f) return;
        const double r = std::pow(Vmax / Vmin, 1.0 / nV), dT = (Tmax - Tmin) / nT;
        double t = Tmin;
        for (int k = 0; k <= nT; ++k, t += dT) {
            temperature(t);
            double v = Vmin;
            for (int j = 0; j <= nV + 1 && v <= Vmax; ++j, v *= r) {
                volume(v);
                calculate_pressure();
                std::fprintf(f.get(), "%lg %lg %lg \n", T, V * 1e6, P * 1e-5);
            }
            std::fputs("\n", f.get());
        }
    }
    File g = openFile("g8.gp", "w");
    if (!g) return;
    std::fprintf(g.get(), "reset\nset title \"P(V,T) - %s -\"\nset timestamp\n", modelName());
    std::fputs("set xlabel \"V (cm^3/mol)\"\nset ylabel \"T (K)\"\nset contour\n", g.get());
    writeContourLevels(g.get(), levels, nlevels);
    std::fputs("set style data lines \nset view 180,0,1,1\nset yrange [*:*] reverse\nunset surface\n", g.get());
    std::fputs("splot \"psurf.txt\" using 2:1:3\n", g.get());
    g.reset();
    platform::runGnuplot("g8.gp");
}

void FluidPhase::calculate_iso_surface(const double* levels, int nlevels, double Tmin, double Tmax, double Vmin,
                                       double Vmax, int nT, int nV, ThermoCalcFlag property) {
    if (property < kThermoP || property > kThermoCp) {
        platform::diagf("Surface: no property %d (1 P, 2 A, 3 H, 4 U, 5 S, 6 G, 7 Cv, 8 Cp)\n",
                     static_cast<int>(property));
        return;
    }
    if (!surfaceGrid(Tmin, Tmax, Vmin, Vmax, nT, nV)) return;
    {
        File f = openFile("parsurf.txt", "w");
        if (!f) return;
        const double r = std::pow(Vmax / Vmin, 1.0 / nV), dT = (Tmax - Tmin) / nT;
        double t = Tmin;
        for (int k = 0; k <= nT; ++k, t += dT) {
            temperature(t);
            double v = Vmin;
            for (int j = 0; j <= nV + 1 && v <= Vmax; ++j, v *= r) {
                volume(v);
                calculate_fugacities();
                calculate_state_functions();
                std::fprintf(f.get(), "%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\n", T, V * 1e6, P * 1e-5, A, H,
                             U, S, G, Cv, Cp);
            }
            std::fputs("\n", f.get());
        }
    }
    File g = openFile("g52.gp", "w");
    if (!g) return;
    std::fprintf(g.get(), "reset\nset title \"P(V,T) - %s -\"\nset timestamp\n", modelName());
    std::fputs("set xlabel \"V (cm^3/mol)\"\nset ylabel \"T (K)\"\nset contour\n", g.get());
    writeContourLevels(g.get(), levels, nlevels);
    std::fputs("set style data lines \nset view 180,0,1,1\nset yrange [*:*] reverse\nunset surface\n", g.get());
    std::fprintf(g.get(), "splot \"parsurf.txt\" using 2:1:%d\n", static_cast<int>(property) + 2);
    g.reset();
    platform::runGnuplot("g52.gp");
}

// ---------------------------------------------------------------- isobar in the T-V plane

void FluidPhase::calculate_TV_isobar(double P_bar, double T0, double V0, double Tmin, double Tmax, double Vmin,
                                     double Vmax, double dT, double dV, char stopAtInstability, char mode,
                                     const char* suffix, std::vector<double>* out) {
    if (!(dT != 0.0) || !(dV != 0.0) || !std::isfinite(dT) || !std::isfinite(dV)) {
        platform::diagf("Isobar %lf : the steps dT %g and dV %g must be non-zero\n", P_bar, dT, dV);
        return;
    }
    const double s = dV / dT;  // ratio of the two step sizes
    const double savedVl0 = Vl0, savedVv0 = Vv0;

    pressure(P_bar);
    temperature(T0);
    volume(V0);
    Vl0 = V0;
    calculate_molar_volume();
    if (errorflag) {
        calculate_temperature();
        if (errorflag) platform::diagf("Isobar %lf : calculation failure\n", P_bar);
    }

    const char* const names[] = {"V", "T", "P", "A", "H", "U", "S", "G", "Cv", "Cp", "fug", "phi", "jt"};
    const char* const numbered[] = {"V(1)", "T(2)",  "P(3)",   "A(4)",    "H(5)",    "U(6)",   "S(7)",
                                    "G(8)", "Cv(9)", "Cp(10)", "fug(11)", "phi(12)", "jt(13)"};
    File f;
    if (mode == 1 || mode == 2) {
        f = openFile(CurveOutput::fileName("isob", suffix), "wt");
        if (f && mode == 1) {
            std::fputs("IGOR\nWAVES ", f.get());
            std::fputs(tabbedNames(names, 13, suffix).c_str(), f.get());
            std::fputs("BEGIN\n", f.get());
        } else if (f) {
            std::string h = "# ";
            char buf[32];
            for (int i = 0; i < 13; ++i) {
                std::snprintf(buf, sizeof buf, i == 0 ? "%10s" : "\t%12s", numbered[i]);
                h += buf;
            }
            std::fputs((h + "\n").c_str(), f.get());
        }
    }

    // A volume step follows the slope in T, a temperature step the slope in
    // V; each solve that fails is retried with half the step, and below
    // 1e-4 of it once more as the other phase kind.  Should that fail too
    // the trace ends (it would otherwise retry for ever).
    const double M = compositionMolarMass();
    constexpr int kMaxPoints = 1000000;
    int points = 0;
    while (errorflag == 0 && T >= Tmin && T <= Tmax && V > Vmin && V < Vmax && points++ < kMaxPoints) {
        calculate_fugacities();
        const double m = -dPdT / dPdV;  // dV/dT at constant P
        calculate_state_functions();
        if (dPdV >= 0) {
            if (stopAtInstability) break;
        } else if (f) {
            std::fprintf(f.get(),
                         "%12lg\t%12lg\t%12f\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\n",
                         V * 1e6, T, P * 1e-5, A / 1000.0, H / 1000.0, U / 1000.0, S, G / 1000.0, Cv, Cp,
                         1e-5 * fugacity[0], fugacity[0] / P, jouleThomson);
        } else if (mode == 6) {
            appendRow(out, {V * 1e6, T, P * 1e-5, A, H, U, S, G, Cv, Cp, 1e-5 * fugacity[0], M / V, jouleThomson});
        }
        if (!std::isfinite(m) || m == 0.0) break;  // no direction to follow

        const double Ts = T, Vs = V;
        const bool volumeStep = std::fabs(s) <= std::fabs(m);
        if ((m < 0 && dT * dV > 0) || (m > 0 && dT * dV < 0)) {
            if (volumeStep)
                dT = -dT;
            else
                dV = -dV;
        }
        auto step = [&](double fct) {
            if (volumeStep) {
                temperature(Ts + fct * dV / m);
                volume(Vs + fct * dV);
                pressure(P_bar);
                calculate_temperature();
            } else {
                temperature(Ts + fct * dT);
                volume(Vs + fct * m * dT);
                if (phase_kind == 2)
                    Vl0 = Vs + fct * m * dT;
                else
                    Vv0 = Vs + fct * m * dT;
                pressure(P_bar);
                calculate_molar_volume();
            }
            // A search that ends off the isobar (a volume search can stop at a
            // point whose pressure it only corrects by one step) is a failed
            // step, not a row.
            if (errorflag == 0) {
                calculate_pressure();
                const double target = 1e5 * P_bar;
                if (!(std::fabs(P - target) <= 1e-6 * std::fabs(target) + 1.0)) errorflag = 1;
                pressure(P_bar);
            }
        };
        step(1.0);
        double fct = 1.0;
        while (errorflag) {
            errorflag = 0;
            fct /= 2.0;
            step(fct);
            if (errorflag && fct < 0.0001) {
                pressure(P_bar);
                set_the_phase_as(phase_kind == 2 ? 1 : 2);
                errorflag = 0;
                if (volumeStep)
                    calculate_temperature();
                else
                    calculate_molar_volume();
                if (errorflag == 0) {
                    calculate_pressure();
                    const double target = 1e5 * P_bar;
                    if (!(std::fabs(P - target) <= 1e-6 * std::fabs(target) + 1.0)) errorflag = 1;
                    pressure(P_bar);
                }
                break;  // a failure here leaves errorflag set and ends the trace
            }
        }
    }
    if (f && mode == 1) std::fputs("END\n", f.get());
    Vl0 = savedVl0;
    Vv0 = savedVv0;
}
