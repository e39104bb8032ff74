// The states the command interpreter prints from T and P or T and V, with
// the phase of a mixture (the model's own stability test against the
// published data: the solids that deposit from it, the dew and bubble
// pressures and solubilities of its solute), and the row limits of the
// interpreter's curves.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fluid/BinaryCriticalCurves.h"
#include "fluid/ErrorFlagScope.h"
#include "fluid/KeptFields.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"

namespace {

constexpr double kFrostTolerance = PhaseRules::kFrostTolerance;

// A mixture below the critical temperature of `fluid`, its solvent, is a
// liquid where denser than the geometric mean of the solvent's saturated
// volumes at T (the phase the printed states are named by).
bool liquidBelowCriticalTemperature(const char* fluid, double T, double V) {
    return T < ancillaryCriticalTemperature(fluid) &&
           V < std::sqrt(ancillarySaturatedLiquidVolume(fluid, T) * ancillarySaturatedVapourVolume(fluid, T));
}

// Within the phase tolerance of a binary's dew or bubble pressure itself.
bool nearDewOrBubble(const PhaseRules::DiluteSplit& d, double P_bar) {
    auto near = [&](double p) { return std::fabs(P_bar / p - 1.0) <= PhaseRules::kPhaseTolerance; };
    return near(d.dew) || near(d.bubble);
}

}  // namespace

bool StateReport::stableRootFugacities(double T_, double P_bar, std::vector<double>& f, double* V_stable) {
    const ErrorFlagScope kept(m_, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // no root: no fugacity, said by the caller's rule
    double Gbest = HUGE_VAL;
    for (int kind : {1, 2}) {
        double V_ = 0.0, G_ = 0.0;
        if (!m_.pressureRootFromTP(kind, T_, P_bar, V_, G_) || !(G_ < Gbest)) continue;
        bool finite = m_.fugacity.size() >= static_cast<std::size_t>(m_.component_count);
        for (int i = 0; finite && i < m_.component_count; ++i)
            finite = std::isfinite(m_.fugacity[static_cast<std::size_t>(i)]) &&
                     m_.fugacity[static_cast<std::size_t>(i)] >= 0.0;
        if (!finite) continue;
        Gbest = G_;
        f.assign(m_.fugacity.begin(), m_.fugacity.begin() + m_.component_count);
        if (V_stable) *V_stable = V_;
    }
    m_.errorflag = kept.saved();
    return Gbest < HUGE_VAL;
}

double StateReport::stableRootFugacityBar(int i, double T_, double P_bar) {
    std::vector<double> f;
    return stableRootFugacities(T_, P_bar, f) ? f[static_cast<std::size_t>(i)] * 1e-5 : std::nan("");
}

StateReport::FrostPoint StateReport::frostPointAt(double T_, double P_bar, bool seekTemperature) {
    FrostPoint frost;
    if (!rules_.solidsProbedByFugacity() || m_.x.size() < m_.component_names.size())
        return frost;
    std::vector<double> f;
    double V_ = 0.0;
    bool rooted = false, tried = false;
    const double P = P_bar * 1e5;
    // Where two solids deposit (ice and solid CO2 from a cold liquid of
    // both), both are named, first the one furthest beyond its solid's
    // fugacity, whichever order the components are given in.
    FrostPoint deposit;
    const auto excess = [](const FrostPoint& p) {
        return std::isfinite(p.activity) ? p.activity / p.idealSolubility : p.f / p.fSolid;
    };
    const auto keep = [&](const FrostPoint& p) {
        if (!deposit.component) {
            deposit = p;
            return;
        }
        const bool further = excess(p) > excess(deposit);
        const char* other = further ? deposit.solid : p.solid;
        if (further) deposit = p;
        deposit.alsoSolid = other;
    };
    PhaseRules::SolventSolid own;
    const bool solventByLines = rules_.solventSolid(T_, P_bar, own, seekTemperature);
    for (std::size_t i = 0; i < m_.component_names.size(); ++i) {
        const char* name = m_.component_names[i].c_str();
        // Ice of a water solvent (a pure fluid its limit) is judged by the
        // published lines and Raoult's law on its share in the liquid
        // (PhaseRules::solventSolid), whatever the model's root: its
        // supercooled liquid's fugacity follows the model's vapour pressure,
        // 10 % and more off near water's triple point in a cubic, and far
        // below it at 100 K.  Any other solid in a liquid-like fluid is
        // judged by its activity there against its ideal solubility, solvent
        // or solute alike (liquidActivity); in a vapour-like one a solvent's
        // partial pressure, a solute's fugacity in the model's fluid, against
        // the solid's.
        const bool byLines = solventByLines && own.index == static_cast<int>(i);
        double Vs = std::nan("");
        const double psub = byLines ? own.psub : rules_.lookups().sublimationOf(name, T_, Vs);
        if (!(m_.x[i] > 0.0) || !(psub > 0.0)) continue;
        // A solute in a gas: its fugacity by the published estimate (its
        // second virial coefficients) where that holds, the data the solid's
        // own lines are judged with; the model's fluid elsewhere.
        const double estimate = byLines ? std::nan("") : rules_.publishedGasFugacity(static_cast<int>(i), T_, P_bar);
        const bool virial = std::isfinite(estimate);
        // Above its melting line (ice Ih's falls below the triple point) the
        // solid is not stable against the liquid, which condenses first.
        if (!byLines && !PhaseRules::solidBelowItsMeltingLine(name, T_, P_bar)) continue;
        const bool byModel = !byLines && !virial;
        // A solid with a published liquid (not ice) in a liquid-like fluid:
        // one law, solvent or solute alike (liquidActivity).
        const ReferenceFluid* row = referenceFluid(name);
        const bool byActivity = row && row->fusionEnthalpy > 0.0 && T_ < row->Tt;
        auto root = [&] {
            if (!tried) tried = true, rooted = stableRootFugacities(T_, P_bar, f, &V_);
            return rooted;
        };
        if (byModel && !root()) return deposit.component ? deposit : frost;
        FrostPoint found;
        // A pure fluid keeps the verdict of its solid's published lines
        // themselves (the limit the activity law reaches as x_i -> 1).
        const bool mixture = m_.x[i] < 1.0;
        if (byActivity && mixture && !virial && root() && liquidActivity(i, T_, P_bar, f, V_, found)) {
            if (found.uncertain && !frost.component) frost = found;
            if (!found.uncertain && found.solid) keep(found);
            continue;
        }
        // The vapour's test: a solvent's partial pressure against the
        // sublimation pressure (not Raoult's law on a liquid).
        if (byLines && own.liquid && byActivity && mixture && rooted) {
            own.liquid = false;
            own.share = m_.x[i];
            own.fFluid = own.share * P;
            own.deposits = own.fFluid > (1.0 + kFrostTolerance) * psub;
            own.uncertain = !own.deposits && own.fFluid * (1.0 + kFrostTolerance) >= psub;
            if (seekTemperature) own.T = publishedFreezingTemperature(name, T_, own.share * P_bar);
        }
        // A component the model describes as a vapour only, held as densely
        // as its liquid, has no fugacity of the fluid's to judge its solid by.
        if (byModel && rules_.holdsAsLiquidOfVapourOnly(i, T_, V_)) continue;
        const double fs = byLines ? psub : PhaseRules::solidFugacity(name, psub, Vs, T_, P);
        const double fi = byLines ? own.fFluid : virial ? estimate * 1e5 : f[i];
        const double excess = fi / fs;
        const bool deposits = byLines ? own.deposits : excess > 1.0 + kFrostTolerance;
        if (byLines ? !deposits && !own.uncertain : !deposits && !(excess * (1.0 + kFrostTolerance) >= 1.0)) continue;
        const SolidField solid =
            rules_.lookups().solidOf
                ? rules_.lookups().solidOf(name, T_, std::max(byLines ? P : fi, 1.1 * psub) * 1e-5)  // (named)
                : SolidField{};
        found.solid = solid.solid ? solid.solid : "its solid";
        found.component = name;
        found.f = fi * 1e-5;
        found.fSolid = fs * 1e-5;
        found.psub = byLines ? psub * 1e-5 : std::nan("");
        found.share = byLines ? own.share : 1.0;
        found.raoult = byLines && own.liquid;
        found.beyondMelting = byLines && !(T_ < triplePointTemperature(name));
        // (Below the triple-point pressure the pure solid meets the vapour.)
        found.liquid = byLines  ? own.liquid && !(row && P < row->pt)
                       : virial ? false
                                : liquidBelowCriticalTemperature(rules_.solventFluid(), T_, V_);
        found.virial = virial;
        if (!deposits) {
            // Within the tolerance of the solid's: whether it deposits is
            // uncertain (said unless another component's solid deposits).
            if (!frost.component) frost = found, frost.uncertain = true;
            continue;
        }
        if (byLines || virial) {
            found.T = !seekTemperature ? std::nan("")
                      : byLines    ? own.T
                                   : rules_.publishedGasFrostTemperature(static_cast<int>(i), T_, P_bar);
            keep(found);
            continue;
        }
        found.T = seekTemperature ? solidEquilibriumTemperature(i, T_, P_bar, Vs, std::log(f[i] / fs), found.liquid)
                                  : std::nan("");
        keep(found);
    }
    return deposit.component ? deposit : frost;
}

bool StateReport::liquidActivity(std::size_t i, double T_, double P_bar, const std::vector<double>& fluid, double V_,
                                 FrostPoint& found) {
    const char* name = m_.component_names[i].c_str();
    const ReferenceFluid* row = referenceFluid(name);
    double Vc = 0.0;
    for (std::size_t j = 0; j < m_.component_names.size(); ++j) {
        const ReferenceFluid* r = referenceFluid(m_.component_names[j].c_str());
        if (!r) return false;
        Vc += m_.x[j] * r->molarMass / r->rhoc;
    }
    if (!row || !(V_ < Vc) || !(fluid[i] > 0.0)) return false;
    // The model's own pure liquid at T and P (its root of lower Gibbs
    // energy, as the fluid's: the mixture's own at x_i -> 1), the
    // composition put back.
    const std::vector<double> x = m_.x;
    std::vector<double> pure;
    double Vp = std::nan("");
    for (std::size_t j = 0; j < x.size(); ++j) m_.composition_of_component(static_cast<int>(j), j == i ? 1.0 : 0.0);
    const bool rooted = stableRootFugacities(T_, P_bar, pure, &Vp);
    for (std::size_t j = 0; j < x.size(); ++j) m_.composition_of_component(static_cast<int>(j), x[j]);
    const double fPure = rooted && Vp < row->molarMass / row->rhoc ? pure[i] : std::nan("");
    if (!(fPure > 0.0) || !std::isfinite(fPure)) return false;
    const double dH = row->fusionEnthalpy, Tm = P_bar * 1e5 < row->pt ? row->Tt : publishedFreezingTemperature(name, T_, P_bar);
    if (!(Tm > T_)) return false;
    const double depression = dH / FluidPhase::R * (1.0 / T_ - 1.0 / Tm);
    const double activity = fluid[i] / fPure, margin = std::log(activity) + depression;
    const bool deposits = margin > kFrostTolerance * depression;
    const bool uncertain = !deposits && margin >= -kFrostTolerance * depression;
    if (!deposits && !uncertain) {
        found = FrostPoint{};
        found.activity = activity;  // (judged: no solid)
        return true;
    }
    const SolidField solid = rules_.lookups().solidOf ? rules_.lookups().solidOf(name, T_, P_bar) : SolidField{};
    found.solid = solid.solid ? solid.solid : "its solid";
    found.component = name;
    found.activity = activity;
    found.idealSolubility = std::exp(-depression);
    found.share = m_.x[i];
    found.liquid = true;
    found.uncertain = uncertain;
    // Its freezing point at P, the activity held at its value at T; an
    // activity above 1 (a liquid holding it beyond its own pure liquid) puts
    // it above the melting temperature, so above the triple point (+inf).
    const double inverse = 1.0 / Tm - FluidPhase::R * std::log(activity) / dH;
    found.T = activity < 1.0 && inverse > 0.0 ? 1.0 / inverse : HUGE_VAL;
    return true;
}

double StateReport::solidEquilibriumTemperature(std::size_t i, double T_, double P_bar, double Vs, double g0,
                                                bool& liquid) {
    // ln(f / f_solid) of component i at T and P: the fluid's (the model's
    // root of lower Gibbs energy at the composition given) over the pure
    // solid's.  It falls with T, the solid's fugacity rising with the
    // enthalpy of sublimation, the fluid's with the smaller one of the
    // component's escape from the fluid (at most its enthalpy of
    // vaporisation), and is g0 > 0 at T_.
    const char* name = m_.component_names[i].c_str();
    const double P = P_bar * 1e5;
    auto excess = [&](double T, double& g) {
        std::vector<double> f;
        double unused = 0.0, V_ = 0.0;
        const double psub = rules_.lookups().sublimationOf(name, T, unused);
        if (!stableRootFugacities(T, P_bar, f, &V_) || !(f[i] > 0.0) || !(psub > 0.0)) return false;
        g = std::log(f[i] / PhaseRules::solidFugacity(name, psub, Vs, T, P));
        liquid = liquidBelowCriticalTemperature(rules_.solventFluid(), T, V_);
        return true;
    };
    double lo = T_, hi = triplePointTemperature(name) * (1.0 - 1e-9), glo = g0, ghi = 0.0;
    if (!excess(hi, ghi)) return std::nan("");
    if (ghi > 0.0) return HUGE_VAL;  // the solid's fugacity stays below up to the triple point
    // Regula falsi (Illinois), the bracket kept, to 1e-4 K; the phase named
    // is the fluid's at the last temperature tried.
    int side = 0;
    for (int k = 0; k < 60 && hi - lo > 1e-4; ++k) {
        double T = (lo * ghi - hi * glo) / (ghi - glo);
        if (!(T > lo && T < hi)) T = 0.5 * (lo + hi);
        double g = 0.0;
        if (!excess(T, g)) return std::nan("");
        if (std::fabs(g) < 1e-9) return T;
        if (g > 0.0) {
            lo = T, glo = g;
            if (side == 1) ghi *= 0.5;
            side = 1;
        } else {
            hi = T, ghi = g;
            if (side == -1) glo *= 0.5;
            side = -1;
        }
    }
    return 0.5 * (lo + hi);
}

bool StateReport::inSolventCriticalBand(double T_) {
    const char* fluid = rules_.solventFluid();
    double tScale = 1.0, pScale = 1.0, Tc0 = 0.0, Pc0 = 0.0;
    if (!fluid || !criticalScaling(tScale, pScale) || !solventCriticalPoint(Tc0, Pc0)) return false;
    // The band of the solvent itself, and its band at the mixture's
    // corresponding state (the mixture's two-phase region reaches past its
    // critical point, up to its cricondentherm).
    const double Tcf = ancillaryCriticalTemperature(fluid), Ts = T_ * tScale;
    return (T_ >= Tcf && T_ < Tc0) || (Ts >= Tcf && Ts < Tc0);
}

namespace {
// The factor on the Henry constant that bounds a binary's dew and bubble
// pressures, as said: one factor, or the two of a published constant.
std::string henryFactorText(const PhaseRules::DiluteSplit& d) {
    char buf[96];
    if (d.henryLow == d.henryHigh)
        std::snprintf(buf, sizeof buf, "a factor %g", d.henryLow);
    else if (std::isfinite(d.henryHigh))
        std::snprintf(buf, sizeof buf, "a factor %.3g below and %.3g above (at the upper bubble bound)", d.henryLow,
                      d.henryHigh);
    else
        std::snprintf(buf, sizeof buf, "a factor %.3g below and none above", d.henryLow);
    return buf;
}
}  // namespace

double StateReport::phaseVolumeAt(double T_, double P_bar, double w1, double Vnear) {
    const KeptFieldsAndComposition kept(m_);
    const ErrorFlagScope flag(m_, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // no root: the density withheld
    const double w[2] = {1.0 - w1, w1};
    double best = HUGE_VAL, Vbest = std::nan("");
    for (int kind : {1, 2}) {
        double V_ = 0.0, G_ = 0.0;
        m_.composition(w);
        if (!m_.pressureRootFromTP(kind, T_, P_bar, V_, G_) || !(V_ > 0.0)) continue;
        const double d = std::fabs(std::log(V_ / Vnear));
        if (d < best) best = d, Vbest = V_;
    }
    m_.errorflag = flag.saved();
    return Vbest;
}

std::string StateReport::namedSplit(double T_, double P_bar, double trial, FluidPhase::BinaryTieLine* found) {
    const FluidPhase::BinaryTieLine line = m_.binaryTieLineAt(T_, P_bar, trial);
    if (found) *found = line;
    if (!line.found) return {};
    const char* names[2] = {m_.component_names[0].c_str(), m_.component_names[1].c_str()};
    // Above the critical temperatures of both components both phases are
    // fluids.  Below, the denser is a liquid; the other is named by its
    // molar volume against its own larger component's: below that
    // component's critical temperature a liquid where smaller than the
    // geometric mean of its saturated volumes (CO2 beside water at 284 K and
    // 100 bar), above it a fluid where smaller than its critical volume (CO2
    // beside water at 323 K and 200 bar), else a vapour.
    const bool fluids = T_ >= ancillaryCriticalTemperature(names[0]) && T_ >= ancillaryCriticalTemperature(names[1]);
    const char* major = names[line.x1[1] > 0.5 ? 1 : 0];
    const char* lighter = liquidBelowCriticalTemperature(major, T_, line.V[1]) ? "liquid"
                          : T_ >= ancillaryCriticalTemperature(major) &&
                                  line.V[1] < ancillarySaturatedLiquidVolume(major, T_)
                              ? "fluid"
                              : "vapour";
    const std::string kinds[2] = {fluids ? "fluid" : "liquid", fluids ? "fluid" : lighter};
    // The model's compositions rest on both phases' fugacities: where a
    // phase holds a component as densely as its liquid below the limit under
    // which the model gives no fugacity of that liquid (DMW's water below
    // 647.096 K, 24 times IAPWS-95's at 274 K), they are not the fluid's.
    const char* noLiquid = nullptr;
    double noLiquidBelow = 0.0;
    for (int k = 0; k < 2 && !noLiquid; ++k)
        for (std::size_t i = 0; i < 2 && !noLiquid; ++i)
            if (rules_.holdsAsLiquidOfVapourOnly(i, T_, line.V[k], i ? line.x1[k] : 1.0 - line.x1[k])) {
                noLiquid = names[i];
                noLiquidBelow = m_.componentValidity[i].vapourOnlyBelow;
            }
    // Where the published mutual solubilities cover the state, each phase's
    // minor share is theirs (the fluid's, measured), its density the model's
    // at that composition; elsewhere the model's own, or withheld where it is
    // not the fluid's.  A published share that leaves the feed outside the
    // two phases is no phase of this split and is withheld.  (A solubility
    // is of one component's phase beside the other's: two phases rich in the
    // same component have none.)
    const PhaseLookups& look = rules_.lookups();
    const bool mutual = (line.x1[0] > 0.5) != (line.x1[1] > 0.5);
    std::string text, published, withheld;
    for (int k = 0; k < 2; ++k) {
        const int minor = line.x1[k] > 0.5 ? 0 : 1, other = 1 - k;
        const std::string label = (k && kinds[1] == kinds[0] ? "the other " : "the ") + kinds[k];
        double share = minor ? line.x1[k] : 1.0 - line.x1[k], V = line.V[k];
        const double c =
            look.solubilityOf && mutual ? look.solubilityOf(names[1 - minor], names[minor], T_, P_bar) : NAN;
        const double w1 = minor ? c : 1.0 - c, feed = m_.x[1];
        const bool between = (feed - w1) * (line.x1[other] - feed) > 0.0;
        if (c > 0.0 && c < 0.5 && between) {
            share = c;
            V = phaseVolumeAt(T_, P_bar, w1, line.V[k]);
            const char* source =
                look.solubilitySourceOf ? look.solubilitySourceOf(names[1 - minor], names[minor]) : nullptr;
            published += std::string(published.empty() ? "" : "; ") + "x(" + names[minor] + ") of " + label + ": " +
                         (source ? source : "published");
        } else if (c > 0.0 || noLiquid) {
            char why[240];
            if (c > 0.0)
                std::snprintf(why, sizeof why, "its published solubility there, %.6g, is not below the mixture's %.6g",
                              c, minor ? feed : 1.0 - feed);
            else
                std::snprintf(why, sizeof why,
                              "the model's own rests on its fugacities of %s's liquid, which it does not give below "
                              "%g K, and none is published at this temperature and pressure",
                              noLiquid, noLiquidBelow);
            const std::string what = std::string("x(") + names[minor] + ") of " + label;
            // (two phases withheld for one reason said once)
            const std::size_t same = withheld.find(std::string(" withheld: ") + why);
            if (same != std::string::npos)
                withheld.insert(same, " and " + what);
            else
                withheld += "; " + what + " withheld: " + why;
            share = V = std::nan("");
        }
        const double w = minor ? share : 1.0 - share;
        const double rho = ((1.0 - w) * m_.molar_mass[0] + w * m_.molar_mass[1]) / V;
        char sx[32] = "--", sr[32] = "--", buf[200];
        if (std::isfinite(share)) std::snprintf(sx, sizeof sx, "%.6g", share);
        if (std::isfinite(rho)) std::snprintf(sr, sizeof sr, "%.4g", rho);
        // Each phase by the share of its minor component (the water a
        // CO2-rich phase holds, not 1 less it).
        std::snprintf(buf, sizeof buf, "%s%s of x(%s) %s (%s kg/m3)", k ? " and " : "",
                      ((k && kinds[1] == kinds[0] ? "another " : "a ") + kinds[k]).c_str(), names[minor], sx, sr);
        text += buf;
    }
    if (published.empty() && withheld.empty()) return text + ", the model's own two-phase equilibrium";
    text += ", the phases of the model's own split";
    if (!published.empty())
        text += " with published solubilities in place of the model's compositions (" + published +
                "), each density the model's at that composition";
    return text + withheld;
}

void StateReport::printSplit(const std::optional<std::string>& split, const std::string& note) {
    if (split && !split->empty())
        std::printf("** Phase: not stable; at this temperature and pressure the mixture splits into %s (the state "
                    "below is the single fluid%s)\n",
                    split->c_str(), note.c_str());
    else if (split)
        std::printf("** Phase: not stable; at this temperature and pressure the model's own stability test splits "
                    "the mixture into two phases of other compositions, which its two-phase equilibrium could not "
                    "find (the state below is the single fluid%s)\n",
                    note.c_str());
    else
        std::printf("** Phase: not stable; at this temperature and pressure the mixture splits into two phases "
                    "of other compositions (the state below is the single fluid%s)\n",
                    note.c_str());
}

StateReport::SplitSolid StateReport::solidOfSplit(const FluidPhase::BinaryTieLine& line, double T_,
                                                  double P_bar) const {
    SplitSolid r;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!line.found || !rules_.lookups().solidOf || !rules_.binarySolvent(solvent, solute, xs)) return r;
    for (int k = 0; k < 2; ++k) {
        // (The solvent's own solid is judged by the published lines on its
        // share in the liquid, PhaseRules::solventSolid.)
        const int c = line.x1[k] > 0.5 ? 1 : 0;
        if (c != solute) continue;
        const char* name = m_.component_names[static_cast<std::size_t>(c)].c_str();
        const ReferenceFluid* row = referenceFluid(name);
        if (!row || !liquidBelowCriticalTemperature(name, T_, line.V[k])) continue;
        const double share = c ? line.x1[k] : 1.0 - line.x1[k], dH = solventFusionEnthalpy(*row);
        const double T0 = P_bar * 1e5 < row->pt ? row->Tt : publishedFreezingTemperature(name, T_, P_bar);
        if (!(dH > 0.0) || !(T0 > 0.0) || !(share > 0.0)) continue;
        const double Tf = 1.0 / (1.0 / T0 - FluidPhase::R * std::log(share) / dH);
        const SolidField solid = rules_.lookups().solidOf(name, T_, P_bar);
        if (!(T_ < Tf) || !solid.solid) continue;
        r.solid = solid.solid;
        r.component = name;
        r.share = share;
        r.T = Tf;
        return r;
    }
    return r;
}

void StateReport::printSplitSolid(const SplitSolid& solid, const std::string& split, const std::string& note,
                                  double P_bar) {
    std::printf("** Phase: not stable; %s deposits: the model's own stability test splits the mixture into %s; its "
                "%s-rich phase, %s at its share %.6g there, lies below its freezing point at %g bar, %.5g K by "
                "Raoult's law on the published pure liquid (the ideal freezing-point depression from its published "
                "melting line): that phase is %s (the state below is the single fluid%s)\n",
                solid.solid, split.c_str(), solid.component, solid.component, solid.share, P_bar, solid.T,
                solid.solid, note.c_str());
}

StateReport::MixtureVerdict StateReport::mixtureVerdictAt(double T_, double P_bar, const ReportedState& s,
                                                          bool nameSplit) {
    MixtureVerdict r;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const bool binary = rules_.binarySolvent(solvent, solute, xs);
    bool tested = false;
    // The trials with the interaction rows the state itself was found
    // with (an untraced row the interpreter admits, its change said),
    // except between the solvent's critical temperature and the model's
    // own at the corresponding state, where the model splits a solvent
    // that is one fluid and its trials decide nothing; above both critical
    // temperatures at every share (a published critical curve overrules them).
    const bool admit = !inSolventCriticalBand(T_) || rules_.aboveCriticalTemperatures(T_);
    std::string why;  // (the solute's fugacity against its solid's)
    const double soluteFugacity = binary ? stableRootFugacityBar(solute, T_, P_bar) : std::nan("");
    const DiluteVerdict v = binary ? rules_.publishedBinaryVerdict(T_, P_bar, s.dilute, s.verdict, why, soluteFugacity,
                                                                   stableRootFugacityBar(solvent, T_, P_bar))
                                   : DiluteVerdict::kUncertain;
    // Where the published data decide, the model's test only words the
    // line: asked whether it splits alone, the verdict stands without it.
    double trial = std::nan("");
    bool modelSplits = false;
    if (nameSplit || (v != DiluteVerdict::kSplits && v != DiluteVerdict::kOnePhase)) {
        m_.admitUntracedInteraction(admit);
        modelSplits = m_.binarySplitsAt(T_, P_bar, &tested, &trial);
        m_.admitUntracedInteraction(false);
    }
    if (v == DiluteVerdict::kSplits) {
        r.splits = true;
        r.note = tested && !modelSplits ? "; the model's own stability test finds it stable, but " + why : "; " + why;
    } else if (v == DiluteVerdict::kOnePhase) {
        if (tested && modelSplits) r.note = "the model's own stability test splits it, but " + why;
    } else if (tested) {
        r.splits = modelSplits;
        r.modelDecides = true;
    } else {
        r.uncertain = !s.phaseUncertain;
    }
    // The phases of the model's own split, where the line says it splits
    // (with the interaction rows of its trials).
    if (nameSplit && r.splits && tested && modelSplits) {
        m_.admitUntracedInteraction(admit);
        r.split = namedSplit(T_, P_bar, trial, &r.line);
        m_.admitUntracedInteraction(false);
    }
    return r;
}

bool StateReport::printStateFromTP(double T_, double P_bar) {
    // (Its searches say a refusal they share once.)
    const platform::CallScope call;
    if (!printPhaseLineFromTP(T_, P_bar)) return false;
    m_.dump();
    return true;
}

bool StateReport::printPhaseLineFromTP(double T_, double P_bar) {
    ReportedState s;
    if (!reportedStateFromTP(T_, P_bar, s)) return false;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const bool binary = rules_.binarySolvent(solvent, solute, xs);
    // A mixture's phase: the model's own stability test always runs, and
    // published data overrule it only where their physics holds
    // (publishedBinaryVerdict): Raoult's and Henry's laws for a light
    // solute, the solute's own liquid and its published solubility for a
    // heavy one, the critical curve above both critical temperatures.  A
    // solid deposits where a component's fugacity passes the pure solid's
    // (frostPointAt).  Where neither decides, the phase is uncertain.
    MixtureVerdict verdict;
    const FrostPoint frost = frostPointAt(T_, P_bar);
    bool probed = frost.component != nullptr || rules_.solidsProbedByFugacity();
    if (m_.component_count == 2 && m_.x[0] > 0.0 && m_.x[1] > 0.0) {
        probed = true;
        verdict = mixtureVerdictAt(T_, P_bar, s);
    }
    if (probed && !findStateAgain(T_, P_bar, s)) return false;
    // Where the published data cannot tell the phase (within the bounds of
    // the dew and bubble pressures that the Henry constant's uncertainty
    // allows, which widen with the solute's share and differ with the
    // component taken as the solvent) and the model's own stability test
    // finds one phase where Raoult's and Henry's laws with the Henry
    // constant itself find it too, the two agree: the phase is given.
    // Where they disagree (water with 50 % CH4 at 523.15 K and 500 bar,
    // whose bubble pressure by the laws lies near 11 kbar, one liquid to the
    // model's own test) or within the tolerance of the dew or bubble
    // pressure, it stays uncertain.
    if (verdict.modelDecides && !verdict.splits && s.phaseUncertain && s.dilute.known) {
        DiluteSplit central = s.dilute;
        central.dewLow = central.dew * (1.0 - PhaseRules::kPhaseTolerance);
        central.dewHigh = central.dew * (1.0 + PhaseRules::kPhaseTolerance);
        central.bubbleLow = central.bubble * (1.0 - PhaseRules::kPhaseTolerance);
        central.bubbleHigh = central.bubble * (1.0 + PhaseRules::kPhaseTolerance);
        s.phaseUncertain = central.judge(s.phase == FluidPhase::kPhaseLiquid, P_bar) != DiluteVerdict::kOnePhase;
    }
    // Above a published critical curve no liquid and vapour are told apart.
    if (binary && criticalcurve::oneFluidAboveCriticalCurve(m_.component_names[0].c_str(),
                                                            m_.component_names[1].c_str(), T_, P_bar)) {
        s.phase = FluidPhase::kPhaseSupercritical;
        s.phaseUncertain = false;
    }
    if (frost.solid && !frost.uncertain) {
        printFrostPoint(frost, P_bar);
        return true;
    }
    // The model's split into a phase rich in the solute below that phase's
    // freezing point: the phase is the solid, and where the solid's deposit
    // lies within the tolerance, whether it deposits is uncertain.  So too
    // where the published estimate in a gas (of which the model's split can
    // only condense the solute) puts it within the tolerance.
    const SplitSolid splitSolid = verdict.splits ? solidOfSplit(verdict.line, T_, P_bar) : SplitSolid{};
    if (verdict.splits && (splitSolid.solid || frost.virial) && frost.uncertain) {
        printUncertainFrost(frost, FluidPhase::phaseName(s.phase));
        return true;
    }
    if (splitSolid.solid && verdict.split) {
        printSplitSolid(splitSolid, *verdict.split, verdict.note, P_bar);
        return true;
    }
    if (verdict.uncertain) {
        std::printf("** Phase: %s (uncertain: neither published data nor the model's own stability test decide "
                    "whether the mixture splits here)\n",
                    FluidPhase::phaseName(s.phase));
        return true;
    }
    const bool mixture = binary && s.dilute.known;
    const bool liquidRoot = s.phase == FluidPhase::kPhaseLiquid;
    if (verdict.splits)
        printSplit(verdict.split, verdict.note);
    else if (!verdict.note.empty())
        std::printf("** Phase: %s (%s)\n", FluidPhase::phaseName(s.phase), verdict.note.c_str());
    else if (frost.uncertain)
        printUncertainFrost(frost, FluidPhase::phaseName(s.phase));
    else if (s.supercooledUnder)
        std::printf("** Phase: supercooled liquid, metastable: %s is stable\n", s.supercooledUnder);
    else if (s.vapourOnlyRoot && mixture)
        std::printf("** Phase: %s (the mixture's phase %s its %s pressure, %.6g bar%s; the model's own "
                    "saturation would take its %s root at %.6g cm3/mol)\n",
                    FluidPhase::phaseName(s.phase), liquidRoot ? "above" : "below", liquidRoot ? "bubble" : "dew",
                    liquidRoot ? s.dilute.bubble : s.dilute.dew,
                    s.phaseUncertain ? ", near which the phase is uncertain" : "", FluidPhase::phaseName(s.otherPhase),
                    s.otherV * 1e6);
    else if (s.vapourOnlyRoot)
        std::printf("** Phase: %s (the fluid's phase %s its vapour pressure%s; the model's own saturation "
                    "would take its %s root at %.6g cm3/mol)\n",
                    FluidPhase::phaseName(s.phase), liquidRoot ? "above" : "below",
                    s.phaseUncertain ? "; within 0.5 % of the vapour pressure, the phase is uncertain" : "",
                    FluidPhase::phaseName(s.otherPhase), s.otherV * 1e6);
    else if (s.phaseUncertain && mixture && nearDewOrBubble(s.dilute, P_bar))
        std::printf("** Phase: %s (near the mixture's dew and bubble pressures, %.6g and %.6g bar, the phase is "
                    "uncertain)\n",
                    FluidPhase::phaseName(s.phase), s.dilute.dew, s.dilute.bubble);
    else if (s.phaseUncertain && mixture)
        std::printf("** Phase: %s (within the bounds of the mixture's dew and bubble pressures, %.6g and %.6g bar by "
                    "Raoult's and Henry's laws, that %s on the Henry constant allows at this share, the "
                    "phase is uncertain)\n",
                    FluidPhase::phaseName(s.phase), s.dilute.dew, s.dilute.bubble, henryFactorText(s.dilute).c_str());
    else if (s.phaseUncertain)
        std::printf("** Phase: %s (within 0.5 %% of the vapour pressure, the phase is uncertain)\n",
                    FluidPhase::phaseName(s.phase));
    else if (s.otherPhase != FluidPhase::kPhaseNone &&
             (m_.component_count == 1 || rules_.atPureComposition() || binary))
        std::printf("** Phase: %s (stable; the %s root at %.6g cm3/mol is metastable)\n",
                    FluidPhase::phaseName(s.phase), FluidPhase::phaseName(s.otherPhase), s.otherV * 1e6);
    else
        std::printf("** Phase: %s\n", FluidPhase::phaseName(s.phase));
    return true;
}

bool StateReport::findStateAgain(double T_, double P_bar, ReportedState& s) {
    // The tests leave the model at a trial: the state printed, the
    // homogeneous fluid of the composition given, is found again.  Its
    // messages were said by the first search of the same state: said again
    // only if this one fails.
    std::vector<platform::ThreadLogCapture::Entry> said;
    bool found = false;
    {
        platform::ThreadLogCapture again;
        found = reportedStateFromTP(T_, P_bar, s);
        if (!found) said = again.take();
    }
    if (!found) platform::ThreadLogCapture::replay(said);
    return found;
}

void StateReport::printUncertainFrost(const FrostPoint& frost, const char* phase) const {
    if (std::isfinite(frost.idealSolubility)) {
        std::printf("** Phase: %s (the activity of %s in the liquid, %.4g, lies within %g %% of the depression of "
                    "its freezing point from its ideal solubility, %.4g: whether %s deposits is uncertain)\n",
                    phase, frost.component, frost.activity, kFrostTolerance * 100.0, frost.idealSolubility,
                    frost.solid);
        return;
    }
    if (std::isfinite(frost.psub) && frost.raoult &&
        (frost.share < 1.0 - PhaseRules::kPureTraceFraction || frost.beyondMelting))
        std::printf("** Phase: %s (within %g %% of the depression of the freezing point of %s by Raoult's law at "
                    "its share %.6g: whether %s deposits is uncertain)\n",
                    phase, kFrostTolerance * 100.0, frost.component, frost.share, frost.solid);
    else if (std::isfinite(frost.psub) && frost.share < 1.0 - PhaseRules::kPureTraceFraction)
        std::printf("** Phase: %s (its partial pressure of %s, %.4g bar, lies within %g %% of the sublimation "
                    "pressure of %s, %.4g bar: whether it deposits is uncertain)\n",
                    phase, frost.component, frost.f, kFrostTolerance * 100.0, frost.solid, frost.psub);
    else if (std::isfinite(frost.psub))
        std::printf("** Phase: %s (within %g %% of the sublimation pressure of %s, %.4g bar: whether it deposits is "
                    "uncertain)\n",
                    phase, kFrostTolerance * 100.0, frost.solid, frost.psub);
    else if (frost.virial)
        std::printf("** Phase: %s (the fugacity of %s in the gas by its second virial coefficients (Tsonopoulos "
                    "1974), %.4g bar, lies within %g %% of that of %s, %.4g bar: whether %s deposits is uncertain)\n",
                    phase, frost.component, frost.f, kFrostTolerance * 100.0, frost.solid, frost.fSolid, frost.solid);
    else
        std::printf("** Phase: %s (the fugacity of %s in it, %.4g bar, lies within %g %% of that of %s, %.4g bar: "
                    "whether %s deposits is uncertain)\n",
                    phase, frost.component, frost.f, kFrostTolerance * 100.0, frost.solid, frost.fSolid, frost.solid);
}

void StateReport::printFrostPoint(const FrostPoint& frost, double P_bar) const {
    const char* point = frost.liquid ? "freezing point" : "frost point";
    char at[240];
    if (std::isfinite(frost.T))
        std::snprintf(at, sizeof at, "its %s at %g bar is %.5g K", point, P_bar, frost.T);
    else if (frost.T > 0.0)
        std::snprintf(at, sizeof at, "its %s at %g bar lies above its triple point, %.6g K", point, P_bar,
                      triplePointTemperature(frost.component));
    else
        std::snprintf(at, sizeof at, "its %s at %g bar is not found (the model gives no state on the way to its "
                      "triple point)", point, P_bar);
    if (frost.alsoSolid) {
        const std::size_t n = std::strlen(at);
        std::snprintf(at + n, sizeof at - n, "; %s deposits as well", frost.alsoSolid);
    }
    if (std::isfinite(frost.idealSolubility)) {
        std::printf("** Phase: not stable; %s deposits: the activity of %s in the liquid, %.4g (its fugacity in the "
                    "model's fluid over the model's own pure liquid's), exceeds its ideal solubility, %.4g (the "
                    "freezing-point depression from its published melting line); %s (the state below is the single "
                    "fluid)\n",
                    frost.solid, frost.component, frost.activity, frost.idealSolubility, at);
        return;
    }
    const ReferenceFluid* row = referenceFluid(frost.component);
    if (std::isfinite(frost.psub) && (frost.share < 1.0 - PhaseRules::kPureTraceFraction || frost.beyondMelting)) {
        if (frost.raoult)
            std::printf("** Phase: not stable; %s deposits: %s at its share %.6g in the liquid lies below its freezing "
                        "point by Raoult's law on the published pure liquid (the ideal freezing-point depression "
                        "from its published melting line); %s (the state below is the single fluid)\n",
                        frost.solid, frost.component, frost.share, at);
        else
            std::printf("** Phase: not stable; %s deposits: the partial pressure of %s, %.4g bar, exceeds its "
                        "sublimation pressure, %.4g bar (from %s); %s (the state below is the single fluid)\n",
                        frost.solid, frost.component, frost.f, frost.psub,
                        (row ? row->solid : SolidLines{}).sublimationSource, at);
        return;
    }
    if (std::isfinite(frost.psub)) {
        std::printf("** Phase: not stable; %s deposits: below its triple point, %.6g K, and above its sublimation "
                    "pressure, %.4g bar (from %s), %s is solid; %s (the state below is the single fluid)\n",
                    frost.solid, triplePointTemperature(frost.component), frost.psub,
                    (row ? row->solid : SolidLines{}).sublimationSource, frost.component, at);
        return;
    }
    if (frost.virial) {
        std::printf("** Phase: not stable; %s deposits: the fugacity of %s in the gas by its second virial "
                    "coefficients (Tsonopoulos 1974), %.4g bar, exceeds that of %s, %.4g bar (from %s); %s (the "
                    "state below is the single fluid)\n",
                    frost.solid, frost.component, frost.f, frost.solid, frost.fSolid,
                    (row ? row->solid : SolidLines{}).sublimationSource, at);
        return;
    }
    std::printf("** Phase: not stable; %s deposits: the fugacity of %s in the fluid, %.4g bar, exceeds that of %s, "
                "%.4g bar (from %s); %s (the state below is the single fluid)\n",
                frost.solid, frost.component, frost.f, frost.solid, frost.fSolid,
                (row ? row->solid : SolidLines{}).sublimationSource, at);
}

bool StateReport::printStateFromTV(double T_, double V_) {
    const platform::CallScope call;
    if (!reportedStateFromTV(T_, V_)) return false;
    if (m_.component_count == 2 && m_.x[0] > 0.0 && m_.x[1] > 0.0) {
        // A binary's phase is that of its state at this temperature and
        // pressure, judged as the state from T and P is (the model's own
        // stability test, published data where their physics holds, the
        // solids): the same "Phase:" line.  Its searches leave the model
        // elsewhere and their notes belong to that state's own report: the
        // state of this volume is found again, its notes said once above.
        const double P_bar = m_.P * 1e-5;
        bool found = false;
        {
            platform::ThreadLogCapture quiet;
            printPhaseLineFromTP(T_, P_bar);
            found = reportedStateFromTV(T_, V_);
        }
        if (!found && !reportedStateFromTV(T_, V_)) return false;
    } else {
        if (rules_.solidsProbedByFugacity()) {
            // The frost test leaves the model at a trial: the state is found again.
            const double P_bar = m_.P * 1e-5;
            const FrostPoint frost = frostPointAt(T_, P_bar);
            if (!reportedStateFromTV(T_, V_)) return false;
            if (frost.solid && !frost.uncertain) {
                printFrostPoint(frost, P_bar);
                m_.dump();
                return true;
            }
        }
        if (const SolidField solid = rules_.solidOfPrintedState(T_, m_.P * 1e-5); solid.solid)
            std::printf("** Phase: supercooled liquid, metastable: %s is stable\n", solid.solid);
    }
    if (!(m_.dPdV < 0.0) && !m_.compressibilityDiverges())
        std::printf("** Mechanically unstable: (dP/dV)T > 0, no single phase exists at this volume\n");
    m_.dump();
    return true;
}

bool StateReport::curveTemperaturesInRange(double T0, double T1, const char* what) {
    if (rules_.curveTemperaturesInRange(T0, T1, what)) return true;
    m_.errorflag = 1;
    return false;
}

bool StateReport::supercriticalLoopPressures(double T_, double& Pmin_bar, double& Pmax_bar) {
    const char* fluid = rules_.atPureComposition() ? rules_.phaseRuleFluid() : nullptr;
    const double Tcf = ancillaryCriticalTemperature(fluid);
    if (!(T_ >= Tcf)) return false;
    // P(V) from the liquid's density well above the saturated liquid's at
    // 0.6 Tc out to 50 critical volumes, in small geometric steps: a local
    // minimum followed by a local maximum is the loop.
    const double V0 = 0.8 * ancillarySaturatedLiquidVolume(fluid, 0.6 * Tcf),
                 V1 = 50.0 * ancillarySaturatedLiquidVolume(fluid, Tcf);
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
