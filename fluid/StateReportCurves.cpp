// The rows of the interpreter's isotherms and isochores: each is the state
// the interpreter prints from the row's temperature and volume, or NaN where
// it refuses that state or the model's own stability test splits the mixture
// there; each curve says once how many of its rows are left out, and why,
// and where the fluid's published data put its rows in another phase, on
// standard error and as its file's note after the rows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/ErrorFlagScope.h"
#include "fluid/PressureRootsHold.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

struct StateReport::CurveTally {
    ValidityRange validity;
    long rows = 0, outside = 0, refused = 0, withheld = 0;
    // The rows of a binary that are no stable state of one phase: those the
    // model's own stability test splits at their T and P, and those whose
    // root at their volume the curve finds below another phase's tangent
    // plane; how many, and the temperatures (K), pressures (bar) and molar
    // volumes (cm3/mol) they span.
    long unstable = 0;
    double unstableSpan[3][2] = {};
    // The rows of the file: each state the curve hands over once (a row
    // found unstable after its state was printed is the same row).
    long fileRows = 0;
    double lastT = std::nan(""), lastV = std::nan("");
    void countRow(double T_, double V_) {
        if (!(T_ == lastT && V_ == lastV)) ++fileRows;
        lastT = T_;
        lastV = V_;
    }
    void addUnstable(double T_, double P_bar, double V_) {
        const double v[3] = {T_, P_bar, V_ * 1e6};
        for (int k = 0; k < 3; ++k) {
            unstableSpan[k][0] = unstable == 0 ? v[k] : std::min(unstableSpan[k][0], v[k]);
            unstableSpan[k][1] = unstable == 0 ? v[k] : std::max(unstableSpan[k][1], v[k]);
        }
        ++unstable;
    }
    double refusedT = 0.0, refusedV = 0.0;
    std::string refusal, withheldWhy;
    // The rows the fluid's data put in another phase or a solid's field:
    // how many, the first and last (K, bar) and what the first is to them.
    long otherPhase = 0;
    double otherT0 = 0.0, otherP0 = 0.0, otherT1 = 0.0, otherP1 = 0.0;
    std::string otherWord;
    bool untracedSaid = false;
};

namespace {

// The first refusal said among `said`, or the first sentence said.
std::string firstRefusal(const std::vector<platform::ThreadLogCapture::Entry>& said) {
    for (const auto& e : said)
        if (e.channel == platform::ThreadLogCapture::Channel::Failure) return e.text;
    return said.empty() ? std::string("(no reason said)\n") : said.front().text;
}

}  // namespace

bool StateReport::curveRowState(double T_, double P_bar, double V_, CurveTally& t) {
    t.countRow(T_, V_);
    if (!t.validity.holds(T_, P_bar)) {
        ++t.outside;
        return false;
    }
    ++t.rows;
    // The model's note on interaction parameters it could not trace to
    // their source, said once for the curve.
    if (!t.untracedSaid) {
        std::vector<platform::ThreadLogCapture::Entry> said;
        bool holds = false;
        {
            platform::ThreadLogCapture note;
            holds = m_.untracedInteractionHolds(T_, P_bar);
            said = note.take();
        }
        if (holds && !said.empty()) {
            platform::ThreadLogCapture::replay(said);
            t.untracedSaid = true;
        }
    }
    platform::ThreadLogCapture quiet;
    // A binary's row where the model's own stability test splits the
    // mixture is the single fluid inside its two-phase region.
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const bool binary = rules_.binaryShares(solvent, solute, xs);
    bool splits = false;
    if (binary) {
        const ErrorFlagScope flag(m_, ErrorFlagScope::kAsItIs);
        splits = m_.binarySplitsAt(T_, P_bar);
    }
    std::string withheld;
    const bool given = reportedStateFromTV(T_, V_, &withheld);
    // (The state found, the curve goes on with the model's untraced
    // parameters admitted, as the state printer admits them.)
    m_.admitUntracedInteraction(true);
    if (!given) {
        if (t.refused++ == 0) {
            t.refusedT = T_;
            t.refusedV = V_;
            t.refusal = firstRefusal(quiet.take());
        }
        return false;
    }
    // What the fluid's data say of the row, against the model's own answer.
    PhaseRules::ModelAnswer answer;
    answer.splits = splits;
    answer.phase = FluidPhase::kPhaseFluid;
    answer.rho = m_.bulk_molar_weight / V_;
    const PhaseRules::FluidStatement fluid = binary ? rules_.fluidAt(T_, P_bar, answer) : PhaseRules::FluidStatement{};
    if (fluid.covered() && !fluid.agrees) {
        if (t.otherPhase++ == 0) t.otherT0 = T_, t.otherP0 = P_bar, t.otherWord = fluid.word;
        t.otherT1 = T_, t.otherP1 = P_bar;
    }
    if (splits) {
        t.addUnstable(T_, P_bar, V_);
        return false;
    }
    if (!withheld.empty() && t.withheld++ == 0) t.withheldWhy = withheld;
    return true;
}

namespace {

// One sentence of a curve's tally, formatted as printf would.
template <class... A>
std::string sentence(const char* format, A... a) {
    const int n = std::snprintf(nullptr, 0, format, a...);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0u, '\0');
    if (n > 0) std::snprintf(text.data(), text.size() + 1, format, a...);
    return text;
}

// The sentences said of a curve written as its file's note too, after its
// rows: "X // " lines after an Igor file's END, "# " lines in a column
// file (a file of raw rows has no place for them), one line each.
void noteInFiles(const std::vector<std::string>& files, const std::vector<std::string>& said) {
    if (said.empty()) return;
    for (const std::string& path : files) {
        std::string head(4, '\0');
        if (std::FILE* in = std::fopen(path.c_str(), "r")) {
            head.resize(std::fread(head.data(), 1, head.size(), in));
            std::fclose(in);
        }
        const bool igor = head == "IGOR";
        if (!igor && head.rfind("#", 0) != 0) continue;
        std::FILE* f = platform::openOutput(path, "a");
        if (!f) continue;
        for (std::string line : said) {
            std::replace(line.begin(), line.end(), '\n', ' ');
            while (!line.empty() && line.back() == ' ') line.pop_back();
            std::fprintf(f, "%s%s\n", igor ? "X // " : "# ", line.c_str());
        }
        platform::closeOutput(f, path);
    }
}

}  // namespace

std::vector<std::string> StateReport::sayCurveTally(const CurveTally& t) const {
    const char* model = m_.modelName();
    std::vector<std::string> said;
    if (t.outside > 0)
        said.push_back(sentence("The model %s holds %s: %ld states of the curve lie outside it and are written as "
                                "nan.\n",
                                model, t.validity.describe().c_str(), t.outside));
    if (t.refused > 0)
        said.push_back(sentence("The model %s: %ld states of the curve are refused at their temperature and volume, "
                                "as the state printed there (TV) is, and are written as nan; the first, at %g K and "
                                "%g cm3/mol: %s",
                                model, t.refused, t.refusedT, t.refusedV * 1e6, t.refusal.c_str()));
    if (t.unstable > 0) {
        // "220 K" where the curve holds its temperature, "110.7 to 220.1 K" where not.
        std::string span;
        const char* units[3] = {"K", "bar", "cm3/mol"};
        for (int k = 0; k < 3; ++k) {
            const double(&v)[2] = t.unstableSpan[k];
            span += v[0] == v[1] ? sentence("%s%g %s", k ? ", " : "", v[0], units[k])
                                 : sentence("%s%g to %g %s", k ? ", " : "", v[0], v[1], units[k]);
        }
        said.push_back(sentence("The model %s: at %ld states of the curve (%s) the mixture of one phase is not "
                                "stable, a phase of another composition or density lying below its tangent plane in "
                                "the model's own stability test: they lie inside its two-phase region and are written "
                                "as nan.\n",
                                model, t.unstable, span.c_str()));
    }
    if (t.withheld > 0)
        said.push_back(sentence("The model %s: %ld states of the curve have their cv and cp written as nan, as the "
                                "state printed there (TV) withholds them; the first: %s",
                                model, t.withheld, t.withheldWhy.c_str()));
    // A mixture's curve writes A, S and G as the state printed writes a, s
    // and g: without the ideal entropy of mixing, which the state gives apart.
    const double sMix = m_.idealMixingEntropy();
    if (t.rows > 0 && sMix > 0.0)
        said.push_back(sentence("The curve's S, A and G, as the state's s, a and g, leave out the ideal entropy of "
                                "mixing, s_mix = -R sum x ln x = %.4g J/(mol K) at this composition: add it to S, and "
                                "-T s_mix to A and G, for the mixture's own.\n",
                                sMix));
    if (t.otherPhase > 0)
        said.push_back(sentence("** The fluid: %s at %ld of the curve's %ld rows, from %g K and %g bar to %g K and %g "
                                "bar (its published data; the first row's statement is the state's printed there by "
                                "TP), where the model's own answer differs.\n",
                                t.otherWord.c_str(), t.otherPhase, t.fileRows, t.otherT0, t.otherP0, t.otherT1,
                                t.otherP1));
    for (const std::string& text : said) platform::warnf("%s", text.c_str());
    return said;
}

void StateReport::withCurveRowLimits(const std::function<void()>& curve, double splitPmin, double splitPmax) {
    CurveTally tally;
    tally.validity = rules_.stateRange();
    // The curve's rows say nothing of their own: what the single states
    // say once (the model extrapolated beyond its source) is said by the
    // next state printed as before.
    const bool extrapolationSaid = extrapolationSaid_, lowExtrapolationSaid = lowExtrapolationSaid_;
    m_.curveRowLimits = FluidPhase::CurveRowLimits{};
    m_.curveRowLimits.splitPmin = splitPmin;
    m_.curveRowLimits.splitPmax = splitPmax;
    m_.curveRowLimits.printedState = [&](double T_, double P_bar, double V_) {
        return curveRowState(T_, P_bar, V_, tally);
    };
    m_.curveRowLimits.unstableRow = [&](double T_, double P_bar, double V_) {
        tally.countRow(T_, V_);
        tally.addUnstable(T_, P_bar, V_);
    };
    m_.admitUntracedInteraction(true);
    holdPressureRoots(&m_);
    std::vector<std::string> files;
    {
        const platform::WrittenFiles written;
        curve();
        files = written.paths();
    }
    holdPressureRoots(nullptr);
    m_.admitUntracedInteraction(false);
    m_.curveRowLimits = FluidPhase::CurveRowLimits{};
    extrapolationSaid_ = extrapolationSaid;
    lowExtrapolationSaid_ = lowExtrapolationSaid;
    noteInFiles(files, sayCurveTally(tally));
}

bool StateReport::supercriticalLoopPressures(double T_, double& Pmin_bar, double& Pmax_bar) {
    const char* fluid = rules_.atPureComposition() ? rules_.phaseRuleFluid() : nullptr;
    const double Tcf = fluids().criticalTemperature(fluid);
    if (!(T_ >= Tcf)) return false;
    // P(V) from the liquid's density well above the saturated liquid's at
    // 0.6 Tc out to 50 critical volumes, in small geometric steps: a local
    // minimum followed by a local maximum is the loop.
    const double V0 = 0.8 * fluids().saturatedLiquidVolume(fluid, 0.6 * Tcf),
                 V1 = 50.0 * fluids().saturatedLiquidVolume(fluid, Tcf);
    if (!(V0 > 0.0) || !(V1 > V0)) return false;
    const double keptT = m_.T, keptV = m_.V, keptP = m_.P;
    const ErrorFlagScope keptFlag(m_, ErrorFlagScope::kAsItIs);
    constexpr int kSteps = 600;
    const double r = std::pow(V1 / V0, 1.0 / kSteps);
    double prev = std::nan(""), low = std::nan(""), high = std::nan("");
    bool rising = false;
    m_.temperature(T_);
    for (int k = 0; k <= kSteps; ++k) {
        m_.errorflag = 0;
        m_.volume(V0 * std::pow(r, k));
        m_.calculate_pressure();
        if (m_.errorflag || !std::isfinite(m_.P)) {
            prev = std::nan("");
            continue;
        }
        if (std::isfinite(prev)) {
            if (m_.P > prev && !rising) {
                rising = true;
                low = std::isfinite(low) ? std::min(low, prev) : prev;
            } else if (m_.P < prev && rising) {
                rising = false;
                high = std::isfinite(high) ? std::max(high, prev) : prev;
            }
        }
        prev = m_.P;
    }
    m_.temperature(keptT);
    m_.volume(keptV);
    m_.P = keptP;
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low)) return false;
    Pmin_bar = low * 1e-5;
    Pmax_bar = high * 1e-5;
    return true;
}
