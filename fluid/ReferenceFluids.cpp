// The table of the reference fluids and the rules that read it (see
// ReferenceFluids.h).
#include "fluid/ReferenceFluids.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "fluid/CriticalPoints.h"
#include "fluid/IceCurves.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/SolidCurves.h"
#include "numerics/LinearAlgebra.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kR = 8.314462618;  // J/(mol K)
using A = SaturationAncillary;

// The ices of water (IAPWS R14-08): ice Ih below the triple point borders
// the vapour, where a model fitted below it describes the supercooled liquid.
SolidField iceAt(const ReferenceFluid& f, double T, double P) {
    const water::Ice ice = water::iceAt(T, P);
    return {water::iceName(ice), ice == water::Ice::Ih && T < f.Tt};
}
double iceIhMelting(const ReferenceFluid&, double T) { return water::iceIhMeltingPressure(T); }
double iceIhSublimation(const ReferenceFluid&, double T) { return water::iceIhSublimationPressure(T); }

// The reference fluids.  Ancillary equations of the saturated liquid and
// vapour densities and of the vapour pressure:
//   H2O  Wagner & Pruss, J. Phys. Chem. Ref. Data 31 (2002) 387, eqs. 2.5-2.7
//   CO2  Span & Wagner, J. Phys. Chem. Ref. Data 25 (1996) 1509, eqs.
//        3.13-3.15
//   CH4  liquid: Setzmann & Wagner, J. Phys. Chem. Ref. Data 20 (1991) 1061;
//        vapour and vapour pressure fitted to their reference equation
//   N2   Span, Lemmon, Jacobsen, Wagner & Yokozeki, J. Phys. Chem. Ref. Data
//        29 (2000) 1361, eqs. 33-35 (the vapour's fitted to their equation)
// In the near-critical box the densities of CO2 and CH4 are those of Span &
// Wagner (1996) and Setzmann & Wagner (1991) (HelmholtzEquation.h).
// Triple points of the same publications (ice: IAPWS R14-08).  Enthalpies of
// fusion at the triple point (CRC Handbook of Chemistry and Physics): CO2
// 9020, CH4 940, N2 710 J/mol; water's freezing point in a mixture is not
// lowered (its mixtures with the gases are far from ideal), but as the
// solvent of a liquid solution its freezing point falls by Raoult's law with
// the enthalpy of fusion of ice Ih at 273.15 K, 6.007 kJ/mol (Feistel &
// Wagner, J. Phys. Chem. Ref. Data 35 (2006) 1021).  Molar volumes of
// the solids near the triple point: ice Ih 19.65 cm3/mol (916.72 kg/m3,
// IAPWS R10-06), solid CO2 28.2 cm3/mol (about 1.56 g/cm3 near its
// sublimation point), solid CH4 32.9 and solid N2 29.8 cm3/mol (the
// saturated liquid's volume at the triple point less the volume of fusion,
// dH_fus / (Tt dp_melt/dT), from the melting lines' slopes 3.91 and
// 4.54 MPa/K).
constexpr ReferenceFluid kStandardRows[] = {
    {"H2O", nullptr, "WagnerPruss", 0.018015268, kWaterCritical.T, kWaterCritical.rho,
     {A::kWaterLiquid, kWaterCritical.rho, 0, {}, {}},
     {A::kLogDensity, kWaterCritical.rho / 0.018015268, 6,
      {-2.03150240, -2.68302940, -5.38626492, -17.2991605, -44.7586581, -63.9201063},
      {2.0 / 6.0, 4.0 / 6.0, 8.0 / 6.0, 18.0 / 6.0, 37.0 / 6.0, 71.0 / 6.0}},
     {A::kLogPressure, kWaterCritical.P, 6,
      {-7.85951783, 1.84408259, -11.7866497, 22.6807411, -15.9618719, 1.80122502},
      {1.0, 1.5, 3.0, 3.5, 4.0, 7.5}},
     water::kTriplePointT, water::kTriplePointP, kNaN, 6007.0,
     {nullptr, 19.65e-6, &iceIhMelting, &iceIhSublimation, &iceAt}},
    {"CO2", nullptr, "IUPACCO2", 0.0440098, kCO2Critical.T, kCO2Critical.rho,
     {A::kLogDensity, kCO2Critical.rho, 4, {1.9245108, -0.62385555, -0.32731127, 0.39245142}, {0.34, 0.5, 10.0 / 6.0, 11.0 / 6.0}},
     {A::kLogDensity, kCO2Critical.rho / 0.0440098, 5,
      {-1.7074879, -0.82274670, -4.6008549, -10.111178, -29.742252},
      {0.34, 0.5, 1.0, 7.0 / 3.0, 14.0 / 3.0}},
     {A::kLogPressure, kCO2Critical.P, 4, {-7.0602087, 1.9391218, -1.6463597, -3.2995634}, {1.0, 1.5, 2.0, 4.0}},
     216.592, 0.51795e6, 9020.0, kNaN,
     {"solid CO2", 28.2e-6, &gases::co2MeltingPressure, &gases::co2SublimationPressure, nullptr},
     &spanWagnerCO2},
    {"CH4", "C1", "IUPACCH4", 0.0160428, kCH4Critical.T, kCH4Critical.rho,
     {A::kLogDensity, kCH4Critical.rho, 3, {1.9906389, -0.78756197, 0.036976723}, {0.354, 0.5, 2.5}},
     {A::kLogDensityOverTr, 10139.128, 6,
      {-3.258091004501641, 24.278993697870174, -25.256402428812585, -0.17494067187770526, 0.3375209723239743,
       -2.3099699792209805},
      {0.392, 0.606, 0.631, 1.024, 2.03, 4.077}},
     {A::kLogPressure, kCH4Critical.P, 6,
      {-0.36511751226395045, -7.477611035699516, 2.8218785804602344, -0.3138277099613026, -14.181166200304828,
       13.10811727353235},
      {0.935, 1.03, 1.204, 3.176, 5.616, 5.744}},
     90.6941, 11.696e3, 940.0, kNaN,
     {"solid CH4", 32.9e-6, &gases::ch4MeltingPressure, &gases::ch4SublimationPressure, nullptr,
      "the Clausius-Clapeyron line of its sublimation through its triple point"},
     &setzmannWagnerCH4},
    {"N2", nullptr, "Jacobsen", 0.0280134, kN2Critical.T, kN2Critical.rho,
     {A::kLogDensity, kN2Critical.rho, 4,
      {1.48654237, -0.280476066, 0.0894143085, -0.119879866},
      {0.3294, 4.0 / 6.0, 16.0 / 6.0, 35.0 / 6.0}},
     {A::kLogDensityOverTr, kN2Critical.rho / 0.0280134, 5,
      {-1.70127164, -3.70402649, 1.29859383, -0.561424977, -2.68505381},
      {0.34, 5.0 / 6.0, 7.0 / 6.0, 13.0 / 6.0, 14.0 / 3.0}},
     {A::kLogPressure, kN2Critical.P, 4, {-6.12445284, 1.26327220, -0.765910082, -1.77570564}, {1.0, 1.5, 2.5, 5.0}},
     63.151, 12.523e3, 710.0, kNaN,
     {"solid N2", 29.8e-6, &gases::n2MeltingPressure, &gases::n2SublimationPressure, nullptr}},
};

constexpr ReferenceFluids kStandard{kStandardRows};

// The critical curve of H2O-CO2 from the critical point of water (IAPWS-95:
// 647.096 K, 220.64 bar) to 3500 bar, after Todheide & Franck (1963),
// Z. Phys. Chem. N.F. 37, 387 (measured to 3500 bar), and Takenouchi &
// Kennedy (1964), Am. J. Sci. 262, 1055 (to 1500 bar): the curve falls to
// lower temperatures as the pressure rises, passes a temperature minimum
// near 539 K (266 C; Takenouchi & Kennedy put it at 2150 bar, Todheide &
// Franck at 2450 bar) and then rises again slowly with pressure (the
// two-phase region of the second kind, gas-gas immiscibility).  Each point
// is the higher of the two studies' temperatures at its pressure, so that
// a state said to lie above the curve lies above both; the points are
// recalled from the two studies' figures, not read from their tables, and
// their scatter of 5 K covers that.
constexpr CriticalCurvePoint kWaterCarbonDioxideCurve[] = {
    {220.64, 647.096}, {300.0, 626.0},  {400.0, 610.0},  {500.0, 598.0},  {700.0, 580.0},  {1000.0, 563.0},
    {1500.0, 548.0},   {2000.0, 542.0}, {2150.0, 539.2}, {2450.0, 539.2}, {3000.0, 542.0}, {3500.0, 546.0},
};

// The pairs.
// Henry constants of gases in liquid water: IAPWS G7-04 (Fernandez-Prini,
// Alvarez & Harvey 2003), every gas of its Table 2 that a model here names.
// Cross second virial coefficients of water with a light gas: the binary
// constant k12 of the cross critical temperature sqrt(Tc1 Tc2) (1 - k12) set
// so that Tsonopoulos's correlation gives the cross coefficients measured at
// 298.15 K from the water content of the compressed gases (Rigby &
// Prausnitz, J. Phys. Chem. 72 (1968) 330: about -39 cm3/mol with N2, -66
// cm3/mol with CH4, values recalled, not read from the paper's table).  The
// geometric mean alone (k12 = 0) makes them two to three times too negative:
// water's critical temperature carries its hydrogen bonds, which a gas
// molecule does not share.
// The mutual solubilities' stated uncertainties: Spycher, Pruess &
// Ennis-King's and Duan & Sun's fits hold their measurements within about
// 10 %; Bukacek's water content of natural gas within about 5 % (its
// constants and range recalled from the handbooks, brines/WaterInMethane.h).
// Water in the compressed gases beyond them: Peng & Robinson's equation
// with the binary constants Soreide & Whitson (Fluid Phase Equilib. 77
// (1992) 217) fitted to the water content of the gas-rich phases (0.1896
// with CO2, 0.4850 with CH4, 0.4778 with N2; recalled, not read from their
// table: taken within 0.02, which the band of the water content they give
// carries).  The gases' partial molar volumes in liquid water at infinite
// dilution: CO2 32.6 cm3/mol (Spycher, Pruess & Ennis-King 2003), CH4 37
// and N2 35 cm3/mol (recalled, near 298 K).
// CO2 dissolved in compressed or liquid CH4 and N2 (its solid's fugacity
// there, SoluteSolid): Peng & Robinson's binary constants of Knapp, Doring,
// Oellrich, Plocker & Prausnitz (DECHEMA Chemistry Data Series VI, 1982),
// 0.0919 with CH4 and -0.0170 with N2 (recalled, not read from their table).
constexpr const char* kG704 = "IAPWS G7-04";
constexpr const char* kKnapp1982 = "Knapp et al. 1982";
constexpr const char* kRigbyPrausnitz = "Rigby & Prausnitz 1968, cross coefficients at 298.15 K recalled";
constexpr const char* kSoreideWhitson = "Soreide & Whitson 1992";
constexpr double kSoreideWhitsonK12Band = 0.02;
constexpr ReferencePair kStandardPairRows[] = {
    {"H2O", "CO2", kG704, kNaN, nullptr, kWaterCarbonDioxideCurve, 5.0,
     "Todheide & Franck 1963; Takenouchi & Kennedy 1964", {kDuanSun2003, 0.1}, {kSpycherPruessEnnisKing2003, 0.1},
     0.1896, kSoreideWhitson, 32.6e-6, PairJudgement::kWaterAndGas, nullptr, kSoreideWhitsonK12Band},
    {"H2O", "CH4", kG704, 0.29, kRigbyPrausnitz, {}, 0.0, nullptr, {}, {kBukacek1955, 0.05}, 0.4850, kSoreideWhitson,
     37e-6, PairJudgement::kWaterAndGas, nullptr, kSoreideWhitsonK12Band},
    {"H2O", "N2", kG704, 0.27, kRigbyPrausnitz, {}, 0.0, nullptr, {}, {}, 0.4778, kSoreideWhitson, 35e-6,
     PairJudgement::kWaterAndGas, nullptr, kSoreideWhitsonK12Band},
    {"H2O", "Ar", kG704, kNaN, nullptr, {}, 0.0, nullptr, {}, {}, kNaN, nullptr, kNaN, PairJudgement::kWaterAndGas},
    // Water and the non-volatile salts: H2O-NaCl by its published phase
    // diagram, H2O-KCl without one.
    {"H2O", "NaCl", nullptr, kNaN, nullptr, {}, 0.0, nullptr, {}, {}, kNaN, nullptr, kNaN, PairJudgement::kSaltBrine,
     kDriesnerHeinrich2007},
    {"H2O", "KCl", nullptr, kNaN, nullptr, {}, 0.0, nullptr, {}, {}, kNaN, nullptr, kNaN, PairJudgement::kSaltBrine},
    {"CO2", "CH4", nullptr, kNaN, nullptr, {}, 0.0, nullptr, {}, {}, 0.0919, kKnapp1982, kNaN, PairJudgement::kGases,
     nullptr, 0.0, true},
    {"CO2", "N2", nullptr, kNaN, nullptr, {}, 0.0, nullptr, {}, {}, -0.0170, kKnapp1982, kNaN, PairJudgement::kGases,
     nullptr, 0.0, true},
};

constexpr ReferencePairs kStandardPairs{kStandardPairRows, kStandard};

}  // namespace

double SaturationAncillary::sum(double theta) const {
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += a[i] * std::pow(theta, t[i]);
    return s;
}

bool ReferenceFluid::named(const char* name) const {
    return name && (std::strcmp(name, formula) == 0 || (alias && std::strcmp(name, alias) == 0));
}

bool ReferenceFluid::inCriticalRegion(double T, double P) const {
    return std::fabs(T / Tc - 1.0) < kCriticalRegionT && std::fabs(P / vapourPressure.reducing - 1.0) < kCriticalRegionP;
}

double ReferenceFluid::criticalRegionDensity(double T, double P) const {
    return criticalRegion && inCriticalRegion(T, P) ? criticalRegion().densityFromTP(T, P) : kNaN;
}

double ReferenceFluid::saturatedLiquidDensity(double T) const {
    if (!(T > 0.0) || !(T < Tc)) return kNaN;
    if (liquidDensity.form == A::kWaterLiquid) return waterSaturatedLiquidDensity(T);
    return liquidDensity.reducing * std::exp(liquidDensity.sum(1.0 - T / Tc));
}

double ReferenceFluid::saturatedLiquidVolume(double T) const {
    if (!(T > 0.0)) return kNaN;
    return molarMass / (T < Tc ? saturatedLiquidDensity(T) : rhoc);
}

double ReferenceFluid::saturatedVapourVolume(double T) const {
    const A& v = vapourDensity;
    if (!(T > 0.0)) return kNaN;
    if (!(T < Tc)) return 1.0 / v.reducing;
    const double sum = v.sum(1.0 - T / Tc);
    return 1.0 / (v.reducing * std::exp(v.form == A::kLogDensityOverTr ? Tc / T * sum : sum));
}

double ReferenceFluid::saturationPressure(double T) const {
    if (!(T > 0.0) || !(T < Tc)) return kNaN;
    return vapourPressure.reducing * std::exp(Tc / T * vapourPressure.sum(1.0 - T / Tc));
}

namespace {
// Tsonopoulos's (1974) corresponding-states second virial coefficient of a
// normal fluid (m3/mol) at T from its (pseudo-)critical point and acentric
// factor.
double tsonopoulosB(double Tc, double pc, double omega, double T) {
    if (!(T > 0.0)) return kNaN;
    const double r = Tc / T, r2 = r * r, r3 = r2 * r, r8 = r3 * r3 * r2;
    const double f0 = 0.1445 - 0.330 * r - 0.1385 * r2 - 0.0121 * r3 - 0.000607 * r8;
    const double f1 = 0.0637 + 0.331 * r2 - 0.423 * r3 - 0.008 * r8;
    return (f0 + omega * f1) * kR * Tc / pc;
}


}  // namespace

double ReferenceFluid::acentricFactor() const {
    return -std::log10(saturationPressure(0.7 * Tc) / vapourPressure.reducing) - 1.0;
}

double ReferenceFluid::secondVirialCoefficient(double T) const {
    return tsonopoulosB(Tc, vapourPressure.reducing, acentricFactor(), T);
}

namespace {

// A component's name as one of a pair's: its reference fluid's formula or
// alias, else the name itself ("Ar").
bool namedAs(const ReferenceFluids& fluids, const char* name, const char* formula) {
    const ReferenceFluid* row = fluids.find(name);
    return row ? row->named(formula) : std::strcmp(name, formula) == 0;
}

}  // namespace

bool ReferencePair::is(const ReferenceFluids& fluids, const char* x, const char* y) const {
    return x && y &&
           ((namedAs(fluids, x, a) && namedAs(fluids, y, b)) || (namedAs(fluids, x, b) && namedAs(fluids, y, a)));
}

bool ReferencePair::namesA(const ReferenceFluids& fluids, const char* x) const { return x && namedAs(fluids, x, a); }

const ReferencePair* ReferencePairs::find(const char* x, const char* y) const {
    for (const ReferencePair& p : rows_)
        if (p.is(*fluids_, x, y)) return &p;
    return nullptr;
}

const char* ReferencePairs::henrySourceOf(const char* solvent, const char* solute) const {
    const ReferencePair* p = find(solvent, solute);
    return p && namedAs(*fluids_, solvent, p->a) ? p->henrySource : nullptr;
}

SolubilitySource ReferencePairs::solubilitySourceOf(const char* solvent, const char* solute) const {
    const ReferencePair* p = find(solvent, solute);
    if (!p) return {};
    return namedAs(*fluids_, solvent, p->a) ? p->solubilityOfBInA : p->solubilityOfAInB;
}

const ReferencePair* referencePair(const char* x, const char* y) { return ReferencePairs::standard().find(x, y); }

SolubilitySource publishedSolubilitySourceOf(const char* solvent, const char* solute) {
    return ReferencePairs::standard().solubilitySourceOf(solvent, solute);
}

double ReferencePairs::crossSecondVirialCoefficient(const char* a, const char* b, double T) const {
    const ReferenceFluid *ra = fluids_->find(a), *rb = fluids_->find(b);
    const ReferencePair* pair = find(a, b);
    if (!ra || !rb || !pair) return kNaN;
    const double k12 = pair->k12;
    if (!std::isfinite(k12)) return kNaN;
    // The combining rules of Tsonopoulos (1974): Tc12 = sqrt(Tc1 Tc2)
    // (1 - k12), pc12 = 4 Tc12 (pc1 Vc1/Tc1 + pc2 Vc2/Tc2) / (Vc1^(1/3) +
    // Vc2^(1/3))^3, omega12 the mean; no polar term for a pair with one
    // non-polar molecule.
    const double Va = ra->molarMass / ra->rhoc, Vb = rb->molarMass / rb->rhoc;
    const double pa = ra->vapourPressure.reducing, pb = rb->vapourPressure.reducing;
    const double Tc12 = std::sqrt(ra->Tc * rb->Tc) * (1.0 - k12);
    const double pc12 = 4.0 * Tc12 * (pa * Va / ra->Tc + pb * Vb / rb->Tc) / std::pow(std::cbrt(Va) + std::cbrt(Vb), 3);
    return tsonopoulosB(Tc12, pc12, 0.5 * (ra->acentricFactor() + rb->acentricFactor()), T);
}

double ReferenceFluid::gasFugacityCoefficient(double T, double P) const {
    return std::exp(secondVirialCoefficient(T) * P / (kR * T));
}

namespace {

// Peng & Robinson's (Ind. Eng. Chem. Fundam. 15 (1976) 59) a (Pa m6/mol2)
// and b (m3/mol) of a fluid at T from its critical point and acentric factor.
void pengRobinsonConstants(const ReferenceFluid& f, double T, double& a, double& b) {
    const double w = f.acentricFactor(), m = 0.37464 + 1.54226 * w - 0.26992 * w * w;
    const double pc = f.vapourPressure.reducing, s = 1.0 + m * (1.0 - std::sqrt(T / f.Tc));
    a = 0.45724 * kR * kR * f.Tc * f.Tc / pc * s * s;
    b = 0.07780 * kR * f.Tc / pc;
}

// The roots above B of Z^3 - (1 - B) Z^2 + (A - 3 B^2 - 2 B) Z - (A B - B^2 -
// B^3) = 0 (A = a P/(R T)^2, B = b P/(R T)), ascending; their count.
int pengRobinsonRoots(double A, double B, double Z[3]) {
    const double c[4] = {-(A * B - B * B - B * B * B), A - 3.0 * B * B - 2.0 * B, -(1.0 - B), 1.0};
    int n = 0;
    double r[3] = {0.0, 0.0, 0.0};
    degree3(c, &n, r);
    int k = 0;
    for (int i = 0; i < n; ++i)
        if (r[i] > B) Z[k++] = r[i];
    std::sort(Z, Z + k);
    return k;
}

// The logarithm of the attraction's volume term, ln((Z + (1 + sqrt 2) B) /
// (Z + (1 - sqrt 2) B)) / (2 sqrt 2 B).
double pengRobinsonLog(double B, double Z) {
    const double r2 = std::sqrt(2.0);
    return std::log((Z + (1.0 + r2) * B) / (Z + (1.0 - r2) * B)) / (2.0 * r2 * B);
}

// ln phi of the pure fluid on root Z.
double pengRobinsonLnPhi(double A, double B, double Z) {
    return Z - 1.0 - std::log(Z - B) - A * pengRobinsonLog(B, Z);
}

}  // namespace

double ReferenceFluid::pengRobinsonVapourFugacityCoefficient(double T, double P) const {
    double a = 0.0, b = 0.0, Z[3];
    pengRobinsonConstants(*this, T, a, b);
    const double A = a * P / (kR * kR * T * T), B = b * P / (kR * T);
    const int n = pengRobinsonRoots(A, B, Z);
    return n > 0 ? std::exp(pengRobinsonLnPhi(A, B, Z[n - 1])) : kNaN;
}

double ReferenceFluid::pengRobinsonFugacityCoefficient(double T, double P) const {
    double a = 0.0, b = 0.0, Z[3];
    pengRobinsonConstants(*this, T, a, b);
    const double A = a * P / (kR * kR * T * T), B = b * P / (kR * T);
    const int n = pengRobinsonRoots(A, B, Z);
    if (n == 0) return kNaN;
    double lnPhi = pengRobinsonLnPhi(A, B, Z[0]);
    for (int i = 1; i < n; ++i) lnPhi = std::min(lnPhi, pengRobinsonLnPhi(A, B, Z[i]));
    return std::exp(lnPhi);
}

double ReferencePairs::pengRobinsonFugacityCoefficient(const char* solvent, const char* solute, double y, double T,
                                                       double P, double k12Shift, bool gasRoot) const {
    const ReferenceFluid *g = fluids_->find(solvent), *k = fluids_->find(solute);
    const ReferencePair* pair = find(solvent, solute);
    if (!g || !k || !pair || !std::isfinite(pair->pengRobinsonK12) || !namedAs(*fluids_, solvent, pair->b) ||
        !(T > 0.0) || !(P > 0.0) || !(y >= 0.0 && y < 1.0))
        return kNaN;
    double ag = 0.0, bg = 0.0, ak = 0.0, bk = 0.0, Z[3];
    pengRobinsonConstants(*g, T, ag, bg);
    pengRobinsonConstants(*k, T, ak, bk);
    // The van der Waals mixing rules: a = sum y_i y_j a_ij, b = sum y_i b_i.
    const double akg = std::sqrt(ak * ag) * (1.0 - pair->pengRobinsonK12 - k12Shift);
    const double a = (1.0 - y) * (1.0 - y) * ag + 2.0 * y * (1.0 - y) * akg + y * y * ak, b = (1.0 - y) * bg + y * bk;
    const double A = a * P / (kR * kR * T * T), B = b * P / (kR * T);
    const int n = pengRobinsonRoots(A, B, Z);
    if (n == 0) return kNaN;
    // The phase's stable root: of two, the one of lower Gibbs energy (the
    // gas's, the largest, where asked).
    double z = gasRoot ? Z[n - 1] : Z[0];
    for (int i = 1; i < n && !gasRoot; ++i)
        if (pengRobinsonLnPhi(A, B, Z[i]) < pengRobinsonLnPhi(A, B, z)) z = Z[i];
    // ln phi_k = b_k/b (Z - 1) - ln(Z - B) - A (2 sum_j y_j a_kj/a - b_k/b) L.
    const double sumK = (1.0 - y) * akg + y * ak;
    return std::exp(bk / b * (z - 1.0) - std::log(z - B) - A * (2.0 * sumK / a - bk / b) * pengRobinsonLog(B, z));
}

double ReferenceFluid::meltingPressure(double T) const { return solid.melting ? solid.melting(*this, T) : kNaN; }

double ReferenceFluid::sublimationPressure(double T) const {
    return solid.sublimation ? solid.sublimation(*this, T) : kNaN;
}

SolidField ReferenceFluid::solidAt(double T, double P) const {
    if (solid.at) return solid.at(*this, T, P);
    if (!(T > 0.0) || !(P > 0.0)) return {};
    const bool solidHere = T < Tt ? P > sublimationPressure(T) : P > meltingPressure(T);
    return {solidHere ? solid.name : nullptr, false};
}

const ReferenceFluids& ReferenceFluids::standard() { return kStandard; }

const ReferencePairs& ReferencePairs::standard() { return kStandardPairs; }

const ReferencePairs& PhaseLookups::pairs() const { return tables ? *tables : kStandardPairs; }

const ReferenceFluids& PhaseLookups::fluids() const { return pairs().fluids(); }

SolidField PhaseLookups::solid(const char* component, double T, double P_bar) const {
    return solidOf ? solidOf(fluids(), component, T, P_bar) : SolidField{};
}

double PhaseLookups::referenceVolume(const char* component, double T, double P_bar) const {
    return referenceVolumeOf ? referenceVolumeOf(fluids(), component, T, P_bar) : kNaN;
}

double PhaseLookups::henry(const char* solvent, const char* solute, double T) const {
    return henryOf ? henryOf(pairs(), solvent, solute, T) : kNaN;
}

double PhaseLookups::sublimation(const char* component, double T, double& solidVolume) const {
    solidVolume = kNaN;
    return sublimationOf ? sublimationOf(fluids(), component, T, solidVolume) : kNaN;
}

SolubilitySource PhaseLookups::solubilitySource(const char* solvent, const char* solute) const {
    return solubilitySourceOf ? solubilitySourceOf(pairs(), solvent, solute) : SolubilitySource{};
}

double PhaseLookups::solubility(const char* solvent, const char* solute, double T, double P_bar) const {
    return solubilityOf ? solubilityOf(pairs(), solvent, solute, T, P_bar) : kNaN;
}

SaltDiagramPoint PhaseLookups::saltDiagram(const char* water, const char* salt, double T, double P_bar) const {
    return saltDiagramOf ? saltDiagramOf(pairs(), water, salt, T, P_bar) : SaltDiagramPoint{};
}

const ReferenceFluid* ReferenceFluids::find(const char* name) const {
    for (const ReferenceFluid& f : rows_)
        if (f.named(name)) return &f;
    return nullptr;
}

namespace {

// What `get` reads from the row of `name`, `none` for a name not in `t`.
template <class R, class Get>
R fromRow(const ReferenceFluids& t, const char* name, R none, Get get) {
    const ReferenceFluid* f = t.find(name);
    return f ? get(*f) : none;
}

}  // namespace

double ReferenceFluids::vapourPressure(const char* name, double T) const {
    return fromRow(*this, name, kNaN, [T](const ReferenceFluid& f) { return f.saturationPressure(T); });
}

double ReferenceFluids::saturatedLiquidDensity(const char* name, double T) const {
    return fromRow(*this, name, kNaN, [T](const ReferenceFluid& f) { return f.saturatedLiquidDensity(T); });
}

double ReferenceFluids::saturatedLiquidVolume(const char* name, double T) const {
    return fromRow(*this, name, kNaN, [T](const ReferenceFluid& f) { return f.saturatedLiquidVolume(T); });
}

double ReferenceFluids::saturatedVapourVolume(const char* name, double T) const {
    return fromRow(*this, name, kNaN, [T](const ReferenceFluid& f) { return f.saturatedVapourVolume(T); });
}

double ReferenceFluids::criticalTemperature(const char* name) const {
    return fromRow(*this, name, kNaN, [](const ReferenceFluid& f) { return f.Tc; });
}

double ReferenceFluids::criticalPressure(const char* name) const {
    return fromRow(*this, name, kNaN, [](const ReferenceFluid& f) { return f.vapourPressure.reducing; });
}

double ReferenceFluids::triplePointTemperature(const char* name) const {
    return fromRow(*this, name, 0.0, [](const ReferenceFluid& f) { return f.Tt; });
}

double ReferenceFluids::freezingTemperature(const char* name, double xi) const {
    const ReferenceFluid* f = find(name);
    if (!f) return 0.0;
    if (!(xi > 0.0) || xi >= 1.0 || !(f->fusionEnthalpy > 0.0)) return f->Tt;
    return 1.0 / (1.0 / f->Tt - 8.31434 * std::log(xi) / f->fusionEnthalpy);
}

double ReferenceFluids::sublimation(const char* name, double T, double& solidVolume) const {
    solidVolume = kNaN;
    const ReferenceFluid* f = find(name);
    if (!f || !f->solid.sublimation || !(T < f->Tt)) return kNaN;
    solidVolume = f->solid.volume;
    return f->sublimationPressure(T);
}

SolidField ReferenceFluids::solidAt(const char* name, double T, double P_bar) const {
    return fromRow(*this, name, SolidField{}, [&](const ReferenceFluid& f) { return f.solidAt(T, P_bar * 1e5); });
}

const char* ReferenceFluids::referenceModel(const char* name) const {
    return fromRow(*this, name, static_cast<const char*>(nullptr), [](const ReferenceFluid& f) { return f.referenceModel; });
}

const ReferenceFluid* referenceFluid(const char* name) { return ReferenceFluids::standard().find(name); }

// The temperature (K) where the pure solid of the fluid of `row` meets its
// fluid at P (bar) by its published lines, between T_ (where the solid is
// stable) and the triple point: on the sublimation line below the
// triple-point pressure, on the melting line above it (which rises from the
// triple point, and falls from it for ice Ih).  NaN where no line brackets P.
double publishedFreezingTemperature(const ReferenceFluid& fluid, double T_, double P_bar) {
    const ReferenceFluid* row = &fluid;
    const double P = P_bar * 1e5;
    auto bisect = [P](auto line, double lo, double hi) {
        double glo = line(lo) - P;
        if (!(glo * (line(hi) - P) <= 0.0)) return std::nan("");
        for (int k = 0; k < 80 && hi - lo > 1e-6; ++k) {
            const double mid = 0.5 * (lo + hi), g = line(mid) - P;
            if (!std::isfinite(g)) return std::nan("");
            (g < 0.0) == (glo < 0.0) ? (lo = mid, glo = g) : (hi = mid);
        }
        return 0.5 * (lo + hi);
    };
    const double Tt = row->Tt;
    if (P < row->pt) return bisect([row](double T) { return row->sublimationPressure(T); }, T_, Tt * (1.0 - 1e-12));
    auto melting = [row](double T) { return row->meltingPressure(T); };
    const double T = bisect(melting, Tt, Tt + 50.0);
    return std::isfinite(T) ? T : bisect(melting, std::max(T_, Tt - 20.0), Tt);
}

double solventFusionEnthalpy(const ReferenceFluid& row) {
    return row.fusionEnthalpy > 0.0 ? row.fusionEnthalpy : row.solventFusionEnthalpy;
}
