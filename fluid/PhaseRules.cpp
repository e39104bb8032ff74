// The rules a model's states are held against: the fluid whose rules a
// composition follows, the range at that composition, and what the fluids'
// published data say of a state's phase.
#include "fluid/PhaseRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "fluid/BinaryCriticalCurves.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"

const char* PhaseRules::pureFluidName() const {
    if (m_.component_count != 1 || m_.component_names.empty()) return nullptr;
    return m_.component_names[0].c_str();
}

int PhaseRules::majorComponent(double& others) const {
    const int n =
        std::min<int>(m_.component_count, static_cast<int>(std::min(m_.x.size(), m_.component_names.size())));
    others = 0.0;
    if (n <= 0) return -1;
    if (m_.component_count == 1) return 0;
    int major = 0;
    for (int i = 1; i < n; ++i)
        if (m_.x[i] > m_.x[major]) major = i;
    if (n == 2) major = binaryMajorComponent();
    for (int i = 0; i < n; ++i)
        if (i != major) others += m_.x[i];
    return major;
}

double PhaseRules::solventVapourOnlyBelow() const {
    const std::vector<double>& x = m_.x;
    if (m_.component_count != 2 || x.size() < 2 || !(x[0] > 0.0 && x[1] > 0.0)) return 0.0;
    const auto solvent = static_cast<std::size_t>(binaryMajorComponent());
    return solvent < m_.componentValidity.size() ? m_.componentValidity[solvent].vapourOnlyBelow : 0.0;
}

bool PhaseRules::solventLiquidVolume() const {
    const std::vector<double>& x = m_.x;
    if (m_.component_count != 2 || x.size() < 2 || !(x[0] > 0.0 && x[1] > 0.0)) return stateRange().liquidVolume;
    const auto solvent = static_cast<std::size_t>(binaryMajorComponent());
    return solvent < m_.componentValidity.size() && m_.componentValidity[solvent].liquidVolume;
}

int PhaseRules::binaryMajorComponent() const {
    const std::vector<double>& x = m_.x;
    if (x.size() < 2 || x[0] != x[1]) return x.size() < 2 || x[0] > x[1] ? 0 : 1;
    // Equal shares: the same component whichever is named first, the less
    // volatile one (of the higher critical temperature), else the first in
    // alphabetical order.
    const char* a = m_.component_names.size() > 0 ? m_.component_names[0].c_str() : "";
    const char* b = m_.component_names.size() > 1 ? m_.component_names[1].c_str() : "";
    const double Ta = ancillaryCriticalTemperature(a), Tb = ancillaryCriticalTemperature(b);
    if (std::isfinite(Ta) && std::isfinite(Tb) && Ta != Tb) return Ta > Tb ? 0 : 1;
    return std::string(a) <= std::string(b) ? 0 : 1;
}

const char* PhaseRules::phaseRuleFluid() const {
    if (m_.component_count == 1) return pureFluidName();
    double others = 0.0;
    const int major = majorComponent(others);
    if (major < 0 || !isDiluteShare(others)) return nullptr;
    return m_.component_names[static_cast<std::size_t>(major)].c_str();
}

bool PhaseRules::atPureComposition() const {
    double others = 0.0;
    return majorComponent(others) >= 0 && others == 0.0;
}

SolidField PhaseRules::solidAt(double T_, double P_bar) const {
    const char* fluid = phaseRuleFluid();
    if (!lookups_.solidOf || !fluid) return SolidField{};
    return lookups_.solidOf(fluid, T_, P_bar);
}

bool PhaseRules::describesSupercooledLiquid() const {
    const char* fluid = phaseRuleFluid();
    return fluid && stateRange().Tmin < triplePointTemperature(fluid);
}

double PhaseRules::freezeOutTemperature() const {
    if (!m_.validity.fromTriplePoints) return 0.0;
    // A component present at no more than a trace does not freeze the
    // mixture (it follows its major component's rules); without a
    // composition every component counts at its pure freezing point.
    const std::vector<std::string>& names = m_.component_names;
    const bool composed = m_.x.size() == names.size();
    double Tf = 0.0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const double xi = composed ? m_.x[i] : 1.0;
        if (names.size() > 1 && !(xi > kTraceFraction)) continue;
        // The major component of a mixture holding only traces of the others
        // freezes at its own triple point, as the pure fluid does.
        const double major = xi >= 1.0 - kTraceFraction ? 1.0 : xi;
        Tf = std::max(Tf, mixtureFreezingTemperature(names[i].c_str(), major));
    }
    return Tf;
}

bool PhaseRules::solidsJudgedByFugacity() const {
    if (!m_.validity.fromTriplePoints || !lookups_.sublimationOf) return false;
    if (m_.component_count > 1 && !atPureComposition()) return true;
    // A pure fluid, the limit of its mixtures as the others' shares vanish:
    // below its triple point its vapour holds up to the solid's sublimation
    // pressure, where its fugacity reaches the solid's, as a trace of
    // another component leaves it.  Without a sublimation line it keeps to
    // its triple point.
    const char* fluid = phaseRuleFluid();
    if (!fluid) return false;
    const double Tt = triplePointTemperature(fluid);
    double Vs = 0.0;
    return Tt > 0.0 && lookups_.sublimationOf(fluid, 0.99 * Tt, Vs) > 0.0;
}

bool PhaseRules::solidsJudgedMixture() const {
    return m_.component_count > 1 && !atPureComposition() && solidsJudgedByFugacity();
}

ValidityRange PhaseRules::printedStateRange() const {
    // A pure fluid whose solid is judged state by state (the limit of its
    // mixtures) prints its single states down to the model's own lower
    // limit; its curves keep to its triple point.
    return solidsJudgedByFugacity() ? m_.validity : stateRange();
}

bool PhaseRules::solidBeyondSublimation(double T_, double P_bar) const {
    SolventSolid s;
    return solidsJudgedByFugacity() && solventSolid(T_, P_bar, s) && s.deposits;
}

bool PhaseRules::solventSolid(double T_, double P_bar, SolventSolid& s, bool seekTemperature) const {
    double others = 0.0;
    const int major = majorComponent(others);
    if (major < 0 || !(others < 0.5) || !lookups_.solidOf || !lookups_.sublimationOf) return false;
    const char* name = m_.component_names[static_cast<std::size_t>(major)].c_str();
    const ReferenceFluid* row = referenceFluid(name);
    if (!row) return false;
    const double P = P_bar * 1e5, dH = solventFusionEnthalpy(*row);
    const bool solidField = lookups_.solidOf(name, T_, P_bar).solid != nullptr;
    double psub = std::nan("");
    if (T_ < row->Tt) {
        double Vs = 0.0;
        psub = lookups_.sublimationOf(name, T_, Vs);
        // Beyond the melting line the pure liquid is stable, and so is the
        // solution.
        if (P > psub && !solidField) return false;
    } else if (solidField && !atPureComposition() && P >= row->pt && dH > 0.0 &&
               publishedFreezingTemperature(name, T_, P_bar) > T_) {
        // Above the triple point, within the solid's field beyond a melting
        // line that rises from it (CO2's): a mixture's liquid freezes by
        // Raoult's law as below it.  The solid's fugacity there is its
        // sublimation line continued by Clausius-Clapeyron, the liquid's
        // vapour pressure lowered by the enthalpy of fusion (a pure fluid
        // keeps its melting line's verdict; the ices beyond ice Ih, whose
        // lines do not reach the triple point, keep theirs).
        psub = ancillaryVapourPressure(name, T_) * std::exp(-dH / FluidPhase::R * (1.0 / T_ - 1.0 / row->Tt));
    }
    if (!(psub > 0.0)) return false;
    s = SolventSolid{};
    s.index = major;
    s.share = 1.0 - others;
    s.psub = psub;
    const double Tm = P < row->pt ? row->Tt : publishedFreezingTemperature(name, T_, P_bar);
    // The pure liquid's fugacity over the solid's: the solvent condenses
    // from a vapour where its partial pressure passes the liquid's.
    const double liquidOverSolid = std::exp(dH / FluidPhase::R * (1.0 / T_ - 1.0 / Tm));
    const double vapourExcess = s.share * P / psub;
    s.liquid = vapourExcess > liquidOverSolid;
    s.deposits = vapourExcess > 1.0 + kFrostTolerance;
    s.uncertain = !s.deposits && vapourExcess * (1.0 + kFrostTolerance) >= 1.0;
    s.fFluid = s.share * P;
    if (s.liquid) {
        s.share = 1.0 - liquidSoluteShare(major, others, T_, P_bar, s.share * liquidOverSolid * psub * 1e-5);
        const double depression = std::log(liquidOverSolid), margin = std::log(s.share * liquidOverSolid);
        s.fFluid = s.share * liquidOverSolid * psub;
        const bool deposits = s.deposits && margin > kFrostTolerance * depression;
        s.uncertain = (s.deposits || s.uncertain) && !deposits && margin >= -kFrostTolerance * depression;
        s.deposits = deposits;
    }
    if (!seekTemperature) return true;
    if (!s.liquid) {
        s.T = publishedFreezingTemperature(name, T_, s.share * P_bar);
        return true;
    }
    const double T0 = publishedFreezingTemperature(name, T_, P_bar);
    s.T = s.share < 1.0 && dH > 0.0 ? 1.0 / (1.0 / T0 - FluidPhase::R * std::log(s.share) / dH) : T0;
    return true;
}

double PhaseRules::liquidSoluteShare(int solvent, double others, double T_, double P_bar,
                                     double solventPressure_bar) const {
    // A light gas dissolves in the solvent's liquid by Henry's law, x = f/H,
    // at most its partial pressure over the liquid, P - (the solvent's by
    // Raoult's law), over its published Henry constant (IAPWS G7-04 in
    // water, published from 273.15 K: taken at the solvent's triple point
    // below it); the rest stays in the vapour.  Without a published
    // constant (a heavy solute, or a light gas in liquid CO2) the liquid
    // holds the overall share.
    if (m_.component_count != 2 || !lookups_.henryOf || !(others > 0.0)) return others;
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(1 - solvent)].c_str();
    const double H = lookups_.henryOf(a, b, std::max(T_, triplePointTemperature(a))) * 1e-5;
    if (!(H > 0.0) || !std::isfinite(H)) return others;
    // Its fugacity over the liquid: its partial pressure, or where that lies
    // above its own vapour pressure below its critical temperature (CO2 at
    // 250 K and 300 bar), its compressed liquid's, psat phi(psat)
    // exp(Vl (p - psat)/RT) (the published ancillaries, the vapour's
    // second virial coefficient): liquid CO2 at 250 K and 300 bar has 27
    // bar, and water holds some 3 % of it, not 40 %.
    double f = std::max(P_bar - solventPressure_bar, 0.0);
    const double psat = T_ < ancillaryCriticalTemperature(b) ? ancillaryVapourPressure(b, T_) : std::nan("");
    const double Vl = ancillarySaturatedLiquidVolume(b, T_);
    const ReferenceFluid* row = referenceFluid(b);
    if (row && psat > 0.0 && Vl > 0.0 && f * 1e5 > psat)
        f = psat * 1e-5 * row->gasFugacityCoefficient(T_, psat) * std::exp(Vl * (f * 1e5 - psat) / (FluidPhase::R * T_));
    // Henry's constant at pressure (Krichevsky & Kasarnovsky 1935): raised by
    // the Poynting factor of the solute's partial molar volume, here the
    // solvent's own molar volume, which it exceeds (CO2, CH4 and N2 in water
    // 32-37 cm3/mol against water's 18): the share is an upper bound.
    const double Vsolvent = ancillarySaturatedLiquidVolume(a, std::max(T_, triplePointTemperature(a)));
    const double lift =
        Vsolvent > 0.0 ? std::exp(Vsolvent * std::max(P_bar - solventPressure_bar, 0.0) * 1e5 / (FluidPhase::R * T_))
                       : 1.0;
    return std::min(others, f / (H * lift));
}

bool PhaseRules::solidsProbedByFugacity() const {
    return lookups_.sublimationOf && ((m_.component_count > 1 && !atPureComposition()) || solidsJudgedByFugacity());
}

SolidField PhaseRules::solidOfPrintedState(double T_, double P_bar) const {
    const char* fluid = phaseRuleFluid();
    if (!fluid || !solidsJudgedByFugacity()) return solidAt(T_, P_bar);
    SolventSolid s;
    if (T_ < triplePointTemperature(fluid) || (!atPureComposition() && solventSolid(T_, P_bar, s)))
        return SolidField{};
    return solidAt(T_, P_bar);
}

ValidityRange PhaseRules::effectiveRange() const {
    ValidityRange r = m_.validity;
    if (r.fromTriplePoints) r.Tmin = std::max(r.Tmin, freezeOutTemperature());
    return r;
}

ValidityRange PhaseRules::stateRange() const {
    // Its solids judged state by state against their published lines (the
    // fugacity of each component against its pure solid's), a mixture holds
    // down to the model's own lower limit in every command alike: a single
    // state, a curve's row, a critical point.  A row where a solid deposits
    // is no fluid state and is said so, not cut off by the ideal
    // freezing-out of a component from a liquid, which a vapour does not
    // follow.
    return solidsJudgedMixture() ? m_.validity : freezingEdgeRange();
}

ValidityRange PhaseRules::freezingEdgeRange() const {
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
    // (StateReport::withholdUnphysicalQuantities).
    if (m_.component_count < 2) return effectiveRange();
    double others = 0.0;
    const int major = majorComponent(others);
    if (major < 0) return effectiveRange();
    const auto i = static_cast<std::size_t>(major);
    if (!isDiluteShare(others)) return effectiveRange();
    ValidityRange r = m_.validity;
    if (i < m_.componentValidity.size() && m_.componentValidity[i].declared())
        r = m_.componentValidity[i];
    else if (r.fromTriplePoints)
        r.Tmin = std::max(r.Tmin, triplePointTemperature(m_.component_names[i].c_str()));
    if (m_.validity.fromTriplePoints) r.Tmin = std::max(r.Tmin, freezeOutTemperature());
    return r;
}

bool PhaseRules::binaryShares(int& solvent, int& solute, double& xs) const {
    const std::vector<double>& x = m_.x;
    if (m_.component_count != 2 || x.size() < 2 || m_.component_names.size() < 2 || !(x[0] > 0.0 && x[1] > 0.0))
        return false;
    solvent = binaryMajorComponent();
    solute = 1 - solvent;
    xs = x[static_cast<std::size_t>(solute)] / (x[0] + x[1]);
    return true;
}

bool PhaseRules::binarySolvent(int& solvent, int& solute, double& xs) const {
    if (!binaryShares(solvent, solute, xs)) return false;
    if (isDiluteShare(xs)) return true;
    // Both fluids with a vapour pressure: a salt or another solute without
    // one follows the mixture's own rules beyond the dilute solution.
    for (const std::string& name : m_.component_names)
        if (!std::isfinite(ancillaryCriticalTemperature(name.c_str()))) return false;
    return true;
}

const char* PhaseRules::solventFluid() const {
    if (const char* f = phaseRuleFluid()) return f;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    return binarySolvent(solvent, solute, xs) ? m_.component_names[static_cast<std::size_t>(solvent)].c_str()
                                              : nullptr;
}

double PhaseRules::onePhaseAboveCriticalTemperaturesBelow() const {
    const std::vector<std::string>& names = m_.component_names;
    if (m_.component_count != 2 || names.size() < 2) return 0.0;
    auto is = [&](const char* a, const char* b) {
        return (names[0] == a && names[1] == b) || (names[0] == b && names[1] == a);
    };
    if (is("H2O", "CO2") || is("CO2", "CH4") || is("CO2", "N2") || is("CH4", "N2"))
        return std::numeric_limits<double>::infinity();
    return is("H2O", "CH4") ? 1000.0 : 0.0;
}

bool PhaseRules::aboveCriticalTemperatures(double T_) const {
    if (m_.component_count != 2 || m_.component_names.size() < 2) return false;
    for (const std::string& name : m_.component_names)
        if (!(T_ >= ancillaryCriticalTemperature(name.c_str()))) return false;
    return true;
}

bool PhaseRules::oneFluidAt(double T_, double P_bar) const {
    return P_bar <= onePhaseAboveCriticalTemperaturesBelow() && aboveCriticalTemperatures(T_);
}

double PhaseRules::solventDensityAccuracy() const {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const auto i = static_cast<std::size_t>(binaryShares(solvent, solute, xs) ? solvent : 0);
    if (m_.component_count == 2 && i < m_.componentValidity.size() && m_.componentValidity[i].declared())
        return m_.componentValidity[i].densityAccuracy;
    return stateRange().densityAccuracy;
}

PhaseRules::HenryBand PhaseRules::henryBandAt(double T_, double psat_bar, double xs, bool published,
                                              int solute) const {
    const double k = henryUncertaintyAt(xs);
    const ReferenceFluid* gas = referenceFluid(m_.component_names[static_cast<std::size_t>(solute)].c_str());
    // The Poynting term of the solute's partial molar volume and its
    // vapour's fugacity coefficient (publishedHenryUncertaintyAt), per bar.
    const double V2 = 2.0 * ancillarySaturatedLiquidVolume(solventFluid(), T_);
    const double B = gas ? gas->secondVirialCoefficient(T_) : std::nan("");
    if (!published || !(V2 > 0.0) || !std::isfinite(B)) return {k, [k](double) { return k; }};
    const double perBar = 1e5 / (FluidPhase::R * T_), low = publishedHenryUncertaintyAt(xs);
    return {low, [=](double P_bar) {
                return low * std::exp(perBar * (V2 * std::max(P_bar - psat_bar, 0.0) + std::fabs(B) * P_bar));
            }};
}

PhaseRules::DiluteSplit PhaseRules::diluteSplitFrom(double T_, const HenryConstant& henry) const {
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
        const double Hmin =
            ancillaryCriticalTemperature(m_.component_names[static_cast<std::size_t>(solute)].c_str()) <
                    ancillaryCriticalTemperature(fluid)
                ? psat
                : 0.0;
        double H = henry(solvent, solute, psat, d.published);
        // A model's own constant below that is no light solute's (DMW's CH4
        // in water below 275 K: 1e-16 bar): none.
        if (!d.published && Hmin > 0.0 && !(H > Hmin)) H = std::nan("");
        d.H = H;
        const HenryBand band = henryBandAt(T_, psat, xs, d.published, solute);
        const double k = band.low;
        const std::function<double(double)>& kHigh = band.high;
        if (H > 0.0) {
            d.dew = dew(H);
            d.bubble = bubble(H);
            d.henryLow = k;
            dewLow = dew(std::max(H / k, Hmin));
            dewHigh = dew(H * kHigh(d.dew));
            bubbleLow = bubble(std::max(H / k, Hmin));
            // The upper bubble bound B = bubble(H kHigh(B)), the least such
            // pressure (kHigh rises with it: from below, the iteration
            // climbs to it); none where the laws' neglected terms outgrow
            // the pressure.
            bubbleHigh = std::numeric_limits<double>::infinity();
            double B = bubble(H * k);
            for (int i = 0; i < 1000 && B < kNoBubbleBoundAbove; ++i) {
                const double next = bubble(H * kHigh(B));
                if (std::fabs(next - B) <= 1e-10 * B) {
                    bubbleHigh = next;
                    break;
                }
                B = next;
            }
            d.henryHigh = std::isfinite(bubbleHigh) ? kHigh(bubbleHigh) : bubbleHigh;
        } else {
            // No Henry constant: the bounds of any, from 0 (a light solute's:
            // from psat) to infinity.
            d.henryLow = d.henryHigh = henryUncertaintyAt(xs);
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

std::string PhaseRules::correspondenceText(double T_, double P_bar, double Tcx, double Pcx_bar, double tScale,
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

namespace {
// A component of the given share held as densely as its own liquid: its share
// per molar volume above the geometric mean of its saturated volumes'.
bool heldAsItsLiquid(const char* name, double T, double V, double share) {
    const double Vl = ancillarySaturatedLiquidVolume(name, T), Vv = ancillarySaturatedVapourVolume(name, T);
    return Vl > 0.0 && Vv > Vl && V / share < std::sqrt(Vl * Vv);
}
}  // namespace

bool PhaseRules::holdsAsLiquidOfVapourOnly(std::size_t i, double T_, double V_, double share) const {
    const std::vector<ValidityRange>& components = m_.componentValidity;
    if (i >= components.size() || i >= m_.x.size() || i >= m_.component_names.size()) return false;
    if (share < 0.0) share = m_.x[i];
    if (!(T_ < components[i].vapourOnlyBelow) || !(share > 0.0)) return false;
    return heldAsItsLiquid(m_.component_names[i].c_str(), T_, V_, share);
}

bool PhaseRules::liquidOfVapourOnlyComponent(std::string& why) const {
    // A binary with both components present holds its liquid where it is
    // not refused (StateReport::admitsVapourOnlyPressure); a component the
    // model describes as a vapour only below its limit has, where the mixture
    // holds it as densely as its liquid (its share per molar volume above the
    // geometric mean of its saturated volumes'), the model's liquid heat
    // capacities, which are not the fluid's.
    // A pure fluid whose liquid volume the model describes below that limit
    // (ValidityRange::liquidVolume) has the same liquid heat capacities.
    const double T = m_.T, V = m_.V;
    auto say = [&](const char* holds, const char* name, double below) {
        char buf[400];
        std::snprintf(buf, sizeof buf,
                      "%s as densely as %s's liquid, whose heat capacities and fugacities the model does not give "
                      "below %g K (its equation was fitted to volumes and phase equilibria: its liquid's cv and "
                      "fugacities are not the fluid's)",
                      holds, name, below);
        why = buf;
        return true;
    };
    double others = 0.0;
    const int major = majorComponent(others);
    if (major < 0) return false;
    const ValidityRange range = stateRange();
    const char* pure = atPureComposition() ? m_.component_names[static_cast<std::size_t>(major)].c_str() : nullptr;
    if (pure && range.liquidVolume && T < range.vapourOnlyBelow && heldAsItsLiquid(pure, T, V, 1.0))
        return say((std::string("the model holds ") + pure).c_str(), pure, range.vapourOnlyBelow);
    if (m_.component_count != 2 || !(others > 0.0)) return false;
    const std::vector<ValidityRange>& components = m_.componentValidity;
    for (std::size_t i = 0; i < components.size() && i < m_.x.size() && i < m_.component_names.size(); ++i) {
        const char* name = m_.component_names[i].c_str();
        if (!holdsAsLiquidOfVapourOnly(i, T, V)) continue;
        char holds[96];
        std::snprintf(holds, sizeof holds, "the mixture holds its %.3g %s", m_.x[i], name);
        return say(holds, name, components[i].vapourOnlyBelow);
    }
    return false;
}

bool PhaseRules::criticalPointInRange() const {
    const ValidityRange validity = stateRange();
    // A model of the vapour alone below its fluid's critical temperature
    // whose own critical point lies above it has no two-phase state the
    // fluid has: from the fluid's critical temperature up to its own it
    // splits the supercritical fluid.
    const char* fluid = atPureComposition() ? phaseRuleFluid() : nullptr;
    const double Tcf = ancillaryCriticalTemperature(fluid);
    const double T = m_.T, P = m_.P;
    if (validity.vapourOnlyBelow >= Tcf && T > Tcf) {
        platform::diagf("The model %s holds %s: its critical point at %g K and %g bar lies above that of %s (%.6g K), "
                        "and between the two it splits the supercritical fluid into a liquid and a vapour.\n",
                        m_.modelName(), validity.describe().c_str(), T, P * 1e-5, fluid, Tcf);
        return false;
    }
    if (validity.holds(T, P * 1e-5)) return true;
    platform::diagf("The model %s holds %s: its critical point at %g K and %g bar lies outside it.\n", m_.modelName(),
                    validity.describe().c_str(), T, P * 1e-5);
    return false;
}

bool PhaseRules::curveTemperaturesInRange(double T0, double T1, const char* what) const {
    const ValidityRange validity = stateRange();
    if (validity.holdsTemperature(T0) && validity.holdsTemperature(T1)) return true;
    const std::string at =
        T0 == T1 ? "at " + givenDigits(T0) + " K" : "from " + givenDigits(T0) + " to " + givenDigits(T1) + " K";
    platform::diagf("The model %s holds %s: the %s %s lies outside it.\n", m_.modelName(), validity.describe().c_str(),
                    what, at.c_str());
    return false;
}

double PhaseRules::lowestReportedCurveTemperature() const {
    const ValidityRange validity = freezingEdgeRange();
    if (!validity.declared()) return m_.lowestCurveTemperature();
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

std::string PhaseRules::lowestCurveTemperatureReason(double Tlow) const {
    const ValidityRange range = freezingEdgeRange();
    const char* fluid = phaseRuleFluid();
    if (fluid && Tlow == triplePointTemperature(fluid)) return std::string("the triple point of ") + fluid;
    // A mixture whose states hold below the temperature where a component
    // freezes out of its liquid: the curve ends there for that reason, and
    // the range said is the one its states are held to.
    const ValidityRange states = stateRange();
    if (range.declared() && states.Tmin < range.Tmin && Tlow == range.Tmin) {
        const std::vector<std::string>& names = m_.component_names;
        std::string frozen;
        double Tf = 0.0;
        for (std::size_t i = 0; i < names.size() && i < m_.x.size(); ++i) {
            const double t = m_.x[i] > kTraceFraction ? mixtureFreezingTemperature(names[i].c_str(), m_.x[i]) : 0.0;
            if (t > Tf) Tf = t, frozen = names[i];
        }
        if (!frozen.empty())
            return "where " + frozen + " freezes out of the mixture's liquid (its ideal solubility; the model holds " +
                   states.describe() + ")";
    }
    if (range.declared()) return "the lower end of the model's range, " + range.describe();
    return "the lowest temperature of the model's curves";
}

// ---- the phase of a printed binary from published data the model does
// not use: the solubility of a heavy solute in its solvent-rich fluid, beside
// the Raoult-Henry dew and bubble pressures of a light one (diluteSplitFrom).

PhaseRules::DiluteVerdict PhaseRules::publishedSolubility(double T_, double P_bar, double* share) const {
    if (share) *share = std::nan("");
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!lookups_.solubilityOf || !binarySolvent(solvent, solute, xs)) return DiluteVerdict::kUncertain;
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(solute)].c_str();
    if (!(ancillaryCriticalTemperature(b) >= ancillaryCriticalTemperature(a))) return DiluteVerdict::kUncertain;
    const double c = lookups_.solubilityOf(a, b, T_, P_bar);
    if (share) *share = c;
    if (!(c > 0.0)) return DiluteVerdict::kUncertain;
    if (xs > kSolubilityUncertainty * c) return DiluteVerdict::kSplits;
    return xs < c / kSolubilityUncertainty ? DiluteVerdict::kOnePhase : DiluteVerdict::kUncertain;
}

double PhaseRules::solidFugacity(const char* name, double psub, double Vs, double T_, double P) {
    const ReferenceFluid* row = referenceFluid(name);
    const double phi = row ? row->gasFugacityCoefficient(T_, psub) : 1.0;
    const double poynting = Vs > 0.0 ? std::exp(Vs * (P - psub) / (FluidPhase::R * T_)) : 1.0;
    return psub * phi * poynting;
}

double PhaseRules::publishedGasFugacity(int i, double T_, double P_bar) const {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!binarySolvent(solvent, solute, xs) || solute != i) return std::nan("");
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(solute)].c_str();
    const ReferenceFluid *ra = referenceFluid(a), *rb = referenceFluid(b);
    const double B12 = crossSecondVirialCoefficient(a, b, T_);
    if (!ra || !rb || !std::isfinite(B12) || !solventAloneOnePhase(a, T_, P_bar)) return std::nan("");
    // The virial equation to its second coefficients (the pure gases' and
    // the cross one, Tsonopoulos 1974): B = y1^2 B11 + 2 y1 y2 B12 + y2^2
    // B22, ln phi2 = (2 (y1 B12 + y2 B22) - B) P/(R T).  It holds in a gas
    // up to about half the critical density (Prausnitz, Lichtenthaler & de
    // Azevedo 1999); beyond, no estimate.
    const double y2 = xs, y1 = 1.0 - xs, P = P_bar * 1e5, RT = FluidPhase::R * T_;
    const double B11 = ra->secondVirialCoefficient(T_), B22 = rb->secondVirialCoefficient(T_);
    const double B = y1 * y1 * B11 + 2.0 * y1 * y2 * B12 + y2 * y2 * B22;
    const double Z = 1.0 + B * P / RT;
    if (!(Z > 0.0) || !(P / (Z * RT) < 0.5 * ra->rhoc / ra->molarMass)) return std::nan("");
    return y2 * P_bar * std::exp((2.0 * (y1 * B12 + y2 * B22) - B) * P / RT);
}

bool PhaseRules::solidBelowItsMeltingLine(const char* name, double T_, double P_bar) {
    const ReferenceFluid* row = referenceFluid(name);
    if (!row || !(T_ < row->Tt)) return false;
    return P_bar * 1e5 < row->pt || publishedFreezingTemperature(name, T_, P_bar) > T_;
}

double PhaseRules::publishedGasFrostTemperature(int i, double T_, double P_bar) const {
    const char* name = m_.component_names[static_cast<std::size_t>(i)].c_str();
    const double Tt = triplePointTemperature(name);
    // ln of the gas's fugacity of component i over its solid's: it falls as
    // T rises (the solid's rises with the enthalpy of sublimation).
    auto excess = [&](double T) {
        double Vs = std::nan("");
        const double psub = lookups_.sublimationOf ? lookups_.sublimationOf(name, T, Vs) : std::nan("");
        return std::log(publishedGasFugacity(i, T, P_bar) / (solidFugacity(name, psub, Vs, T, P_bar * 1e5) * 1e-5));
    };
    double lo = T_, hi = Tt * (1.0 - 1e-9);
    const double ghi = excess(hi);
    if (!std::isfinite(ghi)) return std::nan("");
    if (ghi > 0.0) return HUGE_VAL;
    for (int k = 0; k < 80 && hi - lo > 1e-5; ++k) {
        const double mid = 0.5 * (lo + hi), g = excess(mid);
        if (!std::isfinite(g)) return std::nan("");
        (g > 0.0 ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

bool PhaseRules::solventAloneOnePhase(const char* name, double T_, double P_bar) const {
    if (T_ >= ancillaryCriticalTemperature(name)) return true;
    double Vs = std::nan("");
    const double p0 = T_ < triplePointTemperature(name)
                          ? (lookups_.sublimationOf ? lookups_.sublimationOf(name, T_, Vs) * 1e-5 : std::nan(""))
                          : ancillaryVapourPressure(name, T_) * 1e-5;
    return P_bar < p0 * (1.0 - kPhaseTolerance);
}

PhaseRules::DiluteVerdict PhaseRules::heavyLiquidVerdict(const char* light, const char* heavy, double xh, double T_,
                                                        double P_bar, double fugacity, std::string& why) const {
    why.clear();
    if (!lookups_.henryOf || T_ < triplePointTemperature(heavy) || T_ >= ancillaryCriticalTemperature(heavy))
        return DiluteVerdict::kUncertain;
    const double psat = ancillaryVapourPressure(heavy, T_), Vl = ancillarySaturatedLiquidVolume(heavy, T_);
    const double H = lookups_.henryOf(heavy, light, T_) * 1e-5;
    if (!(psat > 0.0) || !(Vl > 0.0) || !(H > 0.0)) return DiluteVerdict::kUncertain;
    const ReferenceFluid* row = referenceFluid(heavy);
    const double phi = row ? row->gasFugacityCoefficient(T_, psat) : 1.0;
    const double pure = psat * 1e-5 * phi * std::exp(Vl * (P_bar * 1e5 - psat) / (FluidPhase::R * T_));
    const double dissolved = (1.0 - xh) * P_bar / H;
    double high = pure * (1.0 - dissolved * std::exp(-kPublishedHenryDeviation)) * (1.0 + kPhaseTolerance);
    double low = pure * std::max(0.0, 1.0 - dissolved * std::exp(kPublishedHenryDeviation)) *
                       (1.0 - kPhaseTolerance);
    // A dilute gas: its second virial term B P/RT (B of the mixture from
    // both components' Tsonopoulos coefficients, mixed linearly) under 0.2,
    // a compressibility factor above about 0.8, where the virial series to B
    // holds.  Only there is a model's gas fugacity taken as the fluid's
    // (DMW's water in CO2 near its critical point lies 2x off Spycher et
    // al.'s), and only there does a fugacity below the liquid's say the fluid
    // is one gas (a dense fluid's root may be a liquid of its own).
    const ReferenceFluid* gas = referenceFluid(light);
    const double B = gas && row ? (1.0 - xh) * gas->secondVirialCoefficient(T_) + xh * row->secondVirialCoefficient(T_)
                                : std::nan("");
    if (!(std::fabs(B * P_bar * 1e5 / (FluidPhase::R * T_)) < 0.2)) return DiluteVerdict::kUncertain;
    // A model's root whose fugacity coefficient lies beyond a factor e^0.5
    // of 1 is not such a gas: the ideal gas's xh P is taken, uncertain
    // within the virial term (its fugacity coefficient within a factor
    // exp(|B P/RT|) of 1), which widens the band.
    const double ideal = xh * P_bar, virialTerm = std::fabs(B * P_bar * 1e5 / (FluidPhase::R * T_));
    const bool model = fugacity > 0.0 && std::fabs(std::log(fugacity / ideal)) < 0.5;
    const double f = model ? fugacity : ideal;
    // (The pure liquid's phi(psat) and a gas's fugacity coefficient both
    // leave out the virial series beyond B, of order (B P/RT)^2 / 2.)
    const double widen = model ? 0.5 * virialTerm * virialTerm : virialTerm;
    high *= std::exp(widen);
    low *= std::exp(-widen);
    if (!(f > 0.0)) return DiluteVerdict::kUncertain;
    char buf[400];
    if (!(f > high) && !(f < low)) {
        std::snprintf(buf, sizeof buf,
                      "the fugacity of %s in the %s-rich fluid, %.4g bar, lies between %.4g and %.4g bar, that of "
                      "its pure liquid holding the %s it dissolves within the published data's uncertainty",
                      heavy, light, f, low, high, light);
        why = buf;
        return DiluteVerdict::kUncertain;
    }
    std::snprintf(buf, sizeof buf,
                  "the fugacity of %s in the %s-rich fluid, %.4g bar, lies %s %.4g bar, that of its pure liquid "
                  "(vapour pressure %.5g bar) holding the %.2g %% %s it dissolves (its published Henry constant): "
                  "%s",
                  heavy, light, f, f > high ? "above" : "below", f > high ? high : low, psat * 1e-5,
                  100.0 * dissolved, light, f > high ? "its liquid condenses" : "no liquid rich in it forms");
    why = buf;
    return f > high ? DiluteVerdict::kSplits : DiluteVerdict::kOnePhase;
}

PhaseRules::DiluteVerdict PhaseRules::publishedBinaryVerdict(double T_, double P_bar, const DiluteSplit& d,
                                                            DiluteVerdict verdict, std::string& why,
                                                            double soluteFugacity, double solventFugacity) const {
    why.clear();
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!binarySolvent(solvent, solute, xs)) return DiluteVerdict::kUncertain;
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(solute)].c_str();
    char buf[640];
    if (oneFluidAt(T_, P_bar)) {
        const double below = onePhaseAboveCriticalTemperaturesBelow();
        const std::string upTo = std::isfinite(below) ? " up to " + givenDigits(below) + " bar" : "";
        std::snprintf(buf, sizeof buf,
                      "above the critical temperatures of both components %s and %s are one fluid at every "
                      "composition%s (their published critical curve)",
                      a, b, upTo.c_str());
        why = buf;
        return DiluteVerdict::kOnePhase;
    }
    if (criticalcurve::oneFluidAboveCriticalCurve(a, b, T_, P_bar, &why)) return DiluteVerdict::kOnePhase;
    // Raoult's and Henry's laws decided (not near the dew or bubble pressure).
    const bool laws = d.known && verdict != DiluteVerdict::kUncertain && verdict != DiluteVerdict::kWrong;
    auto byLaws = [&] {
        std::snprintf(buf, sizeof buf,
                      "Raoult's and Henry's laws put its dew and bubble pressures at %.5g and %.5g bar, from the "
                      "vapour pressure of %s, %.5g bar, and %s Henry constant of %s",
                      d.dew, d.bubble, a, d.psat, d.published ? "the published" : "the model's", b);
        why = buf;
        return verdict;
    };
    const bool light = ancillaryCriticalTemperature(b) < ancillaryCriticalTemperature(a);
    if (light) {
        // Below its bubble pressure a heavy solvent (water with CO2) condenses
        // its own liquid where its fugacity passes the pure liquid's, the
        // same test as in the other order: that decides the dew side.
        if (d.known && P_bar < d.bubbleLow && !isDiluteShare(xs)) {
            // (Where it does not condense the laws decide, as for a dilute
            // solution: a model's vapour of nearly pure water is no better
            // than its vapour pressure.)
            const DiluteVerdict own = heavyLiquidVerdict(b, a, 1.0 - xs, T_, P_bar, solventFugacity, why);
            if (own == DiluteVerdict::kSplits) return own;
            why.clear();
        }
        return laws ? byLaws() : DiluteVerdict::kUncertain;
    }
    // A heavy solute: its own liquid bounds the solvent-rich fluid (its
    // solid is the frost point's; below its triple point a liquid rich in it
    // may still form, the solvent lowering its freezing point).
    double c = 0.0;
    const DiluteVerdict bySolubility = publishedSolubility(T_, P_bar, &c);
    bool fits = bySolubility == DiluteVerdict::kOnePhase;
    if (c > 0.0) {
        if (bySolubility == DiluteVerdict::kSplits || fits) {
            const std::string separates = fits ? "" : std::string("a liquid rich in ") + b + " separates: ";
            std::snprintf(buf, sizeof buf,
                          "%sthe %s-rich fluid holds about %.3g %% %s at %g K and %g bar (its published solubility), "
                          "the mixture %.3g %%",
                          separates.c_str(), a, 100.0 * c, b, T_, P_bar, 100.0 * xs);
            why = buf;
        }
        if (bySolubility == DiluteVerdict::kSplits) return bySolubility;
    }
    if (!fits && T_ >= triplePointTemperature(b)) {
        // Within the published solubility's band, or without one, the
        // solute's own liquid bounds the fluid: it condenses where its
        // fugacity passes the pure liquid's.
        // (The model's fugacity where it describes the fluid: not in the
        // liquid of a solvent it describes as a vapour only.)
        const bool described = !(T_ < solventVapourOnlyBelow()) || solventAloneOnePhase(a, T_, P_bar);
        // Where a published solubility exists the two must agree: its own
        // side of the mixture's share, and the liquid's fugacity.
        const DiluteVerdict own =
            heavyLiquidVerdict(a, b, xs, T_, P_bar, described ? soluteFugacity : std::nan(""), why);
        const bool agrees = !(c > 0.0) || (own == DiluteVerdict::kSplits) == (xs > c);
        if (own == DiluteVerdict::kSplits && agrees) return own;
        fits = own == DiluteVerdict::kOnePhase && agrees;
        if (!fits) why.clear();
    } else if (T_ < triplePointTemperature(b) && lookups_.sublimationOf && lookups_.henryOf &&
               soluteFugacity > 0.0 && solventAloneOnePhase(a, T_, P_bar)) {
        // Below its triple point the solute condenses as its solid or as its
        // supercooled liquid holding the solvent at x = P/H (its published
        // Henry constant at the triple point, the lowest temperature it is
        // published at); that liquid's fugacity, (1 - P/H) times the pure
        // liquid's, lies above (1 - P/H) times the solid's.  Below that bound
        // neither forms.  Without a published constant (liquids that mix,
        // CO2 with CH4) the model's own test decides.
        // In a gas the published estimate of the solute's fugacity (its
        // second virial coefficients) decides, where it holds; the model's
        // homogeneous fluid elsewhere.
        // (Above ice Ih's melting line, where it falls below the triple
        // point, no ice forms: the liquid condenses, which this does not
        // bound.)
        const double estimate = publishedGasFugacity(solute, T_, P_bar);
        const bool published = std::isfinite(estimate);
        if (published) soluteFugacity = solidBelowItsMeltingLine(b, T_, P_bar) ? estimate : std::nan("");
        double Vs = std::nan("");
        const double psub = lookups_.sublimationOf(b, T_, Vs);
        const double dissolved = P_bar / (lookups_.henryOf(b, a, triplePointTemperature(b)) * 1e-5);
        const double fs = psub > 0.0 ? solidFugacity(b, psub, Vs, T_, P_bar * 1e5) * 1e-5 : std::nan("");
        // With the published estimate the supercooled liquid's fugacity is
        // the pure liquid's by the published lines (the solid's raised by
        // the enthalpy of fusion below the melting temperature, as for a
        // solvent) lowered by the gas it dissolves: below the solid's only
        // within a fraction of a kelvin of the melting line, and whichever
        // is lower bounds the gas.  Against the model's own fugacity the
        // bound stays the lower one, the solid's lowered by that gas.
        const ReferenceFluid* row = referenceFluid(b);
        const double dH = row ? solventFusionEnthalpy(*row) : std::nan("");
        const double Tm = row && P_bar * 1e5 < row->pt ? row->Tt : publishedFreezingTemperature(b, T_, P_bar);
        const double liquidOverSolid =
            published && dH > 0.0 && Tm > T_ ? std::exp(dH / FluidPhase::R * (1.0 / T_ - 1.0 / Tm)) : 1.0;
        const double bound = fs * std::min(1.0, liquidOverSolid * (1.0 - dissolved));
        fits = dissolved >= 0.0 && dissolved < 1.0 && soluteFugacity * (1.0 + kFrostTolerance) < bound;
        if (fits) {
            const SolidField solid = lookups_.solidOf ? lookups_.solidOf(b, T_, fs) : SolidField{};
            const char* source = (row ? row->solid : SolidLines{}).sublimationSource;
            if (published)
                std::snprintf(buf, sizeof buf,
                              "the fugacity of %s in the gas by its second virial coefficients (Tsonopoulos 1974), "
                              "%.4g bar, lies below %.4g bar, that of %s (from %s) or of its liquid holding the "
                              "%.2g %% %s it would dissolve (its published Henry constant), and %s alone is one "
                              "phase there: no %s-rich phase forms",
                              b, soluteFugacity, bound, solid.solid ? solid.solid : "its solid", source,
                              100.0 * dissolved, a, a, b);
            else
                std::snprintf(buf, sizeof buf,
                              "the fugacity of %s in it, %.4g bar, lies below %.4g bar, that of %s (from %s) lowered "
                              "by the %.2g %% %s its liquid would dissolve (its published Henry constant), and %s "
                              "alone is one phase there: no %s-rich phase forms",
                              b, soluteFugacity, bound, solid.solid ? solid.solid : "its solid", source,
                              100.0 * dissolved, a, a, b);
            why = buf;
        }
    }
    if (!fits) return DiluteVerdict::kUncertain;
    // The solvent-rich fluid's own liquid and vapour.
    if (laws) {
        const std::string holds = why;
        const DiluteVerdict v = byLaws();
        why = holds + "; " + why;
        return v;
    }
    return d.known ? DiluteVerdict::kUncertain : DiluteVerdict::kOnePhase;
}
