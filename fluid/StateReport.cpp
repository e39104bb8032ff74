// The states the command interpreter prints, held against the model's range
// of validity and against what a fluid can be: a state outside the range is
// refused, a phase or a saturation point the model gets wrong and a heat
// capacity or sound speed no fluid has are withheld.  Each refusal or
// withholding is said once on the log, naming the model.
#include "fluid/StateReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "fluid/BinaryCriticalCurves.h"
#include "fluid/KeptFields.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"

namespace {

// The phase name of a one-phase binary by corresponding states: a
// supercritical fluid at or above its pseudo-critical temperature, the mole
// fractions' mean of the components' critical temperatures (Kay 1936, Ind.
// Eng. Chem. 28, 1014); below it a liquid where denser than the mean of the
// components' geometric means of their saturated liquid and vapour volumes
// at the same reduced temperature.  A pure component is its own limit (its
// critical temperature, its own saturated volumes at T); the name moves
// smoothly with x, alike in either order and on either side of equal shares.
int pseudoCriticalPhase(const FluidPhase& m, double T_, double V_) {
    double Tpc = 0.0, share = 0.0;
    for (int i = 0; i < m.component_count; ++i) {
        const double Tc = ancillaryCriticalTemperature(m.component_names[i].c_str());
        if (!(Tc > 0.0)) return FluidPhase::kPhaseNone;
        Tpc += m.x[i] * Tc;
        share += m.x[i];
    }
    Tpc /= share;
    if (!(T_ < Tpc)) return FluidPhase::kPhaseSupercritical;
    double Vb = 0.0;
    for (int i = 0; i < m.component_count; ++i) {
        if (!(m.x[i] > 0.0)) continue;
        const char* name = m.component_names[i].c_str();
        const double Ti = T_ / Tpc * ancillaryCriticalTemperature(name);
        const double Vi = std::sqrt(ancillarySaturatedLiquidVolume(name, Ti) * ancillarySaturatedVapourVolume(name, Ti));
        if (!(Vi > 0.0)) return FluidPhase::kPhaseNone;
        Vb += m.x[i] / share * Vi;
    }
    return V_ < Vb ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour;
}

// No fluid carries sound faster than this below 10 GPa (water near 4 km/s
// at 2 GPa).
constexpr double kMaxSoundSpeed = 1e4;  // m/s
// No fluid's cv lies below the 3R/2 of its molecules' translation: in the
// canonical ensemble Cv = <(E - <E>)^2>/(k T^2), and the kinetic energy of
// translation, independent of the positions, contributes 3R/2 per mole while
// the rotations and the configurational energy's variance add what is never
// negative (e.g. McQuarrie, Statistical Mechanics, 1976, ch. 3 and 7).
constexpr double kTranslationalCv = 1.5 * FluidPhase::R;  // J/(mol K)

// The model's untraced interaction parameters admitted for one state the
// rule has judged (FluidPhase::untracedInteractionHolds).
class UntracedInteractionAdmitted {
public:
    explicit UntracedInteractionAdmitted(FluidPhase& m) : m_(m) { m_.admitUntracedInteraction(true); }
    ~UntracedInteractionAdmitted() { m_.admitUntracedInteraction(false); }
    UntracedInteractionAdmitted(const UntracedInteractionAdmitted&) = delete;
    UntracedInteractionAdmitted& operator=(const UntracedInteractionAdmitted&) = delete;

private:
    FluidPhase& m_;
};

// What a rule says, kept to be said once the state it concerns is given.
template <class Rule>
std::vector<platform::ThreadLogCapture::Entry> saidBy(Rule rule) {
    platform::ThreadLogCapture kept;
    rule();
    return kept.take();
}

// Says what saidBy kept: into the caller's capture where there is one.
void sayKept(const std::vector<platform::ThreadLogCapture::Entry>& said) {
    if (platform::ThreadLogCapture* outer = platform::ThreadLogCapture::current()) {
        for (const auto& e : said) outer->append(e.channel, e.text);
        return;
    }
    platform::ThreadLogCapture::replay(said);
}

}  // namespace

void StateReport::toSolventEnd() {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!rules_.binaryShares(solvent, solute, xs)) return;
    std::vector<double> w(m_.x.size(), 0.0);
    w[static_cast<std::size_t>(solvent)] = 1.0;
    m_.composition(w.data());
}

double StateReport::soluteHenryConstant(int solvent, int solute, double T_, double psat_bar, bool& published) {
    published = false;
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(solute)].c_str();
    if (rules_.lookups().henryOf) {
        const double H = rules_.lookups().henryOf(a, b, T_);
        if (H > 0.0 && std::isfinite(H)) {
            published = true;
            return H * 1e-5;
        }
    }
    // The model's own: f/x of the solute at infinite dilution in the
    // solvent's liquid at its vapour pressure, phi P.
    const KeptFieldsAndComposition kept(m_);
    std::vector<double> w(m_.x.size(), 0.0);
    w[static_cast<std::size_t>(solvent)] = 1.0 - 1e-10;
    w[static_cast<std::size_t>(solute)] = 1e-10;
    const platform::ThreadLogCapture quiet;  // no liquid root: no constant, said by the caller's rule
    m_.composition(w.data());
    double V_ = 0.0, G_ = 0.0;
    if (m_.pressureRootFromTP(2, T_, psat_bar, V_, G_) && static_cast<std::size_t>(solute) < m_.fugcoef.size() &&
        m_.fugcoef[static_cast<std::size_t>(solute)] > 0.0 &&
        std::isfinite(m_.fugcoef[static_cast<std::size_t>(solute)]))
        return m_.fugcoef[static_cast<std::size_t>(solute)] * psat_bar;
    return std::nan("");
}

StateReport::DiluteSplit StateReport::dilutePhaseAt(double T_) {
    return rules_.diluteSplitFrom(T_, [&](int solvent, int solute, double psat_bar, bool& published) {
        return soluteHenryConstant(solvent, solute, T_, psat_bar, published);
    });
}

bool StateReport::refuseOutsideRange(double T_, double P_bar, bool pressureGiven) {
    const ValidityRange validity = rules_.printedStateRange();
    char computed[32];
    std::snprintf(computed, sizeof computed, "%.6g", P_bar);
    const std::string pText = pressureGiven ? givenDigits(P_bar) : std::string(computed);
    if (!validity.holds(T_, P_bar)) {
        platform::diagf("The model %s holds %s: the state at %s K and %s bar lies outside it.\n", m_.modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str(), pText.c_str());
        m_.errorflag = 1;
        return false;
    }
    // Beyond the source's pressures or temperatures: said once each.
    auto sayExtrapolated = [&](bool& said, const char* where, const char* source) {
        said = true;
        platform::warnf("The model %s is extrapolated %s (%s): the state at %s K and %s bar, and the others %s it, "
                        "lie beyond its source.\n",
                        m_.modelName(), where, source ? source : validity.source, givenDigits(T_).c_str(),
                        pText.c_str(), where[0] == 'a' ? "above" : "below");
    };
    char where[48];
    if (P_bar > validity.extrapolatedAbove && !extrapolationSaid_) {
        std::snprintf(where, sizeof where, "above %g bar", validity.extrapolatedAbove);
        sayExtrapolated(extrapolationSaid_, where, validity.extrapolationSource);
    }
    if (T_ < validity.extrapolatedBelow && !lowExtrapolationSaid_) {
        std::snprintf(where, sizeof where, "below %g K", validity.extrapolatedBelow);
        sayExtrapolated(lowExtrapolationSaid_, where, validity.lowExtrapolationSource);
    }
    // A binary of a vapour-only solvent: refused where it is the solvent's
    // liquid, at every composition alike (admitsVapourOnlyPressure).
    const bool binaryOfVapourOnly = binaryOfVapourOnlySolvent(T_);
    if (binaryOfVapourOnly && !admitsVapourOnlyPressure(T_, P_bar, pText)) return false;
    if (!binaryOfVapourOnly && T_ < validity.vapourOnlyBelow && !validity.liquidVolume) {
        // A liquid appears at the vapour pressure.
        const char* fluid = rules_.solventFluid();
        const double psat = ancillaryVapourPressure(fluid, T_) * 1e-5;
        if (!(P_bar < psat)) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "%.4g bar", psat);
            platform::diagf(
                "The model %s holds %s: at %s K it describes the vapour only, below the vapour pressure %s, not at "
                "%s bar.\n",
                m_.modelName(), validity.describe().c_str(), givenDigits(T_).c_str(),
                std::isfinite(psat) ? buf : "(unknown for this fluid)", pText.c_str());
            m_.errorflag = 1;
            return false;
        }
    }
    // Beyond its melting curve (or, below its triple point, above its
    // sublimation curve) a fluid is solid.  A model fitted below the triple
    // point gives the supercooled liquid, said to be metastable.
    const SolidField solid = rules_.solidOfPrintedState(T_, P_bar);
    if (solid.solid && !(solid.supercooledLiquid && rules_.describesSupercooledLiquid())) {
        platform::diagf("At %s K and %s bar %s is %s, not a fluid: the model %s gives no state there.\n",
                        givenDigits(T_).c_str(), pText.c_str(), rules_.phaseRuleFluid(), solid.solid,
                        m_.modelName());
        m_.errorflag = 1;
        return false;
    }
    return true;
}

bool StateReport::refuseOrNameSupercooled(double T_, double P_bar, bool liquid, const char** solidName) {
    *solidName = nullptr;
    const SolidField solid = rules_.solidOfPrintedState(T_, P_bar);
    if (!solid.solid) return true;
    // refuseOutsideRange let it through: a model of the supercooled liquid.
    if (liquid) {
        *solidName = solid.solid;
        return true;
    }
    platform::diagf("At %g K and %g bar %s is %s: the model %s gives a vapour above the sublimation pressure, "
                    "which is withheld.\n",
                    T_, P_bar, rules_.phaseRuleFluid(), solid.solid, m_.modelName());
    m_.errorflag = 1;
    return false;
}

bool StateReport::keepRootOfFluidsPhase(double T_, double P_bar, bool liquid, ReportedState& s) {
    // Below its vapour-only limit the phase is the fluid's, from its vapour
    // pressure (a mixture's, from its dew and bubble pressures): a vapour
    // below it, and, where the model describes the liquid's volume, a
    // liquid above it.  The state given is the model's root of that phase,
    // whatever the model's own saturation prefers (DMW's water boils 12 %
    // above IAPWS-95's vapour pressure at 450 K and 4 % below it at 600 K).
    const char* fluid = rules_.solventFluid();
    const double Vl = ancillarySaturatedLiquidVolume(fluid, T_), Vv = ancillarySaturatedVapourVolume(fluid, T_);
    if (!(Vl > 0.0) || !(Vv > Vl)) return true;
    const double Vmid = std::sqrt(Vl * Vv);
    auto ofPhase = [&](double V_) { return V_ > 0.0 && (liquid ? V_ < Vmid : V_ > Vmid); };
    if (ofPhase(m_.V)) return true;
    const double Vmodel = m_.V;
    double Vroot = 0.0;
    if (s.otherPhase != FluidPhase::kPhaseNone && ofPhase(s.otherV)) {
        Vroot = s.otherV;
    } else {
        double G_ = 0.0;
        const platform::ThreadLogCapture quiet;  // no such root is the refusal below
        if (!m_.pressureRootFromTP(liquid ? 2 : 1, T_, P_bar, Vroot, G_) || !ofPhase(Vroot)) Vroot = 0.0;
    }
    if (Vroot > 0.0) {
        m_.setStateFromTPV(T_, P_bar, Vroot);
        if (m_.errorflag == 0 && m_.stateIsFinite() && m_.dPdV < 0.0) {
            s.phase = liquid ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour;
            s.otherPhase = liquid ? FluidPhase::kPhaseVapour : FluidPhase::kPhaseLiquid;
            s.otherV = Vmodel;
            s.metastable = true;
            s.vapourOnlyRoot = true;
            return true;
        }
    }
    platform::diagf(
        "The model %s describes %s below %g K as %s; at %g K and %g bar, %s the vapour pressure %.4g bar, it has no "
        "%s root (its root is a %s of %.4g kg/m3): the state is refused.\n",
        m_.modelName(), fluid, std::max(rules_.stateRange().vapourOnlyBelow, rules_.solventVapourOnlyBelow()),
        liquid ? "a vapour and a liquid of its volume only" : "a vapour only", T_, P_bar, liquid ? "above" : "below",
        ancillaryVapourPressure(fluid, T_) * 1e-5, liquid ? "liquid" : "vapour", liquid ? "vapour" : "liquid",
        m_.bulk_molar_weight / Vmodel);
    m_.errorflag = 1;
    return false;
}

bool StateReport::refuseInCriticalBand(double T_, double P_bar, const FluidPhase::StableState& s) {
    // A pure fluid's model whose own critical temperature lies above the
    // fluid's splits the supercritical fluid between the two into a liquid
    // and a vapour: where it has both roots, the state is refused.  (The
    // states about the model's own critical point are refused before any
    // root is sought: refuseInModelCriticalBand.)
    // Two roots within 1 % of each other are the one fluid at the model's
    // critical point.  A binary beyond a trace is held to the rule at its
    // solvent's corresponding state (criticalScaling), which at a trace is
    // the state itself: the two tell the same two roots apart.
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (rules_.binaryShares(solvent, solute, xs) && xs > 1e-6) {
        // The searches of the rule evaluate the model elsewhere: the state's
        // own functions are evaluated again at its volume.
        const double Vstate = m_.V;
        if (!refuseCorrespondingSplit(T_, P_bar)) return false;
        m_.calculateFromTV(T_, Vstate, 0);
        return true;
    }
    if (!rules_.phaseRuleFluid() || s.otherPhase == FluidPhase::kPhaseNone || std::fabs(s.otherV / m_.V - 1.0) < 0.01)
        return true;
    const char* fluid = rules_.phaseRuleFluid();
    const double Tcf = ancillaryCriticalTemperature(fluid);
    if (!(T_ >= Tcf)) return true;
    // Both roots there: the model's critical temperature lies above T.
    double Tc = 0.0, Pc = 0.0;
    char own[48];
    std::snprintf(own, sizeof own, "above %g K", T_);
    if (m_.modelCriticalPoint(Tc, Pc) && T_ < Tc)
        std::snprintf(own, sizeof own, "at %.6g K", Tc);
    else if (m_.findTheCriticalPoint() && m_.T > T_)  // the state is refused: the model may be left there
        std::snprintf(own, sizeof own, "at %.6g K", m_.T);
    platform::diagf("The model %s puts the critical point of %s %s, above the fluid's %.6g K: between the two it "
                    "splits the supercritical fluid into a liquid and a vapour, and the state at %g K and %g bar, "
                    "where it has both, is refused.\n",
                    m_.modelName(), fluid, own, Tcf, T_, P_bar);
    m_.errorflag = 1;
    return false;
}

bool StateReport::refuseInModelCriticalBand(double T_, double P_bar) {
    // Between the fluid's critical temperature and the model's own, and
    // between the model's vapour pressure at the former and its critical
    // pressure, the model's states lie about a critical point the fluid
    // does not have (DMW's water: 653.756 K and 226.2 bar against IAPWS-95's
    // 647.096 K and 220.64 bar): there the fluid is one supercritical phase
    // whose density the model misses by up to a factor of two.  The edges
    // are the two critical points and the model's saturation curve: its
    // isobars from that vapour pressure to its critical pressure cross its
    // saturation curve between the two temperatures, where the fluid's are
    // smooth; above its critical pressure the model's isobars are smooth
    // too, and its states there (DMW's water at 650 K and 228 bar, +54.5 %
    // from IAPWS-95 on the fluid's pseudo-critical line) are given with
    // their departure said (noteOffReference), as are those above its
    // critical temperature.  A binary is held to its solvent's band at its
    // corresponding state, which for a pure fluid and a trace is the state
    // itself.
    const char* fluid = rules_.solventFluid();
    double tScale = 1.0, pScale = 1.0, Tcx = 0.0, Pcx = 0.0, Tc0 = 0.0, Pc0 = 0.0, Plo = 0.0, Phi = 0.0;
    if (!fluid || !splitBandPressures(T_, Plo, Phi, Tc0, Pc0) || P_bar < Plo || P_bar > Phi) return true;
    criticalScaling(tScale, pScale, &Tcx, &Pcx);
    const double Tcf = ancillaryCriticalTemperature(fluid);
    Plo *= pScale;
    platform::diagf("The model %s puts the critical point of %s at %.6g K and %.5g bar, above the fluid's at %.6g K "
                    "and %.5g bar: from %.6g to %.6g K and from %.5g bar (its vapour pressure at %.6g K) to %.5g bar "
                    "its states lie about a critical point the fluid does not have, where the fluid is one "
                    "supercritical phase: %s.\n",
                    m_.modelName(), fluid, Tc0, Pc0, Tcf, ancillaryCriticalPressure(fluid) * 1e-5, Tcf, Tc0, Plo, Tcf,
                    Pc0, rules_.correspondenceText(T_, P_bar, Tcx, Pcx, tScale, pScale).c_str());
    m_.errorflag = 1;
    return false;
}

bool StateReport::refuseCorrespondingSplit(double T_, double P_bar) {
    const char* fluid = rules_.solventFluid();
    double tScale = 1.0, pScale = 1.0, Tcx = 0.0, Pcx = 0.0, Tc0 = 0.0, Pc0 = 0.0;
    if (!fluid || !criticalScaling(tScale, pScale, &Tcx, &Pcx) || !solventCriticalPoint(Tc0, Pc0)) return true;
    const double Ts = T_ * tScale, Ps = P_bar * pScale, Tcf = ancillaryCriticalTemperature(fluid);
    if (!(Ts >= Tcf) || !(Ts < Tc0)) return true;
    bool both = false;
    {
        const KeptFieldsAndComposition keptState(m_);
        const platform::ThreadLogCapture quiet;  // no state there: nothing to refuse
        toSolventEnd();
        m_.errorflag = 0;
        const FluidPhase::StableState st = m_.calculateStableStateFromTP(Ts, Ps, true);
        both = st.phase != FluidPhase::kPhaseNone && !m_.errorflag && st.otherPhase != FluidPhase::kPhaseNone &&
               !(std::fabs(st.otherV / m_.V - 1.0) < 0.01);
    }
    if (!both) return true;
    platform::diagf("The model %s puts the critical point of %s at %.6g K, above the fluid's %.6g K: between the two "
                    "it splits the supercritical fluid into a liquid and a vapour, and it has both at %g K and %g "
                    "bar: %s.\n",
                    m_.modelName(), fluid, Tc0, Tcf, Ts, Ps,
                    rules_.correspondenceText(T_, P_bar, Tcx, Pcx, tScale, pScale).c_str());
    m_.errorflag = 1;
    return false;
}

bool StateReport::criticalScaling(double& tScale, double& pScale, double* Tcx, double* Pcx_bar) {
    tScale = pScale = 1.0;
    double Tc0 = 0.0, Pc0 = 0.0;
    if (!solventCriticalPoint(Tc0, Pc0)) return false;
    if (Tcx) *Tcx = Tc0;
    if (Pcx_bar) *Pcx_bar = Pc0;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    // Below a millionth the critical point moves by less than 1e-4 K.
    if (m_.component_count == 1 || !rules_.binaryShares(solvent, solute, xs) || !(xs > 1e-6)) return true;
    const MixtureCritical* k = mixtureCriticalPoint();
    if (!k || !k->found) return false;
    tScale = Tc0 / k->Tc;
    pScale = Pc0 / k->Pc;
    if (Tcx) *Tcx = k->Tc;
    if (Pcx_bar) *Pcx_bar = k->Pc;
    return true;
}

const StateReport::MixtureCritical* StateReport::mixtureCriticalPoint() {
    std::vector<MixtureCritical>& kept = keptMixtureCritical_;
    if (keptMixtureRevision_ != m_.parameterRevision() || keptMixtureSolvent_ != keptSolventCritical_.fluid) {
        kept.clear();
        keptMixtureRevision_ = m_.parameterRevision();
        keptMixtureSolvent_ = keptSolventCritical_.fluid;
    }
    const int solvent = rules_.binaryMajorComponent();
    const double share = m_.x[1 - solvent] / (m_.x[0] + m_.x[1]);  // the solute's
    for (const MixtureCritical& k : kept)
        if (k.x1 == share) return &k;
    // Continued from the nearest share found (the solvent's own point at
    // first) in steps of at most 0.005: the point moves smoothly with the
    // composition.
    double from = 0.0, Ts = keptSolventCritical_.Tcm, Vs = keptSolventCritical_.Vcm;
    for (const MixtureCritical& k : kept)
        if (k.found && std::fabs(k.x1 - share) < std::fabs(from - share)) from = k.x1, Ts = k.Tc, Vs = k.Vc;
    MixtureCritical found{share, false, 0.0, 0.0, 0.0};
    {
        const KeptFieldsAndComposition keptState(m_);
        const platform::ThreadLogCapture quiet;  // none found: no correspondence
        const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(share - from) / 0.005)));
        bool on = std::isfinite(Ts) && Ts > 0.0 && std::isfinite(Vs) && Vs > 0.0;
        for (int k = 1; k <= steps && on; ++k) {
            const double xk = from + (share - from) * k / steps;
            std::vector<double> w(m_.x.size(), 0.0);
            w[static_cast<std::size_t>(solvent)] = 1.0 - xk;
            w[static_cast<std::size_t>(1 - solvent)] = xk;
            m_.composition(w.data());
            on = m_.criticalConditionsFrom(Ts, Vs, false) && m_.P * m_.V < m_.R * m_.T;  // Zc below the ideal gas's 1
            Ts = m_.T, Vs = m_.V;
        }
        if (on) found = MixtureCritical{share, true, m_.T, m_.P * 1e-5, m_.V};
    }
    if (kept.size() >= 512) kept.erase(kept.begin());
    kept.push_back(found);
    return &kept.back();
}

bool StateReport::splitBandPressures(double T_, double& Plo_bar, double& Phi_bar, double& Tcm, double& Pcm_bar) {
    // A mixture's band is its solvent's at the corresponding states.  A
    // pure fluid and a trace are held to it where the model's accuracy
    // against the fluid's reference equation is declared (DMW's water and
    // CO2, whose critical points lie 6.7 and 5.7 K above the fluids'); any
    // other pure model to its two roots alone (refuseInCriticalBand).
    const char* fluid = rules_.solventFluid();
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const bool beyondTrace = rules_.binaryShares(solvent, solute, xs) && xs > 1e-6;
    double tScale = 1.0, pScale = 1.0;
    if (!fluid || (!beyondTrace && !(rules_.solventDensityAccuracy() > 0.0)) || !criticalScaling(tScale, pScale) ||
        !solventCriticalPoint(Tcm, Pcm_bar))
        return false;
    const double Ts = T_ * tScale, Plo = keptSolventCritical_.PsatAtFluidTc;
    if (!(Ts >= ancillaryCriticalTemperature(fluid) && Ts < Tcm) || !(Plo > 0.0 && Plo < Pcm_bar)) return false;
    Plo_bar = Plo / pScale;
    Phi_bar = Pcm_bar / pScale;
    return true;
}

bool StateReport::solventCriticalPoint(double& Tcm, double& Pcm_bar) {
    const char* fluid = rules_.solventFluid();
    if (!fluid) return false;
    KeptSolventCritical& kept = keptSolventCritical_;
    if (!kept.searched || kept.fluid != fluid || kept.revision != m_.parameterRevision()) {
        const KeptFieldsAndComposition keptState(m_);
        const platform::ThreadLogCapture quiet;  // none found: none kept
        toSolventEnd();
        double Tc = 0.0, Pc = 0.0, Vc = 0.0;
        m_.errorflag = 0;
        bool found = m_.modelCriticalPoint(Tc, Pc, &Vc);
        if (!found && m_.findTheCriticalPoint()) {  // a family model without a stored start
            found = true;
            Tc = m_.T;
            Pc = m_.P;
            Vc = m_.V;
        }
        double psat = std::nan("");
        const double Tcf = ancillaryCriticalTemperature(fluid);
        m_.errorflag = 0;
        if (found && Tcf < Tc && m_.calculateTheSaturationPressure(Tcf, false) == 0 && std::isfinite(m_.P) &&
            m_.P > 0.0)
            psat = m_.P * 1e-5;
        kept = KeptSolventCritical{true, found, fluid, m_.parameterRevision(), Tc, Pc * 1e-5, Vc, psat};
    }
    Tcm = kept.Tcm;
    Pcm_bar = kept.Pcm;
    return kept.found;
}

double StateReport::noteOffReference(double T_, double P_bar) {
    const char* fluid = rules_.solventFluid();
    const double accuracy = rules_.solventDensityAccuracy();
    double tScale = 1.0, pScale = 1.0, Tcx = 0.0, Pcx = 0.0;
    if (!fluid || !rules_.lookups().referenceVolumeOf || !(accuracy > 0.0) ||
        !criticalScaling(tScale, pScale, &Tcx, &Pcx))
        return std::nan("");
    // A mixture is judged by its solvent at the corresponding state.
    // Below the fluid's critical temperature, the liquid of a model that
    // describes its volume there (ValidityRange::liquidVolume), at or above
    // the fluid's vapour pressure: its liquid root, the state given.
    const double Ts = T_ * tScale, Ps = P_bar * pScale;
    const bool liquidBelowTc = Ts < ancillaryCriticalTemperature(fluid);
    if (liquidBelowTc && !(rules_.solventLiquidVolume() && !(Ps < ancillaryVapourPressure(fluid, Ts) * 1e-5)))
        return std::nan("");
    double M = 0.0;
    // The solvent's state: NaN where the model has none (the search of the
    // state itself says so).
    auto solventVolume = [&] {
        const KeptFieldsAndComposition keptState(m_);
        const platform::ThreadLogCapture quiet;
        toSolventEnd();
        m_.calculateBulkMolarWeight();
        M = m_.bulk_molar_weight;
        m_.errorflag = 0;
        double V_ = 0.0, G_ = 0.0;
        if (liquidBelowTc) return m_.pressureRootFromTP(2, Ts, Ps, V_, G_) && V_ > 0.0 ? V_ : std::nan("");
        if (m_.calculateStableStateFromTP(Ts, Ps).phase == FluidPhase::kPhaseNone || m_.errorflag || !(m_.V > 0.0))
            return std::nan("");
        return m_.V;
    };
    const double Vm = solventVolume();
    m_.calculateBulkMolarWeight();  // of the composition given
    if (!std::isfinite(Vm)) return std::nan("");
    // The model's departure from the reference is a property of the state
    // the model gives, not a reason to refuse it: a refusal at a fixed
    // percentage would cut islands out of the broad region where DMW's
    // water lies 2.0-2.3 % off IAPWS-95 (715-782 K, 320-580 bar).  It is
    // said, as a number, wherever it exceeds the accuracy the model keeps
    // elsewhere.
    const double Vref = rules_.lookups().referenceVolumeOf(fluid, Ts, Ps);
    const double departure = Vref / Vm - 1.0;  // of the density
    if (!(std::fabs(departure) > accuracy)) return std::nan("");
    double Tcm = 0.0, Pcm = 0.0;
    char own[64] = "above it";
    if (solventCriticalPoint(Tcm, Pcm)) std::snprintf(own, sizeof own, "at %.6g K and %.5g bar", Tcm, Pcm);
    platform::warnf("The model %s gives %s a density of %.4g kg/m3 at %g K and %g bar, %+.3g %% from the fluid's "
                    "%.4g kg/m3 (its reference equation; beyond the model's %g %%; the model's critical point lies "
                    "%s, the fluid's at %.6g K and %.5g bar): %s.\n",
                    m_.modelName(), fluid, M / Vm, Ts, Ps, 100.0 * departure, M / Vref, 100.0 * accuracy, own,
                    ancillaryCriticalTemperature(fluid), ancillaryCriticalPressure(fluid) * 1e-5,
                    rules_.correspondenceText(T_, P_bar, Tcx, Pcx, tScale, pScale, false).c_str());
    return departure;
}

StateReport::DiluteVerdict StateReport::judgeDiluteState(double T_, double P_bar, const DiluteSplit& d) {
    const char* name = rules_.solventFluid();
    const double Vl = ancillarySaturatedLiquidVolume(name, T_), Vv = ancillarySaturatedVapourVolume(name, T_);
    if (!d.known || !(Vl > 0.0) || !(Vv > Vl)) return DiluteVerdict::kOnePhase;
    // Above a published critical curve the solvent's liquid and vapour are one fluid.
    if (criticalcurve::oneFluidAboveCriticalCurve(m_.component_names[0].c_str(), m_.component_names[1].c_str(), T_,
                                                  P_bar))
        return DiluteVerdict::kOnePhase;
    const bool liquidState = m_.V < std::sqrt(Vl * Vv);
    const DiluteVerdict v = d.judge(liquidState, P_bar);
    if (v != DiluteVerdict::kWrong) return v;
    // Its solid stable, the single fluid is given with the solid's verdict.
    if (rules_.solidBeyondSublimation(T_, P_bar)) return DiluteVerdict::kOnePhase;
    // A heavy solute beyond its published solubility: the mixture splits
    // off the solute's liquid, whatever the solvent's own dew and bubble
    // pressures say; the state is the single fluid.
    if (rules_.publishedSolubility(T_, P_bar) == DiluteVerdict::kSplits) return DiluteVerdict::kSplits;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    rules_.binarySolvent(solvent, solute, xs);
    const char* gas = m_.component_names[static_cast<std::size_t>(solute)].c_str();
    // Beyond the uncertainty of the dew (bubble) pressure the mixture is the
    // other phase alone; within it, it splits or is that phase.
    const char* is = liquidState ? (P_bar < d.dewLow ? "is a vapour"
                                                     : "splits into a liquid and a vapour or is a vapour (near its dew "
                                                       "pressure its phase is uncertain)")
                                 : (P_bar > d.bubbleHigh ? "is a liquid"
                                                         : "splits into a liquid and a vapour or is a liquid (near its "
                                                           "bubble pressure its phase is uncertain)");
    char henry[96];
    if (d.H > 0.0)
        std::snprintf(henry, sizeof henry, "%s Henry constant of %s, %.4g bar",
                      d.published ? "the published" : "the model's", gas, d.H);
    else
        std::snprintf(henry, sizeof henry, "no Henry constant of %s", gas);
    platform::diagf(
        "The model %s gives a %s of %.4g kg/m3 at %g K and %g bar, where the mixture of %.3g %s in %s %s "
        "(its dew and bubble pressures %.5g and %.5g bar, from the vapour pressure %.5g bar of %s and %s): "
        "the state is withheld.\n",
        m_.modelName(), liquidState ? "liquid" : "vapour", m_.bulk_molar_weight / m_.V, T_, P_bar, xs, gas, name, is,
        d.dew, d.bubble, d.psat, name, henry);
    m_.errorflag = 1;
    return v;
}

bool StateReport::phaseAgreesWithFluid(double T_, double P_bar) {
    // A pure fluid with published saturation ancillaries, below its critical
    // temperature: the state is a liquid when denser than the geometric mean
    // of the saturated liquid and vapour, and the fluid is a liquid above its
    // vapour pressure.
    const char* name = rules_.phaseRuleFluid();
    if (rules_.solidBeyondSublimation(T_, P_bar)) return true;
    const double psat = ancillaryVapourPressure(name, T_) * 1e-5;
    const double Vl = ancillarySaturatedLiquidVolume(name, T_), Vv = ancillarySaturatedVapourVolume(name, T_);
    if (!std::isfinite(psat) || !(Vl > 0.0) || !(Vv > Vl)) return true;
    const bool liquidState = m_.V < std::sqrt(Vl * Vv);
    const bool wrong = liquidState ? P_bar < psat * (1.0 - PhaseRules::kPhaseTolerance)
                                   : P_bar > psat * (1.0 + PhaseRules::kPhaseTolerance);
    if (!wrong) return true;
    platform::diagf(
        "The model %s gives a %s of %.4g kg/m3 at %g K and %g bar, where %s is a %s (vapour pressure %.4g bar): the "
        "state is withheld.\n",
        m_.modelName(), liquidState ? "liquid" : "vapour", m_.bulk_molar_weight / m_.V, T_, P_bar, name,
        liquidState ? "vapour" : "liquid", psat);
    m_.errorflag = 1;
    return false;
}

bool StateReport::withholdUnphysicalQuantities(std::string* said) {
    if (m_.compressibilityDiverges()) return false;  // cp diverges at a critical point
    const double M = m_.bulk_molar_weight;
    std::string rule;
    // The model's liquid of a component it describes as a vapour only has
    // neither the fluid's heat capacities nor its fugacities (DMW's liquid
    // water at 274 K: 0.16 bar against IAPWS-95's 0.0065 bar, the Henry
    // constant of CO2 in it 23 times IAPWS G7-04's, still 2.2 times at 600 K).
    const bool modelsLiquid = rules_.liquidOfVapourOnlyComponent(rule);
    const bool diverges = !modelsLiquid && m_.mixingRuleDiverges(rule);
    auto withhold = [&](const char* text) {
        platform::warnf("%s", text);
        if (said) *said = text;
        for (double* q : {&m_.Cv, &m_.Cp, &m_.dHdTv, &m_.soundSpeed, &m_.jouleThomson}) *q = std::nan("");
        if (modelsLiquid) {
            std::fill(m_.fugacity.begin(), m_.fugacity.end(), std::nan(""));
            std::fill(m_.fugcoef.begin(), m_.fugcoef.end(), std::nan(""));
        }
        return true;
    };
    if (diverges || modelsLiquid) {
        char text[2048];
        std::snprintf(text, sizeof text,
                      "The model %s: %s at %g K and %g bar: cv, cp, the sound speed%s the Joule-Thomson coefficient%s "
                      "are withheld.\n",
                      m_.modelName(), rule.c_str(), m_.T, m_.P * 1e-5, modelsLiquid ? "," : " and",
                      modelsLiquid ? ", the fugacities and the fugacity coefficients" : "");
        return withhold(text);
    }
    const double c2 = (m_.d2AdV2 + m_.d2AdTdV * m_.dPdT / m_.d2AdT2) * m_.V * m_.V / M;
    char why[160] = "";
    if (std::isfinite(m_.Cv) && !(m_.Cv > 0.0))
        std::snprintf(why, sizeof why, "cv = %.4g J/(mol K)", m_.Cv);
    else if (std::isfinite(m_.Cv) && m_.Cv < kTranslationalCv)
        std::snprintf(why, sizeof why,
                      "cv = %.4g J/(mol K), below the %.4g J/(mol K) of its molecules' translation alone,", m_.Cv,
                      kTranslationalCv);
    else if (std::isfinite(m_.Cp) && !(m_.Cp > 0.0))
        std::snprintf(why, sizeof why, "cp = %.4g J/(mol K)", m_.Cp);
    else if (std::isfinite(m_.Cp) && std::isfinite(m_.Cv) && m_.Cp < m_.Cv)
        std::snprintf(why, sizeof why, "cp = %.4g below cv = %.4g J/(mol K)", m_.Cp, m_.Cv);
    else if (std::isfinite(c2) && c2 < 0.0)
        std::snprintf(why, sizeof why, "a negative squared sound speed (%.4g m2/s2)", c2);
    else if (std::isfinite(m_.soundSpeed) && m_.soundSpeed > kMaxSoundSpeed)
        std::snprintf(why, sizeof why, "a sound speed of %.4g m/s", m_.soundSpeed);
    if (why[0] == '\0') return false;
    char text[2048];
    std::snprintf(text, sizeof text,
                  "The model %s gives %s at %g K and %g bar, which no fluid has: cv, cp, the sound speed and the "
                  "Joule-Thomson coefficient are withheld.\n",
                  m_.modelName(), why, m_.T, m_.P * 1e-5);
    return withhold(text);
}

bool StateReport::reportedStateFromTP(double T_, double P_bar, ReportedState& s) {
    s = ReportedState();
    m_.calculateBulkMolarWeight();  // of the composition given last
    if (!refuseOutsideRange(T_, P_bar)) return false;
    bool rowHolds = true;
    auto offReference = saidBy([&] { rowHolds = m_.untracedInteractionHolds(T_, P_bar); });
    if (!rowHolds) {
        sayKept(offReference);
        return false;
    }
    const UntracedInteractionAdmitted admitted(m_);
    if (!refuseInModelCriticalBand(T_, P_bar)) return false;
    for (auto& said : saidBy([&] { noteOffReference(T_, P_bar); })) offReference.push_back(std::move(said));
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const bool binary = rules_.binarySolvent(solvent, solute, xs);
    const DiluteSplit d = dilutePhaseAt(T_);
    // Of the liquid and vapour roots, the one of lower Gibbs energy: a pure
    // fluid's stable root, and a mixture's (the root of the model's phase
    // kind alone may be a metastable one, or none: Anderko's brine models at
    // 620 K and 50 bar have no liquid root, and water is a vapour there).
    const int keep = m_.phase_kind;
    const long saidBefore = platform::diagnosticCount();
    static_cast<FluidPhase::StableState&>(s) =
        m_.calculateStableStateFromTP(T_, P_bar, true);  // the report names a metastable root
    m_.set_the_phase_as(keep);
    if (s.phase == FluidPhase::kPhaseNone) {
        // One refusal, one reason: where the model said why, that is it.
        if (platform::diagnosticCount() == saidBefore)
            platform::diagf("No state of the %s found at %g K and %g bar.\n",
                            m_.component_count == 1 || rules_.phaseRuleFluid() ? "fluid" : "mixture", T_, P_bar);
        return false;
    }
    if ((m_.component_count > 1 && m_.errorflag) || !m_.stateIsFinite()) {
        platform::diagf("The state at %g K and %g bar has no finite properties in this model.\n", T_, P_bar);
        return false;
    }
    s.dilute = d;
    // Below its dew pressure a mixture is a vapour: where its solvent is
    // described as a vapour only, the model's own saturation may prefer
    // its liquid (a dilute solution is held to its solvent's range).
    // (A heavy solute beyond its published solubility splits off its own
    // liquid at every pressure: the model's root is the single fluid's.)
    // Above its bubble pressure, where the model describes the solvent's
    // liquid volume, the mixture is that liquid.
    const bool heldToFluid = binary ? d.known && T_ < rules_.solventVapourOnlyBelow() &&
                                          rules_.publishedSolubility(T_, P_bar) != DiluteVerdict::kSplits
                                    : T_ < rules_.stateRange().vapourOnlyBelow;
    const bool fluidsLiquid = binary ? P_bar > d.bubble && rules_.solventLiquidVolume()
                                     : !(P_bar < ancillaryVapourPressure(rules_.solventFluid(), T_) * 1e-5);
    if (heldToFluid && (binary ? fluidsLiquid || P_bar < d.dew : true) &&
        !keepRootOfFluidsPhase(T_, P_bar, fluidsLiquid, s))
        return false;
    if (!refuseInCriticalBand(T_, P_bar, s)) return false;
    // Above the fluid's critical temperature the phase is named as the
    // fluid's, whatever the model's own critical point: a supercritical
    // fluid at any pressure (no compression condenses it, so it is no
    // vapour); a binary by its pseudo-critical point (pseudoCriticalPhase),
    // a pure fluid whose model cannot tell its root's phase by its volume
    // against the saturated ones.
    const char* fluid = rules_.solventFluid();
    const double Tcf = ancillaryCriticalTemperature(fluid);
    const int named = m_.component_count > 1 ? pseudoCriticalPhase(m_, T_, m_.V) : FluidPhase::kPhaseNone;
    if (named != FluidPhase::kPhaseNone)
        s.phase = named;
    else if (T_ >= Tcf &&
        (m_.component_count > 1 || s.phase == FluidPhase::kPhaseLiquid || s.phase == FluidPhase::kPhaseVapour))
        s.phase = FluidPhase::kPhaseSupercritical;
    else if (T_ < Tcf && (m_.component_count > 1 || s.phase == FluidPhase::kPhaseFluid))
        s.phase =
            m_.V < std::sqrt(ancillarySaturatedLiquidVolume(fluid, T_) * ancillarySaturatedVapourVolume(fluid, T_))
                ? FluidPhase::kPhaseLiquid
                : FluidPhase::kPhaseVapour;
    if (binary) {
        s.verdict = judgeDiluteState(T_, P_bar, d);
        if (s.verdict == DiluteVerdict::kWrong) return false;
    } else {
        if (!phaseAgreesWithFluid(T_, P_bar)) return false;
        s.verdict = d.judge(s.phase == FluidPhase::kPhaseLiquid || (T_ < ancillaryCriticalTemperature(fluid) &&
                                                          m_.V < std::sqrt(ancillarySaturatedLiquidVolume(fluid, T_) *
                                                                        ancillarySaturatedVapourVolume(fluid, T_))),
                            P_bar);
    }
    s.phaseUncertain = s.verdict == DiluteVerdict::kUncertain;
    const double Vl = ancillarySaturatedLiquidVolume(fluid, T_);
    const bool liquid = s.phase == FluidPhase::kPhaseLiquid || (Vl > 0.0 && m_.V < 2.0 * Vl);
    if (!refuseOrNameSupercooled(T_, P_bar, liquid, &s.supercooledUnder)) return false;
    sayKept(offReference);
    withholdUnphysicalQuantities();
    return true;
}

bool StateReport::reportedStateFromTV(double T_, double V_, StateNotes* notes) {
    m_.calculateBulkMolarWeight();
    const ValidityRange validity = rules_.printedStateRange();
    if (!validity.holdsTemperature(T_)) {
        platform::diagf("The model %s holds %s: the state at %s K and %g cm3/mol lies outside it.\n", m_.modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str(), V_ * 1e6);
        m_.errorflag = 1;
        return false;
    }
    const long saidBefore = platform::diagnosticCount();
    const UntracedInteractionAdmitted admitted(m_);
    m_.calculateFromTV(T_, V_, 0);
    if (m_.errorflag || m_.belowCoVolume() || !m_.stateIsFinite()) {
        // One refusal, one reason: where the model said why, that is it.
        if (platform::diagnosticCount() == saidBefore)
            platform::diagf("No state of the fluid at %g K and %g cm3/mol in this model.\n", T_, V_ * 1e6);
        return false;
    }
    const double P_bar = m_.P * 1e-5;
    // The rules of a state from T and P hold for the state of this volume;
    // they may leave the model elsewhere, and the state is evaluated again.
    if (!refuseOutsideRange(T_, P_bar, false) || !m_.untracedInteractionHolds(T_, P_bar) ||
        !refuseInModelCriticalBand(T_, P_bar))
        return false;
    double departure = std::nan("");
    const auto offReference = saidBy([&] { departure = noteOffReference(T_, P_bar); });
    const char* solventName = rules_.solventFluid();
    const double Vl = ancillarySaturatedLiquidVolume(solventName, T_),
                 Vv = ancillarySaturatedVapourVolume(solventName, T_);
    if (!binaryOfVapourOnlySolvent(T_) && T_ < validity.vapourOnlyBelow && !validity.liquidVolume && Vl > 0.0 &&
        Vv > Vl &&
        !(V_ > std::sqrt(Vl * Vv))) {
        platform::diagf("The model %s describes %s below %g K as a vapour only: the liquid of %g cm3/mol at %g K is "
                        "refused.\n",
                        m_.modelName(), solventName, validity.vapourOnlyBelow, V_ * 1e6, T_);
        m_.errorflag = 1;
        return false;
    }
    const char* fluid = rules_.phaseRuleFluid();
    double Tc = 0.0, Pc = 0.0;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (rules_.binaryShares(solvent, solute, xs) && xs > 1e-6) {
        if (!refuseCorrespondingSplit(T_, P_bar)) return false;
    } else if (fluid && T_ >= ancillaryCriticalTemperature(fluid) && (!m_.modelCriticalPoint(Tc, Pc) || T_ < Tc)) {
        const int keep = m_.phase_kind;
        const FluidPhase::StableState s = m_.calculateStableStateFromTP(T_, P_bar, true);
        m_.set_the_phase_as(keep);
        m_.calculateStateFunctionsFromTV(T_, V_);
        if (!refuseInCriticalBand(T_, P_bar, s)) return false;
    }
    if (rules_.binarySolvent(solvent, solute, xs)) {
        const DiluteSplit d = dilutePhaseAt(T_);
        m_.calculateStateFunctionsFromTV(T_, V_);
        if (judgeDiluteState(T_, P_bar, d) == DiluteVerdict::kWrong) return false;
    } else if (!phaseAgreesWithFluid(T_, P_bar)) {
        return false;
    }
    m_.calculateFromTV(T_, V_, 0);
    const char* solid = nullptr;
    if (!refuseOrNameSupercooled(T_, P_bar, Vl > 0.0 && V_ < 2.0 * Vl, &solid)) return false;
    sayKept(offReference);
    if (notes) *notes = StateNotes{departure, {}};
    withholdUnphysicalQuantities(notes ? &notes->withheld : nullptr);
    return true;
}

bool StateReport::saturationOfOnePressure(double T_) {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!rules_.binarySolvent(solvent, solute, xs)) return true;
    // A solute without a vapour pressure (a salt) stays in the liquid: the
    // solution has one.
    if (!std::isfinite(ancillaryCriticalTemperature(m_.component_names[static_cast<std::size_t>(solute)].c_str())))
        return true;
    const DiluteSplit d = dilutePhaseAt(T_);
    if (d.known && d.H > 0.0 && std::fabs(d.bubble / d.dew - 1.0) <= PhaseRules::kPhaseTolerance) return true;
    const char* name = rules_.solventFluid();
    char which[160] = "";
    if (d.known && d.H > 0.0)
        std::snprintf(which, sizeof which, " (from Raoult's and Henry's laws at %g K, %.5g and %.5g bar)", T_, d.dew,
                      d.bubble);
    platform::diagf("The mixture of %.3g %s in %s has a dew and a bubble pressure%s, not one saturation pressure: the "
                    "model %s gives none at %s K.\n",
                    xs, m_.component_names[static_cast<std::size_t>(solute)].c_str(), name, which, m_.modelName(),
                    givenDigits(T_).c_str());
    m_.errorflag = 1;
    return false;
}

short StateReport::reportedSaturationPressure(double T_) {
    // A saturation point holds a liquid: below the vapour-only limit there is none to give.
    const ValidityRange validity = rules_.stateRange();
    if (!validity.holdsTemperature(T_) || T_ < validity.vapourOnlyBelow) {
        platform::diagf("The model %s holds %s: it gives no saturation point at %s K.\n", m_.modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str());
        m_.errorflag = 1;
        return m_.errorflag;
    }
    // A mixture's saturation at a pure end is its component's; the
    // supercritical fluid of a model whose own critical point lies above the
    // fluid's has none.  A binary has a dew and a bubble pressure: one
    // saturation pressure only where the two lie within the phase tolerance
    // (a trace of the solute), none beyond.
    if (!saturationOfOnePressure(T_)) return m_.errorflag;
    const char* name = rules_.phaseRuleFluid();
    const double Tcf = ancillaryCriticalTemperature(name);
    if (T_ >= Tcf) {
        platform::diagf("The model %s gives no saturation point of %s at %g K: the fluid's critical temperature is "
                        "%.6g K.\n",
                        m_.modelName(), name, T_, Tcf);
        m_.errorflag = 1;
        return m_.errorflag;
    }
    if (m_.calculateTheSaturationPressure(T_, false) != 0 || !std::isfinite(m_.P)) {
        // Below its triple point the fluid is solid: its name says why the
        // model's supercooled liquid may have no saturation there.
        const double Tt = name ? triplePointTemperature(name) : 0.0;
        const char* solid = name && T_ < Tt ? rules_.solidAt(T_, 1.0).solid : nullptr;
        if (solid)
            platform::diagf(
                "No saturation state of %s found at %g K: below its triple point, %.6g K, %s is %s, and the "
                "model %s finds no saturation of its supercooled liquid there.\n",
                name, T_, Tt, name, solid, m_.modelName());
        else
            platform::diagf("No saturation state found at %g K\n", T_);
        return m_.errorflag ? m_.errorflag : 1;
    }
    if (name && T_ < triplePointTemperature(name))
        platform::warnf(
            "At %g K, below the triple point of %s, the saturation is that of the supercooled liquid, "
            "metastable: %s is stable.\n",
            T_, name, rules_.solidAt(T_, m_.P * 1e-5).solid ? rules_.solidAt(T_, m_.P * 1e-5).solid : "the solid");
    const double psat = ancillaryVapourPressure(name, T_);
    if (std::isfinite(psat) && std::fabs(m_.P / psat - 1.0) > kVapourPressureTolerance) {
        platform::diagf(
            "The model %s gives a vapour pressure of %.4g bar at %g K, where that of %s is %.4g bar: its saturation "
            "point is withheld.\n",
            m_.modelName(), m_.P * 1e-5, T_, name, psat * 1e-5);
        m_.errorflag = 1;
        return m_.errorflag;
    }
    return 0;
}


bool StateReport::criticalPointInRange() {
    if (rules_.criticalPointInRange()) return true;
    m_.errorflag = 1;
    return false;
}
