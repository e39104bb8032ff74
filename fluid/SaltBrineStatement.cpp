// The fluid's statement of water and a non-volatile salt.
#include "fluid/SaltBrineStatement.h"

#include <cmath>
#include <string>
#include <vector>

#include "fluid/ReferenceFluids.h"
#include "fluid/StatementText.h"

using statement::formatted;
using statement::uncertainBetween;

PhaseRules::FluidStatement SaltBrineStatement::saltBrineAt(double T_, double P_bar, const ModelAnswer& model) const {
    FluidStatement s;
    // Water is the row's component a.
    const ReferencePair* row = lookups_.pairs().find(m_.component_names[0].c_str(), m_.component_names[1].c_str());
    if (!row) return s;
    const int w = row->namesA(lookups_.fluids(), m_.component_names[0].c_str()) ? 0 : 1;
    const ReferenceFluid* water = lookups_.fluids().find(m_.component_names[static_cast<std::size_t>(w)].c_str());
    if (!water) return s;
    const char* salt = m_.component_names[static_cast<std::size_t>(1 - w)].c_str();
    const double xs = m_.x[static_cast<std::size_t>(1 - w)] / (m_.x[0] + m_.x[1]);
    const SaltDiagramPoint d =
        lookups_.saltDiagram(m_.component_names[static_cast<std::size_t>(w)].c_str(), salt, T_, P_bar);
    if (d.covered()) {
        s = byDiagram(d, salt, xs, T_, P_bar, T_ < water->Tc);
    } else if (T_ < water->Tc && xs >= kTraceShare) {
        // No diagram: below water's critical temperature the vapour beside
        // a brine holds far less than a trace of the salt (NaCl's holds at
        // most about 1e-4 there), so the brine is no single vapour, at any
        // pressure; which of a liquid, steam with brine or a brine beside
        // the solid it is, no source here says.
        const double psat = lookups_.fluids().vapourPressure(water->formula, T_) * 1e-5;
        s.word = "not one vapour";
        s.text = formatted("(%s is not volatile: below water's critical temperature the vapour beside its brine holds "
                           "less than %g %% of it, above or below water's vapour pressure, %.5g bar; no published "
                           "phase diagram of %s-%s here says whether the brine is a liquid, steam with brine or "
                           "beside the solid salt; this mixture %.3g %% %s)",
                           salt, 100.0 * kTraceShare, psat, water->formula, salt, 100.0 * xs, salt);
        s.agrees = model.splits || model.phase != FluidPhase::kPhaseVapour;
    }
    if (!s.covered()) return s;
    s.text += besideModel(w, model);
    if (d.covered()) s.agrees = agreesWith(s.word, model);
    if (s.word.find("deposits") != std::string::npos && s.word.rfind("uncertain", 0) != 0)
        s.text += "; the model describes no solid";
    return s;
}

PhaseRules::FluidStatement SaltBrineStatement::ternaryBrineAt(double T_, const ModelAnswer& model) const {
    FluidStatement s;
    const std::vector<std::string>& names = m_.component_names;
    if (m_.component_count != 3 || names.size() < 3 || m_.x.size() < 3) return s;
    const double total = m_.x[0] + m_.x[1] + m_.x[2];
    const ReferenceFluids& fluids = lookups_.fluids();
    for (std::size_t w = 0; w < 3; ++w) {
        for (std::size_t k = 0; k < 3; ++k) {
            const ReferencePair* row = k == w ? nullptr : lookups_.pairs().find(names[w].c_str(), names[k].c_str());
            if (!row || row->judgement != PairJudgement::kSaltBrine || !row->namesA(fluids, names[w].c_str())) continue;
            const ReferenceFluid* water = fluids.find(names[w].c_str());
            const double xs = m_.x[k] / total, xg = m_.x[3 - w - k] / total;
            if (!water || !(T_ < water->Tc) || !(xs >= kTraceShare)) return s;
            // (As without the third: the vapour beside the brine holds far
            // less than a trace of the salt, the third's share of it
            // changing the salt's little below water's critical temperature.)
            const char* salt = names[k].c_str();
            const char* third = names[3 - w - k].c_str();
            s.word = "not one vapour";
            s.text = formatted("(%s is not volatile: below water's critical temperature the vapour beside its brine, "
                               "with %s or without, holds less than %g %% of it; no published phase diagram of the "
                               "three here says more; this mixture %.3g %% %s, %.3g %% %s)",
                               salt, third, 100.0 * kTraceShare, 100.0 * xs, salt, 100.0 * xg, third);
            s.agrees = model.splits || model.phase != FluidPhase::kPhaseVapour;
            s.text += model.splits ? "; the model splits it"
                                   : formatted("; the model gives a %s", FluidPhase::phaseName(model.phase));
            return s;
        }
    }
    return s;
}

bool SaltBrineStatement::agreesWith(const std::string& word, const ModelAnswer& model) {
    // An uncertain word agrees with either of its two; no solid is a phase
    // of the model.
    if (word.rfind("uncertain", 0) == 0) return true;
    if (word == "splits") return model.splits;
    if (model.splits || word.find("deposits") != std::string::npos) return false;
    // (A model's one phase named a supercritical fluid, above water's
    // critical temperature, is the brine's liquid or vapour alike.)
    const bool fluid = model.phase == FluidPhase::kPhaseFluid || model.phase == FluidPhase::kPhaseSupercritical;
    if (word == "liquid") return fluid || model.phase == FluidPhase::kPhaseLiquid;
    if (word == "vapour") return fluid || model.phase == FluidPhase::kPhaseVapour;
    return true;  // one phase
}

PhaseRules::FluidStatement SaltBrineStatement::byDiagram(const SaltDiagramPoint& d, const char* salt, double xs,
                                                         double T_, double P_bar, bool liquidWater) const {
    FluidStatement s;
    const SolidField field = lookups_.solid(salt, T_, P_bar);
    const std::string deposits = std::string(field.solid ? field.solid : salt) + " deposits";
    const double u = kLiquidUncertainty, f = kVapourFactor;
    // The word of a share against a liquid's boundary c (beyond it `above`,
    // within it `below`) and a vapour's.
    auto byLiquid = [&](double c, const char* below, const char* above) {
        return xs > c * (1.0 + u)   ? std::string(above)
               : xs < c * (1.0 - u) ? std::string(below)
                                    : uncertainBetween(below, above);
    };
    auto byVapour = [&](double c, const char* below, const char* above) {
        return xs > c * f ? std::string(above) : xs < c / f ? std::string(below) : uncertainBetween(below, above);
    };
    const std::string within =
        formatted("its liquids' shares taken within %g %%, its vapours' within a factor %g", 100.0 * u, f);
    const char* solidName = field.solid ? field.solid : salt;
    if (P_bar < d.surfaceLow) {
        // Below the three-phase pressure: the vapour, beside the solid where
        // it holds more than the vapour does.
        s.word = xs > d.solidVapourHigh * f  ? deposits
                 : xs < d.solidVapourLow / f ? std::string("vapour")
                                             : uncertainBetween("vapour", deposits.c_str());
        s.text = formatted("(%s: below the pressure %.5g bar of vapour, liquid and %s, the vapour beside the solid "
                           "holds %.3g to %.3g %% %s, %s",
                           d.source, d.surfaceLow, solidName, 100.0 * d.solidVapourLow, 100.0 * d.solidVapourHigh,
                           salt, within.c_str());
    } else if (P_bar <= d.surfaceHigh && std::isfinite(d.liquid) && std::isfinite(d.vapour)) {
        // On the vapour-liquid surface: steam with brine between its vapour
        // and its liquid, the liquid beyond (beside the solid beyond the
        // liquidus), the vapour short of it.
        if (xs > d.liquid * (1.0 - u)) {
            s.word = byLiquid(d.liquid, "splits", "liquid");
            if (std::isfinite(d.solidLiquid) && xs > d.solidLiquid * (1.0 - u))
                s.word = byLiquid(d.solidLiquid, s.word.c_str(), deposits.c_str());
        } else {
            s.word = byVapour(d.vapour, "vapour", "splits");
        }
        s.text = formatted("(%s: at %g bar, between the pressure %.5g bar of its vapour-liquid surface's low end and "
                           "%.5g bar of its high end, its liquid holds %.3g %% %s, its vapour %.3g %%",
                           d.source, P_bar, d.surfaceLow, d.surfaceHigh, 100.0 * d.liquid, salt, 100.0 * d.vapour);
        if (std::isfinite(d.solidLiquid))
            s.text += formatted(", the liquid beside the solid %.3g %%", 100.0 * d.solidLiquid);
        s.text += ", " + within;
    } else if (P_bar > d.surfaceHigh) {
        // Above the surface: one liquid (one fluid above water's critical
        // temperature), beside the solid beyond the liquidus.
        const char* one = liquidWater ? "liquid" : "one phase";
        s.word = std::isfinite(d.solidLiquid) ? byLiquid(d.solidLiquid, one, deposits.c_str()) : std::string(one);
        s.text = formatted("(%s: above the pressure %.5g bar of its vapour-liquid surface's high end, one %s",
                           d.source, d.surfaceHigh,
                           liquidWater ? "liquid" : "fluid");
        if (std::isfinite(d.solidLiquid))
            s.text += formatted("; the liquid beside the solid holds %.3g %% %s, %s", 100.0 * d.solidLiquid, salt,
                                within.c_str());
    } else {
        return s;
    }
    s.text += formatted("; this mixture %.3g %% %s)", 100.0 * xs, salt);
    return s;
}

std::string SaltBrineStatement::besideModel(int w, const ModelAnswer& model) const {
    if (model.splits && std::isfinite(model.x1[0]) && std::isfinite(model.x1[1])) {
        // Both phases by the salt's share.
        const double a = w == 0 ? model.x1[0] : 1.0 - model.x1[0], b = w == 0 ? model.x1[1] : 1.0 - model.x1[1];
        return formatted("; the model splits it into phases of %.3g and %.3g %% %s", 100.0 * std::fmin(a, b),
                         100.0 * std::fmax(a, b), m_.component_names[static_cast<std::size_t>(1 - w)].c_str());
    }
    return model.splits ? std::string("; the model splits it")
                        : formatted("; the model gives one %s", FluidPhase::phaseName(model.phase));
}
