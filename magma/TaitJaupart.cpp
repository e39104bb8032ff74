// The chamber model: melt and fluid constants, saturation, the H2O-CO2
// partition between melt and gas, the initial state and the pressure reached at
// a given crystal fraction.
#include "magma/TaitJaupart.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "numerics/Newton.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {

// Gas constant of the closed-form terms (J/(mol K)).
constexpr double kR = 8.31434;
// Gas constant of the ideal-gas density, kept at the value the model's
// published curves were computed with.
constexpr double kRIdealGas = 8.31;

std::string format(const char* fmt, double a, double b = 0.0, double c = 0.0) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, fmt, a, b, c);
    return buffer;
}

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

// A percentage that lies above (or below) a limit, with the digits that show
// it does: 75.04 % is "75.04", not "75".
std::string percentBeyond(double value, double limit) {
    char buffer[64];
    for (int digits = 3; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        const double shown = std::strtod(buffer, nullptr);
        if ((value > limit) == (shown > limit) && (value < limit) == (shown < limit)) break;
    }
    return buffer;
}

}  // namespace

const char* eruptionSequenceEndText(EruptionSequenceEnd end) {
    switch (end) {
        case EruptionSequenceEnd::halfCrystallised:
            return "The crystal fraction reached one half.";
        case EruptionSequenceEnd::notConfigured:
            return "The sequence was refused: the chamber has no accepted initial state or no positive overpressure.";
        case EruptionSequenceEnd::solveFailed:
            return "The search for the crystal fraction of the next eruption failed.";
        case EruptionSequenceEnd::overpressureNotReached:
            return "The overpressure threshold is not reached before half of the mass is crystals.";
        case EruptionSequenceEnd::noEruptedVolume:
            return "The chamber would erupt no positive volume.";
        case EruptionSequenceEnd::meltExhausted:
            return "The eruption would take more melt than the chamber holds.";
        case EruptionSequenceEnd::noCrystalGrowth:
            return "The crystal fraction did not grow during the last cycle.";
        case EruptionSequenceEnd::eruptionLimit:
            return "The sequence reached its limit on the number of eruptions.";
        case EruptionSequenceEnd::cancelled:
            return "The sequence was cancelled.";
    }
    return "Unknown end of the eruption sequence.";
}

TaitJaupart::TaitJaupart()
    : water(makeWaterGasModel()),
      co2(makeCO2GasModel()),
      pressureSolver(std::make_unique<Secant>()),
      partitionSolver(std::make_unique<Newton>()) {
    error = 0;
    useEOS = 1;
    mu = beta = 1e10;
    magmaType = kChamberMelt2700;
    rhoc0 = 3300.0;
    rhol0 = 2700.0;
    T = 1473.0;
    setFluid(kChamberFluidH2O, 0.0);
    M = 1000.0;

    // Pressure equation: damped secant that refuses a step on which the
    // residual grows.
    pressureSolver->obj = this;
    pressureSolver->fn = toEquationFn<ScalarEquationFn>(&TaitJaupart::equationForP);
    pressureSolver->data = nullptr;
    pressureSolver->monotone = 1;

    partitionSolver->_setSysEquationToSolve(
        this, toEquationFn<SysEquationFn>(&TaitJaupart::calculate_vector_function), 4);

    // The default state says nothing: the notes on the gas equations are for
    // the set-ups a caller gives.
    co2ExtrapolationSaid = waterExtrapolationSaid = true;
    setInitialData(1000.0, 1e8, 0.0, 0.01, 0.0);
    co2ExtrapolationSaid = waterExtrapolationSaid = false;
}

TaitJaupart::~TaitJaupart() = default;

void TaitJaupart::setMagmaType(int type) {
    magmaType = type;
    rhoc0 = 3300.0;
    if (type == kChamberMelt2700) {
        rhol0 = 2700.0;
        T = 1473.0;
    } else if (type == kChamberMelt2300) {
        rhol0 = 2300.0;
        T = 1173.0;
    }
}

void TaitJaupart::setFluid(int type, double x) {
    fluidType = type;
    // Power-law solubilities (P in Pa) of the two melts.
    const bool known = magmaType == kChamberMelt2700 || magmaType == kChamberMelt2300;
    const double sH2O = magmaType == kChamberMelt2700 ? 6.8e-8 : 4.11e-6;
    const double nH2O = magmaType == kChamberMelt2700 ? 0.7 : 0.5;
    const double sCO2 = magmaType == kChamberMelt2700 ? 4.4e-12 : 7.33e-12;
    const double nCO2 = 1.0;
    switch (type) {
        case kChamberFluidH2O:
            Mg = Mw1 = 0.018;
            Mw2 = 0.044;
            vd1 = vd2 = 0.0;
            if (known) {
                sa = sH2O;
                na = nH2O;
            }
            break;
        case kChamberFluidCO2:
            Mg = Mw1 = 0.044;
            Mw2 = 0.018;
            vd1 = vd2 = 0.0;
            if (known) {
                sa = sCO2;
                na = nCO2;
            }
            break;
        case kChamberFluidH2OCO2:
            xCO2 = x;
            Mw1 = 0.018;
            Mw2 = 0.044;
            // Mean molar mass of the bulk volatiles until a state gives the
            // gas its own composition.
            Mg = 1.0 / (x / Mw2 + (1.0 - x) / Mw1);
            vd1 = vd2 = 0.0;
            if (known) {
                sa = sH2O;
                na = nH2O;
                sb = sCO2;
                nb = nCO2;
            }
            break;
        default:
            break;
    }
}

void TaitJaupart::calculateSaturation(double Pin, double X, double a, double b) {
    P = Pin;
    mc = X * M;
    const double C1 = sa * std::pow(P, na);
    if (fluidType != kChamberFluidH2OCO2) {
        mdSat = (M - mc) * C1 / (1.0 + C1);
        mdSatCO2 = 0.0;
        ml = M - mc - mdSat;
        return;
    }
    const double C2 = sb * std::pow(P, nb);
    const double sum = a + b;
    if (sum > 0.0 && std::fabs(b / sum - 1.0) < 1e-12) {  // CO2 alone
        ml = (M - mc) / (1.0 + C2);
        mdSat = 0.0;
        mdSatCO2 = C2 * ml;
        return;
    }
    // CO2 mole fraction of the incipient gas for which the dissolved masses
    // stand in the ratio a : b.  With no volatile at all (a = b = 0) the gas
    // would be pure H2O.
    const double den = a * C2 + b * C1;
    const double y = den > 0.0 ? b * C1 / den : 0.0;
    ml = (M - mc) / (1.0 + C1 * (1.0 - y) + C2 * y);
    mdSat = C1 * ml * (1.0 - y);
    mdSatCO2 = C2 * ml * y;
}

void TaitJaupart::calculate_vector_function(double* x, double* F, double** J, int& err, int order,
                                            void* /*data*/) {
    md = x[0];
    mdCO2 = x[1];
    mg = x[2];
    mgCO2 = x[3];
    for (int i = 0; i < 4; ++i) {
        if (!(x[i] >= 0.0) || !std::isfinite(x[i])) {  // negative masses, NaN
            err = 1;
            return;
        }
    }
    const double C1 = sa * std::pow(P, na);
    const double C2 = sb * std::pow(P, nb);
    const double g1 = mg / Mw1;     // moles of volatile 1 in the gas
    const double g2 = mgCO2 / Mw2;  // moles of CO2 in the gas
    const double g = g1 + g2;
    // Each dissolved mass is its solubility times the melt mass times the
    // volatile's mole fraction in the gas; the totals are conserved.
    F[0] = md * g - g1 * C1 * ml;
    F[1] = mdCO2 * g - g2 * C2 * ml;
    F[2] = md + mg - mv;
    F[3] = mdCO2 + mgCO2 - mvCO2;
    if (order < 1 || J == nullptr) return;
    J[0][0] = g;
    J[0][1] = 0.0;
    J[0][2] = (md - C1 * ml) / Mw1;
    J[0][3] = md / Mw2;
    J[1][0] = 0.0;
    J[1][1] = g;
    J[1][2] = mdCO2 / Mw1;
    J[1][3] = (mdCO2 - C2 * ml) / Mw2;
    J[2][0] = 1.0;
    J[2][1] = 0.0;
    J[2][2] = 1.0;
    J[2][3] = 0.0;
    J[3][0] = 0.0;
    J[3][1] = 1.0;
    J[3][2] = 0.0;
    J[3][3] = 1.0;
}

bool TaitJaupart::partitionFromGasComposition(double* masses) const {
    // With y the CO2 mole fraction of the gas, the dissolved masses are
    // C1·ml·(1 - y) and C2·ml·y and the gas holds the rest; the partition is
    // the y that this gas has itself.  h(y) = y - g2/(g1 + g2) rises with y from
    // the y at which the gas holds no volatile 1 (h <= 0) to the y at which it
    // holds no CO2 (h >= 0), so bisection finds its one root.
    const double C1ml = sa * std::pow(P, na) * ml;
    const double C2ml = sb * std::pow(P, nb) * ml;
    if (!(C1ml > 0.0) || !(C2ml > 0.0)) return false;
    double lo = std::fmax(0.0, 1.0 - mv / C1ml);
    double hi = std::fmin(1.0, mvCO2 / C2ml);
    if (!(lo <= hi)) return false;  // the melt dissolves everything: no gas
    auto h = [&](double y) {
        const double g1 = (mv - C1ml * (1.0 - y)) / Mw1;
        const double g2 = (mvCO2 - C2ml * y) / Mw2;
        return g1 + g2 > 0.0 ? y - g2 / (g1 + g2) : 0.0;
    };
    for (int i = 0; i < 200 && hi - lo > 1e-15; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (h(mid) > 0.0) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    const double y = 0.5 * (lo + hi);
    masses[0] = std::fmin(mv, C1ml * (1.0 - y));
    masses[1] = std::fmin(mvCO2, C2ml * y);
    masses[2] = mv - masses[0];
    masses[3] = mvCO2 - masses[1];
    return true;
}

int TaitJaupart::calculateVolatilePartition(double Pin, double w, double x) {
    P = Pin;
    xCO2 = x;
    Newton& solver = *partitionSolver;
    // Start with half of each volatile dissolved and half in the gas.
    const double start[4] = {(1.0 - x) * w * M / 2.0, x * w * M / 2.0, (1.0 - x) * w * M / 2.0,
                             x * w * M / 2.0};
    for (int i = 0; i < 4; ++i) solver.x[i] = solver.xold[i] = start[i];
    solver.numericalJacobian = 0;
    solver.solve();
    // From half and half the first steps can overshoot to negative masses and
    // the damping run out (a melt that dissolves little of a CO2-rich gas).
    // The partition then is started again from the root of its one-variable
    // form in the gas composition.
    double retry[4];
    if (solver.status != 0 && partitionFromGasComposition(retry)) {
        for (int i = 0; i < 4; ++i) solver.x[i] = solver.xold[i] = retry[i];
        solver.solve();
    }
    partitionStatus = solver.status;
    if (partitionStatus == 0) {
        md = solver.x[0];
        mdCO2 = solver.x[1];
        mg = solver.x[2];
        mgCO2 = solver.x[3];
    } else {
        message = format("The partition of H2O and CO2 between melt and gas at %g bar did not converge.",
                         1e-5 * P);
    }
    return partitionStatus;
}

void TaitJaupart::refuse(const std::string& why) {
    message = why;
    platform::diagf("%s\n", why.c_str());
}

bool TaitJaupart::checkSetup(double Mtot, double Pinit, double X, double w, double x) {
    if (fluidType < kChamberFluidH2O || fluidType > kChamberFluidH2OCO2) {
        refuse(format("Unknown fluid type %g.", fluidType));
        return false;
    }
    if (!positive(sa) || !positive(na)) {
        refuse(format("The solubility law of the volatile is not set (sa = %g, na = %g).", sa, na));
        return false;
    }
    if (fluidType == kChamberFluidH2OCO2 && (!positive(sb) || !positive(nb))) {
        refuse(format("The CO2 solubility law of the melt is not set (sb = %g, nb = %g): a H2O-CO2 "
                      "mixture in a user-defined melt needs it.",
                      sb, nb));
        return false;
    }
    if (!positive(T) || !positive(rhol0) || !positive(rhoc0)) {
        refuse(format("The melt needs a positive temperature and densities (T = %g K, melt density %g kg/m3, "
                      "crystal density %g kg/m3).",
                      T, rhol0, rhoc0));
        return false;
    }
    if (!positive(Mtot) || !positive(Pinit)) {
        refuse(format("The chamber needs a positive mass and pressure (M = %g kg, P0 = %g bar).", Mtot,
                      1e-5 * Pinit));
        return false;
    }
    if (!(X >= 0.0) || !(w >= 0.0) || !(X + w < 1.0)) {
        refuse(format("The crystal and volatile fractions (%g and %g) must not be negative and must leave some melt.",
                      X, w));
        return false;
    }
    if (fluidType == kChamberFluidH2OCO2 && !(x >= 0.0 && x <= 1.0)) {
        refuse(format("The CO2 fraction of the volatiles (%g) lies outside 0 to 1.", x));
        return false;
    }
    return true;
}

void TaitJaupart::setMixtureGasMolarMass(double p, double gasH2O, double gasCO2) {
    if (fluidType != kChamberFluidH2OCO2) return;
    if (gasH2O + gasCO2 > 0.0) {
        Mg = (gasH2O + gasCO2) / (gasH2O / Mw1 + gasCO2 / Mw2);
        return;
    }
    // No gas: the gas that would form first, whose CO2 mole fraction makes the
    // dissolved masses stand in the ratio of the volatiles (calculateSaturation).
    const double C1 = sa * std::pow(p, na);
    const double C2 = sb * std::pow(p, nb);
    const double den = mv * C2 + mvCO2 * C1;
    const double y = den > 0.0 ? mvCO2 * C1 / den : xCO2;
    Mg = y * Mw2 + (1.0 - y) * Mw1;
}

bool TaitJaupart::pureGasVolume(bool carbonDioxide, double p, double& v) {
    const GasVolumeTable& table = carbonDioxide ? co2Table : waterTable;
    const double Pbar = 1e-5 * p;
    if (table.covers(T, Pbar)) {
        v = table.molarVolume(Pbar);
        return true;
    }
    ChamberGasModel* eos = carbonDioxide ? co2.get() : water.get();
    const char* name = carbonDioxide ? "CO2" : "H2O";
    if (eos == nullptr) {
        message = std::string("No equation of state of ") + name +
                  " is available: set useEOS to 0 for ideal-gas densities.";
        return false;
    }
    if (!eos->molarVolume(T, Pbar, v) || !positive(v)) {
        message = std::string("The molar volume of ") + name + format(" at %g K and %g bar was not found.", T, Pbar);
        return false;
    }
    return true;
}

double TaitJaupart::gasCO2MoleFraction() const {
    if (fluidType == kChamberFluidCO2) return 1.0;
    if (fluidType != kChamberFluidH2OCO2) return 0.0;
    // Mg = y·Mw2 + (1 - y)·Mw1.
    return std::fmin(1.0, std::fmax(0.0, (Mg - Mw1) / (Mw2 - Mw1)));
}

bool TaitJaupart::gasDensity(double p, double& rho) {
    if (useEOS != 1 || fluidType == kChamberFluidUser ||
        (fluidType != kChamberFluidH2O && fluidType != kChamberFluidCO2 && fluidType != kChamberFluidH2OCO2)) {
        rho = p * Mg / (kRIdealGas * T);
        return true;
    }
    // The mixture's molar volume is the mole-fraction mean of the pure gases'
    // volumes at the same T and P (ideal mixing of real gases, Amagat's law):
    // the excess volumes measured for H2O-CO2 above 400 C are a few per cent
    // at most (Sterner and Bodnar 1991, Am. J. Sci. 291, 1-54).
    const double y = gasCO2MoleFraction();
    double v = 0.0, vi = 0.0;
    if (y < 1.0) {
        if (!pureGasVolume(false, p, vi)) return false;
        v += (1.0 - y) * vi;
    }
    if (y > 0.0) {
        if (!pureGasVolume(true, p, vi)) return false;
        v += y * vi;
    }
    rho = Mg / v;
    return true;
}

void TaitJaupart::noteExtrapolatedGases() {
    if (useEOS != 1) return;
    // The solubility laws reach 5 kbar and the melt 1473 K, beyond the
    // reference equations of the gases: the IUPAC (1976) CO2 equation holds
    // to 1100 K and 1000 bar, IAPWS-95 to 1273 K (and 10 kbar).
    // Only a gas the chamber's volatiles can make: a mixture with 0 % CO2 has
    // no CO2 density, a magma without volatiles no gas at all.
    const bool mixture = fluidType == kChamberFluidH2OCO2;
    const bool withCO2 = (fluidType == kChamberFluidCO2 && mv > 0.0) || (mixture && mvCO2 > 0.0);
    const bool withWater = (fluidType == kChamberFluidH2O || mixture) && mv > 0.0;
    if (withCO2 && !co2ExtrapolationSaid) {
        co2ExtrapolationSaid = true;
        platform::warnf("The chamber's CO2 densities come from the IUPAC (1976) equation of CO2, which holds up to "
                        "1100 K and 1000 bar: at the melt's temperatures and above 1000 bar they are "
                        "extrapolated.\n");
    }
    if (withWater && T > 1273.0 && !waterExtrapolationSaid) {
        waterExtrapolationSaid = true;
        platform::warnf("The chamber's water densities come from IAPWS-95, which holds up to 1273 K: at %g K they "
                        "are extrapolated.\n",
                        T);
    }
}

std::string TaitJaupart::initialPressureRefusal(double bar) {
    return format("The initial pressure of %g bar lies outside %g bar", bar, 1e-5 * kMinPressure) +
           format(" to %g bar, the range in which the solubility laws of the chamber's volatiles were calibrated.",
                  1e-5 * kMaxPressure);
}

bool TaitJaupart::checkRanges(double Pinit) {
    if (!(Pinit >= kMinPressure && Pinit <= kMaxPressure)) {
        refuse(initialPressureRefusal(1e-5 * Pinit));
        return false;
    }
    if (!(T >= kMinTemperature && T <= kMaxTemperature)) {
        refuse(format("The melt temperature of %g K lies outside %g K", T, kMinTemperature) +
               format(" to %g K, the magmatic temperatures at which the solubility of volatiles in melts has "
                      "been measured.",
                      kMaxTemperature));
        return false;
    }
    return true;
}

bool TaitJaupart::setInitialData(double Mtot, double Pinit, double X, double w, double x) {
    configured = 0;
    if (!checkSetup(Mtot, Pinit, X, w, x) || !checkRanges(Pinit)) return false;
    if (!initialState(Mtot, Pinit, X, w, x)) return false;
    // A magma is melt carrying bubbles only up to about three quarters of gas
    // by volume; beyond, it fragments (Sparks 1978, J. Volcanol. Geotherm.
    // Res. 3, 1-37) and the chamber's homogeneous magma no longer holds.
    // Judged on the percentage the refusal prints.
    const double gasPercent = 100.0 * Vg0 / V0;
    if (!(gasPercent <= 100.0 * kMaxGasVolumeFraction)) {
        configured = 0;
        refuse("The initial magma would be " + percentBeyond(gasPercent, 100.0 * kMaxGasVolumeFraction) +
               format(" %% gas by volume, more than the %g %% at which a magma fragments: lower the volatile "
                      "content or raise the pressure.",
                      100.0 * kMaxGasVolumeFraction));
        return false;
    }
    noteExtrapolatedGases();
    return true;
}

bool TaitJaupart::initialState(double Mtot, double Pinit, double X, double w, double x) {
    configured = 0;
    M = Mtot;
    P0 = Pinit;
    if (fluidType != kChamberFluidH2OCO2) {
        xCO2 = 0.0;
        mg0CO2 = md0CO2 = mvCO2 = mgCO2 = mdCO2 = 0.0;
    } else {
        xCO2 = x;
    }
    mc0 = X * M;
    mv = (1.0 - xCO2) * w * M;
    mvCO2 = xCO2 * w * M;
    ml0 = M - mc0 - mv - mvCO2;

    if (fluidType != kChamberFluidH2OCO2) {
        mdSat = ml0 * sa * std::pow(P0, na);  // what the melt can dissolve
        if (mdSat > mv) {
            mg0 = 0.0;
            md0 = mv;
            saturated0 = 0;
        } else {
            md0 = mdSat;
            mg0 = mv - md0;
            saturated0 = 1;
        }
    } else {
        calculateSaturation(P0, X, (1.0 - x) * w, x * w);
        const double capacity = mdSat + mdSatCO2;
        const double total = mv + mvCO2;
        if (capacity > total || std::fabs(capacity - total) < 1e-12) {
            md0 = mv;
            md0CO2 = mvCO2;
            mg0 = mg0CO2 = 0.0;
            saturated0 = 0;
        } else {
            // The gas coexists with the melt that is actually there, the same
            // melt mass the pressure equation uses, so that the initial state
            // solves the pressure equation at P0.
            ml = ml0;
            if (calculateVolatilePartition(P0, w, x) != 0) {
                refuse(message);
                return false;
            }
            md0 = md;
            md0CO2 = mdCO2;
            mg0 = mv - md0;
            mg0CO2 = mvCO2 - md0CO2;
            saturated0 = 1;
        }
    }

    setMixtureGasMolarMass(P0, mg0, mg0CO2);
    if (!gasDensity(P0, rhog0)) {
        refuse(message);
        return false;
    }
    Vl0 = ml0 / rhol0 + md0 / Mw1 * vd1 + md0CO2 / Mw2 * vd2;
    Vg0 = (mg0 + mg0CO2) / rhog0;
    Vc0 = mc0 / rhoc0;
    V0 = Vc0 + Vl0 + Vg0;
    configured = 1;
    return true;
}

bool TaitJaupart::scaleInitialState(double mass) {
    if (M == mass) return true;
    // Every mass and volume of the state scales with M: the initial state of
    // the same fractions at P0 (a state left by an eruption sequence fills the
    // cavity at P0, so its volume is the cavity's, scaled).
    const double volatiles = mv + mvCO2;
    const double x = volatiles > 0.0 ? mvCO2 / volatiles : xCO2;
    if (initialState(mass, P0, mc0 / M, volatiles / M, x)) return true;
    message = "The chamber's state could not be brought to " + format("%g kg: ", mass) + message;
    return false;
}

double TaitJaupart::equationForP(double Pin, void* /*data*/) {
    P = Pin;
    if (!(Pin > 0.0) || !std::isfinite(Pin)) {  // no state at zero or negative pressure
        error = 1;
        return 0.0;
    }
    if (fluidType != kChamberFluidH2OCO2) {
        // The melt mass is the volatile-free melt: exsolution does not reduce it.
        md = sa * std::pow(Pin, na) * ml;
        mg = md0 + mg0 - md;
        if (mg < 0.0) {
            mg = 0.0;
            md = mv;
            saturated = 0;
        } else {
            saturated = 1;
        }
    } else {
        calculateSaturation(Pin, mc / M, mv / M, mvCO2 / M);
        if (mv + mvCO2 > mdSat + mdSatCO2) {
            ml = M - mv - mvCO2 - mc;
            saturated = 1;
            if (calculateVolatilePartition(Pin, (mv + mvCO2) / M, xCO2) != 0) {
                ml = M - mc - mv - mvCO2;
                error = 1;
                return 0.0;
            }
        } else {
            md = mv;
            mdCO2 = mvCO2;
            mg = mgCO2 = 0.0;
            saturated = 0;
        }
        ml = M - mc - mv - mvCO2;
        setMixtureGasMolarMass(Pin, mg, mgCO2);
    }

    rhol = rhol0 * std::exp((Pin - P0) / beta);
    rhoc = rhoc0 * std::exp((Pin - P0) / mu);
    // A gas-free state needs no gas density; calculateOverpressure supplies it
    // for the state it settles on.
    rhogAtP = saturated != 0;
    if (rhogAtP && !gasDensity(Pin, rhog)) {
        error = 1;
        return 0.0;
    }
    Vl = ml / rhol + md / Mw1 * vd1 + mdCO2 / Mw2 * vd2;
    Vg = saturated != 0 ? (mg + mgCO2) / rhog : 0.0;
    Vc = mc / rhoc;
    V = V0 * std::exp((Pin - P0) / mu);
    const double residual = V - Vl - Vg - Vc;
    if (!std::isfinite(residual)) {
        error = 1;
        return 0.0;
    }
    return residual;
}

void TaitJaupart::fillClosedFormTerms() {
    const double D = md + mdCO2;
    const double Xc = mc / M;
    const double saP0 = sa * std::pow(P0, na);
    K1 = std::pow(P0, 2.0 - na) * Mg / (kR * T * rhol * sa) * (1.0 / mu + 1.0 / beta);
    K2 = P0 * Mg / (kR * T * saP0) * (1.0 / rhoc - 1.0 / rhol);
    K3 = (mg0 + mg0CO2) / saP0 / M;
    const double kDen = (1.0 / rhol - 1.0 / rhoc) * Mg * P * (D + ml);
    K = kDen != 0.0 ? kR * T * D / kDen : 0.0;
    H = D != 0.0 ? (D * P + ml) / D : 0.0;
    const double pDen = K * (1.0 - Xc) + Xc;
    Papprox = pDen != 0.0 ? K * P0 / pDen : 0.0;
}

int TaitJaupart::calculateOverpressure(double X) {
    if (!configured) {
        message = "The chamber has no accepted initial state.";
        return pressureStatus = kRefused;
    }
    if (!positive(mu) || !positive(beta)) {
        message = format("The elastic moduli must be positive (mu = %g Pa, beta = %g Pa).", mu, beta);
        return pressureStatus = kRefused;
    }
    if (!(X >= 0.0)) {
        message = format(std::isnan(X) ? "The crystal fraction is not a number." : "The crystal fraction %g is negative.",
                         X);
        return pressureStatus = kRefused;
    }
    if (!(ml0 + mc0 - X * M > 0.0)) {
        // Melt and crystals share what the volatiles leave of the mass.
        message = format("The crystal fraction %g leaves no melt in the chamber: melt and crystals make up %g of its "
                         "mass, the volatiles the rest.",
                         X, (ml0 + mc0) / M);
        return pressureStatus = kRefused;
    }
    Secant& solver = *pressureSolver;
    // First from 100 bar; should that fail, from the initial pressure; should
    // that fail too, by bracketing the root.
    const double starts[2] = {1e7, P0};
    for (double start : starts) {
        mc = X * M;
        ml = ml0 + mc0 - mc;
        solver.x0 = start;
        solver.x1 = start * 1.001;
        solver.solve();
        if (solver.status == 0) break;
    }
    pressureStatus = solver.status;
    if (pressureStatus != 0) {
        mc = X * M;
        ml = ml0 + mc0 - mc;
        pressureStatus = bracketPressure();
    }
    // The solubility laws were calibrated from kMinPressure to kMaxPressure:
    // a chamber squeezed beyond it, or relaxed below it, has no state here.
    if (pressureStatus == 0 && P > kMaxPressure * (1.0 + 1e-12)) {
        pressureStatus = kSolverAboveMax;
        message = format("The chamber pressure at crystal fraction %g, %g bar,", X, 1e-5 * P) +
                  format(" lies above the %g bar to which the solubility laws were calibrated.", 1e-5 * kMaxPressure);
        fillClosedFormTerms();
        return pressureStatus;
    }
    if (pressureStatus == 0 && P < kMinPressure * (1.0 - 1e-12)) {
        pressureStatus = kSolverBelowMin;
        const std::string why = fallingPressureReason(saturated == 0);
        message = format("The chamber pressure at crystal fraction %g, %g bar,", X, 1e-5 * P) +
                  format(" lies below the %g bar from which the solubility laws were calibrated", 1e-5 * kMinPressure) +
                  (why.empty() ? "." : ": " + why + ".");
        fillClosedFormTerms();
        return pressureStatus;
    }
    if (pressureStatus == 0 && !rhogAtP) {
        if (gasDensity(P, rhog)) {
            rhogAtP = true;
        } else {
            pressureStatus = kSolverEvaluationFailed;
        }
    }
    if (pressureStatus != 0) message = pressureFailureText(X);
    fillClosedFormTerms();
    return pressureStatus;
}

std::string TaitJaupart::pressureFailureText(double X) const {
    std::string text = format("The chamber pressure at crystal fraction %g could not be computed: ", X);
    text += pressureStatus == kSolverEvaluationFailed
                ? "the volumes of the chamber and of its melt, crystals and gas could not be evaluated on the way to it"
                : "no pressure balances the volume of the chamber against those of its melt, crystals and gas";
    const double softest = std::fmin(mu, beta);
    if (softest < kMinModulus)
        return text + format(" (the elastic moduli mu = %g Pa and beta = %g Pa lie below the %g Pa from which the "
                             "model computes the volumes: use moduli near those of rocks and melts, about 1e10 Pa).",
                             mu, beta, kMinModulus);
    if (std::fmax(mu, beta) > kMaxModulus)
        return text + format(" (the elastic moduli mu = %g Pa and beta = %g Pa lie above the %g Pa up to which the "
                             "model computes the volumes).",
                             mu, beta, kMaxModulus);
    // Without volatiles the contents need a pressure below zero once enough
    // dense crystals have grown: the reason is the magma's, not an input's.
    if (const std::string why = fallingPressureReason(mv + mvCO2 <= 0.0); !why.empty())
        return format("The chamber pressure at crystal fraction %g could not be computed: ", X) + why +
               ", and at this crystal fraction no positive pressure is left.";
    return text + "; the chamber's contents would need a pressure outside the range of its model (check the "
                  "initial pressure, the volatile content and the moduli).";
}

std::string TaitJaupart::fallingPressureReason(bool gasFree) const {
    if (!gasFree || !(rhoc0 > rhol0)) return {};
    const std::string density = format("crystals denser than the melt (%g against %g kg/m3)", rhoc0, rhol0);
    if (mv + mvCO2 <= 0.0)
        return "with no volatile in the magma there is no gas, and " + density +
               " take less room than the melt they grow from, so the chamber's pressure only falls as it crystallises";
    return "the melt holds all its volatiles dissolved there (no gas), and " + density +
           " take less room than the melt they grow from, so the pressure falls as it crystallises";
}

int TaitJaupart::bracketPressure() {
    // Where the melt saturates only at low pressure the volume residual bends
    // sharply (the gas volume goes as 1/P) and the secant steps past the root.
    // The residual rises with pressure: the chamber grows, its contents shrink.
    // Double or halve the pressure from P0 until the residual changes sign,
    // then bisect.
    auto residual = [this](double p, double& f) {
        error = 0;
        f = equationForP(p, nullptr);
        const bool ok = error == 0;
        error = 0;
        return ok;
    };
    double f = 0.0;
    if (!residual(P0, f)) return kSolverEvaluationFailed;
    if (f == 0.0) return 0;
    double lo = P0, hi = P0;
    const bool rootBelow = f > 0.0;
    for (int i = 0;; ++i) {
        if (i == 100) return kSolverIterationLimit;
        double& moving = rootBelow ? lo : hi;
        moving = rootBelow ? 0.5 * moving : 2.0 * moving;
        if (!residual(moving, f)) return kSolverEvaluationFailed;
        if ((f > 0.0) != rootBelow || f == 0.0) break;
        (rootBelow ? hi : lo) = moving;
    }
    for (int i = 0; i < 200 && hi - lo > 1e-13 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (!residual(mid, f)) return kSolverEvaluationFailed;
        if (f > 0.0) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    // Leave the state at the root.
    return residual(0.5 * (lo + hi), f) ? 0 : kSolverEvaluationFailed;
}

double TaitJaupart::equationForOverpressure(double X, void* /*data*/) {
    if (calculateOverpressure(X) != 0) {
        error = 1;
        return 0.0;
    }
    return dP - (P - P0);
}

void TaitJaupart::print() const {
    std::printf("mc0/M  %12f\n", 100.0 * mc0 / M);
    std::printf("ml0/M  %12f\n", 100.0 * ml0 / M);
    std::printf("mg0/M  %12f\n", 100.0 * mg0 / M);
    std::printf("md0/M  %12f\n\n", 100.0 * md0 / M);
    std::printf("Vl0/V0 %12f\n", 100.0 * Vl0 / V0);
    std::printf("Vg0/V0 %12f\n", 100.0 * Vg0 / V0);
    std::printf("Vc0/V0 %12f\n\n", 100.0 * Vc0 / V0);
    std::printf("mc/M   %12f\n", 100.0 * mc / M);
    std::printf("ml/M   %12f\n", 100.0 * ml / M);
    std::printf("mg/M   %12f\n", 100.0 * mg / M);
    std::printf("md/M   %12f\n\n", 100.0 * md / M);
    std::printf("Vl/V   %12f\n", 100.0 * Vl / V);
    std::printf("Vg/V   %12f\n", 100.0 * Vg / V);
    std::printf("Vc/V   %12f\n\n", 100.0 * Vc / V);
    std::printf("P0    %12f bar\n", P0 * 1e-5);
    std::printf("P     %12f bar\n", P * 1e-5);
    std::printf("P     %12f bar (approx. 1)\n", 1e-5 * P0 / std::pow(1.0 - mc / M, 1.0 / na));
    std::printf("V0    %12f m3\n", V0);
    std::printf("V     %12f m3\n", V);
    std::printf("V/V0  %12f %%\n\n", 100.0 * (V - V0) / V0);
}
