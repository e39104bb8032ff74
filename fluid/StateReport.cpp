// The states the command interpreter prints: the model's own answer, refused
// only outside its published range or where it has no root, with what no
// fluid has withheld, and the verdict built in one place.
#include "fluid/StateReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/ReferenceFluids.h"
#include "platform/LogSink.h"

namespace {

// The phase name of a one-phase binary by corresponding states: a
// supercritical fluid at or above its pseudo-critical temperature, the mole
// fractions' mean of the components' critical temperatures (Kay 1936, Ind.
// Eng. Chem. 28, 1014); below it a liquid where denser than the mean of the
// components' geometric means of their saturated liquid and vapour volumes
// at the same reduced temperature.  A pure component is its own limit; the
// name moves smoothly with x, alike in either order.
int pseudoCriticalPhase(const FluidPhase& m, const ReferenceFluids& fluids, double T_, double V_) {
    double Tpc = 0.0, share = 0.0;
    for (int i = 0; i < m.component_count; ++i) {
        const double Tc = fluids.criticalTemperature(m.component_names[i].c_str());
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
        const double Ti = T_ / Tpc * fluids.criticalTemperature(name);
        const double Vi = std::sqrt(fluids.saturatedLiquidVolume(name, Ti) * fluids.saturatedVapourVolume(name, Ti));
        if (!(Vi > 0.0)) return FluidPhase::kPhaseNone;
        Vb += m.x[i] / share * Vi;
    }
    return V_ < Vb ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour;
}

// No fluid's cv lies below the 3R/2 of its molecules' translation: in the
// canonical ensemble Cv = <(E - <E>)^2>/(k T^2), and the kinetic energy of
// translation, independent of the positions, contributes 3R/2 per mole while
// the rotations and the configurational energy's variance add what is never
// negative (e.g. McQuarrie, Statistical Mechanics, 1976, ch. 3 and 7).
constexpr double kTranslationalCv = 1.5 * FluidPhase::R;  // J/(mol K)
// No fluid carries sound faster than this below 10 GPa (water near 4 km/s
// at 2 GPa).
constexpr double kMaxSoundSpeed = 1e4;  // m/s

// The model's untraced interaction parameters admitted for one state
// (FluidPhase::untracedInteractionHolds).
class UntracedInteractionAdmitted {
public:
    explicit UntracedInteractionAdmitted(FluidPhase& m) : m_(m) { m_.admitUntracedInteraction(true); }
    ~UntracedInteractionAdmitted() { m_.admitUntracedInteraction(false); }
    UntracedInteractionAdmitted(const UntracedInteractionAdmitted&) = delete;
    UntracedInteractionAdmitted& operator=(const UntracedInteractionAdmitted&) = delete;

private:
    FluidPhase& m_;
};

}  // namespace

bool StateReport::refuseOutsideRange(double T_, double P_bar, bool pressureGiven) {
    const ValidityRange validity = rules_.stateRange();
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
    // A pure fluid its publication describes as a vapour only below a
    // temperature: from its vapour pressure up it is the liquid, which the
    // model does not describe (a mixture is not held to its component's
    // restriction).
    const char* fluid = rules_.phaseRuleFluid();
    if (fluid && T_ < validity.vapourOnlyBelow && !validity.liquidVolume) {
        const double psat = fluids().vapourPressure(fluid, T_) * 1e-5;
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
    // Its mixtures alike wherever the fluid's statement finds them forming
    // its liquid: from their dew pressure up (at a trace the vapour pressure
    // above); with water at any share from the gas's vapour pressure up
    // wherever the statement splits the mixture (its gas-rich phase then
    // the gas's liquid, water dissolving little in it).
    int solvent = 0;
    double xs = 0.0;
    const char* how = "";
    double dew = std::nan("");
    const char* name = vapourOnlyEnd(T_, solvent, xs);
    if (name) dew = rules_.diluteDewPressure(T_, &how);
    if (!std::isfinite(dew) && (name = vapourOnlyGasBesideWater(T_, solvent, xs))) {
        dew = fluids().vapourPressure(name, T_) * 1e-5;
        how = "its vapour pressure, water dissolving little in its liquid";
        if (!(P_bar < dew) && rules_.fluidAt(T_, P_bar, PhaseRules::ModelAnswer{}).word != "splits") dew = std::nan("");
    }
    if (name && std::isfinite(dew) && !(P_bar < dew)) {
        const ValidityRange& own = m_.componentValidity[static_cast<std::size_t>(solvent)];
        platform::diagf("The model %s describes %s below %g K as a vapour only (%s), and so its mixtures wherever "
                        "they form its liquid: at %s K this one (%.3g %% %s) forms a %s-rich liquid from %.4g bar "
                        "(%s): no state of it at %s bar.\n",
                        m_.modelName(), name, own.vapourOnlyBelow, own.source ? own.source : "its publication",
                        givenDigits(T_).c_str(), 100.0 * xs,
                        m_.component_names[static_cast<std::size_t>(1 - solvent)].c_str(), name, dew, how,
                        pText.c_str());
        m_.errorflag = 1;
        return false;
    }
    // A pure fluid whose published range ends at its solid lines: beyond
    // its melting curve (or, below its triple point, above its sublimation
    // curve) it is solid.  A model fitted below the triple point gives the
    // supercooled liquid there.
    const SolidField solid = rules_.solidLinesBoundRange() ? rules_.solidAt(T_, P_bar) : SolidField{};
    if (solid.solid && !(solid.supercooledLiquid && rules_.describesSupercooledLiquid())) {
        platform::diagf("At %s K and %s bar %s is %s, not a fluid: the model %s gives no state there.\n",
                        givenDigits(T_).c_str(), pText.c_str(), fluid, solid.solid, m_.modelName());
        m_.errorflag = 1;
        return false;
    }
    return true;
}

const char* StateReport::vapourOnlyEnd(double T_, int& restricted, double& xs) const {
    int solvent = 0;
    if (rules_.phaseRuleFluid() || !rules_.diluteEnd(solvent, xs, false)) return nullptr;
    for (int i : {solvent, 1 - solvent}) {
        const auto k = static_cast<std::size_t>(i);
        if (k >= m_.componentValidity.size() || !(T_ < m_.componentValidity[k].vapourOnlyBelow) ||
            m_.componentValidity[k].liquidVolume)
            continue;
        restricted = i;
        xs = i == solvent ? xs : 1.0 - xs;
        return m_.component_names[k].c_str();
    }
    return nullptr;
}

const char* StateReport::vapourOnlyGasBesideWater(double T_, int& restricted, double& xs) const {
    int major = 0, minor = 0;
    const ReferencePair* pair = rules_.binaryShares(major, minor, xs) ? rules_.polarPair() : nullptr;
    if (!pair) return nullptr;
    restricted = pair->namesA(fluids(), m_.component_names[0].c_str()) ? 1 : 0;
    const auto k = static_cast<std::size_t>(restricted);
    if (k >= m_.componentValidity.size() || !(T_ < m_.componentValidity[k].vapourOnlyBelow) ||
        m_.componentValidity[k].liquidVolume)
        return nullptr;
    xs = m_.x[1 - k] / (m_.x[0] + m_.x[1]);
    return m_.component_names[k].c_str();
}

bool StateReport::withholdUnphysicalQuantities(std::string* said) {
    if (m_.compressibilityDiverges()) return false;  // cp diverges at a critical point
    std::string rule;
    const bool diverges = m_.mixingRuleDiverges(rule);
    const double c2 = (m_.d2AdV2 + m_.d2AdTdV * m_.dPdT / m_.d2AdT2) * m_.V * m_.V / m_.bulk_molar_weight;
    char why[160] = "";
    if (std::isfinite(m_.Cv) && !(m_.Cv > 0.0))
        std::snprintf(why, sizeof why, "cv = %.4g J/(mol K)", m_.Cv);
    else if (std::isfinite(m_.Cv) && m_.Cv < kTranslationalCv)
        std::snprintf(why, sizeof why,
                      "cv = %.4g J/(mol K), below the %.4g J/(mol K) of its molecules' translation alone,", m_.Cv,
                      kTranslationalCv);
    else if (std::isfinite(m_.Cp) && std::isfinite(m_.Cv) && m_.Cp < m_.Cv)
        std::snprintf(why, sizeof why, "cp = %.4g below cv = %.4g J/(mol K)", m_.Cp, m_.Cv);
    else if (std::isfinite(c2) && c2 < 0.0)
        std::snprintf(why, sizeof why, "a negative squared sound speed (%.4g m2/s2)", c2);
    else if (std::isfinite(m_.soundSpeed) && m_.soundSpeed > kMaxSoundSpeed)
        std::snprintf(why, sizeof why, "a sound speed of %.4g m/s", m_.soundSpeed);
    if (!diverges && why[0] == '\0') return false;
    char text[2048];
    if (diverges)
        std::snprintf(text, sizeof text,
                      "The model %s: %s at %g K and %g bar: cv, cp, the sound speed and the Joule-Thomson coefficient "
                      "are withheld.\n",
                      m_.modelName(), rule.c_str(), m_.T, m_.P * 1e-5);
    else
        std::snprintf(text, sizeof text,
                      "The model %s gives %s at %g K and %g bar, which no fluid has: cv, cp, the sound speed and the "
                      "Joule-Thomson coefficient are withheld.\n",
                      m_.modelName(), why, m_.T, m_.P * 1e-5);
    // (Said once by a command that finds the same state again.)
    if (platform::firstInCall(text)) platform::warnf("%s", text);
    if (said) *said = text;
    for (double* q : {&m_.Cv, &m_.Cp, &m_.dHdTv, &m_.soundSpeed, &m_.jouleThomson}) *q = std::nan("");
    return true;
}

bool StateReport::reportedStateFromTP(double T_, double P_bar, ReportedState& s) {
    s = ReportedState();
    m_.calculateBulkMolarWeight();  // of the composition given last
    if (!refuseOutsideRange(T_, P_bar) || !m_.untracedInteractionHolds(T_, P_bar)) return false;
    const UntracedInteractionAdmitted admitted(m_);
    // The model's own critical point names a pure fluid's phase (its search,
    // kept for the model, runs before the state is found).
    double Tc = 0.0, Pc = 0.0;
    bool ownCritical = false;
    if (rules_.phaseRuleFluid()) {
        const platform::ThreadLogCapture quiet;  // none found: the phase named by the model's roots
        ownCritical = m_.modelCriticalPoint(Tc, Pc);
    }
    // Of the liquid and vapour roots, the one of lower Gibbs energy: a pure
    // fluid's stable root, and a mixture's homogeneous state.
    const int keep = m_.phase_kind;
    const long saidBefore = platform::diagnosticCount();
    static_cast<FluidPhase::StableState&>(s) = m_.calculateStableStateFromTP(T_, P_bar, true);
    m_.set_the_phase_as(keep);
    if (s.phase == FluidPhase::kPhaseNone) {
        // One refusal, one reason: where the model said why, that is it.
        if (platform::diagnosticCount() == saidBefore)
            platform::diagf("No state of the %s found at %g K and %g bar.\n",
                            rules_.phaseRuleFluid() ? "fluid" : "mixture", T_, P_bar);
        return false;
    }
    if ((m_.component_count > 1 && m_.errorflag) || !m_.stateIsFinite()) {
        platform::diagf("The state at %g K and %g bar has no finite properties in this model.\n", T_, P_bar);
        return false;
    }
    // A pure fluid described as a vapour only, whose own stable root is
    // its liquid there: a phase its publication does not describe.
    const ValidityRange range = rules_.stateRange();
    if (rules_.phaseRuleFluid() && T_ < range.vapourOnlyBelow && !range.liquidVolume &&
        s.phase == FluidPhase::kPhaseLiquid) {
        platform::diagf("The model %s describes %s below %g K as a vapour only; at %g K and %g bar its stable root is "
                        "its liquid: the state is refused.\n",
                        m_.modelName(), rules_.phaseRuleFluid(), range.vapourOnlyBelow, T_, P_bar);
        m_.errorflag = 1;
        return false;
    }
    // A pure fluid above its own critical temperature is a supercritical
    // fluid at every pressure (no compression condenses it), as its
    // mixtures are above their pseudo-critical one.
    if (ownCritical && s.phase == FluidPhase::kPhaseVapour && T_ >= Tc) s.phase = FluidPhase::kPhaseSupercritical;
    // A mixture is named by its pseudo-critical point, and so is a pure
    // fluid whose model does not name its root (its own critical point
    // unknown): the limit of its mixtures.
    if (!rules_.phaseRuleFluid() || s.phase == FluidPhase::kPhaseFluid) {
        const int named = pseudoCriticalPhase(m_, fluids(), T_, m_.V);
        if (named != FluidPhase::kPhaseNone) s.phase = named;
    }
    withholdUnphysicalQuantities();
    return true;
}

bool StateReport::reportedStateFromTV(double T_, double V_, std::string* withheld) {
    m_.calculateBulkMolarWeight();
    const ValidityRange validity = rules_.stateRange();
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
        if (platform::diagnosticCount() == saidBefore)
            platform::diagf("No state of the fluid at %g K and %g cm3/mol in this model.\n", T_, V_ * 1e6);
        return false;
    }
    const double P_bar = m_.P * 1e-5;
    if (!refuseOutsideRange(T_, P_bar, false) || !m_.untracedInteractionHolds(T_, P_bar)) return false;
    // A pure fluid described as a vapour only: its liquid's volume is no
    // state of the model; nor that of its liquid beside its pure end.
    int solvent = 0;
    double xs = 0.0;
    const char* end = vapourOnlyEnd(T_, solvent, xs);
    if (!(xs <= PhaseRules::kHenryDiluteShare)) end = nullptr;  // (its liquid's volume is a pure end's)
    const char* fluid = end ? end : rules_.phaseRuleFluid();
    const ValidityRange held = end ? m_.componentValidity[static_cast<std::size_t>(solvent)] : validity;
    const double Vl = fluids().saturatedLiquidVolume(fluid, T_), Vv = fluids().saturatedVapourVolume(fluid, T_);
    if (fluid && T_ < held.vapourOnlyBelow && !held.liquidVolume && Vl > 0.0 && Vv > Vl &&
        !(V_ > std::sqrt(Vl * Vv))) {
        platform::diagf("The model %s describes %s below %g K as a vapour only%s: the liquid of %g cm3/mol at %g K is "
                        "refused.\n",
                        m_.modelName(), fluid, held.vapourOnlyBelow,
                        end ? ", and so its mixtures beside its pure end" : "", V_ * 1e6, T_);
        m_.errorflag = 1;
        return false;
    }
    m_.calculateFromTV(T_, V_, 0);
    std::string why;
    withholdUnphysicalQuantities(&why);
    if (withheld) *withheld = why;
    return true;
}

bool StateReport::verdictAt(double T_, double P_bar, Verdict& v) {
    v = Verdict{};
    if (!reportedStateFromTP(T_, P_bar, v.state)) return false;
    modelVerdict(T_, P_bar, v);
    if (m_.component_count > 1) {
        // The stability test leaves the model at a trial (or where it found
        // no root to test): the state is found again, its notes said once
        // above.
        const platform::ThreadLogCapture quiet;
        if (!reportedStateFromTP(T_, P_bar, v.state)) return false;
    }
    v.fluid = rules_.fluidAt(T_, P_bar, v.model);
    return true;
}

void StateReport::modelVerdict(double T_, double P_bar, Verdict& v) {
    v.model.phase = v.state.phase;
    v.model.rho = m_.bulk_molar_weight / m_.V;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!rules_.binaryShares(solvent, solute, xs)) return;
    double trial = std::nan("");
    m_.admitUntracedInteraction(true);
    v.splits = m_.binarySplitsAt(T_, P_bar, &v.tested, &trial);
    if (v.splits) v.line = m_.binaryTieLineAt(T_, P_bar, trial);
    m_.admitUntracedInteraction(false);
    v.model.splits = v.splits;
    for (int k = 0; k < 2 && v.line.found; ++k) {
        v.model.x1[k] = v.line.x1[k];
        v.model.rhoPhase[k] = ((1.0 - v.line.x1[k]) * m_.molar_mass[0] + v.line.x1[k] * m_.molar_mass[1]) / v.line.V[k];
    }
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
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (rules_.binaryShares(solvent, solute, xs)) {
        platform::diagf("The mixture of %.3g %s in %s has a dew and a bubble pressure, not one saturation pressure: "
                        "the model %s gives none at %s K.\n",
                        xs, m_.component_names[static_cast<std::size_t>(solute)].c_str(),
                        m_.component_names[static_cast<std::size_t>(solvent)].c_str(), m_.modelName(),
                        givenDigits(T_).c_str());
        m_.errorflag = 1;
        return m_.errorflag;
    }
    // Above the model's own critical temperature it has no saturation.
    const char* name = rules_.phaseRuleFluid();
    double Tc = 0.0, Pc = 0.0;
    if (name && m_.modelCriticalPoint(Tc, Pc) && T_ >= Tc) {
        platform::diagf("The model %s gives no saturation point of %s at %g K: its own critical temperature is %.6g K.\n",
                        m_.modelName(), name, T_, Tc);
        m_.errorflag = 1;
        return m_.errorflag;
    }
    if (m_.calculateTheSaturationPressure(T_, false) != 0 || !std::isfinite(m_.P)) {
        // Below its triple point the fluid is solid: its name says why the
        // model's supercooled liquid may have no saturation there.
        const double Tt = name ? triplePointTemperature(name, &fluids()) : 0.0;
        const char* solid = name && T_ < Tt ? rules_.solidAt(T_, 1.0).solid : nullptr;
        if (solid)
            platform::diagf("No saturation state of %s found at %g K: below its triple point, %.6g K, %s is %s, and the "
                            "model %s finds no saturation of its supercooled liquid there.\n",
                            name, T_, Tt, name, solid, m_.modelName());
        else
            platform::diagf("No saturation state found at %g K\n", T_);
        return m_.errorflag ? m_.errorflag : 1;
    }
    return 0;
}

void StateReport::printSaturationFluidLine() const {
    const char* name = rules_.phaseRuleFluid();
    const double T_ = m_.T, psat = fluids().vapourPressure(name, T_) * 1e-5;
    const double Tt = name ? triplePointTemperature(name, &fluids()) : 0.0;
    const double Tc = fluids().criticalTemperature(name);
    const double Pc = fluids().criticalPressure(name) * 1e-5;
    if (std::fabs(T_ - Tc) <= 1e-9 * Tc) {
        // At the critical temperature itself the two saturated phases are one:
        // the critical point, which the model's saturation reaches there too.
        std::printf("** The fluid: critical point (of %s, %.6g K and %.6g bar); the model's pressure %+.3g %% from it\n",
                    name, Tc, Pc, 100.0 * (m_.P * 1e-5 / Pc - 1.0));
        return;
    }
    if (T_ >= Tc) {
        std::printf("** The fluid: supercritical fluid (the critical point of %s, %.6g K and %.6g bar): no "
                    "saturation; the model's own critical temperature lies above it\n",
                    name, Tc, Pc);
        return;
    }
    if (!std::isfinite(psat)) return;
    if (T_ < Tt) {
        const SolidField solid = rules_.solidAt(T_, m_.P * 1e-5);
        std::printf("** The fluid: %s deposits (below the triple point of %s, %.6g K, its liquid is metastable); the "
                    "model's saturation is its supercooled liquid's\n",
                    solid.solid ? solid.solid : "its solid", name, Tt);
        return;
    }
    std::printf("** The fluid: splits (the vapour pressure of %s, %.6g bar within %g %%); the model's vapour pressure "
                "%+.3g %% from it\n",
                name, psat, 100.0 * PhaseRules::kVapourPressureUncertainty, 100.0 * (m_.P * 1e-5 / psat - 1.0));
}

bool StateReport::criticalPointInRange() {
    if (rules_.criticalPointInRange()) return true;
    m_.errorflag = 1;
    return false;
}

bool StateReport::curveTemperaturesInRange(double T0, double T1, const char* what) {
    if (rules_.curveTemperaturesInRange(T0, T1, what)) return true;
    m_.errorflag = 1;
    return false;
}
