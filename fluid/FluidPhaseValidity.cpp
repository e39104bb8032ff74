// The states a model is asked for by the command interpreter, held against
// the model's range of validity and against what a fluid can be: a state
// outside the range is refused, a phase or a saturation point the model gets
// wrong and a heat capacity or sound speed no fluid has are withheld.  Each
// refusal or withholding is said once on the log, naming the model.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "fluid/BinaryCriticalCurves.h"
#include "fluid/FluidPhase.h"
#include "fluid/KeptFields.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/VapourOnlySolvent.h"
#include "platform/LogSink.h"

namespace {

// A state's pressure may lie this far (relative) from the fluid's vapour
// pressure on the wrong side before its phase counts as wrong: the ancillary
// equations agree with their reference equations within 0.1 to 0.2 % (the
// older IUPAC equations of CO2 and CH4 within 0.4 %).  A model whose own
// vapour pressure lies further off has its other phase there, which the
// fluid does not have: it is withheld.
constexpr double kPhaseTolerance = 0.005;
// No fluid carries sound faster than this below 10 GPa (water near 4 km/s
// at 2 GPa).
constexpr double kMaxSoundSpeed = 1e4;  // m/s
// No fluid's cv lies below the 3R/2 of its molecules' translation: in the
// canonical ensemble Cv = <(E - <E>)^2>/(k T^2), and the kinetic energy of
// translation, independent of the positions, contributes 3R/2 per mole while
// the rotations and the configurational energy's variance add what is never
// negative (e.g. McQuarrie, Statistical Mechanics, 1976, ch. 3 and 7).
constexpr double kTranslationalCv = 1.5 * FluidPhase::R;  // J/(mol K)

}  // namespace

const char* FluidPhase::pureFluidName() const {
    if (component_count != 1 || component_names.empty()) return nullptr;
    return component_names[0].c_str();
}

namespace {

// The component of largest mole fraction and the others' sum; -1 without components.
int majorComponent(const FluidPhase& m, double& others) {
    const int n = std::min<int>(m.component_count, static_cast<int>(std::min(m.x.size(), m.component_names.size())));
    others = 0.0;
    if (n <= 0) return -1;
    if (m.component_count == 1) return 0;
    int major = 0;
    for (int i = 1; i < n; ++i)
        if (m.x[i] > m.x[major]) major = i;
    if (n == 2) major = m.binaryMajorComponent();
    for (int i = 0; i < n; ++i)
        if (i != major) others += m.x[i];
    return major;
}

}  // namespace

double FluidPhase::solventVapourOnlyBelow() const {
    if (component_count != 2 || x.size() < 2 || !(x[0] > 0.0 && x[1] > 0.0)) return 0.0;
    const auto solvent = static_cast<std::size_t>(binaryMajorComponent());
    return solvent < componentValidity.size() ? componentValidity[solvent].vapourOnlyBelow : 0.0;
}

int FluidPhase::binaryMajorComponent() const {
    if (x.size() < 2 || x[0] != x[1]) return x.size() < 2 || x[0] > x[1] ? 0 : 1;
    // Equal shares: the same component whichever is named first, the less
    // volatile one (of the higher critical temperature), else the first in
    // alphabetical order.
    const char* a = component_names.size() > 0 ? component_names[0].c_str() : "";
    const char* b = component_names.size() > 1 ? component_names[1].c_str() : "";
    const double Ta = ancillaryCriticalTemperature(a), Tb = ancillaryCriticalTemperature(b);
    if (std::isfinite(Ta) && std::isfinite(Tb) && Ta != Tb) return Ta > Tb ? 0 : 1;
    return std::string(a) <= std::string(b) ? 0 : 1;
}

const char* FluidPhase::phaseRuleFluid() const {
    if (component_count == 1) return pureFluidName();
    double others = 0.0;
    const int major = majorComponent(*this, others);
    if (major < 0 || !isDiluteShare(others)) return nullptr;
    return component_names[static_cast<std::size_t>(major)].c_str();
}

bool FluidPhase::atPureComposition() const {
    double others = 0.0;
    return majorComponent(*this, others) >= 0 && others == 0.0;
}

SolidField FluidPhase::solidAt(double T_, double P_bar) const {
    const char* fluid = phaseRuleFluid();
    if (!solidOf || !fluid) return SolidField{};
    return solidOf(fluid, T_, P_bar);
}

bool FluidPhase::describesSupercooledLiquid() const {
    const char* fluid = phaseRuleFluid();
    return fluid && stateRange().Tmin < triplePointTemperature(fluid);
}

double FluidPhase::freezeOutTemperature() const {
    if (!validity.fromTriplePoints) return 0.0;
    // A component present at no more than a trace does not freeze the
    // mixture (it follows its major component's rules); without a
    // composition every component counts at its pure freezing point.
    const bool composed = x.size() == component_names.size();
    double Tf = 0.0;
    for (std::size_t i = 0; i < component_names.size(); ++i) {
        const double xi = composed ? x[i] : 1.0;
        if (component_names.size() > 1 && !(xi > kTraceFraction)) continue;
        // The major component of a mixture holding only traces of the others
        // freezes at its own triple point, as the pure fluid does.
        const double major = xi >= 1.0 - kTraceFraction ? 1.0 : xi;
        Tf = std::max(Tf, mixtureFreezingTemperature(component_names[i].c_str(), major));
    }
    return Tf;
}

ValidityRange FluidPhase::effectiveRange() const {
    ValidityRange r = validity;
    if (r.fromTriplePoints) r.Tmin = std::max(r.Tmin, freezeOutTemperature());
    return r;
}

ValidityRange FluidPhase::stateRange() const {
    // A mixture at a pure end, or a dilute solution, holds where its solvent
    // does: in the solvent's own range, or down to its triple point (the
    // mixture's rules of interaction, fitted to other compositions, change
    // its states by the solute's share only), and above the temperature
    // where its solute freezes out.  Any other mixture holds in its own
    // range, the mixture's liquid included: the mixture's rules were fitted
    // to its own volumes (Duan, Moller & Weare 1992: H2O-CO2 one fluid at
    // every composition above its critical curve, whose temperature minimum
    // lies near 538 K at 2.1-2.5 kbar), and where a component's liquid
    // heat capacities are not the fluid's, they alone are withheld
    // (withholdUnphysicalQuantities).
    if (component_count < 2) return effectiveRange();
    double others = 0.0;
    const int major = majorComponent(*this, others);
    if (major < 0) return effectiveRange();
    const auto i = static_cast<std::size_t>(major);
    if (!isDiluteShare(others)) return effectiveRange();
    ValidityRange r = validity;
    if (i < componentValidity.size() && componentValidity[i].declared())
        r = componentValidity[i];
    else if (r.fromTriplePoints)
        r.Tmin = std::max(r.Tmin, triplePointTemperature(component_names[i].c_str()));
    if (validity.fromTriplePoints) r.Tmin = std::max(r.Tmin, freezeOutTemperature());
    return r;
}

namespace {

// Both components present: the solvent (the larger share), the solute and its share.
bool binaryShares(const FluidPhase& m, int& solvent, int& solute, double& xs) {
    if (m.component_count != 2 || m.x.size() < 2 || m.component_names.size() < 2 || !(m.x[0] > 0.0 && m.x[1] > 0.0))
        return false;
    solvent = m.binaryMajorComponent();
    solute = 1 - solvent;
    xs = m.x[static_cast<std::size_t>(solute)] / (m.x[0] + m.x[1]);
    return true;
}

}  // namespace

bool FluidPhase::binarySolvent(int& solvent, int& solute, double& xs) const {
    if (!binaryShares(*this, solvent, solute, xs)) return false;
    if (isDiluteShare(xs)) return true;
    // Both fluids with a vapour pressure: a salt or another solute without
    // one follows the mixture's own rules beyond the dilute solution.
    for (const std::string& name : component_names)
        if (!std::isfinite(ancillaryCriticalTemperature(name.c_str()))) return false;
    return true;
}

const char* FluidPhase::solventFluid() const {
    if (const char* f = phaseRuleFluid()) return f;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    return binarySolvent(solvent, solute, xs) ? component_names[static_cast<std::size_t>(solvent)].c_str() : nullptr;
}

bool FluidPhase::onePhaseAboveCriticalTemperatures() const {
    if (component_count != 2 || component_names.size() < 2) return false;
    auto is = [&](const char* a, const char* b) {
        return (component_names[0] == a && component_names[1] == b) || (component_names[0] == b && component_names[1] == a);
    };
    return is("H2O", "CO2") || is("CO2", "CH4") || is("CO2", "N2") || is("CH4", "N2");
}

void FluidPhase::toSolventEnd() {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!binaryShares(*this, solvent, solute, xs)) return;
    std::vector<double> w(x.size(), 0.0);
    w[static_cast<std::size_t>(solvent)] = 1.0;
    composition(w.data());
}

double FluidPhase::soluteHenryConstant(int solvent, int solute, double T_, double psat_bar, bool& published) {
    published = false;
    const char* a = component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = component_names[static_cast<std::size_t>(solute)].c_str();
    if (henryOf) {
        const double H = henryOf(a, b, T_);
        if (H > 0.0 && std::isfinite(H)) {
            published = true;
            return H * 1e-5;
        }
    }
    // The model's own: f/x of the solute at infinite dilution in the
    // solvent's liquid at its vapour pressure, phi P.
    const KeptFieldsAndComposition kept(*this);
    std::vector<double> w(x.size(), 0.0);
    w[static_cast<std::size_t>(solvent)] = 1.0 - 1e-10;
    w[static_cast<std::size_t>(solute)] = 1e-10;
    const platform::ThreadLogCapture quiet;  // no liquid root: no constant, said by the caller's rule
    composition(w.data());
    double V_ = 0.0, G_ = 0.0;
    if (pressureRootFromTP(2, T_, psat_bar, V_, G_) && static_cast<std::size_t>(solute) < fugcoef.size() &&
        fugcoef[static_cast<std::size_t>(solute)] > 0.0 && std::isfinite(fugcoef[static_cast<std::size_t>(solute)]))
        return fugcoef[static_cast<std::size_t>(solute)] * psat_bar;
    return std::nan("");
}

FluidPhase::DiluteSplit FluidPhase::dilutePhaseAt(double T_) {
    DiluteSplit d;
    const char* fluid = solventFluid();
    if (!fluid || !(T_ < ancillaryCriticalTemperature(fluid))) return d;
    const double psat = ancillaryVapourPressure(fluid, T_) * 1e-5;
    if (!std::isfinite(psat)) return d;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    double dewLow = psat, dewHigh = psat, bubbleLow = psat, bubbleHigh = psat;
    d.psat = d.dew = d.bubble = psat;
    if (binarySolvent(solvent, solute, xs)) {
        // Raoult's law for the solvent, Henry's for the solute, an ideal vapour.
        auto dew = [&](double h) { return psat / (1.0 - xs + xs * psat / h); };
        auto bubble = [&](double h) { return (1.0 - xs) * psat + xs * h; };
        // A solute more volatile than its solvent (of the lower critical
        // temperature) has a Henry constant above the solvent's vapour
        // pressure: its dew and bubble pressures lie above psat.
        const double Hmin = ancillaryCriticalTemperature(component_names[static_cast<std::size_t>(solute)].c_str()) <
                                    ancillaryCriticalTemperature(fluid)
                                ? psat
                                : 0.0;
        double H = soluteHenryConstant(solvent, solute, T_, psat, d.published);
        // A model's own constant below that is no light solute's (DMW's CH4
        // in water below 275 K: 1e-16 bar): none.
        if (!d.published && Hmin > 0.0 && !(H > Hmin)) H = std::nan("");
        d.H = H;
        const double k = henryUncertaintyAt(xs);
        if (H > 0.0) {
            d.dew = dew(H);
            d.bubble = bubble(H);
            dewLow = dew(std::max(H / k, Hmin));
            dewHigh = dew(H * k);
            bubbleLow = bubble(std::max(H / k, Hmin));
            bubbleHigh = bubble(H * k);
        } else {
            // No Henry constant: the bounds of any, from 0 (a light solute's:
            // from psat) to infinity.
            dewLow = Hmin > 0.0 ? psat : 0.0;
            dewHigh = psat / (1.0 - xs);
            bubbleLow = Hmin > 0.0 ? psat : (1.0 - xs) * psat;
            bubbleHigh = std::numeric_limits<double>::infinity();
        }
    }
    d.dewLow = dewLow * (1.0 - kPhaseTolerance);
    d.dewHigh = dewHigh * (1.0 + kPhaseTolerance);
    d.bubbleLow = bubbleLow * (1.0 - kPhaseTolerance);
    d.bubbleHigh = bubbleHigh * (1.0 + kPhaseTolerance);
    d.known = true;
    return d;
}

bool FluidPhase::refuseOutsideRange(double T_, double P_bar, bool pressureGiven) {
    const ValidityRange validity = stateRange();
    char computed[32];
    std::snprintf(computed, sizeof computed, "%.6g", P_bar);
    const std::string pText = pressureGiven ? givenDigits(P_bar) : std::string(computed);
    if (!validity.holds(T_, P_bar)) {
        platform::diagf("The model %s holds %s: the state at %s K and %s bar lies outside it.\n", modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str(), pText.c_str());
        errorflag = 1;
        return false;
    }
    // Beyond the source's pressures or temperatures: said once each.
    auto sayExtrapolated = [&](bool& said, const char* where, const char* source) {
        said = true;
        platform::warnf("The model %s is extrapolated %s (%s): the state at %s K and %s bar, and the others %s it, "
                        "lie beyond its source.\n",
                        modelName(), where, source ? source : validity.source, givenDigits(T_).c_str(),
                        pText.c_str(), where[0] == 'a' ? "above" : "below");
    };
    char where[48];
    if (P_bar > validity.extrapolatedAbove && !extrapolationSaid) {
        std::snprintf(where, sizeof where, "above %g bar", validity.extrapolatedAbove);
        sayExtrapolated(extrapolationSaid, where, validity.extrapolationSource);
    }
    if (T_ < validity.extrapolatedBelow && !lowExtrapolationSaid) {
        std::snprintf(where, sizeof where, "below %g K", validity.extrapolatedBelow);
        sayExtrapolated(lowExtrapolationSaid, where, validity.lowExtrapolationSource);
    }
    // A binary of a vapour-only solvent: refused where it is the solvent's
    // liquid, at every composition alike (vapouronly::admitsPressure).
    const bool binaryOfVapourOnly = vapouronly::holdsFor(*this, T_);
    if (binaryOfVapourOnly && !vapouronly::admitsPressure(*this, T_, P_bar, pText)) return false;
    if (!binaryOfVapourOnly && T_ < validity.vapourOnlyBelow) {
        // A liquid appears at the vapour pressure.
        const char* fluid = solventFluid();
        const double psat = ancillaryVapourPressure(fluid, T_) * 1e-5;
        if (!(P_bar < psat)) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "%.4g bar", psat);
            platform::diagf(
                "The model %s holds %s: at %s K it describes the vapour only, below the vapour pressure %s, not at "
                "%s bar.\n",
                modelName(), validity.describe().c_str(), givenDigits(T_).c_str(),
                std::isfinite(psat) ? buf : "(unknown for this fluid)", pText.c_str());
            errorflag = 1;
            return false;
        }
    }
    // Beyond its melting curve (or, below its triple point, above its
    // sublimation curve) a fluid is solid.  A model fitted below the triple
    // point gives the supercooled liquid, said to be metastable.
    const SolidField solid = solidAt(T_, P_bar);
    if (solid.solid && !(solid.supercooledLiquid && describesSupercooledLiquid())) {
        platform::diagf("At %s K and %s bar %s is %s, not a fluid: the model %s gives no state there.\n",
                        givenDigits(T_).c_str(), pText.c_str(), phaseRuleFluid(), solid.solid,
                        modelName());
        errorflag = 1;
        return false;
    }
    return true;
}

bool FluidPhase::refuseOrNameSupercooled(double T_, double P_bar, bool liquid, const char** solidName) {
    *solidName = nullptr;
    const SolidField solid = solidAt(T_, P_bar);
    if (!solid.solid) return true;
    // refuseOutsideRange let it through: a model of the supercooled liquid.
    if (liquid) {
        *solidName = solid.solid;
        return true;
    }
    platform::diagf("At %g K and %g bar %s is %s: the model %s gives a vapour above the sublimation pressure, "
                    "which is withheld.\n",
                    T_, P_bar, phaseRuleFluid(), solid.solid, modelName());
    errorflag = 1;
    return false;
}

bool FluidPhase::keepVapourRoot(double T_, double P_bar, StableState& s) {
    // Below its vapour-only limit, at a pressure below the fluid's vapour
    // pressure (refuseOutsideRange): the fluid is a vapour, and so is the
    // state given, whatever the model's own saturation prefers.
    const char* fluid = solventFluid();
    const double Vl = ancillarySaturatedLiquidVolume(fluid, T_), Vv = ancillarySaturatedVapourVolume(fluid, T_);
    if (!(Vl > 0.0) || !(Vv > Vl)) return true;
    const double Vmid = std::sqrt(Vl * Vv);
    if (V > Vmid) return true;
    const double Vliquid = V;
    double Vvap = 0.0;
    if (s.otherPhase != kPhaseNone && s.otherV > Vmid) {
        Vvap = s.otherV;
    } else {
        double G_ = 0.0;
        const platform::ThreadLogCapture quiet;  // no vapour root is the refusal below
        if (!pressureRootFromTP(1, T_, P_bar, Vvap, G_) || !(Vvap > Vmid)) Vvap = 0.0;
    }
    if (Vvap > 0.0) {
        setStateFromTPV(T_, P_bar, Vvap);
        if (errorflag == 0 && stateIsFinite() && dPdV < 0.0) {
            s.phase = kPhaseVapour;
            s.otherPhase = kPhaseLiquid;
            s.otherV = Vliquid;
            s.metastable = true;
            s.vapourOnlyRoot = true;
            return true;
        }
    }
    platform::diagf("The model %s describes %s below %g K as a vapour only; at %g K and %g bar, below the vapour "
                    "pressure %.4g bar, it has no vapour root (its root is a liquid of %.4g kg/m3): the state is "
                    "refused.\n",
                    modelName(), fluid, std::max(stateRange().vapourOnlyBelow, solventVapourOnlyBelow()), T_, P_bar,
                    ancillaryVapourPressure(fluid, T_) * 1e-5, bulk_molar_weight / Vliquid);
    errorflag = 1;
    return false;
}

bool FluidPhase::refuseInCriticalBand(double T_, double P_bar, const StableState& s) {
    // A pure fluid's model whose own critical temperature lies above the
    // fluid's splits the supercritical fluid between the two into a liquid
    // and a vapour: where it has both roots, the state is refused.
    // Two roots within 1 % of each other are the one fluid at the model's
    // critical point.  A binary beyond a trace is held to the rule at its
    // solvent's corresponding state (criticalScaling).
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (binaryShares(*this, solvent, solute, xs) && xs > 1e-6) {
        // The searches of the rule evaluate the model elsewhere: the state's
        // own functions are evaluated again at its volume.
        const double Vstate = V;
        if (!refuseCorrespondingSplit(T_, P_bar)) return false;
        calculateFromTV(T_, Vstate, 0);
        return true;
    }
    if (!phaseRuleFluid() || s.otherPhase == kPhaseNone || std::fabs(s.otherV / V - 1.0) < 0.01) return true;
    const char* fluid = phaseRuleFluid();
    const double Tcf = ancillaryCriticalTemperature(fluid);
    if (!(T_ >= Tcf)) return true;
    // Both roots there: the model's critical temperature lies above T.
    double Tc = 0.0, Pc = 0.0;
    char own[48];
    std::snprintf(own, sizeof own, "above %g K", T_);
    if (modelCriticalPoint(Tc, Pc) && T_ < Tc)
        std::snprintf(own, sizeof own, "at %.6g K", Tc);
    else if (findTheCriticalPoint() && T > T_)  // the state is refused: the model may be left there
        std::snprintf(own, sizeof own, "at %.6g K", T);
    platform::diagf("The model %s puts the critical point of %s %s, above the fluid's %.6g K: between the two it "
                    "splits the supercritical fluid into a liquid and a vapour, and the state at %g K and %g bar, "
                    "where it has both, is refused.\n",
                    modelName(), fluid, own, Tcf, T_, P_bar);
    errorflag = 1;
    return false;
}

bool FluidPhase::refuseCorrespondingSplit(double T_, double P_bar) {
    const char* fluid = solventFluid();
    double tScale = 1.0, pScale = 1.0, Tcx = 0.0, Pcx = 0.0, Tc0 = 0.0, Pc0 = 0.0;
    if (!fluid || !criticalScaling(tScale, pScale, &Tcx, &Pcx) || !solventCriticalPoint(Tc0, Pc0)) return true;
    const double Ts = T_ * tScale, Ps = P_bar * pScale, Tcf = ancillaryCriticalTemperature(fluid);
    if (!(Ts >= Tcf) || !(Ts < Tc0)) return true;
    bool both = false;
    {
        const KeptFieldsAndComposition keptState(*this);
        const platform::ThreadLogCapture quiet;  // no state there: nothing to refuse
        toSolventEnd();
        errorflag = 0;
        const StableState st = calculateStableStateFromTP(Ts, Ps, true);
        both = st.phase != kPhaseNone && !errorflag && st.otherPhase != kPhaseNone &&
               !(std::fabs(st.otherV / V - 1.0) < 0.01);
    }
    if (!both) return true;
    platform::diagf("The model %s puts the critical point of %s at %.6g K, above the fluid's %.6g K: between the two "
                    "it splits the supercritical fluid into a liquid and a vapour, and it has both at %g K and %g "
                    "bar: %s.\n",
                    modelName(), fluid, Tc0, Tcf, Ts, Ps,
                    correspondenceText(T_, P_bar, Tcx, Pcx, tScale, pScale).c_str());
    errorflag = 1;
    return false;
}

namespace {

// The density accuracy of a binary's solvent in the model (its own range's),
// else the model's.
double solventDensityAccuracy(const FluidPhase& m) {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const auto i = static_cast<std::size_t>(binaryShares(m, solvent, solute, xs) ? solvent : 0);
    if (m.component_count == 2 && i < m.componentValidity.size() && m.componentValidity[i].declared())
        return m.componentValidity[i].densityAccuracy;
    return m.stateRange().densityAccuracy;
}

}  // namespace

bool FluidPhase::criticalScaling(double& tScale, double& pScale, double* Tcx, double* Pcx_bar) {
    tScale = pScale = 1.0;
    double Tc0 = 0.0, Pc0 = 0.0;
    if (!solventCriticalPoint(Tc0, Pc0)) return false;
    if (Tcx) *Tcx = Tc0;
    if (Pcx_bar) *Pcx_bar = Pc0;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    // Below a millionth the critical point moves by less than 1e-4 K.
    if (component_count == 1 || !binaryShares(*this, solvent, solute, xs) || !(xs > 1e-6)) return true;
    const MixtureCritical* k = mixtureCriticalPoint();
    if (!k || !k->found) return false;
    tScale = Tc0 / k->Tc;
    pScale = Pc0 / k->Pc;
    if (Tcx) *Tcx = k->Tc;
    if (Pcx_bar) *Pcx_bar = k->Pc;
    return true;
}

const FluidPhase::MixtureCritical* FluidPhase::mixtureCriticalPoint() {
    std::vector<MixtureCritical>& kept = keptMixtureCritical_;
    if (keptMixtureRevision_ != parameterRevision() || keptMixtureSolvent_ != keptSolventCritical_.fluid) {
        kept.clear();
        keptMixtureRevision_ = parameterRevision();
        keptMixtureSolvent_ = keptSolventCritical_.fluid;
    }
    const int solvent = binaryMajorComponent();
    const double share = x[1 - solvent] / (x[0] + x[1]);  // the solute's
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
        const KeptFieldsAndComposition keptState(*this);
        const platform::ThreadLogCapture quiet;  // none found: no correspondence
        const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(share - from) / 0.005)));
        bool on = std::isfinite(Ts) && Ts > 0.0 && std::isfinite(Vs) && Vs > 0.0;
        for (int k = 1; k <= steps && on; ++k) {
            const double xk = from + (share - from) * k / steps;
            std::vector<double> w(x.size(), 0.0);
            w[static_cast<std::size_t>(solvent)] = 1.0 - xk;
            w[static_cast<std::size_t>(1 - solvent)] = xk;
            composition(w.data());
            on = criticalConditionsFrom(Ts, Vs, false) && P * V < R * T;  // Zc below the ideal gas's 1
            Ts = T, Vs = V;
        }
        if (on) found = MixtureCritical{share, true, T, P * 1e-5, V};
    }
    if (kept.size() >= 512) kept.erase(kept.begin());
    kept.push_back(found);
    return &kept.back();
}

bool FluidPhase::splitBandPressures(double T_, double& Plo_bar, double& Phi_bar, double& Tcm, double& Pcm_bar) {
    // A mixture's band is its solvent's at the corresponding states.
    const char* fluid = solventFluid();
    const double accuracy = solventDensityAccuracy(*this);
    double tScale = 1.0, pScale = 1.0;
    if (!fluid || !referenceVolumeOf || !(accuracy > 0.0) || !criticalScaling(tScale, pScale)) return false;
    const double Ts = T_ * tScale;
    if (!(Ts >= ancillaryCriticalTemperature(fluid))) return false;
    KeptSplitBand& kept = keptSplitBand_;
    if (!(kept.searched && kept.T == Ts && kept.fluid == fluid && kept.revision == parameterRevision())) {
        double lo = 0.0, hi = 0.0, Tc = 0.0, Pc = 0.0;
        const bool found = searchSplitBand(Ts, accuracy, lo, hi, Tc, Pc);
        kept = KeptSplitBand{true, found, Ts, fluid, parameterRevision(), lo, hi, Tc, Pc};
    }
    Plo_bar = kept.lo / pScale, Phi_bar = kept.hi / pScale, Tcm = kept.Tcm, Pcm_bar = kept.Pcm;
    return kept.found;
}

bool FluidPhase::searchSplitBand(double T_, double accuracy, double& Plo_bar, double& Phi_bar, double& Tcm,
                                 double& Pcm_bar) {
    const char* fluid = solventFluid();
    const KeptFieldsAndComposition keptState(*this);
    const platform::ThreadLogCapture quiet;  // no split found: no band
    // The split is the solvent's: a binary is taken at its pure end.
    toSolventEnd();
    errorflag = 0;
    if (!solventCriticalPoint(Tcm, Pcm_bar) || !(T_ < Tcm) || calculateTheSaturationPressure(T_, false) != 0 ||
        !std::isfinite(P) || !(P > 0.0))
        return false;
    const double psat = P * 1e-5;
    // The model's stable state at (T, P) further from the fluid's density
    // than the model's accuracy (a state the model does not give counts as
    // off).
    auto off = [&](double Pb) {
        errorflag = 0;
        const StableState st = calculateStableStateFromTP(T_, Pb);
        if (st.phase == kPhaseNone || errorflag || !(V > 0.0)) return true;
        const double Vref = referenceVolumeOf(fluid, T_, Pb);
        return !(std::fabs(Vref / V - 1.0) <= accuracy);
    };
    // From the saturation pressure outward on one branch: the last pressure
    // where the model is off, found by doubling steps and then by bisection.
    auto edge = [&](double dir) {
        if (!off(psat * (1.0 + dir * 1e-6))) return psat;
        double inside = psat, outside = std::nan(""), step = 0.005;
        for (int k = 0; k < 8; ++k, step *= 2.0) {
            const double Pt = psat * (1.0 + dir * step);
            if (!off(Pt)) {
                outside = Pt;
                break;
            }
            inside = Pt;
        }
        for (int k = 0; k < 30 && std::isfinite(outside) && std::fabs(outside / inside - 1.0) > 1e-4; ++k) {
            const double mid = 0.5 * (inside + outside);
            (off(mid) ? inside : outside) = mid;
        }
        return inside;
    };
    Phi_bar = edge(1.0);
    Plo_bar = edge(-1.0);
    return Phi_bar > Plo_bar;
}

bool FluidPhase::solventCriticalPoint(double& Tcm, double& Pcm_bar) {
    const char* fluid = solventFluid();
    if (!fluid) return false;
    KeptSolventCritical& kept = keptSolventCritical_;
    if (!kept.searched || kept.fluid != fluid || kept.revision != parameterRevision()) {
        const KeptFieldsAndComposition keptState(*this);
        const platform::ThreadLogCapture quiet;  // none found: none kept
        toSolventEnd();
        double Tc = 0.0, Pc = 0.0, Vc = 0.0;
        errorflag = 0;
        bool found = modelCriticalPoint(Tc, Pc);
        if (found) Vc = keptCritical_.V;
        if (!found && findTheCriticalPoint()) {  // a family model without a stored start
            found = true;
            Tc = T;
            Pc = P;
            Vc = V;
        }
        kept = KeptSolventCritical{true, found, fluid, parameterRevision(), Tc, Pc * 1e-5, Vc};
    }
    Tcm = kept.Tcm;
    Pcm_bar = kept.Pcm;
    return kept.found;
}

double FluidPhase::referenceVolumeIfOff(double T_, double P_bar, double V_) const {
    const char* fluid = phaseRuleFluid();
    const ValidityRange range = stateRange();
    if (!fluid || !referenceVolumeOf || !(range.densityAccuracy > 0.0) || !(T_ >= ancillaryCriticalTemperature(fluid)))
        return std::nan("");
    const double Vref = referenceVolumeOf(fluid, T_, P_bar);
    return std::fabs(Vref / V_ - 1.0) > range.densityAccuracy ? Vref : std::nan("");
}

void FluidPhase::noteOffReference(double T_, double P_bar) {
    const char* fluid = solventFluid();
    const double accuracy = solventDensityAccuracy(*this);
    double tScale = 1.0, pScale = 1.0, Tcx = 0.0, Pcx = 0.0;
    if (!fluid || !referenceVolumeOf || !(accuracy > 0.0) || !criticalScaling(tScale, pScale, &Tcx, &Pcx)) return;
    // A mixture is judged by its solvent at the corresponding state.
    const double Ts = T_ * tScale, Ps = P_bar * pScale;
    if (!(Ts >= ancillaryCriticalTemperature(fluid))) return;
    double M = 0.0;
    // The solvent's state: NaN where the model has none (the search of the
    // state itself says so).
    auto solventVolume = [&] {
        const KeptFieldsAndComposition keptState(*this);
        const platform::ThreadLogCapture quiet;
        toSolventEnd();
        calculateBulkMolarWeight();
        M = bulk_molar_weight;
        errorflag = 0;
        if (calculateStableStateFromTP(Ts, Ps).phase == kPhaseNone || errorflag || !(V > 0.0)) return std::nan("");
        return V;
    };
    const double Vm = solventVolume();
    calculateBulkMolarWeight();  // of the composition given
    if (!std::isfinite(Vm)) return;
    // The model's departure from the reference is a property of the state
    // the model gives, not a reason to refuse it: a refusal at a fixed
    // percentage would cut islands out of the broad region where DMW's
    // water lies 2.0-2.3 % off IAPWS-95 (715-782 K, 320-580 bar).  It is
    // said, as a number, wherever it exceeds the accuracy the model keeps
    // elsewhere.
    const double Vref = referenceVolumeOf(fluid, Ts, Ps);
    const double departure = Vref / Vm - 1.0;  // of the density
    if (!(std::fabs(departure) > accuracy)) return;
    double Tcm = 0.0, Pcm = 0.0;
    char own[64] = "above it";
    if (solventCriticalPoint(Tcm, Pcm)) std::snprintf(own, sizeof own, "at %.6g K and %.5g bar", Tcm, Pcm);
    platform::warnf("The model %s gives %s a density of %.4g kg/m3 at %g K and %g bar, %+.3g %% from the fluid's "
                    "%.4g kg/m3 (its reference equation; beyond the model's %g %%; the model's critical point lies "
                    "%s, the fluid's at %.6g K and %.5g bar): %s.\n",
                    modelName(), fluid, M / Vm, Ts, Ps, 100.0 * departure, M / Vref, 100.0 * accuracy, own,
                    ancillaryCriticalTemperature(fluid), ancillaryCriticalPressure(fluid) * 1e-5,
                    correspondenceText(T_, P_bar, Tcx, Pcx, tScale, pScale, false).c_str());
}

std::string FluidPhase::correspondenceText(double T_, double P_bar, double Tcx, double Pcx_bar, double tScale,
                                           double pScale, bool refused) const {
    char buf[360];
    const char* verdict = refused ? "is refused" : "departs from the fluid's by about as much";
    if (tScale == 1.0 && pScale == 1.0)
        std::snprintf(buf, sizeof buf, "the state at %g K and %g bar %s", T_, P_bar, refused ? verdict : "is given");
    else
        std::snprintf(buf, sizeof buf,
                      "the mixture's state at %g K and %g bar, which corresponds to %s's at %g K and %g bar (by the "
                      "model's critical points, the mixture's at %.6g K and %.5g bar), %s",
                      T_, P_bar, solventFluid(), T_ * tScale, P_bar * pScale, Tcx, Pcx_bar, verdict);
    return buf;
}

bool FluidPhase::refuseInSplitBand(double T_, double P_bar) {
    // A binary beyond a trace is held to the band's states one by one, at
    // its solvent's corresponding state (refuseCorrespondingSplit): each
    // composition would ask for a band at a temperature of its own.
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (binaryShares(*this, solvent, solute, xs) && xs > 1e-6) return true;
    double lo = 0.0, hi = 0.0, Tcm = 0.0, Pcm = 0.0;
    if (!splitBandPressures(T_, lo, hi, Tcm, Pcm) || P_bar < lo || P_bar > hi) return true;
    const char* fluid = solventFluid();
    double tScale = 1.0, pScale = 1.0, Tcx = 0.0, Pcx = 0.0;
    criticalScaling(tScale, pScale, &Tcx, &Pcx);
    platform::diagf("The model %s puts the critical point of %s at %.6g K and %.5g bar, above the fluid's at %.6g K and "
                    "%.5g bar: between the two temperatures it splits the supercritical fluid into a liquid and a "
                    "vapour, and at %g K its states from %.5g to %.5g bar lie more than %g %% from the fluid's "
                    "density: %s.\n",
                    modelName(), fluid, Tcm, Pcm, ancillaryCriticalTemperature(fluid),
                    ancillaryCriticalPressure(fluid) * 1e-5, T_ * tScale, lo * pScale, hi * pScale,
                    100.0 * solventDensityAccuracy(*this),
                    correspondenceText(T_, P_bar, Tcx, Pcx, tScale, pScale).c_str());
    errorflag = 1;
    return false;
}

FluidPhase::DiluteVerdict FluidPhase::judgeDiluteState(double T_, double P_bar, const DiluteSplit& d) {
    const char* name = solventFluid();
    const double Vl = ancillarySaturatedLiquidVolume(name, T_), Vv = ancillarySaturatedVapourVolume(name, T_);
    if (!d.known || !(Vl > 0.0) || !(Vv > Vl)) return DiluteVerdict::kOnePhase;
    // Above a published critical curve the solvent's liquid and vapour are one fluid.
    if (criticalcurve::oneFluidAboveCriticalCurve(component_names[0].c_str(), component_names[1].c_str(), T_, P_bar))
        return DiluteVerdict::kOnePhase;
    const bool liquidState = V < std::sqrt(Vl * Vv);
    const DiluteVerdict v = d.judge(liquidState, P_bar);
    if (v != DiluteVerdict::kWrong) return v;
    // A heavy solute beyond its published solubility: the mixture splits
    // off the solute's liquid, whatever the solvent's own dew and bubble
    // pressures say; the state is the single fluid.
    if (publishedSolubility(T_, P_bar) == DiluteVerdict::kSplits) return DiluteVerdict::kSplits;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    binarySolvent(solvent, solute, xs);
    const char* gas = component_names[static_cast<std::size_t>(solute)].c_str();
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
        std::snprintf(henry, sizeof henry, "%s Henry constant of %s, %.4g bar", d.published ? "the published" : "the model's",
                      gas, d.H);
    else
        std::snprintf(henry, sizeof henry, "no Henry constant of %s", gas);
    platform::diagf("The model %s gives a %s of %.4g kg/m3 at %g K and %g bar, where the mixture of %.3g %s in %s %s "
                    "(its dew and bubble pressures %.5g and %.5g bar, from the vapour pressure %.5g bar of %s and %s): "
                    "the state is withheld.\n",
                    modelName(), liquidState ? "liquid" : "vapour", bulk_molar_weight / V, T_, P_bar, xs, gas, name, is,
                    d.dew, d.bubble, d.psat, name, henry);
    errorflag = 1;
    return v;
}

bool FluidPhase::phaseAgreesWithFluid(double T_, double P_bar) {
    // A pure fluid with published saturation ancillaries, below its critical
    // temperature: the state is a liquid when denser than the geometric mean
    // of the saturated liquid and vapour, and the fluid is a liquid above its
    // vapour pressure.
    const char* name = phaseRuleFluid();
    const double psat = ancillaryVapourPressure(name, T_) * 1e-5;
    const double Vl = ancillarySaturatedLiquidVolume(name, T_), Vv = ancillarySaturatedVapourVolume(name, T_);
    if (!std::isfinite(psat) || !(Vl > 0.0) || !(Vv > Vl)) return true;
    const bool liquidState = V < std::sqrt(Vl * Vv);
    const bool wrong = liquidState ? P_bar < psat * (1.0 - kPhaseTolerance) : P_bar > psat * (1.0 + kPhaseTolerance);
    if (!wrong) return true;
    platform::diagf(
        "The model %s gives a %s of %.4g kg/m3 at %g K and %g bar, where %s is a %s (vapour pressure %.4g bar): the "
        "state is withheld.\n",
        modelName(), liquidState ? "liquid" : "vapour", bulk_molar_weight / V, T_, P_bar, name,
        liquidState ? "vapour" : "liquid", psat);
    errorflag = 1;
    return false;
}

bool FluidPhase::liquidOfVapourOnlyComponent(std::string& why) const {
    // A binary with both components present holds its liquid where it is
    // not refused (vapouronly::admitsPressure); a component the model describes as a vapour only below its limit has,
    // where the mixture holds it as densely as its liquid (its share per
    // molar volume above the geometric mean of its saturated volumes'), the
    // model's liquid heat capacities, which are not the fluid's.
    double others = 0.0;
    if (component_count != 2 || majorComponent(*this, others) < 0 || !(others > 0.0)) return false;
    for (std::size_t i = 0; i < componentValidity.size() && i < x.size() && i < component_names.size(); ++i) {
        const char* name = component_names[i].c_str();
        if (!(T < componentValidity[i].vapourOnlyBelow) || !(x[i] > 0.0)) continue;
        const double Vl = ancillarySaturatedLiquidVolume(name, T), Vv = ancillarySaturatedVapourVolume(name, T);
        if (!(Vl > 0.0) || !(Vv > Vl) || !(V / x[i] < std::sqrt(Vl * Vv))) continue;
        char buf[320];
        std::snprintf(buf, sizeof buf,
                      "the mixture holds its %.3g %s as densely as %s's liquid, whose heat capacities the model does "
                      "not give below %g K (its equation was fitted to volumes and phase equilibria: its liquid's "
                      "cv is not the fluid's)",
                      x[i], name, name, componentValidity[i].vapourOnlyBelow);
        why = buf;
        return true;
    }
    return false;
}

bool FluidPhase::withholdUnphysicalQuantities() {
    if (compressibilityDiverges()) return false;  // cp diverges at a critical point
    const double M = bulk_molar_weight;
    std::string rule;
    if (mixingRuleDiverges(rule) || liquidOfVapourOnlyComponent(rule)) {
        platform::warnf("The model %s: %s at %g K and %g bar: cv, cp, the sound speed and the Joule-Thomson coefficient "
                        "are withheld.\n",
                        modelName(), rule.c_str(), T, P * 1e-5);
        for (double* q : {&Cv, &Cp, &dHdTv, &soundSpeed, &jouleThomson}) *q = std::nan("");
        return true;
    }
    const double c2 = (d2AdV2 + d2AdTdV * dPdT / d2AdT2) * V * V / M;
    char why[160] = "";
    if (std::isfinite(Cv) && !(Cv > 0.0))
        std::snprintf(why, sizeof why, "cv = %.4g J/(mol K)", Cv);
    else if (std::isfinite(Cv) && Cv < kTranslationalCv)
        std::snprintf(why, sizeof why, "cv = %.4g J/(mol K), below the %.4g J/(mol K) of its molecules' translation alone,",
                      Cv, kTranslationalCv);
    else if (std::isfinite(Cp) && !(Cp > 0.0))
        std::snprintf(why, sizeof why, "cp = %.4g J/(mol K)", Cp);
    else if (std::isfinite(Cp) && std::isfinite(Cv) && Cp < Cv)
        std::snprintf(why, sizeof why, "cp = %.4g below cv = %.4g J/(mol K)", Cp, Cv);
    else if (std::isfinite(c2) && c2 < 0.0)
        std::snprintf(why, sizeof why, "a negative squared sound speed (%.4g m2/s2)", c2);
    else if (std::isfinite(soundSpeed) && soundSpeed > kMaxSoundSpeed)
        std::snprintf(why, sizeof why, "a sound speed of %.4g m/s", soundSpeed);
    if (why[0] == '\0') return false;
    platform::warnf(
        "The model %s gives %s at %g K and %g bar, which no fluid has: cv, cp, the sound speed and the Joule-Thomson "
        "coefficient are withheld.\n",
        modelName(), why, T, P * 1e-5);
    for (double* q : {&Cv, &Cp, &dHdTv, &soundSpeed, &jouleThomson}) *q = std::nan("");
    return true;
}

namespace {

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

}  // namespace

namespace {

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

bool FluidPhase::reportedStateFromTP(double T_, double P_bar, StableState& s) {
    s = StableState();
    calculateBulkMolarWeight();  // of the composition given last
    if (!refuseOutsideRange(T_, P_bar)) return false;
    bool rowHolds = true;
    auto offReference = saidBy([&] { rowHolds = untracedInteractionHolds(T_, P_bar); });
    if (!rowHolds) {
        sayKept(offReference);
        return false;
    }
    const UntracedInteractionAdmitted admitted(*this);
    if (!refuseInSplitBand(T_, P_bar)) return false;
    for (auto& said : saidBy([&] { noteOffReference(T_, P_bar); })) offReference.push_back(std::move(said));
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const bool binary = binarySolvent(solvent, solute, xs);
    const DiluteSplit d = dilutePhaseAt(T_);
    // Of the liquid and vapour roots, the one of lower Gibbs energy: a pure
    // fluid's stable root, and a mixture's (the root of the model's phase
    // kind alone may be a metastable one, or none: Anderko's brine models at
    // 620 K and 50 bar have no liquid root, and water is a vapour there).
    const int keep = phase_kind;
    const long saidBefore = platform::diagnosticCount();
    s = calculateStableStateFromTP(T_, P_bar, true);  // the report names a metastable root
    set_the_phase_as(keep);
    if (s.phase == kPhaseNone) {
        // One refusal, one reason: where the model said why, that is it.
        if (platform::diagnosticCount() == saidBefore)
            platform::diagf("No state of the %s found at %g K and %g bar.\n",
                            component_count == 1 || phaseRuleFluid() ? "fluid" : "mixture", T_, P_bar);
        return false;
    }
    if ((component_count > 1 && errorflag) || !stateIsFinite()) {
        platform::diagf("The state at %g K and %g bar has no finite properties in this model.\n", T_, P_bar);
        return false;
    }
    s.dilute = d;
    // Below its dew pressure a mixture is a vapour: where its solvent is
    // described as a vapour only, the model's own saturation may prefer
    // its liquid (a dilute solution is held to its solvent's range).
    // (A heavy solute beyond its published solubility splits off its own
    // liquid at every pressure: the model's root is the single fluid's.)
    const bool belowDew = binary && d.known && P_bar < d.dew && T_ < solventVapourOnlyBelow() &&
                          publishedSolubility(T_, P_bar) != DiluteVerdict::kSplits;
    if (((!binary && T_ < stateRange().vapourOnlyBelow) || belowDew) && !keepVapourRoot(T_, P_bar, s)) return false;
    if (!refuseInCriticalBand(T_, P_bar, s)) return false;
    // Above the fluid's critical temperature the phase is named as the
    // fluid's, whatever the model's own critical point; a binary is named as
    // its solvent (below the critical temperature by its volume against the
    // saturated ones).
    const char* fluid = solventFluid();
    const double Tcf = ancillaryCriticalTemperature(fluid);
    if (T_ >= Tcf && (component_count > 1 || s.phase == kPhaseLiquid || s.phase == kPhaseVapour))
        s.phase = P_bar * 1e5 >= ancillaryCriticalPressure(fluid) ? kPhaseSupercritical : kPhaseVapour;
    else if (T_ < Tcf && component_count > 1)
        s.phase = V < std::sqrt(ancillarySaturatedLiquidVolume(fluid, T_) * ancillarySaturatedVapourVolume(fluid, T_))
                      ? kPhaseLiquid
                      : kPhaseVapour;
    if (binary) {
        s.verdict = judgeDiluteState(T_, P_bar, d);
        if (s.verdict == DiluteVerdict::kWrong) return false;
    } else {
        if (!phaseAgreesWithFluid(T_, P_bar)) return false;
        s.verdict = d.judge(s.phase == kPhaseLiquid || (T_ < ancillaryCriticalTemperature(fluid) &&
                                                          V < std::sqrt(ancillarySaturatedLiquidVolume(fluid, T_) *
                                                                        ancillarySaturatedVapourVolume(fluid, T_))),
                            P_bar);
    }
    s.phaseUncertain = s.verdict == DiluteVerdict::kUncertain;
    const double Vl = ancillarySaturatedLiquidVolume(fluid, T_);
    const bool liquid = s.phase == kPhaseLiquid || (Vl > 0.0 && V < 2.0 * Vl);
    if (!refuseOrNameSupercooled(T_, P_bar, liquid, &s.supercooledUnder)) return false;
    sayKept(offReference);
    withholdUnphysicalQuantities();
    return true;
}

bool FluidPhase::reportedStateFromTV(double T_, double V_) {
    calculateBulkMolarWeight();
    const ValidityRange validity = stateRange();
    if (!validity.holdsTemperature(T_)) {
        platform::diagf("The model %s holds %s: the state at %s K and %g cm3/mol lies outside it.\n", modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str(), V_ * 1e6);
        errorflag = 1;
        return false;
    }
    const long saidBefore = platform::diagnosticCount();
    const UntracedInteractionAdmitted admitted(*this);
    calculateFromTV(T_, V_, 0);
    if (errorflag || belowCoVolume() || !stateIsFinite()) {
        // One refusal, one reason: where the model said why, that is it.
        if (platform::diagnosticCount() == saidBefore)
            platform::diagf("No state of the fluid at %g K and %g cm3/mol in this model.\n", T_, V_ * 1e6);
        return false;
    }
    const double P_bar = P * 1e-5;
    // The rules of a state from T and P hold for the state of this volume;
    // they may leave the model elsewhere, and the state is evaluated again.
    if (!refuseOutsideRange(T_, P_bar, false) || !untracedInteractionHolds(T_, P_bar) || !refuseInSplitBand(T_, P_bar))
        return false;
    const auto offReference = saidBy([&] { noteOffReference(T_, P_bar); });
    const char* fluid = phaseRuleFluid();
    const char* solventName = solventFluid();
    const double Vl = ancillarySaturatedLiquidVolume(solventName, T_),
                 Vv = ancillarySaturatedVapourVolume(solventName, T_);
    if (!vapouronly::holdsFor(*this, T_) && T_ < validity.vapourOnlyBelow && Vl > 0.0 && Vv > Vl &&
        !(V_ > std::sqrt(Vl * Vv))) {
        platform::diagf("The model %s describes %s below %g K as a vapour only: the liquid of %g cm3/mol at %g K is "
                        "refused.\n",
                        modelName(), solventName, validity.vapourOnlyBelow, V_ * 1e6, T_);
        errorflag = 1;
        return false;
    }
    double Tc = 0.0, Pc = 0.0;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (binaryShares(*this, solvent, solute, xs) && xs > 1e-6) {
        if (!refuseCorrespondingSplit(T_, P_bar)) return false;
    } else if (fluid && T_ >= ancillaryCriticalTemperature(fluid) && (!modelCriticalPoint(Tc, Pc) || T_ < Tc)) {
        const int keep = phase_kind;
        const StableState s = calculateStableStateFromTP(T_, P_bar, true);
        set_the_phase_as(keep);
        calculateStateFunctionsFromTV(T_, V_);
        if (!refuseInCriticalBand(T_, P_bar, s)) return false;
    }
    if (binarySolvent(solvent, solute, xs)) {
        const DiluteSplit d = dilutePhaseAt(T_);
        calculateStateFunctionsFromTV(T_, V_);
        if (judgeDiluteState(T_, P_bar, d) == DiluteVerdict::kWrong) return false;
    } else if (!phaseAgreesWithFluid(T_, P_bar)) {
        return false;
    }
    calculateFromTV(T_, V_, 0);
    const char* solid = nullptr;
    if (!refuseOrNameSupercooled(T_, P_bar, Vl > 0.0 && V_ < 2.0 * Vl, &solid)) return false;
    sayKept(offReference);
    withholdUnphysicalQuantities();
    return true;
}

bool FluidPhase::saturationOfOnePressure(double T_) {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!binarySolvent(solvent, solute, xs)) return true;
    // A solute without a vapour pressure (a salt) stays in the liquid: the
    // solution has one.
    if (!std::isfinite(ancillaryCriticalTemperature(component_names[static_cast<std::size_t>(solute)].c_str())))
        return true;
    const DiluteSplit d = dilutePhaseAt(T_);
    if (d.known && d.H > 0.0 && std::fabs(d.bubble / d.dew - 1.0) <= kPhaseTolerance) return true;
    const char* name = solventFluid();
    char which[160] = "";
    if (d.known && d.H > 0.0)
        std::snprintf(which, sizeof which, " (from Raoult's and Henry's laws at %g K, %.5g and %.5g bar)", T_, d.dew,
                      d.bubble);
    platform::diagf("The mixture of %.3g %s in %s has a dew and a bubble pressure%s, not one saturation pressure: the "
                    "model %s gives none at %s K.\n",
                    xs, component_names[static_cast<std::size_t>(solute)].c_str(), name, which, modelName(),
                    givenDigits(T_).c_str());
    errorflag = 1;
    return false;
}

short FluidPhase::reportedSaturationPressure(double T_) {
    // A saturation point holds a liquid: below the vapour-only limit there is none to give.
    const ValidityRange validity = stateRange();
    if (!validity.holdsTemperature(T_) || T_ < validity.vapourOnlyBelow) {
        platform::diagf("The model %s holds %s: it gives no saturation point at %s K.\n", modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str());
        errorflag = 1;
        return errorflag;
    }
    // A mixture's saturation at a pure end is its component's; the
    // supercritical fluid of a model whose own critical point lies above the
    // fluid's has none.  A binary has a dew and a bubble pressure: one
    // saturation pressure only where the two lie within the phase tolerance
    // (a trace of the solute), none beyond.
    if (!saturationOfOnePressure(T_)) return errorflag;
    const char* name = phaseRuleFluid();
    const double Tcf = ancillaryCriticalTemperature(name);
    if (T_ >= Tcf) {
        platform::diagf("The model %s gives no saturation point of %s at %g K: the fluid's critical temperature is "
                        "%.6g K.\n",
                        modelName(), name, T_, Tcf);
        errorflag = 1;
        return errorflag;
    }
    if (calculateTheSaturationPressure(T_, false) != 0 || !std::isfinite(P)) {
        // Below its triple point the fluid is solid: its name says why the
        // model's supercooled liquid may have no saturation there.
        const double Tt = name ? triplePointTemperature(name) : 0.0;
        const char* solid = name && T_ < Tt ? solidAt(T_, 1.0).solid : nullptr;
        if (solid)
            platform::diagf("No saturation state of %s found at %g K: below its triple point, %.6g K, %s is %s, and the "
                            "model %s finds no saturation of its supercooled liquid there.\n",
                            name, T_, Tt, name, solid, modelName());
        else
            platform::diagf("No saturation state found at %g K\n", T_);
        return errorflag ? errorflag : 1;
    }
    if (name && T_ < triplePointTemperature(name))
        platform::warnf("At %g K, below the triple point of %s, the saturation is that of the supercooled liquid, "
                        "metastable: %s is stable.\n",
                        T_, name, solidAt(T_, P * 1e-5).solid ? solidAt(T_, P * 1e-5).solid : "the solid");
    const double psat = ancillaryVapourPressure(name, T_);
    if (std::isfinite(psat) && std::fabs(P / psat - 1.0) > kVapourPressureTolerance) {
        platform::diagf(
            "The model %s gives a vapour pressure of %.4g bar at %g K, where that of %s is %.4g bar: its saturation "
            "point is withheld.\n",
            modelName(), P * 1e-5, T_, name, psat * 1e-5);
        errorflag = 1;
        return errorflag;
    }
    return 0;
}

bool FluidPhase::criticalPointInRange() {
    const ValidityRange validity = stateRange();
    // A model of the vapour alone below its fluid's critical temperature
    // whose own critical point lies above it has no two-phase state the
    // fluid has: from the fluid's critical temperature up to its own it
    // splits the supercritical fluid.
    const char* fluid = atPureComposition() ? phaseRuleFluid() : nullptr;
    const double Tcf = ancillaryCriticalTemperature(fluid);
    if (validity.vapourOnlyBelow >= Tcf && T > Tcf) {
        platform::diagf("The model %s holds %s: its critical point at %g K and %g bar lies above that of %s (%.6g K), "
                        "and between the two it splits the supercritical fluid into a liquid and a vapour.\n",
                        modelName(), validity.describe().c_str(), T, P * 1e-5, fluid, Tcf);
        errorflag = 1;
        return false;
    }
    if (validity.holds(T, P * 1e-5)) return true;
    platform::diagf("The model %s holds %s: its critical point at %g K and %g bar lies outside it.\n", modelName(),
                    validity.describe().c_str(), T, P * 1e-5);
    errorflag = 1;
    return false;
}

double FluidPhase::lowestReportedCurveTemperature() const {
    const ValidityRange validity = stateRange();
    if (!validity.declared()) return lowestCurveTemperature();
    // A model with a declared range is traced down to the range's lower end
    // (its saturation point is given there): the triple point of the major
    // component where the range starts below it; the tracers' own floor
    // (Tmin) holds for models without a range.
    // (A pure fluid, or a dilute solution, down to its solvent's triple
    // point; any other mixture down to the lower end of its own range, where
    // a component freezes out of it.)
    const char* fluid = phaseRuleFluid();
    const double Tt = fluid ? triplePointTemperature(fluid) : 0.0;
    return std::max({Tt > 0.0 ? Tt : 0.0, validity.Tmin, validity.vapourOnlyBelow});
}

std::string FluidPhase::lowestCurveTemperatureReason(double Tlow) const {
    const ValidityRange range = stateRange();
    const char* fluid = phaseRuleFluid();
    if (fluid && Tlow == triplePointTemperature(fluid)) return std::string("the triple point of ") + fluid;
    if (range.declared()) return "the lower end of the model's range, " + range.describe();
    return "the lowest temperature of the model's curves";
}
