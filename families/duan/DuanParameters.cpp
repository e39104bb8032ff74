#include "families/duan/DuanParameters.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "fluid/CriticalPoints.h"

namespace duan {

const FluidSet kH2O = {"H2O", 647.25, 221.19, 0.018015268,
                       {0.086444922, -0.396918955, -0.0573334886, -0.000293893, -0.00415775512, 0.0199496791,
                        0.000118901426, 0.000155212063, -0.000106855859, -4.93197687e-06, -2.73739155e-06,
                        2.65571238e-06, 0.00896079018, 4.02, 0.0257}};

// Tc and Pc of methane as in Duan, Moller & Weare (1992), Geochim. Cosmochim.
// Acta 56, 2605: 190.6 K and 46.41 bar.
const FluidSet kCH4 = {"CH4", 190.6, 46.41, 0.016043,
                       {0.0872553928, -0.752599476, 0.375419887, 0.0107291342, 0.0054962636, -0.0184772802,
                        0.000318993183, 0.000211079375, 2.01682801e-05, -1.65606189e-05, 0.000119614546,
                        -0.000108087289, 0.0448262295, 0.75397, 0.077167}};

const FluidSet kCO2 = {"CO2", 304.2, 73.825, 0.0440098,
                       {0.0899288497, -0.494783127, 0.0477922245, 0.0103808883, -0.0282516861, 0.0949887563,
                        0.00052060088, -0.000293540971, -0.00177265112, -2.51101973e-05, 8.93353441e-05,
                        7.88998563e-05, -0.0166727022, 1.398, 0.0296}};

const FluidSet kN2 = {"N2", 0.6558441558441559, 0.6895985066094725, 0.02801348,
                      {0.0375504388, -10873.0273, 1109648.61, 0.000541589372, 112.094559, -5921.91393,
                       4.37200027e-06, 0.495790731, -164.902948, -7.07442825e-08, 0.00965727297, 0.487945175,
                       16225.7402, 1.0, 0.00899}};

const FluidSet kH2OZhangDuan = {"H2O", 647.25, 961.8669080639938, 0.018015268,
                                 {0.349824207, -2.91046273, 2.00914688, 0.112819964, 0.748997714, -0.87320704,
                                  0.0170609505, -0.0146355822, 0.0579768283, -8.41246372e-4, 4.95186474e-3,
                                  -9.16248538e-3, -0.100358152, -1.82674744e-3, 0.0105999998}};

const FluidSet* findFluid(const char* name, bool withN2)
{
    if (!name) return nullptr;
    for (const FluidSet* s : {&kH2O, &kCH4, &kCO2})
        if (std::strcmp(name, s->name) == 0) return s;
    if (withN2 && std::strcmp(name, kN2.name) == 0) return &kN2;
    return nullptr;
}

// The ranges of the sets.  Duan, Moller & Weare (1992) fitted H2O, CH4 and
// CO2 to PVT data from 0 to 1000 C and up to 8000 bar, the liquids
// included.  Their liquids' volumes are right (water's within 0.8 % of
// IAPWS-95 from 300 to 580 K up to 8000 bar, 1.6 % to 610 K and 6.4 % at
// 640 K beside the vapour pressure), their heat capacities not (water's cv is
// negative below 420 K and 24 % low at 600 K; liquid CO2's is 0.9 J/(mol K)
// at 260 K and 100 bar, the IUPAC equation's 40.5), and water's vapour
// pressure is 12 % high at 450 K and 4 % low at 600 K: below its critical
// temperature each fluid is held as vapour only, water as the vapour and
// its liquid's volume (its phase the fluid's, its liquid's heat capacities
// withheld).  The N2 set's range is measured: from 0 C it reproduces Span
// et al.'s (2000) density within 1.4 % up to 5000 bar; below, its liquid is
// twice too dense.  Their critical points lie above the fluids' (water's at
// 653.76 K, CO2's at 309.80 K): between the two temperatures the states
// where the model splits the fluid, and those about its own critical point
// (from its vapour pressure at the fluid's critical temperature to its
// critical pressure), are refused; elsewhere a state further than 2 % from
// the reference equation's density is given with its departure said
// (elsewhere the sets reproduce IAPWS-95 and the IUPAC CO2 equation within
// 2.8 and 5.6 %, most beside the vapour pressure; see the model table in
// docs/models.md).
const ValidityRange kH2ORange{.Tmin = 273.15, .Tmax = 1273.15, .Pmax = 8000.0, .vapourOnlyBelow = kWaterCritical.T,
                              .liquidVolume = true, .densityAccuracy = 0.02, .source = "Duan, Moller & Weare 1992"};
const ValidityRange kCH4Range{.Tmin = 273.15, .Tmax = 1273.15, .Pmax = 8000.0, .vapourOnlyBelow = kCH4Critical.T,
                              .source = "Duan, Moller & Weare 1992"};
const ValidityRange kCO2Range{.Tmin = 273.15, .Tmax = 1273.15, .Pmax = 8000.0, .vapourOnlyBelow = kCO2Critical.T,
                              .densityAccuracy = 0.02, .source = "Duan, Moller & Weare 1992"};
const ValidityRange kN2Range{.Tmin = 273.15, .Tmax = 1273.15, .Pmax = 8000.0,
                             .source = "Duan, Moller & Weare 1996; lower limit measured"};

// The mixtures: Duan, Moller & Weare (1992, part II) fitted the interaction
// rows to mixture data from 50 to 1000 C and up to 1000 bar; the CH4-CO2 rows
// start at 273.15 K, the CH4-H2O rows at 311.15 K, the CO2-H2O rows at
// 323.15 K (their first rows are extrapolated below, down to the fluids'
// 273.15 K, and said to be).  A mixture holds where both fluids hold, its
// own liquid included (no fluid's vapour-only limit applies to it beyond a
// dilute solution; the heat capacities of a vapour-only fluid's liquid are
// withheld), and from
// 1000 bar to its fluids' 8000 bar it is extrapolated.
ValidityRange mixtureRange(const FluidSet& a, const FluidSet& b)
{
    const ValidityRange& ra = validityRange(a);
    const ValidityRange& rb = validityRange(b);
    ValidityRange r;
    const bool water = std::strcmp(a.name, "H2O") == 0 || std::strcmp(b.name, "H2O") == 0;
    r.Tmin = std::max(ra.Tmin, rb.Tmin);
    if (water && (std::strcmp(a.name, "CO2") == 0 || std::strcmp(b.name, "CO2") == 0)) {
        // The CO2-H2O rows begin at 323.15 K (50 C); below it, down to the
        // fluids' 273.15 K, the first row is taken as it stands.
        r.extrapolatedBelow = 323.15;
        r.lowExtrapolationSource = "the CO2-H2O interaction rows of Duan, Moller & Weare 1992 begin at 323.15 K";
    } else if (water && (std::strcmp(a.name, "CH4") == 0 || std::strcmp(b.name, "CH4") == 0)) {
        r.extrapolatedBelow = 311.15;
        r.lowExtrapolationSource = "the CH4-H2O interaction rows of Duan, Moller & Weare 1992 begin at 311.15 K";
    }
    r.Tmax = std::min(ra.Tmax, rb.Tmax);
    r.Pmax = std::min(ra.Pmax, rb.Pmax);
    r.extrapolatedAbove = 1000.0;
    r.extrapolationSource = "the mixture data of Duan, Moller & Weare 1992 end at 1000 bar";
    r.source = "Duan, Moller & Weare 1992";
    return r;
}

const ValidityRange& validityRange(const FluidSet& s)
{
    if (std::strcmp(s.name, "CH4") == 0) return kCH4Range;
    if (std::strcmp(s.name, "CO2") == 0) return kCO2Range;
    if (std::strcmp(s.name, "N2") == 0) return kN2Range;
    return kH2ORange;
}

double referencePressure(const FluidSet& s)
{
    if (&s != &kN2) return s.Pc;
    const double epsilon = 154.0 * s.Tc;                 // K
    const double sigma3 = epsilon / (3.0636 * s.Pc);     // cubic angstrom
    const double ratio = sigma3 / (3.691 * 3.691 * 3.691);
    const double Vref = 1e-3 * ratio;                    // m3/mol
    return 8.31434 * s.Tc / Vref / 100000.0;
}

}  // namespace duan
