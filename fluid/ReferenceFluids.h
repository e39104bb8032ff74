#pragma once
// The reference fluids: the pure fluids with a reference equation of state
// (water, carbon dioxide, methane, nitrogen), one row each, with everything
// the models of these fluids are judged by: the reference equation (by its
// short name among the fluid models), the published ancillary equations of
// the saturation curve, the triple point, the enthalpy of fusion and the
// solid's melting and sublimation lines.  Every rule that needs one of them
// reads it here: a fluid added as a row is seen by the vapour-pressure and
// reference-density rules, the freezing-out limit, the frost point and the
// solid fields alike.
//
// Units: T in K, pressures in Pa, densities in kg/m3 (the vapour ancillaries'
// reducing density in mol/m3), molar volumes in m3/mol.
#include <limits>
#include <span>

#include "fluid/HelmholtzEquation.h"
#include "fluid/ValidityRange.h"

struct ReferenceFluid;

// The near-critical box about a fluid's critical point: within 2 % of its
// critical temperature and 20 % of its critical pressure.  There the IUPAC
// equations of CO2 and CH4 have critical points of their own (CO2's 0.6 K
// and 0.9 bar from the fluid's), and the fluid's density is that of its
// later reference equation (ReferenceFluid::criticalRegion).
inline constexpr double kCriticalRegionT = 0.02, kCriticalRegionP = 0.2;

// An ancillary equation of the saturation curve, theta = 1 - T/Tc:
//   kLogDensity        ln(rho/rho_r) = sum a_i theta^t_i
//   kLogDensityOverTr  ln(rho/rho_r) = (Tc/T) sum a_i theta^t_i
//   kWaterLiquid       rho'/rho_c = 1 + sum b_i theta^(k_i/3) (Wagner & Pruss
//                      2002, eq. 2.6: waterSaturatedLiquidDensity)
//   kLogPressure       ln(p/pc) = (Tc/T) sum a_i theta^t_i
// rho_r: the liquid's in kg/m3, the vapour's in mol/m3.
struct SaturationAncillary {
    enum Form { kLogDensity, kLogDensityOverTr, kWaterLiquid, kLogPressure };
    Form form = kLogDensity;
    double reducing = 0.0;  // rho_r, or pc for the vapour pressure
    int n = 0;
    double a[6] = {}, t[6] = {};
    // The sum's value at theta (the form's left side, reduced).
    double sum(double theta) const;
};

// The solid of a reference fluid: its name, molar volume near the triple
// point (for the Poynting correction of its fugacity) and its melting and
// sublimation lines, each given the fluid's row (its triple point) and T,
// NaN outside its temperatures.  `at`, where set, names the solid stable at
// (T, P in Pa) for a fluid with several solids (the ices); otherwise the
// solid lies above the sublimation line below the triple point and above the
// melting line from it.
struct SolidLines {
    const char* name = nullptr;  // "solid CO2"
    double volume = 0.0;         // m3/mol
    double (*melting)(const ReferenceFluid&, double T) = nullptr;
    double (*sublimation)(const ReferenceFluid&, double T) = nullptr;
    SolidField (*at)(const ReferenceFluid&, double T, double P) = nullptr;
    // Where its sublimation pressure comes from, as the frost verdict says it.
    const char* sublimationSource = "its published sublimation pressure";
};

struct ReferenceFluid {
    const char* formula;         // "CO2"
    const char* alias;           // another name of it in the models' data ("C1"), or null
    const char* referenceModel;  // the short name of its reference equation ("IUPACCO2")
    double molarMass;            // kg/mol
    double Tc, rhoc;             // K, kg/m3 of the reference equation
    SaturationAncillary liquidDensity, vapourDensity, vapourPressure;
    double Tt, pt;               // the triple point, K and Pa
    double fusionEnthalpy;       // J/mol at the triple point; NaN: no freezing-point depression
    // As the solvent of a liquid solution, the enthalpy of fusion (J/mol)
    // that lowers its freezing point where fusionEnthalpy does not.
    double solventFusionEnthalpy;
    SolidLines solid;
    // The later reference equation that gives the fluid's density in the
    // near-critical box where the reference equation above misses it; null
    // where that equation is itself the later one (IAPWS-95, Span et al.).
    const HelmholtzEquation& (*criticalRegion)() = nullptr;

    bool named(const char* name) const;
    // Whether (T, P in Pa) lies in the near-critical box.
    bool inCriticalRegion(double T, double P) const;
    // The density (kg/m3) of the stable state at T and P (Pa) by the
    // near-critical equation, NaN outside the box or without one.
    double criticalRegionDensity(double T, double P) const;
    // The ancillaries: NaN outside 0 < T < Tc (the volumes: the critical
    // volume at and above Tc).
    double saturatedLiquidDensity(double T) const;
    double saturatedLiquidVolume(double T) const;
    double saturatedVapourVolume(double T) const;
    double saturationPressure(double T) const;
    // The solid lines (NaN outside each line's temperatures or without one).
    double meltingPressure(double T) const;
    double sublimationPressure(double T) const;
    // The second virial coefficient (m3/mol) of its gas at T, from the
    // corresponding-states correlation of Tsonopoulos (AIChE J. 20 (1974)
    // 263) for normal fluids with its critical point and its acentric factor
    // from its vapour pressure at 0.7 Tc; and the fugacity coefficient
    // exp(B P/(R T)) of its gas at T and P (Pa) to that order, that of the
    // vapour over its solid (the polar terms it leaves out for water change
    // it by less than 1e-4 below water's 611.657 Pa).
    double secondVirialCoefficient(double T) const;
    double gasFugacityCoefficient(double T, double P) const;
    // Its fugacity coefficient at T and P (Pa) on the vapour root of Peng &
    // Robinson's equation (its largest), NaN where it has none.
    double pengRobinsonVapourFugacityCoefficient(double T, double P) const;
    // The same on its stable root (of two, the one of lower Gibbs energy).
    double pengRobinsonFugacityCoefficient(double T, double P) const;
    // Pitzer's acentric factor, from its vapour pressure at 0.7 Tc.
    double acentricFactor() const;
    // The solid stable at T and P (Pa), none where the fluid is a fluid.
    SolidField solidAt(double T, double P) const;
};

// A table of reference fluids and the rules that read it, by the name of a
// component (its formula or alias; every rule answers NaN, zero or none for
// a name not in it, as documented with each free function below).
class ReferenceFluids {
public:
    explicit constexpr ReferenceFluids(std::span<const ReferenceFluid> rows) : rows_(rows) {}
    // The reference fluids of this library.
    static const ReferenceFluids& standard();

    std::span<const ReferenceFluid> rows() const { return rows_; }
    const ReferenceFluid* find(const char* name) const;

    double vapourPressure(const char* name, double T) const;
    double saturatedLiquidDensity(const char* name, double T) const;
    double saturatedLiquidVolume(const char* name, double T) const;
    double saturatedVapourVolume(const char* name, double T) const;
    double criticalTemperature(const char* name) const;
    double criticalPressure(const char* name) const;
    // Its triple-point temperature, 0 for a name not in the table.
    double triplePointTemperature(const char* name) const;
    // The ideal freezing point of the component at mole fraction xi in a
    // liquid (1/T = 1/Tt - R ln xi / dH_fus); Tt without an enthalpy of
    // fusion or outside 0 < xi < 1; 0 for a name not in the table.
    double freezingTemperature(const char* name, double xi) const;
    // The sublimation pressure (Pa) below the triple point, with the solid's
    // molar volume in `solidVolume`; NaN (both) elsewhere.
    double sublimation(const char* name, double T, double& solidVolume) const;
    // The solid at T (K) and P (bar); none for a name not in the table.
    SolidField solidAt(const char* name, double T, double P_bar) const;
    // The short name of its reference equation; null for a name not in it.
    const char* referenceModel(const char* name) const;

private:
    std::span<const ReferenceFluid> rows_;
};

// The row of `name` in the standard table; null for another component.
const ReferenceFluid* referenceFluid(const char* name);

// A point of a published critical curve: P (bar), T (K).
struct CriticalCurvePoint {
    double P, T;
};

// A pair of components and what is published of it, one row each beside the
// fluids' table (named in either order; `b` dissolves in liquid `a` where a
// Henry constant is given).  Every rule that needs a pair's data reads it
// here: a pair added as a row is seen by the Henry-constant lookup, the
// critical curve, the cross virial coefficient and the mutual solubilities
// alike.  Each datum
// carries its source; a source saying "recalled" marks values entered from
// memory of the publication, not read from its tables.
// The publications of mutual solubilities the pairs' table names (their
// evaluations are the program's: PhaseLookups::solubilityOf).
inline constexpr const char* kDuanSun2003 = "Duan & Sun 2003";
inline constexpr const char* kSpycherPruessEnnisKing2003 = "Spycher, Pruess & Ennis-King 2003";
inline constexpr const char* kBukacek1955 = "Bukacek 1955";
inline constexpr const char* kDriesnerHeinrich2007 = "Driesner & Heinrich 2007";

// Which judgement the fluid's statement of a pair's mixtures takes, by the
// physics of its sources: two volatile non-polar fluids (mutual
// solubilities, Raoult's law beside a pure end, one fluid above both
// critical points), water and a gas (Henry's law, water's content of the
// gas: WaterGasStatement), water and a non-volatile salt (its published
// phase diagram: SaltBrineStatement).
enum class PairJudgement { kGases, kWaterAndGas, kSaltBrine };

struct ReferencePair {
    const char* a;
    const char* b;
    // Whose Henry constant of b in liquid a the lookup takes; null: none.
    const char* henrySource;
    // Tsonopoulos's binary constant k12 of the cross second virial
    // coefficient (crossSecondVirialCoefficient); NaN: none.
    double k12;
    const char* k12Source;
    // The measured critical curve above the critical temperature of the
    // less volatile component, by pressure; and the scatter (K) of its
    // measurements, within which a state is not judged by it.
    std::span<const CriticalCurvePoint> criticalCurve;
    double criticalCurveScatter;
    const char* criticalCurveSource;
    // The publications of the mutual solubilities, with their stated
    // uncertainties: of b in the a-rich phase, of a in the b-rich phase;
    // a null name: none.
    SolubilitySource solubilityOfBInA;
    SolubilitySource solubilityOfAInB;
    // The binary constant k12 of Peng & Robinson's equation for the phase
    // rich in b, a dissolved in it (water's content of a compressed gas):
    // a12 = sqrt(a1 a2) (1 - k12); NaN: none.
    double pengRobinsonK12 = std::numeric_limits<double>::quiet_NaN();
    const char* pengRobinsonK12Source = nullptr;
    // The partial molar volume (m3/mol) of b dissolved in liquid a at
    // infinite dilution, the Poynting factor of its Henry constant
    // (Krichevsky & Kasarnovsky 1935); NaN: none.
    double dissolvedVolume = std::numeric_limits<double>::quiet_NaN();
    // The judgement of its mixtures' statement (PhaseRules::fluidAt).
    PairJudgement judgement = PairJudgement::kGases;
    // The publication of the pair's phase diagram (a water-salt pair's:
    // PhaseLookups::saltDiagramOf evaluates it); null: none.
    const char* phaseDiagramSource = nullptr;
    // The uncertainty of pengRobinsonK12 (absolute), carried into the band
    // of what it gives; 0: none stated.
    double pengRobinsonK12Uncertainty = 0.0;
    // Whether a's fugacity in b's fluid by pengRobinsonK12 judges a's solid
    // and its condensing there (SoluteSolid: CO2 in CH4 or N2).
    bool soluteFugacity = false;

    // Whether it is the pair x-y, either order, each named by a fluid's
    // formula or alias in `fluids` (else by its own name, "Ar").
    bool is(const ReferenceFluids& fluids, const char* x, const char* y) const;
    // Whether `x` names its component a, as above (a water-gas or water-salt
    // pair's water).
    bool namesA(const ReferenceFluids& fluids, const char* x) const;
};

// A table of pairs and the rules that read it, beside the table of the
// fluids its pairs are named against (by formula or alias) and whose rows
// its rules read (critical points, acentric factors).
class ReferencePairs {
public:
    constexpr ReferencePairs(std::span<const ReferencePair> rows, const ReferenceFluids& fluids)
        : rows_(rows), fluids_(&fluids) {}
    // The pairs of this library, beside the standard fluids.
    static const ReferencePairs& standard();

    std::span<const ReferencePair> rows() const { return rows_; }
    const ReferenceFluids& fluids() const { return *fluids_; }
    // The row of the pair x-y (either order); null for a pair not in it.
    const ReferencePair* find(const char* x, const char* y) const;
    // The source of the Henry constant of `solute` in liquid `solvent`; null
    // where the row gives none or names the other as the solvent.
    const char* henrySourceOf(const char* solvent, const char* solute) const;
    // The source of the published mole fraction of `solute` in a
    // `solvent`-rich phase; null where none is published.
    SolubilitySource solubilitySourceOf(const char* solvent, const char* solute) const;
    // The cross second virial coefficient B12 (m3/mol) of a and b at T (K)
    // by Tsonopoulos's correlation with his combining rules and the row's
    // binary constant fitted to measured cross coefficients (water with N2
    // or CH4); NaN for a pair without one or a fluid not in the table.
    double crossSecondVirialCoefficient(const char* a, const char* b, double T) const;
    // The fugacity coefficient of `solute` at mole fraction y in a phase of
    // `solvent` at T (K) and P (Pa), on that phase's stable root of Peng &
    // Robinson's equation (1976) with the critical points and acentric
    // factors of the fluids' rows, van der Waals's mixing rules and the
    // pair's pengRobinsonK12; NaN for a pair without one (or `solvent` not
    // its b), a fluid not in the table or y outside [0, 1).
    // `k12Shift` moves the pair's constant (its band, pengRobinsonK12Uncertainty);
    // `gasRoot` takes the gas's own root (the largest) whichever is stable:
    // the solute's coefficient in the gas itself where the mixture as a
    // whole would be a liquid.
    double pengRobinsonFugacityCoefficient(const char* solvent, const char* solute, double y, double T, double P,
                                           double k12Shift = 0.0, bool gasRoot = false) const;

private:
    std::span<const ReferencePair> rows_;
    const ReferenceFluids* fluids_;
};

// The row of the pair x-y (either order) in the standard table; null for a
// pair not in it.
const ReferencePair* referencePair(const char* x, const char* y);
// The source of the published mole fraction of `solute` in a `solvent`-rich
// phase by the standard table and its uncertainty; a null name where none
// is published.
SolubilitySource publishedSolubilitySourceOf(const char* solvent, const char* solute);

// The temperature (K) where the pure solid of the fluid of `row` meets its
// fluid at P (bar) by its published lines, between T_ (where the solid is
// stable) and the triple point: on the sublimation line below the
// triple-point pressure, on the melting line above it.  NaN where no line
// brackets P.
double publishedFreezingTemperature(const ReferenceFluid& row, double T_, double P_bar);
// The enthalpy of fusion (J/mol) that lowers the freezing point of the
// fluid of `row` as the solvent of an ideal liquid solution; NaN without.
double solventFusionEnthalpy(const ReferenceFluid& row);
