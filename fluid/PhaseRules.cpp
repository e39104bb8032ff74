// The fluids' published data said beside the model's own answer.
#include "fluid/PhaseRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "fluid/BinaryCriticalCurves.h"
#include "fluid/RaoultsLaw.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/SaltBrineStatement.h"
#include "fluid/SoluteSolid.h"
#include "fluid/StatementText.h"
#include "fluid/WaterGasStatement.h"
#include "platform/LogSink.h"

using statement::formatted;
using statement::uncertainBetween;

namespace {

// The pure solid's melting temperature (K) at P (bar) by its published
// lines: the triple point's below the triple-point pressure, else where its
// melting line reaches P, else the edge of its solids' field (`solidOf`:
// water's ices III to VII) found upward from half the triple point's
// temperature; NaN where none is found.
double meltingTemperature(const PhaseLookups& lookups, const ReferenceFluid& row, double P_bar) {
    if (P_bar * 1e5 < row.pt) return row.Tt;
    const double T = publishedFreezingTemperature(row, 0.8 * row.Tt, P_bar);
    if (std::isfinite(T) || !lookups.solidOf) return T;
    auto solid = [&](double t) { return lookups.solid(row.formula, t, P_bar).solid != nullptr; };
    for (double lo = 0.5 * row.Tt; lo < 4.0 * row.Tt; lo += 2.0) {
        if (!solid(lo) || solid(lo + 2.0)) continue;
        double hi = lo + 2.0;
        for (int k = 0; k < 50 && hi - lo > 1e-7; ++k) (solid(0.5 * (lo + hi)) ? lo : hi) = 0.5 * (lo + hi);
        return 0.5 * (lo + hi);
    }
    return std::nan("");
}

// The cohesive energy density (J/m3, the square of Hildebrand's solubility
// parameter) of the liquid of `row` at T, at its triple point below it: its
// energy of vaporisation per volume, (T dp/dT - p)(V'' - V')/V' by
// Clapeyron's equation on its saturation ancillaries.
double cohesiveEnergyDensity(const ReferenceFluid& row, double T) {
    const double t = std::clamp(T, row.Tt, 0.95 * row.Tc), dT = 1e-3 * t;
    const double p = row.saturationPressure(t);
    const double dpdT = (row.saturationPressure(t + dT) - row.saturationPressure(t - dT)) / (2.0 * dT);
    const double Vl = row.saturatedLiquidVolume(t), Vv = row.saturatedVapourVolume(t);
    return (t * dpdT - p) * (Vv - Vl) / Vl;
}

}  // namespace

// ---- the fluids' published data

double PhaseRules::solidFugacity(const ReferenceFluid* row, double psub, double Vs, double T_, double P) {
    const double phi = row ? row->gasFugacityCoefficient(T_, psub) : 1.0;
    const double poynting = Vs > 0.0 ? std::exp(Vs * (P - psub) / (FluidPhase::R * T_)) : 1.0;
    return psub * phi * poynting;
}

PhaseRules::FluidStatement PhaseRules::fluidAt(double T_, double P_bar, const ModelAnswer& model) const {
    if (const char* fluid = phaseRuleFluid()) return pureFluidAt(fluid, T_, P_bar, model);
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!binaryShares(solvent, solute, xs)) return SaltBrineStatement(m_, lookups_).ternaryBrineAt(T_, model);
    FluidStatement s = solidFromMixtureAt(T_, P_bar);
    if (s.word == "one phase") {
        // (Water in a gas short of ice's saturation.)
        s.agrees = !model.splits;
        if (model.splits) s.text += "; the model splits it";
    }
    if (s.covered()) return s;
    std::string why;
    if (criticalcurve::oneFluidAboveCriticalCurve(lookups_.pairs(), m_.component_names[0].c_str(), m_.component_names[1].c_str(), T_,
                                                  P_bar, &why)) {
        // A trace beside a supercritical pure end says what that end says
        // (the curve's one fluid alike), its density and the model's departure.
        if (xs <= kTraceShare + 4.0 * std::numeric_limits<double>::epsilon()) {
            FluidStatement end = diluteEndAt(T_, P_bar, model);
            if (end.word == FluidPhase::phaseName(FluidPhase::kPhaseSupercritical)) return end;
            // Beside a liquid pure end (water above its vapour pressure) the
            // trace is that liquid: the end's own line.
            end = pureFluidAt(m_.component_names[static_cast<std::size_t>(solvent)].c_str(), T_, P_bar, model);
            if (end.covered()) {
                end.text += formatted("; this mixture a trace of %.3g %% %s", 100.0 * xs,
                                      m_.component_names[static_cast<std::size_t>(solute)].c_str());
                if (model.splits) end.text += "; the model splits it";
                end.agrees = end.agrees && !model.splits;
                return end;
            }
        }
        s.word = "one phase";
        s.text = "(" + why + ")";
        s.agrees = !model.splits;
        if (model.splits) s.text += "; the model splits it";
        return s;
    }
    // The judgement the pair's row names.
    const ReferencePair* pair = lookups_.pairs().find(m_.component_names[0].c_str(), m_.component_names[1].c_str());
    const PairJudgement judgement = pair ? pair->judgement : PairJudgement::kGases;
    if (judgement == PairJudgement::kSaltBrine) return SaltBrineStatement(m_, lookups_).saltBrineAt(T_, P_bar, model);
    s = judgement == PairJudgement::kWaterAndGas ? WaterGasStatement(m_, lookups_).waterAndGasAt(T_, P_bar, model)
                                                 : solubilityAt(T_, P_bar, model);
    if (!s.covered()) s = diluteEndAt(T_, P_bar, model);
    // A trace's one phase is its pure end's, named as that end names it
    // (above its critical temperature a supercritical fluid).
    auto onePhase = [](const std::string& w) { return w == "vapour" || w == "liquid" || w == "supercritical fluid"; };
    if (xs <= kTraceShare + 4.0 * std::numeric_limits<double>::epsilon() && onePhase(s.word)) {
        const FluidStatement end = pureFluidAt(m_.component_names[static_cast<std::size_t>(solvent)].c_str(), T_, P_bar, model);
        if (onePhase(end.word)) {
            s.word = end.word;
            s.agrees = end.agrees && !model.splits;
        }
    }
    return s;
}

PhaseRules::FluidStatement PhaseRules::pureFluidAt(const char* name, double T_, double P_bar,
                                                   const ModelAnswer& model) const {
    FluidStatement s;
    const ReferenceFluids& fluids = lookups_.fluids();
    const ReferenceFluid* row = fluids.find(name);
    if (!row) return s;
    // Its solid by the published lines (the model describes none).
    const SolidField solid = lookups_.solid(name, T_, P_bar);
    const double psub = T_ < row->Tt ? row->sublimationPressure(T_) : std::nan("");
    const bool nearSublimation = std::fabs(P_bar * 1e5 / psub - 1.0) <= kSublimationUncertainty;
    if (solid.solid || nearSublimation) {
        const std::string deposits = std::string(solid.solid ? solid.solid : row->solid.name) + " deposits";
        s.word = nearSublimation ? uncertainBetween("vapour", deposits.c_str()) : deposits;
        s.text = formatted("(%s's published melting and sublimation lines%s: its triple point %.6g K and %.6g bar)",
                           name, std::isfinite(psub) ? formatted(", sublimation pressure %.5g bar at %g K",
                                                                 psub * 1e-5, T_).c_str() : "",
                           row->Tt, row->pt * 1e-5);
        s.text += "; the model describes no solid";
        s.agrees = nearSublimation && model.phase == FluidPhase::kPhaseVapour;
        return s;
    }
    // Its phase by its critical point and vapour pressure, its density by
    // its reference equation.
    const double Tc = fluids.criticalTemperature(name), Pc = fluids.criticalPressure(name) * 1e-5;
    // (Below the triple point the vapour's own line is the sublimation line.)
    const double psat = T_ < row->Tt ? psub * 1e-5 : T_ < Tc ? fluids.vapourPressure(name, T_) * 1e-5 : std::nan("");
    int phase = FluidPhase::kPhaseNone;
    if (T_ >= Tc) {
        // No compression condenses it: a supercritical fluid at every
        // pressure, of which a model's vapour is the same phase.
        phase = FluidPhase::kPhaseSupercritical;
        s.word = FluidPhase::phaseName(phase);
    } else if (std::isfinite(psat)) {
        const bool liquid = P_bar > psat;
        phase = liquid ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour;
        s.word = std::fabs(P_bar / psat - 1.0) <= kVapourPressureUncertainty ? uncertainBetween("liquid", "vapour")
                                                                              : FluidPhase::phaseName(phase);
    } else {
        return s;
    }
    // Near the critical point the lookup's density is the later reference
    // equation's where the row has one (Span & Wagner's CO2).
    const double Vref = lookups_.referenceVolume(name, T_, P_bar);
    const char* densitySource = row->criticalRegion && row->inCriticalRegion(T_, P_bar * 1e5)
                                    ? row->criticalRegion().source
                                    : row->referenceModel;
    const std::string density =
        Vref > 0.0 ? formatted("%s: %.5g kg/m3", densitySource, row->molarMass / Vref) : std::string();
    const std::string saturation =
        std::isfinite(psat) ? formatted("%s pressure %.6g bar within %g %%", T_ < row->Tt ? "sublimation" : "vapour",
                                        psat, 100.0 * (T_ < row->Tt ? kSublimationUncertainty : kVapourPressureUncertainty))
                            : formatted("critical point %.6g K and %.6g bar", Tc, Pc);
    s.text = "(" + (density.empty() ? saturation : density + "; " + saturation) + ")";
    // The densities compared in moles (a model's molar mass may differ from
    // the reference's in the last digits); a model whose density is the
    // reference equation's to the last digits is that equation: no
    // departure from itself to say.
    const double M = m_.bulk_molar_weight > 0.0 ? m_.bulk_molar_weight : row->molarMass;
    const double departure = model.rho / M * Vref - 1.0;
    if (Vref > 0.0 && model.rho > 0.0 && !(std::fabs(departure) < 1e-12))
        s.text += formatted("; the model's density %+.3g %% from it", 100.0 * departure);
    const bool uncertain = s.word.rfind("uncertain", 0) == 0;
    s.agrees = uncertain || model.phase == phase || model.phase == FluidPhase::kPhaseFluid ||
               (phase == FluidPhase::kPhaseSupercritical && model.phase == FluidPhase::kPhaseVapour);
    if (!s.agrees) s.text += formatted("; the model gives a %s", FluidPhase::phaseName(model.phase));
    return s;
}

double PhaseRules::henryShare(int solvent, double T_, double P_bar) const {
    // A light gas dissolves in the solvent's liquid by Henry's law: x = f/H
    // with f its fugacity over the liquid at its partial pressure, P less
    // the solvent's vapour pressure (IAPWS G7-04, published from 273.15 K:
    // taken there below); at most the mixture's own share.  Without a published constant
    // the liquid holds the mixture's share.
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(1 - solvent)].c_str();
    const double others = m_.x[static_cast<std::size_t>(1 - solvent)] / (m_.x[0] + m_.x[1]);
    const double H = lookups_.henry(a, b, std::max(T_, 273.15)) * 1e-5;
    if (!(H > 0.0) || !std::isfinite(H)) return others;
    double psat = lookups_.fluids().vapourPressure(a, T_) * 1e-5;
    if (!std::isfinite(psat)) psat = 0.0;
    // The gas's fugacity: its partial pressure times its fugacity
    // coefficient (dissolvedGasFactor).
    const double p = std::max(P_bar - psat, 0.0);
    return std::min(others, p / (H * dissolvedGasFactor(solvent, T_, P_bar, psat)));
}

double PhaseRules::dissolvedGasFactor(int solvent, double T_, double P_bar, double psat, double* phiOut,
                                      double* poyntingOut) const {
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(1 - solvent)].c_str();
    const ReferenceFluid* gas = lookups_.fluids().find(b);
    const ReferencePair* pair = lookups_.pairs().find(a, b);
    const double p = std::max(P_bar - psat, 0.0) * 1e5, RT = FluidPhase::R * T_;
    // A pair with the constant of Peng & Robinson's equation and the gas's
    // partial molar volume: phi on the pure gas's stable root (a dense gas
    // or its liquid) and the Poynting factor of the dissolved gas, exp(V
    // (P - psat)/RT); else phi to the second virial coefficient (Tsonopoulos
    // 1974) alone.
    const bool full = gas && pair && std::isfinite(pair->pengRobinsonK12) && pair->dissolvedVolume > 0.0 && p > 0.0;
    const double phi = !gas ? 1.0 : full ? gas->pengRobinsonFugacityCoefficient(T_, p) : gas->gasFugacityCoefficient(T_, p);
    const double poynting = full ? std::exp(pair->dissolvedVolume * p / RT) : 1.0;
    if (phiOut) *phiOut = phi;
    if (poyntingOut) *poyntingOut = poynting;
    return poynting / phi;
}

double PhaseRules::solventFreezingPoint(int major, double P_bar, double& share) const {
    // 1/T = 1/T0(P) - R ln(share)/dH_fus (Schroeder-van Laar), T0(P) the pure
    // solid's melting temperature at P, share the solvent's in its liquid at
    // the freezing point itself (the gas it dissolves there).
    const char* name = m_.component_names[static_cast<std::size_t>(major)].c_str();
    const ReferenceFluid* row = lookups_.fluids().find(name);
    if (!row) return std::nan("");
    const double dH = solventFusionEnthalpy(*row);
    const double T0 = meltingTemperature(lookups_, *row, P_bar);
    if (!(dH > 0.0) || !(T0 > 0.0)) return std::nan("");
    double T = T0;
    for (int k = 0; k < 50; ++k) {
        share = 1.0 - henryShare(major, T, P_bar);
        const double next = 1.0 / (1.0 / T0 - FluidPhase::R * std::log(share) / dH);
        if (std::fabs(next - T) < 1e-7) return next;
        T = next;
    }
    return T;
}

double PhaseRules::virialGasFugacity(int i, double T_, double P_bar) const {
    const char* a = m_.component_names[static_cast<std::size_t>(1 - i)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(i)].c_str();
    const ReferenceFluid *ra = lookups_.fluids().find(a), *rb = lookups_.fluids().find(b);
    const double B12 = lookups_.pairs().crossSecondVirialCoefficient(a, b, T_);
    if (!ra || !rb || !std::isfinite(B12)) return std::nan("");
    // B = y1^2 B11 + 2 y1 y2 B12 + y2^2 B22, ln phi2 = (2 (y1 B12 + y2 B22) - B)
    // P/(R T), up to half the critical density of the gas (Prausnitz,
    // Lichtenthaler & de Azevedo 1999).
    const double y2 = m_.x[static_cast<std::size_t>(i)] / (m_.x[0] + m_.x[1]), y1 = 1.0 - y2;
    const double P = P_bar * 1e5, RT = FluidPhase::R * T_;
    const double B11 = ra->secondVirialCoefficient(T_), B22 = rb->secondVirialCoefficient(T_);
    const double B = y1 * y1 * B11 + 2.0 * y1 * y2 * B12 + y2 * y2 * B22;
    const double Z = 1.0 + B * P / RT;
    if (!(Z > 0.0) || !(P / (Z * RT) < 0.5 * ra->rhoc / ra->molarMass)) return std::nan("");
    return y2 * P_bar * std::exp((2.0 * (y1 * B12 + y2 * B22) - B) * P / RT);
}

PhaseRules::FluidStatement PhaseRules::solidFromMixtureAt(double T_, double P_bar) const {
    FluidStatement s;
    s.agrees = false;  // no solid is a phase of the model
    if (!lookups_.sublimationOf) return s;
    const ReferenceFluids& fluids = lookups_.fluids();
    const int major = binaryMajorComponent();
    for (int i : {major, 1 - major}) {
        const char* name = m_.component_names[static_cast<std::size_t>(i)].c_str();
        const ReferenceFluid* row = fluids.find(name);
        const double xi = m_.x[static_cast<std::size_t>(i)] / (m_.x[0] + m_.x[1]);
        if (!row) continue;
        const double dH = solventFusionEnthalpy(*row);
        double Vs = std::nan("");
        const double psub = T_ < row->Tt ? lookups_.sublimation(name, T_, Vs) * 1e-5 : std::nan("");
        // A vapour-like fluid: the component's fugacity (its virial estimate
        // in a gas, else its partial pressure) against the pure solid's.  A
        // liquid-like one (its partial pressure above the supercooled pure
        // liquid's vapour pressure): its ideal solubility, the freezing point
        // of its liquid at its share there.
        const double Tm = meltingTemperature(lookups_, *row, P_bar);
        const double pLiquid = psub * std::exp(dH / FluidPhase::R * (1.0 / T_ - 1.0 / row->Tt));
        const double virial = i == major ? std::nan("") : virialGasFugacity(i, T_, P_bar);
        const char* otherName = m_.component_names[static_cast<std::size_t>(1 - i)].c_str();
        const bool solvent = std::isfinite(lookups_.henry(name, otherName, 298.15));
        // (A minor component in a gas of the major one, above that one's
        // critical temperature or below its vapour pressure, is in a gas.)
        const char* other = m_.component_names[static_cast<std::size_t>(1 - i)].c_str();
        const bool inGas = i != major && (T_ >= fluids.criticalTemperature(other) ||
                                          (1.0 - xi) * P_bar < fluids.vapourPressure(other, T_) * 1e-5);
        // A minor component dissolved in the major one's liquid (other than
        // water, whose ice is said below) is held by its solubility there,
        // whatever its partial pressure: its fugacity in the liquid is not
        // its share of the pressure.
        const bool dissolved = i != major && !inGas && !solvent;
        const bool gas = std::isfinite(virial) || (psub > 0.0 && ((xi * P_bar < pLiquid && !dissolved) || inGas));
        const WaterGasStatement waterAndGas(m_, lookups_);
        if (i != major && solvent &&
            (gas || std::isfinite(waterAndGas.waterInGasFugacityCoefficient(i, xi, T_, P_bar)))) {
            // Water carried by a gas (or dissolved in the gas's liquid): ice
            // only below its melting point, by its fugacity there.
            const FluidStatement ice = iceFromGasAt(i, T_, P_bar);
            if (ice.covered()) return ice;
            continue;
        }
        double Tf = std::nan(""), share = xi, excess = std::nan(""), band = kSublimationUncertainty;
        double upper = std::nan("");  // the freezing point the solution's non-ideality may reach
        std::string how;
        // Its ideal solubility: the freezing point of a liquid of its share.
        // A solvent of published Henry constants (water) holds the other by
        // them in its own liquid, whatever its share of the mixture; any
        // other component its share of an ideal liquid.
        auto ideal = [&] {
            Tf = i == major || solvent ? solventFreezingPoint(i, P_bar, share)
                                       : 1.0 / (1.0 / Tm - FluidPhase::R * std::log(xi) / dH);
            excess = dH / FluidPhase::R * (1.0 / T_ - 1.0 / Tf);
            band = kSublimationUncertainty * std::fabs(dH / FluidPhase::R * (1.0 / Tf - 1.0 / Tm)) + 1e-9;
            how = formatted("the ideal freezing-point depression from its published melting line at its share "
                            "%.6g in the liquid%s", share, share > xi ? " (the gas it dissolves by IAPWS G7-04)" : "");
            const ReferenceFluid* solventRow = fluids.find(otherName);
            if (i != major && !solvent && solventRow) {
                // A solute unlike its solvent (CO2 in liquid methane) is far
                // less soluble than the ideal solution: its activity
                // coefficient, up to ln g = V (d1 - d2)^2/RT by regular-
                // solution theory (Hildebrand & Scott 1950; Preston &
                // Prausnitz 1970 for solids in cryogenic liquids), raises
                // its freezing point by as much.
                const double d = std::sqrt(cohesiveEnergyDensity(*row, T_)) -
                                 std::sqrt(cohesiveEnergyDensity(*solventRow, T_));
                const double lnGamma = row->saturatedLiquidVolume(std::max(T_, row->Tt)) * d * d / (FluidPhase::R * T_);
                if (lnGamma > 0.0) {
                    upper = 1.0 / (1.0 / Tm - FluidPhase::R * std::min(std::log(xi) + lnGamma, 0.0) / dH);
                    how += formatted("; up to %.5g K with the activity coefficient %.3g of regular-solution theory, "
                                     "its solubility %.3g times the ideal", upper, std::exp(lnGamma),
                                     std::exp(-lnGamma));
                }
            }
        };
        const bool idealLaw = dH > 0.0 && Tm > 0.0 && (i == major || solvent || row->fusionEnthalpy > 0.0);
        // A liquid-like fluid: its partial pressure above its supercooled
        // liquid's vapour pressure.
        const bool liquidLike = idealLaw && !solvent && !(xi * P_bar < pLiquid);
        // A solute whose fugacity in the other's fluid the pair's row gives:
        // by it, in the gas, the dense fluid and the liquid alike, whichever
        // is the larger share (the same equation on both sides of half: its
        // fugacity coefficient departs from the pure gas's, at low pressure
        // by some per cent, far beyond the sublimation line's uncertainty).
        const SoluteSolid dense = SoluteSolid::at(lookups_, otherName, name, xi, T_, P_bar);
        bool byDense = std::isfinite(dense.excess), frost = byDense ? !dense.liquid : gas;
        if (byDense && liquidLike) {
            // There also its ideal solubility, a liquid of its share, judged
            // together (SoluteSolid::together).  Where the fugacity decides,
            // the solid meets the fluid as it is: at a frost point unless the
            // fluid is a liquid; where the ideal solubility decides, at the
            // freezing point of a liquid of its share.
            ideal();
            const SoluteSolid::Judged j = SoluteSolid::together(dense, excess, band, i == major);
            byDense = j.byFugacity;
            frost = byDense && !dense.liquid;
            if (byDense && j.also) how = dense.how + formatted("; a liquid of its share freezing at %.5g K by ", Tf) + how;
            if (byDense && !j.also) how = dense.how;
            if (j.also && !byDense) how += "; " + dense.how;
            excess = j.excess;
            band = j.band;
            upper = std::nan("");
            if (byDense) Tf = dense.point;
        } else if (byDense) {
            excess = dense.excess;
            band = dense.band;
            Tf = dense.point;
            how = dense.how;
        } else if (gas && psub > 0.0) {
            const double f = std::isfinite(virial) ? virial : xi * P_bar;
            // (A fugacity against the solid's, a partial pressure against
            // its sublimation pressure.)
            const double fs =
                std::isfinite(virial) ? solidFugacity(row, psub * 1e5, Vs, T_, P_bar * 1e5) * 1e-5 : psub;
            excess = std::log(f / fs);
            Tf = publishedFreezingTemperature(*row, T_, f);  // where its sublimation pressure reaches f (an estimate)
            how = formatted("%s %.5g bar against the solid's %.5g bar (%s)", std::isfinite(virial)
                                ? "its fugacity in the gas by its second virial coefficients (Tsonopoulos 1974),"
                                : "its partial pressure,", f, fs, row->solid.sublimationSource);
        } else if (!gas && i != major && !solvent && std::isfinite(lookups_.henry(otherName, name, 298.15))) {
            // A gas in water's liquid: by its Henry constant, and only below
            // its own melting point (above it, no solid).
            if (T_ < Tm) excess = dissolvedInWaterExcess(i, T_, P_bar, Tm, band, how);
        } else if (!gas && idealLaw) {
            ideal();
        }
        if (!std::isfinite(excess) || (excess < -band && !(T_ < upper))) continue;
        // (The solid named where it meets the fluid: a gas just above its
        // sublimation line below the triple point, a liquid at P.)
        const SolidField solid = lookups_.solid(name, T_, gas && psub > 0.0 ? 1.1 * psub : P_bar);
        const std::string deposits =
            std::string(solid.solid ? solid.solid : row->solid.name ? row->solid.name : "its solid") + " deposits";
        s.word = excess > band ? deposits : uncertainBetween(deposits.c_str(), "one phase");
        const char* point = frost ? "frost point" : "freezing point";
        s.point = Tf;
        s.text = "(" + how + (std::isfinite(Tf) ? formatted("; its %s at %g bar is %.5g K", point, P_bar, Tf) : "") +
                 "); the model describes no solid";
        return s;
    }
    return s;
}

double PhaseRules::dissolvedInWaterExcess(int i, double T_, double P_bar, double Tm, double& band,
                                          std::string& how) const {
    // A gas dissolved in liquid water is no ideal solution (nor a regular
    // one: water is polar): its fugacity there is x kH exp(V (P - psat)/RT)
    // by Henry's law (IAPWS G7-04, from 273.15 K: taken there below) within
    // a dilute solution, against its pure solid's, the pure liquid's
    // fugacity at T and P (Peng & Robinson's equation) lowered by its fusion,
    // exp(-dH/R (1/T - 1/Tm)).  NaN without the pair's data.
    const char* name = m_.component_names[static_cast<std::size_t>(i)].c_str();
    const char* water = m_.component_names[static_cast<std::size_t>(1 - i)].c_str();
    const double xi = m_.x[static_cast<std::size_t>(i)] / (m_.x[0] + m_.x[1]);
    const ReferenceFluid* row = lookups_.fluids().find(name);
    const ReferencePair* pair = lookups_.pairs().find(water, name);
    const double kH = lookups_.henry(water, name, std::max(T_, 273.15)) * 1e-5;
    if (!row || !pair || !(pair->dissolvedVolume > 0.0) || !(kH > 0.0) || !std::isfinite(kH) ||
        !(xi <= kHenryDiluteShare))
        return std::nan("");
    double psat = lookups_.fluids().vapourPressure(water, T_) * 1e-5;
    if (!std::isfinite(psat)) psat = 0.0;
    const double RT = FluidPhase::R * T_;
    const double poynting = std::exp(pair->dissolvedVolume * std::max(P_bar - psat, 0.0) * 1e5 / RT);
    const double phi = row->pengRobinsonFugacityCoefficient(T_, P_bar * 1e5);
    const double fusion = solventFusionEnthalpy(*row) / FluidPhase::R * (1.0 / T_ - 1.0 / Tm);
    if (!(phi > 0.0)) return std::nan("");
    const double f = xi * kH * poynting, fs = P_bar * phi * std::exp(-fusion);
    // (Its band as the liquid's capacity for the gas by the same law's, with
    // the melting line's.)
    band = kHenryLogUncertainty + pengRobinsonUncertainty(std::log(phi)) + 0.2 * std::log(poynting) +
           kSublimationUncertainty * std::fabs(fusion);
    const char* source = lookups_.pairs().henrySourceOf(water, name);
    how = formatted("its fugacity in water's liquid by %s's Henry constant, %.5g bar, and the Poynting factor %.4g of "
                    "its dissolved volume, %.5g bar, against the pure solid's, %.5g bar (its liquid's fugacity "
                    "coefficient %.3g by Peng & Robinson's equation, lowered by its fusion below its melting point "
                    "%.5g K)",
                    source ? source : "the published", kH, poynting, f, fs, phi, Tm);
    return std::log(f / fs);
}

PhaseRules::FluidStatement PhaseRules::iceFromGasAt(int w, double T_, double P_bar) const {
    FluidStatement s;
    s.agrees = false;  // no solid is a phase of the model
    // Water's melting point at P (its published melting line, lowered by
    // the gas its liquid dissolves there): above it the water a saturated
    // gas sheds is liquid, below it ice.
    // The lowering is known to about half itself (Henry's constant far
    // from its dilute, low-pressure measurements, the dissolved gas's
    // partial molar volume): within that of the melting point the
    // condensate may be either.
    double share = 1.0;
    const double Tm = solventFreezingPoint(w, P_bar, share);
    const char* name = m_.component_names[static_cast<std::size_t>(w)].c_str();
    const ReferenceFluid* row = lookups_.fluids().find(name);
    if (!row) return s;
    const double spread = 0.5 * std::max(meltingTemperature(lookups_, *row, P_bar) - Tm, 0.0);
    if (!(T_ < Tm + spread)) return s;
    const double y = m_.x[static_cast<std::size_t>(w)] / (m_.x[0] + m_.x[1]);
    // Water's fugacity in the gas, y phi P (phi by Peng & Robinson's
    // equation where the pair has a binary constant, else by the second
    // virial coefficients, else 1), against ice's, psub phi_sub exp(Vs (P -
    // psub)/RT); its band the sublimation pressure's and phi's, whose
    // uncertainty grows with its departure from 1.  Where the gas is no
    // liquid of its own (above its critical temperature or below its vapour
    // pressure) phi is the gas's own, on its root, even where more water
    // than it carries would make the whole a liquid.
    const char* gas = m_.component_names[static_cast<std::size_t>(1 - w)].c_str();
    auto gasRoot = [&](double T) { return !(P_bar * 1e5 > lookups_.fluids().vapourPressure(gas, T)); };
    auto fugacity = [&](double T, double& phi) {
        phi = WaterGasStatement(m_, lookups_).waterInGasFugacityCoefficient(w, y, T, P_bar, gasRoot(T));
        if (!(phi > 0.0)) {
            const double virial = virialGasFugacity(w, T, P_bar);
            phi = std::isfinite(virial) ? virial / (y * P_bar) : 1.0;
        }
        return y * P_bar * phi;
    };
    auto iceFugacity = [&](double T) {
        double Vs = std::nan("");
        const double psub = lookups_.sublimation(name, T, Vs);
        return solidFugacity(row, psub, Vs, T, P_bar * 1e5) * 1e-5;
    };
    auto excessAt = [&](double T) {
        double phi = 1.0;
        return std::log(fugacity(T, phi) / iceFugacity(T));
    };
    double phi = 1.0;
    const double f = fugacity(T_, phi), fs = iceFugacity(T_), excess = std::log(f / fs);
    const double band = kSublimationUncertainty + pengRobinsonUncertainty(std::log(phi)) +
                        WaterGasStatement(m_, lookups_).binaryConstantBand(w, y, T_, P_bar, gasRoot(T_));
    if (!std::isfinite(excess)) return s;
    // Its frost point: where ice's fugacity reaches the water's, below the
    // melting point; a gas holding more water than ice takes at the melting
    // point sheds liquid water first, which freezes there.  (A gas holding
    // less is one phase: below the melting point no liquid water forms.)
    double Tf = Tm;
    const char* point = "freezing point, where the liquid water it sheds freezes,";
    const double top = Tm - 1e-6, bottom = std::min(T_, top) - 40.0;
    if (excessAt(top) < 0.0) {
        double lo = bottom, hi = top;
        for (int k = 0; k < 60 && hi - lo > 1e-6; ++k) (excessAt(0.5 * (lo + hi)) > 0.0 ? lo : hi) = 0.5 * (lo + hi);
        Tf = excessAt(bottom) > 0.0 ? 0.5 * (lo + hi) : std::nan("");  // none within 40 K below
        point = "frost point";
    }
    const SolidField solid = lookups_.solid(name, T_, P_bar);
    const std::string deposits = std::string(solid.solid ? solid.solid : row->solid.name) + " deposits";
    if (excess > band && T_ >= Tm - spread)
        s.word = uncertainBetween(deposits.c_str(), "splits");  // ice or liquid water, by its melting point
    else
        s.word = excess > band    ? deposits
                 : excess < -band ? "one phase"
                                  : uncertainBetween(deposits.c_str(), "one phase");
    s.point = Tf;
    s.text = formatted("(its fugacity in the gas %.5g bar, its fugacity coefficient %.3g, against the solid's %.5g bar "
                       "(%s); its melting point at %g bar %.5g K (IAPWS R14-08, lowered by the gas its liquid "
                       "dissolves, within %.2g K)%s)%s",
                       f, phi, fs, row->solid.sublimationSource, P_bar, Tm, spread,
                       std::isfinite(Tf) ? formatted("; its %s at %g bar is %.5g K", point, P_bar, Tf).c_str() : "",
                       s.word == "one phase" ? "" : "; the model describes no solid");
    return s;
}

PhaseRules::FluidStatement PhaseRules::solubilityAt(double T_, double P_bar, const ModelAnswer& model) const {
    FluidStatement s;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!lookups_.solubilityOf || !binaryShares(solvent, solute, xs)) return s;
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(solute)].c_str();
    const double c = lookups_.solubility(a, b, T_, P_bar);
    if (!(c > 0.0) || !(c < 1.0)) return s;
    SolubilitySource source = lookups_.solubilitySource(a, b);
    if (!(source.uncertainty > 0.0)) source.uncertainty = kSolubilityUncertainty;
    const bool beyond = xs > c * (1.0 + source.uncertainty), within = xs < c * (1.0 - source.uncertainty);
    // Below its critical temperature near its own vapour pressure the
    // solvent's own liquid and vapour may split the mixture too.
    const double psat = lookups_.fluids().vapourPressure(a, T_) * 1e-5;
    const bool nearSaturation = std::fabs(P_bar / psat - 1.0) <= kVapourPressureUncertainty;
    s.word = beyond ? "splits" : within && !nearSaturation ? "one phase" : uncertainBetween("one phase", "splits");
    s.agrees = beyond ? model.splits : within && !nearSaturation ? !model.splits : true;
    s.text = formatted("(%s: its %s-rich phase holds at most %.3g %% %s at %g K and %g bar, within about %g %%; this "
                       "mixture %.3g %%)",
                       source.name ? source.name : "published solubility", a, 100.0 * c, b, T_, P_bar,
                       100.0 * source.uncertainty, 100.0 * xs);
    // The model's own content of the solute in its solvent-rich phase.
    double own = xs;
    std::string holds = "one phase holds";
    if (model.splits && std::isfinite(model.x1[0]) && std::isfinite(model.x1[1])) {
        const int rich = (model.x1[0] < 0.5) == (solvent == 0) ? 0 : 1;  // the phase rich in the solvent
        own = solute == 1 ? model.x1[rich] : 1.0 - model.x1[rich];
        holds = std::string(a) + "-rich phase holds";
    } else if (model.splits) {
        s.text += "; the model splits it";
        return s;
    }
    s.text += formatted("; the model's %s %.3g %%, %.3g times the published content", holds.c_str(), 100.0 * own,
                        own / c);
    return s;
}

// ---- beside the pure end of a non-polar pair

const ReferencePair* PhaseRules::polarPair() const {
    if (m_.component_count != 2 || m_.component_names.size() < 2) return nullptr;
    const ReferencePair* pair = lookups_.pairs().find(m_.component_names[0].c_str(), m_.component_names[1].c_str());
    return pair && pair->judgement == PairJudgement::kWaterAndGas ? pair : nullptr;
}

bool PhaseRules::diluteEnd(int& solvent, double& xs, bool nonPolar) const {
    int solute = 0;
    if (!binaryShares(solvent, solute, xs)) return false;
    const ReferenceFluids& fluids = lookups_.fluids();
    for (int i : {solvent, solute})
        if (!fluids.find(m_.component_names[static_cast<std::size_t>(i)].c_str())) return false;
    // Water, polar, follows no Raoult's law in these liquids (its own pairs'
    // statements are its Henry constants and solubilities): beside it only
    // a dilute share.  (A share given as the complement of the other's
    // carries the rounding of 1: the end's share holds to it, alike in
    // either order.)
    const bool polar = polarPair() != nullptr;
    return !(polar && (nonPolar || !(xs <= kHenryDiluteShare + 4.0 * std::numeric_limits<double>::epsilon())));
}

double PhaseRules::diluteDewPressure(double T_, const char** how) const {
    int solvent = 0;
    double xs = 0.0;
    if (!diluteEnd(solvent, xs, false)) return std::nan("");
    const ReferenceFluids& fluids = lookups_.fluids();
    const char* major = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const ReferenceFluid* a = fluids.find(major);
    const ReferenceFluid* b = fluids.find(m_.component_names[static_cast<std::size_t>(1 - solvent)].c_str());
    // Water the major component: its pairs' statements are its own (NaN);
    // water the minor one, dissolving little in the gas's liquid: that
    // liquid forms at the gas's own vapour pressure.
    const ReferencePair* polar = polarPair();
    const bool polarMajor = polar && polar->namesA(fluids, major), polarMinor = polar && !polarMajor;
    // (Beyond a dilute share of the other, where the statement is Raoult's
    // law, alike below the mixture's pseudo-critical temperature: above it
    // that law's split is only possible, RaoultsLaw.)
    const bool dilute = xs <= kHenryDiluteShare + 4.0 * std::numeric_limits<double>::epsilon();
    if (!(T_ < (dilute ? a->Tc : (1.0 - xs) * a->Tc + xs * b->Tc)) || polarMajor) return std::nan("");
    if (how) *how = polarMinor ? "its vapour pressure, water dissolving little in its liquid" : "its dew pressure by Raoult's law";
    if (polarMinor) return a->saturationPressure(T_) * 1e-5;
    return RaoultsLaw::dew(xs, RaoultsLaw::liquidFugacity(*a, T_), RaoultsLaw::liquidFugacity(*b, T_)) * 1e-5;
}

bool PhaseRules::waterAboveCriticalPoints(double T_, int& solvent, double& xs) const {
    int solute = 0;
    const ReferenceFluids& fluids = lookups_.fluids();
    if (!polarPair() || !binaryShares(solvent, solute, xs)) return false;
    const ReferenceFluid* a = fluids.find(m_.component_names[static_cast<std::size_t>(solvent)].c_str());
    const ReferenceFluid* b = fluids.find(m_.component_names[static_cast<std::size_t>(solute)].c_str());
    return a && b && !(T_ < std::max(a->Tc, b->Tc));
}

PhaseRules::FluidStatement PhaseRules::diluteEndAt(double T_, double P_bar, const ModelAnswer& model) const {
    FluidStatement s;
    int solvent = 0;
    double xs = 0.0;
    if (!diluteEnd(solvent, xs, false) && !waterAboveCriticalPoints(T_, solvent, xs)) return s;
    const bool water = !diluteNonPolarEnd(solvent, xs);
    const ReferenceFluids& fluids = lookups_.fluids();
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(1 - solvent)].c_str();
    const ReferenceFluid *ra = fluids.find(a), *rb = fluids.find(b);
    // Beside the pure end its reference density; beyond, the mixture's share.
    const bool dilute = xs <= kHenryDiluteShare + 4.0 * std::numeric_limits<double>::epsilon();
    double Vref = 0.0;
    const std::string density = dilute ? pureEndDensity(a, T_, P_bar, Vref) : std::string();
    const std::string share = formatted("; this mixture %.3g %% %s", 100.0 * xs, b);
    int phase = FluidPhase::kPhaseNone;
    if (!(T_ < ra->Tc) && (dilute || !(T_ < rb->Tc))) {
        // Above the major component's critical temperature its mixtures'
        // critical curve falls from its critical point where the other is
        // the lighter; above both critical temperatures the pair (without
        // water) is one fluid.  Below a heavier one's critical temperature
        // the other does not condense while its partial pressure stays below
        // its vapour pressure by the ideal solubility's factor; beyond, no
        // data here decide.  Water's critical curves with the lighter gases
        // start at its critical point and rise in pressure: above both
        // critical temperatures the pair is one fluid below water's critical
        // pressure.  Above it the pair may split into two fluids (gas-gas
        // immiscibility), but only at finite shares: both of its pure ends
        // are then supercritical, no longer able to split, and a dilute
        // solution's other component, of chemical potential RT ln xs beside
        // a bounded one in any other phase, cannot leave it as xs -> 0.  How
        // far that holds no data here say (no published critical curve at
        // these pressures): a trace (kTraceShare) is taken as the pure end.
        const std::string dissolved = T_ < rb->Tc ? SoluteSolid::dissolved(lookups_, a, b, xs, T_, P_bar) : "";
        if (T_ < rb->Tc && dissolved.empty()) return s;
        const double pcWater = water ? fluids.find(polarPair()->a)->vapourPressure.reducing * 1e-5 : std::nan("");
        const bool gasGas = water && !(T_ < rb->Tc) && !(P_bar < pcWater);
        if (gasGas && !(xs <= kTraceShare + 4.0 * std::numeric_limits<double>::epsilon())) return s;
        phase = FluidPhase::kPhaseSupercritical;
        s.word = FluidPhase::phaseName(phase);
        s.text = gasGas
                     ? formatted("(above the critical points of %s, %.6g K and %.6g bar, and %s, %.6g K, and water's "
                                 "critical pressure: the pair's split into two fluids, where it has one, lies at finite "
                                 "shares; a trace of %s, at most %g %%, is its pure end's one phase",
                                 a, ra->Tc, ra->vapourPressure.reducing * 1e-5, b, rb->Tc, b, 100.0 * kTraceShare)
                 : rb->Tc < ra->Tc
                     ? formatted("(above the critical point of %s, %.6g K and %.6g bar: the critical temperatures of its "
                                 "mixtures with the lighter %s lie below it%s",
                                 a, ra->Tc, ra->vapourPressure.reducing * 1e-5, b,
                                 water ? ", their critical pressures above it" : "")
                 : T_ < rb->Tc
                     ? formatted("(above the critical point of %s, %.6g K and %.6g bar; %s", a, ra->Tc,
                                 ra->vapourPressure.reducing * 1e-5, dissolved.c_str())
                     : formatted("(above the critical temperatures of %s, %.6g K, and %s, %.6g K%s: their mixtures are one "
                                 "fluid",
                                 a, ra->Tc, b, rb->Tc, water ? ", below water's critical pressure" : "");
        s.text += density + share + ")";
    } else {
        // (Water follows no Raoult's law beside these gases: its pairs'
        // statements below its critical point are its Henry constants and
        // published solubilities.)
        if (water) return s;
        const RaoultsLaw raoult = RaoultsLaw::at(*ra, a, *rb, b, xs, T_, P_bar, dilute);
        if (raoult.word.empty()) return s;
        phase = raoult.phase;
        s.word = raoult.word;
        s.text = raoult.text + density + share + ")";
    }
    const bool uncertain = s.word.rfind("uncertain", 0) == 0;
    if (s.word == "splits") {
        s.agrees = model.splits;
    } else {
        s.agrees = uncertain || (!model.splits && (model.phase == phase || model.phase == FluidPhase::kPhaseFluid ||
                                                   (phase == FluidPhase::kPhaseSupercritical &&
                                                    model.phase == FluidPhase::kPhaseVapour)));
    }
    if (model.splits && std::isfinite(model.x1[0]) && std::isfinite(model.x1[1])) {
        // Both phases by the other component's share.
        const auto other = static_cast<std::size_t>(1 - solvent);
        const double in[2] = {other == 1 ? model.x1[0] : 1.0 - model.x1[0], other == 1 ? model.x1[1] : 1.0 - model.x1[1]};
        s.text += formatted("; the model splits it into phases of %.3g and %.3g %% %s", 100.0 * std::min(in[0], in[1]),
                            100.0 * std::max(in[0], in[1]), b);
    } else if (model.splits) {
        s.text += "; the model splits it";
    } else {
        s.text += dilute ? besidePureEnd(a, Vref, model)
                         : formatted("; the model gives a %s", FluidPhase::phaseName(model.phase));
    }
    return s;
}

std::string PhaseRules::pureEndDensity(const char* a, double T_, double P_bar, double& Vref) const {
    // As the pure end's own statement gives it: near the critical point the
    // later reference equation's where the row has one.
    const ReferenceFluid* row = lookups_.fluids().find(a);
    Vref = row ? lookups_.referenceVolume(a, T_, P_bar) : 0.0;
    if (!(Vref > 0.0)) return std::string();
    return formatted("; pure %s by %s: %.5g kg/m3", a,
                     row->criticalRegion && row->inCriticalRegion(T_, P_bar * 1e5) ? row->criticalRegion().source
                                                                                   : row->referenceModel,
                     row->molarMass / Vref);
}

std::string PhaseRules::besidePureEnd(const char* a, double Vref, const ModelAnswer& model) const {
    if (model.splits || !(Vref > 0.0 && model.rho > 0.0 && m_.bulk_molar_weight > 0.0)) return std::string();
    return formatted("; the model gives a %s, its molar density %+.3g %% from pure %s's",
                     FluidPhase::phaseName(model.phase), 100.0 * (model.rho / m_.bulk_molar_weight * Vref - 1.0), a);
}
