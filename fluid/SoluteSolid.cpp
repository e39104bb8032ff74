// A solute's pure solid beside a dense fluid of another component, by its
// fugacity there (Peng & Robinson with the pair's binary constant).
#include "fluid/SoluteSolid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fluid/PhaseRules.h"
#include "fluid/ReferenceFluids.h"

SoluteSolid SoluteSolid::at(const PhaseLookups& lookups, const char* solvent, const char* solute, double y, double T,
                            double P_bar) {
    SoluteSolid s;
    const ReferencePairs& pairs = lookups.pairs();
    const ReferencePair* pair = pairs.find(solvent, solute);
    const ReferenceFluid *row = pairs.fluids().find(solute), *solventRow = pairs.fluids().find(solvent);
    if (!pair || !pair->soluteFugacity || !row || !solventRow || !(y > 0.0)) return s;
    const double P = P_bar * 1e5;
    // ln(y phi P / f_solid) at t: the solid's fugacity psub phi_sub exp(Vs (P
    // - psub)/RT) from its sublimation pressure (PhaseRules::solidFugacity).
    double phi = std::nan(""), fs = std::nan("");
    auto excessAt = [&](double t) {
        double Vs = std::nan("");
        const double psub = lookups.sublimation(solute, t, Vs);
        phi = pairs.pengRobinsonFugacityCoefficient(solvent, solute, y, t, P);
        fs = PhaseRules::solidFugacity(row, psub, Vs, t, P);
        return std::log(y * phi * P / fs);
    };
    const double excess = excessAt(T);
    if (!std::isfinite(excess)) return s;
    const double phiT = phi, fsT = fs;
    s.excess = excess;
    s.band = PhaseRules::kSublimationUncertainty + fugacityBand(y, phi);
    const double psat = solventRow->saturationPressure(T);
    s.liquid = T < solventRow->Tc && P > psat;
    // Where the fugacities meet at P: above T where the fluid holds more
    // than the solid takes (up to the triple point), else below it (within
    // 60 K), by bisection across the first 1 K step that changes the sign.
    const double step = excess > 0.0 ? 1.0 : -1.0, stop = excess > 0.0 ? row->Tt - 1e-9 : T - 60.0;
    double lo = T;
    for (double t = T + step; excess > 0.0 ? t <= stop : t >= stop; t += step) {
        const double e = excessAt(t);
        if (std::isfinite(e) && (e > 0.0) != (excess > 0.0)) {
            double a = lo, b = t;
            for (int k = 0; k < 60 && std::fabs(b - a) > 1e-7; ++k) {
                const double m = 0.5 * (a + b), em = excessAt(m);
                ((em > 0.0) == (excess > 0.0) ? a : b) = m;
            }
            s.point = 0.5 * (a + b);
            break;
        }
        lo = t;
    }
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "its fugacity in the %s-rich %s by Peng & Robinson's equation with %s's binary constant %.4g, %.5g "
                  "bar (its fugacity coefficient %.3g), against the solid's %.5g bar (%s, with its Poynting factor), "
                  "within a factor %.3g",
                  y > 0.5 ? solute : solvent, s.liquid ? "liquid" : "fluid", pair->pengRobinsonK12Source,
                  pair->pengRobinsonK12, y * phiT * P_bar, phiT, fsT * 1e-5, row->solid.sublimationSource, std::exp(s.band));
    s.how = buf;
    return s;
}

SoluteSolid::Judged SoluteSolid::together(const SoluteSolid& dense, double idealExcess, double idealBand, bool major) {
    // The fugacity's word (1 deposits, 0 within its band, -1 none); the ideal
    // solubility's only where its liquid freezes (1), else 0: a richer or
    // less ideal liquid freezes higher.
    const int byFugacity = dense.excess > dense.band ? 1 : dense.excess < -dense.band ? -1 : 0;
    const int byIdeal = idealExcess > idealBand ? 1 : 0;
    const int said = byIdeal == 1 ? std::min(byFugacity + 1, 1) : byFugacity;
    Judged j;
    j.also = (byFugacity == 1) != (byIdeal == 1);
    j.byFugacity = said == 1 && j.also ? byFugacity == 1 : !major;
    j.band = j.byFugacity ? dense.band : idealBand;
    j.excess = said == 1 ? (j.byFugacity ? dense.excess : idealExcess) : said == 0 ? 0.0 : -2.0 * j.band;
    return j;
}

std::string SoluteSolid::dissolved(const PhaseLookups& lookups, const char* solvent, const char* solute, double y,
                                   double T, double P_bar) {
    const ReferenceFluid* row = lookups.pairs().fluids().find(solute);
    if (!row) return "";
    char buf[640];
    const bool solid = T < row->Tt;
    if (const SoluteSolid s = solid ? at(lookups, solvent, solute, y, T, P_bar) : SoluteSolid{}; std::isfinite(s.excess)) {
        if (!(s.excess < -s.band)) return "";
        std::snprintf(buf, sizeof buf, "%s, %s: it does not deposit", solute, s.how.c_str());
        return buf;
    }
    const ReferencePair* pair = lookups.pairs().find(solvent, solute);
    const double phi = pair && pair->soluteFugacity
                           ? lookups.pairs().pengRobinsonFugacityCoefficient(solvent, solute, y, T, P_bar * 1e5)
                           : std::nan("");
    const double factor = phi > 0.0 ? std::exp(fugacityBand(y, phi)) : PhaseRules::kIdealSolubilityFactor;
    const double f = y * P_bar * (phi > 0.0 ? phi : 1.0);
    const double p = (solid ? row->sublimationPressure(T) : row->saturationPressure(T)) * 1e-5;
    if (!(f < p / factor)) return "";
    char coefficient[96] = "";
    if (phi > 0.0) std::snprintf(coefficient, sizeof coefficient, " (its coefficient %.3g by Peng & Robinson's equation)", phi);
    std::snprintf(buf, sizeof buf, "the %s of %s, %.4g bar%s, below its %s pressure %.5g bar by more than a factor %.3g: "
                  "it does not %s", phi > 0.0 ? "fugacity" : "partial pressure", solute, f, coefficient,
                  solid ? "sublimation" : "vapour", p, factor, solid ? "deposit" : "condense");
    return buf;
}
