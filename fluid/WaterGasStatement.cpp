// The fluid's statement of water and a gas above water's melting point
// (the pairs' rows of water with CO2, CH4, N2 and Ar): the gas liquid water
// holds and the water the gas holds, each by its best source, judge the
// mixture together.
#include "fluid/WaterGasStatement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "fluid/ReferenceFluids.h"
#include "fluid/StatementText.h"

using statement::formatted;
using statement::uncertainBetween;

double WaterGasStatement::waterInGasFugacityCoefficient(int w, double y, double T_, double P_bar, bool gasRoot) const {
    const char* water = m_.component_names[static_cast<std::size_t>(w)].c_str();
    const char* gas = m_.component_names[static_cast<std::size_t>(1 - w)].c_str();
    return lookups_.pairs().pengRobinsonFugacityCoefficient(gas, water, y, T_, P_bar * 1e5, 0.0, gasRoot);
}

double WaterGasStatement::binaryConstantBand(int w, double y, double T_, double P_bar, bool gasRoot) const {
    const char* water = m_.component_names[static_cast<std::size_t>(w)].c_str();
    const char* gas = m_.component_names[static_cast<std::size_t>(1 - w)].c_str();
    const ReferencePair* pair = lookups_.pairs().find(water, gas);
    const double d = pair ? pair->pengRobinsonK12Uncertainty : 0.0;
    if (!(d > 0.0)) return 0.0;
    const ReferencePairs& pairs = lookups_.pairs();
    const double up = pairs.pengRobinsonFugacityCoefficient(gas, water, y, T_, P_bar * 1e5, d, gasRoot);
    const double down = pairs.pengRobinsonFugacityCoefficient(gas, water, y, T_, P_bar * 1e5, -d, gasRoot);
    const double band = 0.5 * std::fabs(std::log(up / down));
    return std::isfinite(band) ? band : 0.0;
}

WaterGasStatement::Capacity WaterGasStatement::publishedCapacity(const char* solvent, const char* solute, double T_,
                                                                double P_bar,
                                                    const char* phase) const {
    Capacity c;
    const double published = lookups_.solubility(solvent, solute, T_, P_bar);
    if (!(published > 0.0 && published < 1.0)) return c;
    SolubilitySource source = lookups_.solubilitySource(solvent, solute);
    if (!(source.uncertainty > 0.0)) source.uncertainty = kSolubilityUncertainty;
    c.value = published;
    c.low = published * (1.0 - source.uncertainty);
    c.high = std::min(1.0, published * (1.0 + source.uncertainty));
    c.text = formatted("%s: its %s-rich %s holds at most %.3g %% %s within about %g %%",
                       source.name ? source.name : "published solubility", solvent, phase, 100.0 * published, solute,
                       100.0 * source.uncertainty);
    // Water's liquid (above its vapour pressure, below its critical
    // temperature) holding the gas within its capacity is one liquid, as
    // pure water there is; a gas-rich phase may be a vapour or the gas's
    // own liquid, and is named one phase.
    if (std::string(phase) == "liquid") c.word = "liquid";
    return c;
}

WaterGasStatement::Capacity WaterGasStatement::waterLiquidCapacity(int w, double T_, double P_bar, double psat,
                                                                  bool& dilute) const {
    Capacity c;
    dilute = true;
    const char* water = m_.component_names[static_cast<std::size_t>(w)].c_str();
    const char* gas = m_.component_names[static_cast<std::size_t>(1 - w)].c_str();
    c = publishedCapacity(water, gas, T_, P_bar, "liquid");
    if (std::isfinite(c.value)) return c;
    // Henry's law for the gas (IAPWS G7-04, published from 273.15 K: taken
    // there below): at P the liquid holds xL = (P - psat)/(H K - psat), K
    // the dissolved gas's Poynting factor over its fugacity coefficient
    // (dissolvedGasFactor) where the pair gives them, else 1.  Its band: ln H
    // within its published uncertainty, and with the pair's data a fifth of
    // ln K's Poynting part and phi's as for water in the gas, else the
    // Poynting factor of up to twice water's saturated volume and phi within
    // exp(2 |B| P/RT) of 1 (B its second virial coefficient, Tsonopoulos
    // 1974).
    const ReferenceFluids& fluids = lookups_.fluids();
    const double H0 = lookups_.henry(water, gas, std::max(T_, 273.15)) * 1e-5;
    const ReferenceFluid* row = fluids.find(gas);
    if (!(H0 > 0.0) || !std::isfinite(H0) || !row) return c;
    double phi = 1.0, factor = 1.0, dissolvedPoynting = 1.0;
    const ReferencePair* pair = lookups_.pairs().find(water, gas);
    const bool pengRobinson = pair && std::isfinite(pair->pengRobinsonK12) && pair->dissolvedVolume > 0.0;
    const double RT = FluidPhase::R * T_;
    if (pengRobinson) factor = dissolvedGasFactor(w, T_, P_bar, psat, &phi, &dissolvedPoynting);
    const double H = H0 * factor;
    const double v = pengRobinson ? pengRobinsonUncertainty(std::log(phi)) + 0.2 * std::log(dissolvedPoynting)
                                  : 2.0 * std::fabs(row->secondVirialCoefficient(T_)) * P_bar * 1e5 / RT;
    const double poynting = pengRobinson ? 0.0 : 2.0 * fluids.saturatedLiquidVolume(water, T_) * (P_bar - psat) * 1e5 / RT;
    auto liquidShare = [&](double h) { return std::clamp((P_bar - psat) / (h - psat), 0.0, 1.0); };
    c.value = liquidShare(H);
    dilute = c.value <= kHenryDiluteShare;
    c.low = liquidShare(H * std::exp(kHenryLogUncertainty + v + std::max(poynting, 0.0)));
    c.high = liquidShare(H * std::exp(-kHenryLogUncertainty - v));
    c.word = "liquid";
    c.laws = true;
    const char* source = lookups_.pairs().henrySourceOf(water, gas);
    c.text = formatted("%s's Henry constant of %s, %.5g bar: its liquid holds %.3g %% %s (%.3g to %.3g %%)%s",
                       source ? source : "the published", gas, H0, 100.0 * c.value, gas, 100.0 * c.low,
                       100.0 * c.high,
                       pengRobinson ? formatted(" at its fugacity coefficient %.3g (Peng & Robinson) and its Poynting "
                                                "factor %.4g", phi, dissolvedPoynting).c_str() : "");
    return c;
}

WaterGasStatement::Capacity WaterGasStatement::gasWaterCapacity(int w, double T_, double P_bar, double psat,
                                                   const Capacity& liquid) const {
    Capacity c;
    const char* water = m_.component_names[static_cast<std::size_t>(w)].c_str();
    const char* gas = m_.component_names[static_cast<std::size_t>(1 - w)].c_str();
    c = publishedCapacity(gas, water, T_, P_bar, "phase");
    if (std::isfinite(c.value)) return c;
    const ReferenceFluids& fluids = lookups_.fluids();
    const ReferenceFluid *waterRow = fluids.find(water), *gasRow = fluids.find(gas);
    if (!waterRow || !gasRow) return c;
    // Water's activity in its liquid, 1 - xL, the liquid's share of the gas
    // (none where unknown).
    const double xL = std::isfinite(liquid.value) ? liquid.value : 0.0, RT = FluidPhase::R * T_;
    const double phiSat = waterRow->pengRobinsonVapourFugacityCoefficient(T_, psat * 1e5);
    // Water's fugacity over its liquid, psat phi_sat exp(V (P - psat)/RT)
    // (1 - xL), equal to its fugacity y phi(y) P in the gas (e.g. Prausnitz,
    // Lichtenthaler & de Azevedo 1999, ch. 10), solved for y.
    const double poynting = std::exp(fluids.saturatedLiquidVolume(water, T_) * (P_bar - psat) * 1e5 / RT);
    const double f = psat * phiSat * poynting * (1.0 - xL);
    double y = std::min(1.0, f / P_bar), phi = std::nan("");
    for (int k = 0; k < 200 && phiSat > 0.0; ++k) {
        phi = waterInGasFugacityCoefficient(w, std::min(y, 0.999), T_, P_bar);
        const double next = std::min(1.0, f / (phi * P_bar));
        if (!std::isfinite(next)) break;
        y = 0.5 * (y + next);
        if (std::fabs(next - y) < 1e-10 * y) break;
    }
    if (phi > 0.0 && std::isfinite(y)) {
        // (y moves as 1/phi: the binary constant's band is phi's.)
        const double u = kVapourPressureUncertainty +
                         pengRobinsonUncertainty(std::log(y * P_bar / (psat * (1.0 - xL)))) +
                         binaryConstantBand(w, std::min(y, 0.999), T_, P_bar);
        c.value = y;
        c.low = y * (1.0 - u);
        c.high = std::min(1.0, y * (1.0 + u));
        const ReferencePair* pair = lookups_.pairs().find(water, gas);
        const std::string constant =
            pair && pair->pengRobinsonK12Source
                ? formatted("%s's binary constant %.4g within %g", pair->pengRobinsonK12Source, pair->pengRobinsonK12,
                            pair->pengRobinsonK12Uncertainty)
                : std::string("its binary constant");
        c.text = formatted("water's fugacity coefficient %.3g in %s (Peng & Robinson's equation with %s) with the "
                           "Poynting factor %.4g of its liquid: its %s-rich phase holds %.3g %% %s (%.3g to %.3g %%)",
                           phi, gas, constant.c_str(), poynting, gas, 100.0 * c.value, water, 100.0 * c.low,
                           100.0 * c.high);
        return c;
    }
    // Raoult's law: the vapour holds yW = psat (1 - xL)/P of water, within
    // the vapour pressure's uncertainty and its fugacity coefficients',
    // exp(2 |B| P/RT) of 1, over the liquid's band of xL.
    const double v = 2.0 * std::fabs(gasRow->secondVirialCoefficient(T_)) * P_bar * 1e5 / RT;
    const double xLow = std::isfinite(liquid.low) ? liquid.low : 0.0, xHigh = std::isfinite(liquid.high) ? liquid.high : 0.0;
    c.value = psat * (1.0 - xL) / P_bar;
    c.low = psat * (1.0 - kVapourPressureUncertainty) * std::exp(-v) * (1.0 - xHigh) / P_bar;
    c.high = std::min(1.0, psat * (1.0 + kVapourPressureUncertainty) * std::exp(v) * (1.0 - xLow) / P_bar);
    c.word = "vapour";
    c.laws = true;
    c.text = formatted("its vapour %.3g %% %s (%.3g to %.3g %%)", 100.0 * c.value, water, 100.0 * c.low,
                       100.0 * c.high);
    return c;
}

PhaseRules::FluidStatement WaterGasStatement::waterAndGasAt(double T_, double P_bar, const ModelAnswer& model) const {
    FluidStatement s;
    const std::vector<std::string>& names = m_.component_names;
    // Water is the row's component a (the gas dissolves in its liquid).
    const ReferencePair* pair = lookups_.pairs().find(names[0].c_str(), names[1].c_str());
    if (!pair || (!lookups_.henryOf && !lookups_.solubilityOf)) return s;
    const int w = pair->namesA(lookups_.fluids(), names[0].c_str()) ? 0 : 1;
    const char* gas = names[static_cast<std::size_t>(1 - w)].c_str();
    const double psat = lookups_.fluids().vapourPressure(names[static_cast<std::size_t>(w)].c_str(), T_) * 1e-5;
    if (!(psat > 0.0)) return s;
    const double xg = m_.x[static_cast<std::size_t>(1 - w)] / (m_.x[0] + m_.x[1]), xw = 1.0 - xg;
    // A trace of either (kTraceShare) is its major end: that end's density
    // by its reference equation beside the model's.
    const int major = xg > xw ? 1 - w : w;
    const bool trace = std::min(xg, xw) <= kTraceShare + 4.0 * std::numeric_limits<double>::epsilon();
    double Vref = 0.0;
    const std::string density =
        trace ? pureEndDensity(names[static_cast<std::size_t>(major)].c_str(), T_, P_bar, Vref) : std::string();
    const std::string share =
        trace ? formatted("; this mixture a trace of %.3g %% %s", 100.0 * std::min(xg, xw),
                          names[static_cast<std::size_t>(major == w ? 1 - w : w)].c_str())
              : formatted("; this mixture %.3g %% %s", 100.0 * xg, gas);
    if (!(P_bar > psat)) {
        // Below water's vapour pressure no liquid forms: a vapour, of which
        // a trace in the gas above the gas's critical temperature is that
        // end's supercritical fluid.
        const bool supercritical = trace && major != w && !(T_ < lookups_.fluids().criticalTemperature(gas));
        s.word = FluidPhase::phaseName(supercritical ? FluidPhase::kPhaseSupercritical : FluidPhase::kPhaseVapour);
        s.text = formatted("(water's vapour pressure %.5g bar%s%s)", psat, density.c_str(), share.c_str());
        s.agrees = !model.splits && model.phase != FluidPhase::kPhaseLiquid;
        s.text += trace && !model.splits ? besidePureEnd(names[static_cast<std::size_t>(major)].c_str(), Vref, model)
                                         : modelAnswer(w, model);
        return s;
    }
    // The liquid holds at most xL of the gas, the gas yW of water: a
    // mixture within either is one phase, beyond both it splits; no
    // liquid forms where the water lies within the gas's capacity, however
    // large its share.
    bool dilute = true;
    const Capacity liquid = waterLiquidCapacity(w, T_, P_bar, psat, dilute);
    if (!dilute) return waterBeyondDiluteHenryAt(w, T_, P_bar, psat, liquid, model);
    const Capacity vapour = gasWaterCapacity(w, T_, P_bar, psat, liquid);
    if (!std::isfinite(vapour.value)) return s;
    const double cLow = std::isfinite(liquid.low) ? liquid.low : 0.0, cHigh = std::isfinite(liquid.high) ? liquid.high : 0.0;
    if (xg < cLow) {
        s.word = liquid.word;
    } else if (xw < vapour.low) {
        s.word = vapour.word;
    } else if (xg > cHigh && xw > vapour.high) {
        s.word = "splits";
    } else {
        s.word = uncertainBetween(xg <= cHigh ? liquid.word : vapour.word, "splits");
    }
    s.agrees = s.word.rfind("uncertain", 0) == 0 || (s.word == "splits") == model.splits;
    const std::string sides = liquid.text.empty() ? vapour.text
                              : liquid.laws && vapour.laws ? liquid.text + ", " + vapour.text + " with the laws' uncertainty"
                                                           : vapour.text + "; " + liquid.text;
    s.text = formatted("(%swater's vapour pressure %.5g bar%s%s%s%s)", liquid.laws && vapour.laws ? "Raoult's law with " : "",
                       psat, liquid.laws && vapour.laws ? " and " : "; ", sides.c_str(), density.c_str(),
                       share.c_str());
    const bool oneWord = s.word != "splits" && s.word.rfind("uncertain", 0) != 0;
    s.text += trace && oneWord && !model.splits
                  ? besidePureEnd(names[static_cast<std::size_t>(major)].c_str(), Vref, model)
                  : modelAnswer(w, model);
    return s;
}

std::string WaterGasStatement::modelAnswer(int w, const ModelAnswer& model) const {
    const char* gas = m_.component_names[static_cast<std::size_t>(1 - w)].c_str();
    if (model.splits && std::isfinite(model.x1[0]) && std::isfinite(model.x1[1])) {
        const int rich = (model.x1[0] < 0.5) == (w == 0) ? 0 : 1;  // the water-rich phase
        const double liquidGas = w == 0 ? model.x1[rich] : 1.0 - model.x1[rich];
        const double vapourWater = w == 0 ? 1.0 - model.x1[1 - rich] : model.x1[1 - rich];
        return formatted("; the model's water-rich phase holds %.3g %% %s, its other phase %.3g %% H2O",
                         100.0 * liquidGas, gas, 100.0 * vapourWater);
    }
    return model.splits ? std::string("; the model splits it")
                        : formatted("; the model gives one %s", FluidPhase::phaseName(model.phase));
}

PhaseRules::FluidStatement WaterGasStatement::waterBeyondDiluteHenryAt(int w, double T_, double P_bar, double psat,
                                                               const Capacity& liquid, const ModelAnswer& model) const {
    // Henry's law puts more of the gas in the saturated liquid than a dilute
    // solution holds (high pressures): the saturated share is beyond the
    // law, but a mixture whose own share is dilute lies within it.  There
    // the gas's fugacity in the liquid, x H K by the same law, stays below
    // the pure gas's wherever x lies below the law's saturated share (its
    // lower band): the liquid holds all of it, one liquid, as pure water is
    // above its vapour pressure.  Beyond a dilute share no data here decide.
    FluidStatement s;
    const char* water = m_.component_names[static_cast<std::size_t>(w)].c_str();
    const char* gas = m_.component_names[static_cast<std::size_t>(1 - w)].c_str();
    const double xg = m_.x[static_cast<std::size_t>(1 - w)] / (m_.x[0] + m_.x[1]);
    const double cLow = std::isfinite(liquid.low) ? liquid.low : 0.0;
    if (!(xg <= kHenryDiluteShare && xg < cLow)) return s;
    double Vref = 0.0;
    const std::string density = pureEndDensity(water, T_, P_bar, Vref);
    s.word = FluidPhase::phaseName(FluidPhase::kPhaseLiquid);
    s.text = formatted("(water's vapour pressure %.5g bar; %s, beyond a dilute solution of at most %g %%: by the same "
                       "law at this mixture's dilute share its liquid holds all of it%s; this mixture %.3g %% %s)",
                       psat, liquid.text.c_str(), 100.0 * kHenryDiluteShare, density.c_str(), 100.0 * xg, gas);
    s.agrees = !model.splits &&
               (model.phase == FluidPhase::kPhaseLiquid || model.phase == FluidPhase::kPhaseFluid);
    s.text += model.splits ? std::string("; the model splits it") : besidePureEnd(water, Vref, model);
    return s;
}
