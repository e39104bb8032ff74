// The liquid-vapour curve of a pure fluid by natural-parameter continuation in
// temperature: a tangent predictor from the slopes dVl/dT, dVv/dT of the curve
// and the saturation-pressure corrector, started from a given saturation point
// or from the critical point; and the two-phase states on that curve that hold
// a given entropy, volume, enthalpy or internal energy (iso-lines inside the
// dome).
#include <cmath>
#include <limits>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/CriticalStart.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelRange.h"
#include "fluid/TrialEvaluation.h"
#include "numerics/Newton.h"
#include "platform/LogSink.h"

namespace {

// Failed trials and accepted points together; far more than any curve needs.
constexpr int kMaxTrials = 1000000;

const std::vector<std::string> kSaturationNames = {
    "P",  "Vl", "Vv", "T",   "Ul",  "Uv",  "Hl",  "Hv",  "Al",  "Av", "Gl", "Gv", "Sl",    "Sv",
    "Cpl", "Cpv", "Cvl", "Cvv", "Hml", "Hmv", "Pl", "Pv", "cl", "cv", "sigma", "rhol", "rhov", "fug"};

const char* const kIsoNames[] = {"P", "V", "T", "U", "H", "A", "G", "S", "Cp", "Cv", "Um", "Hm", "rho", "fug"};
const char* const kIsoNumberedNames[] = {"P(1)", "V(2)",   "T(3)",   "U(4)",   "H(5)",   "A(6)",    "G(7)",
                                         "S(8)", "Cpl(9)", "Cv(10)", "Um(11)", "Hm(12)", "rho(13)", "fug(14)"};

// Properties of one side of a saturation point.
struct SideProps {
    double U = 0, H = 0, A = 0, G = 0, S = 0, Cv = 0, Cp = 0, Hm = 0, P = 0, c = 0, V = 0;
};

bool evaluateSideProps(FluidPhase& p, double Vs, double M, SideProps& o) {
    p.volume(Vs);
    const bool ok = trialEvaluation(p, &FluidPhase::calculate_fugacities, &FluidPhase::calculate_state_functions);
    o = {p.U, p.H, p.A, p.G, p.S, p.Cv, p.Cp, p.H / M / 1000.0, p.P, p.soundSpeed, Vs};
    // Energies that are not finite without an error are those the model does
    // not give (no ideal-gas part): the point stands, its energies are NaN.
    return ok && std::isfinite(o.P);
}

// Evaluates both sides of the saturation point (Vl_sat, Vv_sat) and sigma.
bool evaluatePair(FluidPhase& p, double M, SideProps& l, SideProps& v) {
    if (!evaluateSideProps(p, p.Vl_sat, M, l) || !evaluateSideProps(p, p.Vv_sat, M, v)) return false;
    p.calculateSigma(p.Vl_sat, p.Vv_sat);
    return true;
}

void writeSaturationRow(FluidPhase& p, CurveOutput& out, const SideProps& l, const SideProps& v) {
    const double Mb = p.bulk_molar_weight;
    const double row[28] = {v.P / 1e5,   l.V * 1e6, v.V * 1e6,  p.T,       l.U,       v.U,       l.H,
                            v.H,         l.A,       v.A,        l.G,       v.G,       l.S,       v.S,
                            l.Cp,        v.Cp,      l.Cv,       v.Cv,      l.Hm,      v.Hm,      l.P / 1e5,
                            v.P / 1e5,   l.c,       v.c,        p.sigma,   Mb / l.V,  Mb / v.V,  p.fugacity[0] / 1e5};
    out.writeRow(std::span<const double>(row, 28));
}

// The critical state as a saturation row: every liquid/vapour pair twice the
// critical value.  Cp diverges there (dP/dV = 0): the number the state
// functions give (rounding of dP/dV, of either sign, up to 1e16) is none,
// and the row holds no value for it.
void writeCriticalSaturationRow(FluidPhase& p, CurveOutput& out, double M, double sigmaColumn) {
    const double Vc = p.V, Mb = p.bulk_molar_weight, Pb = p.P / 1e5, Hm = p.H / M / 1000.0;
    const double Cp = std::numeric_limits<double>::quiet_NaN();
    const double row[28] = {Pb,   Vc * 1e6, Vc * 1e6, p.T,  p.U,          p.U,          p.H,          p.H,
                            p.A,  p.A,      p.G,      p.G,  p.S,          p.S,          Cp,           Cp,
                            p.Cv, p.Cv,     Hm,       Hm,   Pb,           Pb,           p.soundSpeed, p.soundSpeed,
                            sigmaColumn,    Mb / Vc,  Mb / Vc, p.fugacity[0] / 1e5};
    out.writeRow(std::span<const double>(row, 28));
}

// The critical point from the current state, with its fugacities and state
// functions; false when the search fails.
bool criticalState(FluidPhase& p) {
    p.search_the_critical_point_of_the_pure_component();
    if (p.errorflag) return false;
    p.calculate_fugacities();
    p.calculate_state_functions();
    return p.errorflag == 0;
}

// The critical point searched from (T0, V0) as a tracer's start; false, with
// errorflag set and a message, when it is not found.
bool startAtCriticalPoint(FluidPhase& p, double T0, double V0) {
    return criticalPointToStartFrom(p, T0, V0, "saturation curve starts", true);
}

// A tracer's start at a given saturation point: the start volumes, the step
// dT turned up (start 0) or down (start 1) the curve, and the saturation
// pressure at T0 (errorflag set when there is none).
void startAtSaturationPoint(FluidPhase& p, short start, double T0, double& dT, double Vl, double Vv) {
    p.Vl0 = Vl;
    p.Vv0 = Vv;
    if (start == 0) dT = std::fabs(dT);
    if (start == 1) dT = -std::fabs(dT);
    p.temperature(T0);
    p.calculate_saturation_pressure();
}

// Sets major_component and bulk_molar_weight as the tracers need them;
// returns the molar mass of the major component.  The densities of the
// curve are the pure major component's: its molar mass, never the one an
// earlier calculation left (the major component of a trace at the other
// pure end gave CO2's saturated densities with the molar mass of CH4).
double selectMajorComponent(FluidPhase& p) {
    p.major_component = (p.component_count < 2 || p.x[0] > 0.9999999) ? 0 : 1;
    if (p.major_component < static_cast<int>(p.molar_mass.size()))
        p.bulk_molar_weight = p.molar_mass[p.major_component];
    return p.bulk_molar_weight;
}

// The continuation shared by both tracers: from the saturation point at
// (T, Vl_sat, Vv_sat), steps of lambda dT with a tangent predictor; `accept`
// is called at every converged point (the first one included) and returns
// false when the point cannot be used.  Ends with errorflag set when the step
// has shrunk to 1e-5 of dT, or, with a message, when a hundred points in a
// row have advanced less than a hundredth of dT together (the steps no
// longer advance: the solver converges only on steps that the growth of the
// step keeps undoing).
template <class Accept>
void continueSaturationCurve(FluidPhase& p, double dT, double Tlow, Accept&& accept) {
    double sl = 0.0, sv = 0.0;
    p.next_saturation_point(sl, sv);
    if (!accept()) {
        p.errorflag = 1;
        return;
    }
    if (dT == 0.0 || !std::isfinite(dT)) {
        platform::diagf("Saturation curve: a temperature step of %g K does not move along the curve\n", dT);
        p.errorflag = 1;
        return;
    }
    double Tprev = p.T, Vlprev = p.Vl_sat, Vvprev = p.Vv_sat;
    double lambda = 1.0;
    bool newStep = true;
    constexpr int kAdvanceWindow = 100;
    double Tmark = Tprev;
    int sinceMark = 0;
    for (int trial = 0; trial < kMaxTrials; ++trial) {
        if (newStep && lambda <= 0.5) lambda *= 1.4;
        p.errorflag = 0;
        // A step past the lowest temperature is shortened to land on it, and
        // the point there ends the curve.
        // (A step that ends within rounding of it lands on it too.)
        const bool last = Tprev + lambda * dT - Tlow <= 1e-9 * std::fabs(Tlow) && Tprev > Tlow;
        const double step = last ? (Tlow - Tprev) / dT : lambda;
        p.Vl0 = Vlprev + step * dT * sl;
        p.Vv0 = Vvprev + step * dT * sv;
        const double t = last ? Tlow : Tprev + step * dT;
        p.temperature(t);
        if (p.Vl0 < 0.0 || p.Vv0 < 0.0 || t < Tlow)
            p.errorflag = 1;
        else
            p.calculate_saturation_pressure();
        if (p.errorflag == 0) {
            double nl = 0.0, nv = 0.0;
            p.next_saturation_point(nl, nv);
            if (accept()) {
                if (last) {  // on the lowest temperature: the trace ends (errorflag set, as at every end)
                    p.errorflag = 1;
                    return;
                }
                sl = nl;
                sv = nv;
                Tprev = p.T;
                Vlprev = p.Vl_sat;
                Vvprev = p.Vv_sat;
                newStep = true;
                if (++sinceMark == kAdvanceWindow) {
                    if (!(std::fabs(Tprev - Tmark) >= 0.01 * std::fabs(dT))) {
                        platform::diagf("Saturation curve: the steps no longer advance at %g K (%d points within "
                                        "%g K); the curve ends there\n",
                                        Tprev, kAdvanceWindow, std::fabs(Tprev - Tmark));
                        p.errorflag = 1;
                        return;
                    }
                    Tmark = Tprev;
                    sinceMark = 0;
                }
                continue;
            }
            p.errorflag = 1;
        }
        lambda /= 2.0;
        newStep = false;
        if (lambda <= 1e-5) return;
    }
    platform::diagf("Saturation curve: stopped after %d trials\n", kMaxTrials);
    p.errorflag = 1;
}

}  // namespace

bool criticalPointToStartFrom(FluidPhase& p, double T0, double V0, const char* curve, bool stateFunctions) {
    p.temperature(T0);
    p.volume(V0);
    {
        // Trial states outside the model's range are no failure of the search.
        const platform::ThreadLogCapture quiet;
        if (stateFunctions) {
            if (criticalState(p)) return true;
        } else {
            p.search_the_critical_point_of_the_pure_component();
            if (p.errorflag == 0) return true;
        }
    }
    p.errorflag = 1;
    const ValidityRange range = ModelRange(p).effectiveRange();
    const std::string holds = range.declared() ? " (the model holds " + range.describe() + ")" : std::string();
    if (p.component_count == 2 && p.x.size() == 2 && p.x[1] > 0.0 && p.x[1] < 1.0)
        platform::diagf("Cannot find the critical point of the model %s at x1 = %g, where its %s: the mixture has "
                        "no state there where dP/dV and d2P/dV2 vanish%s.\n",
                        p.modelName(), p.x[1], curve, holds.c_str());
    else
        platform::diagf("Cannot find the critical point of the model %s, where its %s%s.\n", p.modelName(),
                        curve, holds.c_str());
    return false;
}

void FluidPhase::calculate_saturation_curve(const char* path, short start, double T0, double dT, double Vl_start,
                                            double Vv_start, double Tlow, char mode, const char* suffix,
                                            std::vector<double>* array) {
    CurveOutput out(mode, path ? path : "", suffix, kSaturationNames, array);
    const double Mmajor = selectMajorComponent(*this);
    // The bound on the volumes that a start at the critical point sets holds
    // for this curve only: later saturation searches have the model's own.
    struct KeepBound {
        FluidPhase& p;
        const double bound;
        ~KeepBound() { p.Vc_bound = bound; }
    } keepBound{*this, Vc_bound};
    if (Tlow >= T0) Tlow = T0 - 1.0;

    if (start != 2) {
        startAtSaturationPoint(*this, start, T0, dT, Vl_start, Vv_start);
    } else {
        if (!startAtCriticalPoint(*this, T0, Vl_start)) return;
        writeCriticalSaturationRow(*this, out, bulk_molar_weight, out.text() ? std::nan("") : 1.0);
        const double Vc = V;
        Vc_bound = Vc;
        T0 = T - 0.1;
        dT = -std::fabs(dT);

        // Near the critical point the saturation pair is searched inside
        // bounds around Vc, from pairs ever wider apart in density.  The
        // solver is bound to the saturation system first, so that the bounds
        // and the damping limit set here are the ones it runs with.
        Newton& s = *criticalSolver;
        s._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingPsatFromVlVv),
                                 2);
        s.lambdaMin = 1e-8;
        s.bounded[0] = s.bounded[1] = 1;
        s.lo[0] = Vc - 2e-5;
        s.hi[0] = Vc;
        s.lo[1] = Vc;
        s.hi[1] = Vc + 2e-5;
        const double rhoc = bulk_molar_weight / Vc;
        double drho = 0.01 * rhoc;
        int tries = 0;
        do {
            temperature(T0);
            const double Vl = bulk_molar_weight / (rhoc + drho);
            double Vv = 1.0 / (2.0 / Vc - 1.0 / Vl);
            if (Vv < Vl) Vv = Vc;
            Vl_sat = Vl0 = Vl;
            Vv_sat = Vv0 = Vv;
            calculate_saturation_pressure();
            drho += 0.01 * rhoc;
        } while (errorflag && drho <= 100.0 && ++tries < 1000);
        s.lambdaMin = 0.01;
        s.bounded[0] = s.bounded[1] = 0;
    }
    if (errorflag) {
        platform::diagf("Saturation curve: no saturation point at %g K\n", T0);
        return;
    }

    lastSaturationRowT = std::nan("");
    continueSaturationCurve(*this, dT, Tlow, [&]() {
        SideProps l, v;
        if (!evaluatePair(*this, Mmajor, l, v)) return false;
        writeSaturationRow(*this, out, l, v);
        lastSaturationRowT = T;
        return true;
    });

    if (start == 0) {
        const short failed = errorflag;
        if (criticalState(*this))
            writeCriticalSaturationRow(*this, out, Mmajor, sigma);
        else
            errorflag = failed;
    }
}

namespace {

double isoQuantity(const FluidPhase& p, int flag) {
    switch (flag) {
    case kIsoEntropy: return p.S;
    case kIsoVolume: return p.V;
    case kIsoEnthalpy: return p.H;
    default: return p.U;
    }
}

bool carriesIsoValue(const FluidPhase& p, int flag, double value) {
    const double tol = flag == kIsoVolume ? 1e-8 : 0.01;
    return std::fabs(isoQuantity(p, flag) - value) <= tol;
}

// The current state of the phase as an iso-line row.
std::vector<double> isoRow(const FluidPhase& p) {
    const double M = p.bulk_molar_weight;
    const int k = (p.major_component >= 0 && p.major_component < p.component_count) ? p.major_component : 0;
    return {p.P / 1e5, p.V * 1e6, p.T,  p.U,  p.H,      p.A,      p.G,
            p.S,       p.Cp,      p.Cv, p.U / M / 1000.0, p.H / M / 1000.0, M / p.V, p.fugacity[k] / 1e5};
}

// The critical iso row of a critical start: two blanks between the fifth and
// the sixth value.
std::string criticalIsoText(const std::vector<double>& row) {
    std::string text;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0) text += i == 5 ? "  " : " ";
        CurveOutput::formatValue(text, row[i], CurveValueFormat{});
    }
    return text + "\n";
}

}  // namespace

void FluidPhase::calculateIsoBiphasic(int flag, double value, short start, double T0, double dT, double Vl_start,
                                      double Vv_start, double Tlow, char mode, const char* suffix) {
    if (flag < kIsoEntropy || flag > kIsoInternalEnergy) return;
    static const char* const tags[] = {"ss", "vv", "hh", "uu"};
    CurveLayout layout;
    layout.textModesOnly = true;
    layout.writeHeader = false;
    CurveOutput out(mode, CurveOutput::fileName(std::string("iso") + tags[flag - 1], suffix), suffix,
                    std::vector<std::string>(std::begin(kIsoNames), std::end(kIsoNames)), nullptr, layout);
    // Header (the numbered names of the column file are this tracer's own).
    {
        std::string h;
        const std::string sfx = suffix ? suffix : "";
        char buf[64];
        if (out.igor()) {
            h = "IGOR\nWAVES ";
            for (int i = 0; i < 14; ++i) {
                std::snprintf(buf, sizeof buf, i == 0 ? "%5s" : " %11s", kIsoNames[i]);
                h += buf + sfx;
            }
            h += "\nBEGIN\n";
            h += "nan nan nan nan nan nan nan nan nan nan nan nan nan nan\n";
        } else {
            h = "# ";
            for (int i = 0; i < 14; ++i) {
                std::snprintf(buf, sizeof buf, i == 0 ? "%11s" : " %12s", kIsoNumberedNames[i]);
                h += buf;
            }
            h += "\n";
        }
        out.writeText(h);
    }
    selectMajorComponent(*this);
    if (Tlow >= T0) Tlow = T0 - 1.0;

    if (start == 2) {
        if (!startAtCriticalPoint(*this, T0, Vl_start)) return;
        if (carriesIsoValue(*this, flag, value)) out.writeText(criticalIsoText(isoRow(*this)));
        const double Vc = V;
        T0 = T - 0.1;
        dT = -std::fabs(dT);
        double dV = Vc / 100.0;
        for (;;) {
            temperature(T0);
            const double Vl = Vc - dV;
            if (Vl > 0.0) {
                const double Vv = 1.0 / (2.0 / Vc - 1.0 / Vl);
                Vl_sat = Vl0 = Vl;
                Vv_sat = Vv0 = Vv;
                calculate_saturation_pressure();
            } else {
                errorflag = 1;  // no liquid volume left to try
            }
            dV *= 2.0;
            if (dV > 0.001) {
                if (errorflag) {
                    platform::diagf("Two-phase iso-line: no saturation point at %g K\n", T0);
                    return;
                }
                break;
            }
            if (!errorflag) break;
        }
    } else {
        startAtSaturationPoint(*this, start, T0, dT, Vl_start, Vv_start);
        if (errorflag) {
            platform::diagf("Two-phase iso-line: no saturation point at %g K\n", T0);
            return;
        }
    }

    continueSaturationCurve(*this, dT, Tlow, [&]() {
        SideProps l, v;
        if (!evaluatePair(*this, bulk_molar_weight, l, v)) return false;
        double ql, qv;
        switch (flag) {
        case kIsoEntropy: ql = l.S, qv = v.S; break;
        case kIsoVolume: ql = l.V, qv = v.V; break;
        case kIsoEnthalpy: ql = l.H, qv = v.H; break;
        default: ql = l.U, qv = v.U; break;
        }
        const double X = (value - ql) / (qv - ql);
        if (X >= 0.0 && X <= 1.0) {
            auto mix = [X](double a, double b) { return (1.0 - X) * a + X * b; };
            U = mix(l.U, v.U);
            H = mix(l.H, v.H);
            S = mix(l.S, v.S);
            A = mix(l.A, v.A);
            V = mix(l.V, v.V);
            Cp = mix(l.Cp, v.Cp);
            Cv = mix(l.Cv, v.Cv);
            G = v.G;
            out.writeRow(isoRow(*this));
        }
        return true;
    });

    if (start == 0 && criticalState(*this) && carriesIsoValue(*this, flag, value)) out.writeRow(isoRow(*this));
    errorflag = 0;
}

void FluidPhase::calculateTheSaturationCurve(const char* suffix, char mode) {
    const std::string path = CurveOutput::fileName("satu", suffix);
    // From the critical point found from the model's start (the tracer
    // reports one not found).
    // A critical point outside the model's range is refused, and the curve
    // ends at the range's lower end.
    // (Said once when there is none.)
    if (!criticalPointToStartFrom(*this, critical_T, critical_V, "saturation curve starts", false)) return;
    if (!ModelRange(*this).criticalPointInRange()) {
        errorflag = 1;
        return;
    }
    const double Tc = T, Vc = V;
    const ModelRange rules(*this);
    const double Tlow = rules.lowestReportedCurveTemperature();
    calculate_saturation_curve(path.c_str(), 2, Tc, -1.0, Vc, Vc, Tlow, mode, suffix, nullptr);
    // The curve ends on its lowest temperature: where that lies and why.
    if (lastSaturationRowT == Tlow)
        platform::warnf("The saturation curve of the model %s ends at %.6g K and %.6g bar, %s.\n", modelName(), T,
                        P * 1e-5, rules.lowestCurveTemperatureReason(Tlow).c_str());
}

void FluidPhase::calculateTheSaturationCurveFromT(double T_, const char* suffix) {
    const std::string path = CurveOutput::fileName("satu", suffix);
    if (calculateTheSaturationPressure(T_) != 0) return;
    calculate_saturation_curve(path.c_str(), 0, T_, 1.0, Vl_sat, Vv_sat, lowestCurveTemperature(), 1, suffix, nullptr);
}
