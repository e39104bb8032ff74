// The rows of the interpreter's isotherms and isochores: each is the state
// the interpreter prints from the row's temperature and volume, or NaN where
// it refuses that state or a solid deposits there, and each curve says once
// how many of its rows are withheld, and why, and how many lie beyond the
// model's accuracy against the fluid's reference equation.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "fluid/PressureRootsHold.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"

struct StateReport::CurveTally {
    ValidityRange validity;
    // Rows beyond the range's pressures, refused by the state printer, where
    // a solid deposits, with their heat capacities withheld, and beyond the
    // model's accuracy; the first of each (the furthest beyond the accuracy)
    // with what was said of it.
    long outside = 0, refused = 0, solid = 0, split = 0, withheld = 0, offReference = 0;
    // The pressures (bar) of the rows where the mixture splits, and the
    // first's state and phases (empty where not named).
    double splitPmin = 0.0, splitPmax = 0.0, splitT = 0.0, splitP = 0.0;
    std::string splitInto;
    double refusedT = 0.0, refusedV = 0.0;
    std::string refusal, withheldWhy;
    FrostPoint frost;
    double solidT = 0.0, solidP = 0.0;
    double departure = 0.0, departureT = 0.0, departureP = 0.0;
    // What the model says of its untraced interaction parameters, said once.
    bool untracedSaid = false;
};

namespace {

// The first refusal said among `said` (the whole of it, its line end with
// it), or the first sentence said.
std::string firstRefusal(const std::vector<platform::ThreadLogCapture::Entry>& said) {
    for (const auto& e : said)
        if (e.channel == platform::ThreadLogCapture::Channel::Failure) return e.text;
    return said.empty() ? std::string("(no reason said)\n") : said.front().text;
}

}  // namespace

bool StateReport::mixtureSplitsAt(double T_, double P_bar, bool name, CurveTally& t) {
    if (!(m_.component_count == 2 && m_.x[0] > 0.0 && m_.x[1] > 0.0)) return false;
    m_.admitUntracedInteraction(false);
    ReportedState s;
    if (!reportedStateFromTP(T_, P_bar, s)) return false;
    const MixtureVerdict verdict = mixtureVerdictAt(T_, P_bar, s, name);
    if (verdict.splits && name) {
        t.splitT = T_;
        t.splitP = P_bar;
        t.splitInto = verdict.split.value_or(std::string());
    }
    return verdict.splits;
}

bool StateReport::curveRowState(double T_, double P_bar, double V_, CurveTally& t) {
    if (!t.validity.holds(T_, P_bar)) {
        ++t.outside;
        return false;
    }
    // The model's note on interaction parameters it could not trace to
    // their source, said once for the curve where it gives the state with
    // them (a refusal is counted with the others).
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
    // A solid deposits where a component's fugacity in the fluid passes the
    // pure solid's (as the printed state's "Phase:" line says): the row is
    // no single fluid phase.  (The test leaves the model at a trial; the
    // state is found after it.  It runs as the printer's does, without the
    // untraced parameters.)
    FrostPoint frost;
    if (rules_.solidsProbedByFugacity()) {
        m_.admitUntracedInteraction(false);
        frost = frostPointAt(T_, P_bar, false);
    }
    // A binary's row where the mixture splits (as the state printed at its
    // temperature and pressure says) is the single fluid inside the
    // two-phase region, a state the fluid does not take.
    const bool splits = !(frost.solid && !frost.uncertain) && mixtureSplitsAt(T_, P_bar, t.split == 0, t);
    StateNotes notes;
    const bool given = reportedStateFromTV(T_, V_, &notes);
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
    if (frost.solid && !frost.uncertain) {
        if (t.solid++ == 0) {
            t.frost = frost;
            t.solidT = T_;
            t.solidP = P_bar;
        }
        return false;
    }
    if (splits) {
        t.splitPmin = t.split == 0 ? P_bar : std::min(t.splitPmin, P_bar);
        t.splitPmax = t.split++ == 0 ? P_bar : std::max(t.splitPmax, P_bar);
        return false;
    }
    if (!notes.withheld.empty() && t.withheld++ == 0) t.withheldWhy = notes.withheld;
    if (std::isfinite(notes.departure)) {
        if (t.offReference++ == 0 || std::fabs(notes.departure) > std::fabs(t.departure)) {
            t.departure = notes.departure;
            t.departureT = T_;
            t.departureP = P_bar;
        }
    }
    return true;
}

void StateReport::sayCurveTally(const CurveTally& t) const {
    const char* model = m_.modelName();
    if (t.outside > 0)
        platform::warnf("The model %s holds %s: %ld states of the curve lie outside it and are written as nan.\n", model,
                        t.validity.describe().c_str(), t.outside);
    if (t.refused > 0)
        platform::warnf("The model %s: %ld states of the curve are refused at their temperature and volume, as the "
                        "state printed there (TV) is, and are written as nan; the first, at %g K and %g cm3/mol: %s",
                        model, t.refused, t.refusedT, t.refusedV * 1e6, t.refusal.c_str());
    if (t.solid > 0) {
        const ReferenceFluid* row = referenceFluid(t.frost.component);
        platform::warnf("The model %s: at %ld states of the curve %s deposits (the fugacity of %s in the fluid "
                        "exceeds that of %s, from %s; the first at %g K and %g bar, %.4g against %.4g bar): they are "
                        "no single fluid phase and are written as nan.\n",
                        model, t.solid, t.frost.solid, t.frost.component, t.frost.solid,
                        (row ? row->solid : SolidLines{}).sublimationSource, t.solidT, t.solidP, t.frost.f,
                        t.frost.fSolid);
    }
    if (t.split > 0) {
        const std::string into = t.splitInto.empty() ? std::string() : " into " + t.splitInto;
        platform::warnf("The model %s: at %ld states of the curve, from %g to %g bar, the mixture splits into two "
                        "phases (as the state printed at their temperature and pressure (TP) says; the first at %g K "
                        "and %g bar%s): they are no single fluid phase and are written as nan.\n",
                        model, t.split, t.splitPmin, t.splitPmax, t.splitT, t.splitP, into.c_str());
    }
    if (t.withheld > 0)
        platform::warnf("The model %s: %ld states of the curve have their cv and cp written as nan, as the state "
                        "printed there (TV) withholds them; the first: %s",
                        model, t.withheld, t.withheldWhy.c_str());
    if (t.offReference > 0) {
        const char* fluid = rules_.solventFluid();
        const bool mixture = m_.component_count > 1 && !rules_.atPureComposition();
        platform::warnf("The model %s: %ld states of the curve lie more than %g %% from the density of %s by its "
                        "reference equation%s, the furthest %+.3g %% at %g K and %g bar; they are written as the "
                        "model gives them.\n",
                        model, t.offReference, 100.0 * rules_.solventDensityAccuracy(), fluid ? fluid : "its fluid",
                        mixture ? " (the mixture's at its corresponding state)" : "", 100.0 * t.departure,
                        t.departureT, t.departureP);
    }
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
    // The curve is walked with the model's untraced interaction parameters
    // admitted: each row is held to them as the state printed there is.
    m_.admitUntracedInteraction(true);
    holdPressureRoots(&m_);
    curve();
    holdPressureRoots(nullptr);
    m_.admitUntracedInteraction(false);
    m_.curveRowLimits = FluidPhase::CurveRowLimits{};
    extrapolationSaid_ = extrapolationSaid;
    lowExtrapolationSaid_ = lowExtrapolationSaid;
    sayCurveTally(tally);
}
