#pragma once
// A solute's pure solid beside a fluid of another component, by the solute's
// fugacity in that fluid where the pairs' table gives Peng & Robinson's
// binary constant of the solute dissolved in it (solid CO2 from compressed
// or liquid CH4 or N2).  A dense fluid holds a heavy solute far beyond its
// share of the pressure: CO2's fugacity coefficient at infinite dilution is
// about 0.1 in CH4 at 195 K and 100 bar, 1e-3 in N2 near 127 K and 200 bar,
// and the same equation gives it in the gas, the supercritical fluid and the
// liquid alike, continuous across the solvent's critical temperature.  T in
// K, P in bar.
#include <cmath>
#include <string>

struct PhaseLookups;

struct SoluteSolid {
    double excess = std::nan("");  // ln of the solute's fugacity in the fluid over its pure solid's
    double band = std::nan("");    // the uncertainty of `excess`
    double point = std::nan("");   // where the two fugacities meet at P (K), NaN where none is found
    bool liquid = false;           // the fluid a liquid (below the solvent's critical temperature, above its vapour pressure)
    std::string how;               // what it is said from, with its numbers

    // The solute's share of the fugacity coefficient's band: Peng & Robinson's
    // equation with a binary constant fitted to the pair's vapour-liquid
    // equilibria gives the solid's solubility in compressed and liquid light
    // gases within some tens of per cent, the more loosely the farther the
    // coefficient lies from 1: 0.1 plus a tenth of |ln phi|, with the
    // sublimation pressure's own.  The 0.1 is the unlike molecules' part,
    // which the binary constant fits: it enters ln phi with the solvent's
    // share (to the second virial coefficients y_solvent^2 (2 B12 - B11 -
    // B22) P/RT), taken here in proportion to it, the more cautious; the
    // solute's own non-ideality is held by the tenth of |ln phi|.  So the
    // band narrows to the pure solute's beside its pure end, as that end's
    // own statement gives it, and is the same on both sides of half.
    static constexpr double kBaseLogUncertainty = 0.1, kLogUncertaintyPerLogPhi = 0.1;
    // That band (without the sublimation pressure's) of the solute at share
    // y, its fugacity coefficient phi.
    static double fugacityBand(double y, double phi) {
        return kBaseLogUncertainty * (1.0 - y) + kLogUncertaintyPerLogPhi * std::fabs(std::log(phi));
    }

    // `solute` at mole fraction y in a fluid of `solvent` at T and P, below
    // the solute's triple point (its sublimation line); excess NaN where the
    // pairs' row gives no such constant or the solute has no solid there.
    static SoluteSolid at(const PhaseLookups& lookups, const char* solvent, const char* solute, double y, double T,
                          double P_bar);
    // Its fugacity in a liquid-like fluid (`dense`) judged together with its
    // ideal solubility there, a liquid of its share (ln of the excess of its
    // freezing point `idealExcess`, within `idealBand`), alike whichever is
    // the larger share.  The fugacity speaks of the fluid as it is, the
    // ideal solubility of a liquid of the fluid's share: where that liquid
    // freezes, so does any richer one the fluid sheds, or one less ideal
    // (a solute unlike its solvent is the less soluble), and the solid
    // deposits where the fugacity allows it (uncertain where it says none);
    // where it does not, the fugacity decides.  The word is said from the
    // firm law's numbers (of both, or of neither, the ideal solubility's
    // where the solute is the larger share, `major`, else the fugacity's);
    // `also` where the other law says another word.  `excess` and `band`
    // give the word as `at`'s do.
    struct Judged {
        double excess = std::nan(""), band = std::nan("");
        bool byFugacity = true, also = false;
    };
    static Judged together(const SoluteSolid& dense, double idealExcess, double idealBand, bool major);
    // Why the heavier `solute` at share y stays in the fluid of `solvent`
    // below its own critical temperature: below its triple point by its
    // solid's judgement (`at`) where the row gives it, else its fugacity (by
    // the same equation, within the same band; without the row its partial
    // pressure, within the ideal solubility's factor) well below its vapour
    // or sublimation pressure.  Empty where it may condense or deposit.
    static std::string dissolved(const PhaseLookups& lookups, const char* solvent, const char* solute, double y,
                                 double T, double P_bar);
};
