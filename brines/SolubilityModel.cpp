#include "brines/SolubilityModel.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "brines/MaoDuanSalinityModel.h"
#include "brines/PitzerActivity.h"
#include "brines/PotterBrown.h"
#include "brines/SpiveyDensityModel.h"
#include "families/cubic/ClassicalCubic0.h"
#include "families/cubic/SRK1.h"
#include "families/duan/DMW1.h"
#include "water/WagnerPruss.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

constexpr const char* kHydrocarbons[15] = {"CH4", "C2",  "C3",  "iC4", "nC4",  "iC5",  "nC5", "nC6",
                                           "nC7", "nC8", "nC9", "nC10", "nC12", "nC15", "nC20"};
constexpr double kHydrocarbonFractions[15] = {0.5,  0.25, 0.04, 0.01, 0.05, 0.01, 0.04, 0.02,
                                              0.04, 0.04, 0.03, 0.04, 0.08, 0.08, 0.065};

}  // namespace

double solubleGasMolarMass(const char* name) {
    // IUPAC standard atomic weights (CO2 44.0098, CH4 16.043 g/mol).
    struct Gas {
        const char* name;
        double M;  // kg/mol
    };
    static constexpr Gas gases[] = {{"CO2", 0.0440098},    {"CH4", 0.016043},   {"C2", 0.030069},
                                    {"N2", 0.0280134},     {"H2S", 0.034081},   {"C2H6", 0.030069},
                                    {"C3", 0.044096},      {"iC4", 0.058122},   {"nC4", 0.058122},
                                    {"iC4H10", 0.058122},  {"nC4H10", 0.058122}};
    for (const Gas& g : gases)
        if (name && std::strcmp(name, g.name) == 0) return g.M;
    return std::numeric_limits<double>::quiet_NaN();
}

double SolubilityModel::gasMolarMass() const {
    return ig >= 0 ? solubleGasMolarMass(component_names[ig].c_str()) : 0.0;
}

SolubilityModel::SolubilityModel() : water(std::make_unique<WagnerPruss>(2)) {
    bubbleSolver.obj = this;
    bubbleSolver.fn = toEquationFn<ScalarEquationFn>(&SolubilityModel::equationForBubblePoint);
    bubbleSolver.monotone = 1;
    bubbleSolver.verbose = 0;
    bubbleSolver.data = nullptr;
}

SolubilityModel::~SolubilityModel() { purge(); }

void SolubilityModel::purge() {
    gasModel.reset();
    densityModel.reset();
}

void SolubilityModel::read_component_data(int i, const char* name) {
    if (std::strcmp(name, "H2O") == 0) {
        iw = i;
    } else if (std::strcmp(name, "NaCl") == 0) {
        is = i;
    } else if (std::isfinite(solubleGasMolarMass(name))) {
        if (ig < 0) ig = i;
        ++gasCount;
    }
}

void SolubilityModel::setSystemType(SM_SystemType type, int version_) {
    if (type == systemType && version_ == version) return;
    systemType = type;
    version = version_;
    mg = ms = r = sigma = 0.0;
    iw = ig = is = -1;
    gasCount = 0;
    compositionCode = 0;
    const char* names[3] = {nullptr, nullptr, nullptr};
    int n = 0;
    switch (type) {
        case SM_H2O_CH4_NaCl:
        case SM_Brine_Hydrocarbons: names[0] = "H2O"; names[1] = "CH4"; names[2] = "NaCl"; n = 3; break;
        case SM_H2O_CO2_NaCl: names[0] = "H2O"; names[1] = "CO2"; names[2] = "NaCl"; n = 3; break;
        case SM_H2O_N2_NaCl: names[0] = "H2O"; names[1] = "N2"; names[2] = "NaCl"; n = 3; break;
        case SM_H2O_CH4: names[0] = "H2O"; names[1] = "CH4"; n = 2; break;
        case SM_H2O_CO2: names[0] = "H2O"; names[1] = "CO2"; n = 2; break;
        case SM_H2O_N2: names[0] = "H2O"; names[1] = "N2"; n = 2; break;
        default: break;
    }
    const FluidPhase* previous = gasModel.get();
    if (n > 0) {
        // The component list always follows the system (a list of the same
        // length would otherwise keep the previous gas's name).
        component_count = 0;
        number_of_components(n);
        for (int i = 0; i < n; ++i) add_component(names[i]);
    }
    // A gas model built for the previous system holds the previous gas (one
    // just made while the components were read is already the new one).
    if (gasModel && gasModel.get() == previous) createGasModel();
}

void SolubilityModel::setDensityModelType(SM_DensityModelType type) {
    if (type == densityModelType) return;
    densityModelType = type;
    densityModel.reset();
    switch (type) {
        case SM_DensityNone: platform::diagf("No density model defined.\n"); break;
        case SM_DensityPotterBrown: densityModel = std::make_unique<PotterBrown>(); break;
        case SM_DensityMaoDuanWagnerPruss: densityModel = std::make_unique<MaoDuanSalinityModel>(0); break;
        case SM_DensityMaoDuanSpivey: densityModel = std::make_unique<MaoDuanSalinityModel>(1); break;
        case SM_DensitySpivey: densityModel = std::make_unique<SpiveyDensityModel>(); break;
        default: break;
    }
}

void SolubilityModel::setGasModelType(SM_GasModelType type) {
    if (type == gasModelType) return;
    gasModelType = type;
    createGasModel();
}

void SolubilityModel::createGasModel() {
    gasModel.reset();
    switch (gasModelType) {
        case SM_GasDMW1:
            if (systemType == SM_Brine_Hydrocarbons) {
                // The Duan vapour holds one component only.
                platform::diagf("The Duan gas model cannot hold the 15 hydrocarbons of this system\n");
                return;
            }
            gasModel = std::make_unique<DMW1>(1);
            break;
        case SM_GasSRK1: gasModel = std::make_unique<SRK1>(1, 0); break;
        case SM_GasClassicalSRK: gasModel = std::make_unique<ClassicalSRK>(1); break;
        default: return;
    }
    const char* gas = nullptr;
    switch (systemType) {
        case SM_H2O_CH4_NaCl:
        case SM_H2O_CH4: gas = "CH4"; break;
        case SM_H2O_CO2_NaCl:
        case SM_H2O_CO2: gas = "CO2"; break;
        case SM_H2O_N2_NaCl:
        case SM_H2O_N2: gas = "N2"; break;
        case SM_Brine_Hydrocarbons:
            gasCount = 15;
            gasModel->number_of_components(15);
            for (const char* name : kHydrocarbons) gasModel->add_component(name);
            for (int i = 0; i < 15; ++i) gasModel->composition_of_component(i, kHydrocarbonFractions[i]);
            return;
        default: return;
    }
    gasCount = 1;
    gasModel->number_of_components(1);
    gasModel->add_component(gas);
    gasModel->composition_of_component(0, 1.0);
}

void SolubilityModel::calculatePsatH2O() {
    Psat = WaterEOS::saturationPressureWagnerPruss(T);
    Vl = Mw / WaterEOS::saturatedLiquidDensityWagnerPruss(T);
}

void SolubilityModel::calculateSigma() {
    // Surface tension of water against its vapour (IAPWS 1994).  The
    // corresponding-states form n_c^(2/3) k Tc 5.774 tau^1.26 (1 + 0.19 tau^0.5
    // - 0.25 tau) overestimates water's by some 60 % (0.116 N/m at 25 °C
    // against 0.072), so the capillary pressures use the IAPWS value.
    water->temperature(T);
    water->calculateSigma(0.0, 0.0);
    sigma = water->sigma;
}

void SolubilityModel::solveGasModel(bool withFugacities) {
    // The gas-rich phase over the liquid: the gas model's vapour root or,
    // where the gas is condensed (CO2 below its critical temperature at high
    // pressure), its liquid root; where both exist, the stable one (the lower
    // Gibbs energy, sum of x ln f).  Every start and the phase kind are set
    // here, so that nothing an earlier state left in the gas model enters.
    FluidPhase& g = *gasModel;
    auto solveAs = [&](int kind, double start) {
        g.set_the_phase_as(kind);
        g.temperature(T);
        g.Pascal(P);
        g.Vl0 = g.Vv0 = start;
        g.volume(start);
        g.errorflag = 0;
        g.calculate_molar_volume();
        return g.errorflag == 0 && g.V > 0.0 && std::isfinite(g.V);
    };
    auto rootOf = [&](int kind) {
        return solveAs(kind, kind == 1 ? R * T / P : 7.5e-5) || solveAs(kind, kind == 1 ? 7.5e-5 : 5e-5);
    };
    auto gibbs = [&]() {
        g.calculate_fugacities();
        double G = 0.0;
        for (int i = 0; i < g.component_count; ++i)
            if (g.x[i] > 0.0) G += g.x[i] * std::log(g.fugacity[i]);
        return g.errorflag == 0 && std::isfinite(G) ? G : std::numeric_limits<double>::infinity();
    };
    const bool vapour = rootOf(1);
    const double Vvap = g.V;
    const bool liquid = rootOf(2);
    if (!vapour && !liquid) {
        g.errorflag = 1;
        return;
    }
    if (vapour && liquid && std::fabs(g.V - Vvap) > 1e-9 * Vvap) {
        // Two roots: the stable one (the state is left at it).
        const double Gliq = gibbs();
        rootOf(1);
        if (Gliq < gibbs()) rootOf(2);
    } else if (vapour && !liquid) {
        rootOf(1);
    }
    // (One root found by both searches: the state already stands at it.)
    if (withFugacities) g.calculate_fugacities();
}

void SolubilityModel::calculateVapourMolarVolume() {
    if (gasModel) solveGasModel(false);
}

void SolubilityModel::calculate_vapour_fugacities() {
    fugacityError = 0;
    waterFractionOverTheLiquid();
    gasFugacityInVapour();
}

void SolubilityModel::waterFractionOverTheLiquid() {
    if (r == 0.0) {
        yw = Psat / P;
    } else {
        calculateSigma();
        yw = Psat * std::exp((P - Psat - 2.0 * sigma / r) * Vl / (R * T)) / P;
    }
}

void SolubilityModel::gasFugacityInVapour() {
    if (!(yw <= 1.0) || !gasModel || gasModel->component_count < 1) {
        // No gas phase can exist (or no gas model describes it).
        fugacityError = 1;
        return;
    }
    solveGasModel(true);
    if (gasModel->errorflag) {
        fugacityError = 1;
        return;
    }
    fv = (1.0 - yw) * gasModel->fugacity[0];
}

double SolubilityModel::sumOfGasMoleFractions() const {
    double s = 0.0;
    if (ig < 0) return s;
    for (int k = 0; k < gasCount && ig + k < component_count; ++k) s += x[ig + k];
    return s;
}

void SolubilityModel::update_composition() {
    if (compositionCode != 11 && compositionCode != 12 && compositionCode != 21 && compositionCode != 22) return;
    const double xg = xGas(), xs = xSalt();
    double a = Mw * ms, b = Mw * mg;
    switch (compositionCode) {
        case 12: b = (a + 1.0) * xg / (1.0 - xg); break;
        case 21: a = (b + 1.0) * xs / (1.0 - xs); break;
        case 22: {
            const double xw = 1.0 - xg - xs;
            if (iw >= 0) x[iw] = xw;
            b = xg / xw;
            a = xs / xw;
            break;
        }
        default: break;
    }
    compositionCode = 0;
    if (is < 0) a = 0.0;
    ms = a / Mw;
    mg = b / Mw;
    const double d = 1.0 + a + b;
    if (ig >= 0) x[ig] = b / d;
    if (is >= 0) x[is] = a / d;
    if (iw >= 0) x[iw] = 1.0 - b / d - a / d;
}

bool SolubilityModel::inRangeOfFit() {
    if (!fit.source || (T >= fit.Tmin && T <= fit.Tmax && P <= fit.Pmax && ms >= 0.0 && ms <= fit.msMax)) return true;
    platform::diagf("%s: %g K, %g bar and %g mol/kg NaCl lie outside the range of its fit (%g to %g K, up to %g bar "
                    "and %g mol/kg); no solubility is given\n",
                    fit.source, T, P * 1e-5, ms, fit.Tmin, fit.Tmax, fit.Pmax * 1e-5, fit.msMax);
    errorflag = 1;
    fugacityError = 1;
    return false;
}

void SolubilityModel::refuseSolubility(const char* why) {
    if (why)
        platform::diagf("%s: no solubility at %g K and %g bar: %s\n", modelName(), T, P * 1e-5, why);
    errorflag = 1;
    fugacityError = 1;
    // Nothing of an earlier state stands for this one's results.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    mg = fv = Vg = nan;
    if (gasModel) gasModel->withholdState();  // nor its vapour
    if (ig >= 0)
        for (int k = 0; k < gasCount && ig + k < component_count; ++k) {
            const int i = ig + k;
            x[i] = henryConstant[i] = activity[i] = fugacity[i] = nan;
        }
    if (iw >= 0) x[iw] = nan;
    if (is >= 0) x[is] = nan;
}

const char* SolubilityModel::whyNoGasPhase() const {
    if (!gasModel || gasModel->component_count < 1) return "no gas model describes the vapour";
    if (std::isnan(yw)) return "water has no vapour pressure at this temperature (above its critical point)";
    if (!(yw <= 1.0)) return "below the vapour pressure of the solution no gas phase exists over the liquid";
    return "the gas model finds no gas-rich phase at this state";
}

void SolubilityModel::calculate_gas_solubility0() {
    update_composition();
    // Each solubility is judged on its own: no flag of an earlier state stays.
    errorflag = 0;
    fugacityError = 0;
    if (!inRangeOfFit()) return refuseSolubility(nullptr);  // said
    calculatePsatH2O();
    calculate_vapour_fugacities();
    if (fugacityError) {
        // No gas phase over the liquid (below water's vapour pressure, or
        // beyond its critical point) or no vapour fugacity: no solubility.
        return refuseSolubility(whyNoGasPhase());
    }
    const long said = platform::diagnosticCount();
    calculate_aqueous_fugacities();
    if (gasCount > 1) {
        platform::diagf("Not implemented\n");
    } else if (ig >= 0) {
        const double Hg = henryConstant[ig] * activity[ig];
        if (fugacityError || !(Hg > 0.0) || !std::isfinite(Hg)) {
            // No Henry constant (or activity coefficient) for this gas here:
            // no finite solubility.  The correlation that has none says why.
            return refuseSolubility(platform::diagnosticCount() != said
                                        ? nullptr
                                        : "the model gives no Henry constant of the gas at this state");
        }
        double xw, xg, xs = 0.0;
        if (henryScale == 1) {
            mg = fv / Hg;
            const double d = 1.0 + Mw * ms + Mw * mg;
            xw = 1.0 / d;
            xg = Mw * mg / d;
            if (is >= 0) xs = Mw * ms / d;
        } else {
            xg = fv / Hg;
            xw = (1.0 - xg) / (1.0 + Mw * ms);
            if (is >= 0) xs = 1.0 - xg - xw;
            mg = xg / (xw * Mw);
        }
        x[ig] = xg;
        if (iw >= 0) x[iw] = xw;
        if (is >= 0) x[is] = xs;
        bulk_molar_weight = 1000.0 * (Mw * xw + gasMolarMass() * xg + (is >= 0 ? 0.0585 * xs : 0.0));
    }
    calculate_gas_partial_volume_();
}

void SolubilityModel::calculate_density() {
    calculate_gas_partial_volume_();
    if (!densityModel) {
        rho = 0.0;
        return;
    }
    densityModel->temperature(T);
    densityModel->pressure(P / 1e5);
    densityModel->molality(ms);
    const double rhob = densityModel->calculate_density();
    if (!std::isfinite(rhob)) errorflag = 1;  // outside the density model's range (said)
    rho = (1000.0 + 1000.0 * gasMolarMass() * mg + 58.5 * ms) / ((1000.0 + 58.5 * ms) / rhob + 1000.0 * mg * Vg);
}

void SolubilityModel::calculate_gas_solubility(double T_, double P_bar, double ms_) {
    temperature(T_);
    pressure(P_bar);
    ms = is >= 0 ? ms_ : 0.0;
    mg = 0.0;
    compositionCode = 11;
    update_composition();
    calculate_gas_solubility0();
}

double SolubilityModel::calculate_gas_partial_volume(double T_, double P_bar, double ms_, double mg_) {
    temperature(T_);
    pressure(P_bar);
    ms = is >= 0 ? ms_ : 0.0;
    mg = mg_;
    compositionCode = 11;
    update_composition();
    calculate_gas_partial_volume_();
    return Vg;
}

void SolubilityModel::calculate_bubble_pressure(double T_, double P_bar, double ms_, double mg_) {
    temperature(T_);
    ms = is >= 0 ? ms_ : 0.0;
    mg = mg_;
    compositionCode = 11;
    update_composition();
    pressure(P_bar);
    calculate_bubble_pressure();
}

double SolubilityModel::equationForBubblePoint(double P_bar, void*) {
    if (!(P_bar >= 0.0 && P_bar <= 10000.0)) {
        error = 1;
        return 0.0;
    }
    pressure(P_bar);
    calculate_aqueous_fugacities();
    calculate_vapour_fugacities();
    if (fugacityError || ig < 0) {
        error = 1;
        return 0.0;
    }
    return fugacity[ig] - fv;
}

void SolubilityModel::calculate_bubble_pressure() {
    errorflag = 0;
    calculatePsatH2O();
    const bool fromCurrent = P != 0.0;
    bubbleTargetMg = mg;
    auto run = [this](double start) {
        bubbleSolver.x0 = start;
        bubbleSolver.x1 = 1.00001 * start;
        bubbleSolver.monotone = 1;
        const double p = bubbleSolver.solve();
        if (bubbleSolver.status != 0 || !changesSignAround(p)) return false;
        // One more evaluation through the solver leaves the state at the root.
        // (Calling the bound member pointer here directly, inside this lambda,
        // is miscompiled by GCC 12 under -fsanitize=undefined: its vptr check
        // reads an uninitialised temporary, which the sanitizer build warns of
        // and which crashes when the call goes through the solver's object.)
        bubbleSolver.calcFunction(p);
        return bubbleSolver.status == 0;
    };
    // A root the secant finds beyond the correlation's range may hide a lower
    // one inside it: the bracket from the vapour pressure up finds the lowest.
    // A liquid richer in gas than the range holds has its bubble point beyond
    // it: refused (said), not extrapolated.  A root on the range's top may
    // pass it by the search's tolerance.
    auto withinFit = [this] {
        return !fit.source || (T >= fit.Tmin && T <= fit.Tmax && P <= fit.Pmax * (1.0 + 1e-5) && ms >= 0.0 &&
                               ms <= fit.msMax);
    };
    // The trials' own refusals are no failure of the search: only its
    // outcome is reported.
    enum { Found, Beyond, None } outcome = None;
    double beyondP = 0.0;
    {
        platform::ThreadLogCapture trials;
        const bool found =
            run(fromCurrent ? P / 1e5 : estimate_bubble_pressure(T, ms, mg)) ||
            (fromCurrent && run(estimate_bubble_pressure(T, ms, mg)));
        if (found && withinFit()) outcome = Found;
        else if (bracketBubblePressure()) outcome = withinFit() ? Found : Beyond;
        else if (found) outcome = Beyond;
        beyondP = P;
    }
    if (outcome == Found) {
        // A correlation of the molality alone (Spivey's) finds the root
        // without the vapour: its volume is the gas model's at the root.
        if (gasModel && !std::isfinite(gasModel->V)) {
            calculateVapourMolarVolume();
            if (gasModel->errorflag) gasModel->withholdState();
        }
        return;
    }
    if (outcome == Beyond)
        platform::diagf("%s: the bubble point of %g mol/kg of gas at %g K lies near %g bar, outside the range of its "
                        "fit; none is given\n",
                        fit.source ? fit.source : modelName(), bubbleTargetMg, T, beyondP * 1e-5);
    else
        platform::diagf("%s: no bubble point of a liquid of %g mol/kg of gas and %g mol/kg NaCl at %g K\n",
                        modelName(), bubbleTargetMg, ms, T);
    errorflag = 1;
    withholdBubblePoint();
}

void SolubilityModel::withholdBubblePoint() {
    const double none = std::numeric_limits<double>::quiet_NaN();
    P = fv = yw = none;
    if (gasModel) gasModel->withholdState();
}

bool SolubilityModel::changesSignAround(double p) {
    // The secant counts a step damped to nothing as converged, wherever it
    // stands: a root is one where the residual changes sign across it.
    const double beneath = bubbleSolver.calcFunction(p * (1.0 - 1e-7));
    if (bubbleSolver.status != 0 || !std::isfinite(beneath)) return false;
    const double above = bubbleSolver.calcFunction(p * (1.0 + 1e-7));
    if (bubbleSolver.status != 0 || !std::isfinite(above)) return false;
    return beneath == 0.0 || above == 0.0 || (beneath > 0.0) != (above > 0.0);
}

bool SolubilityModel::bracketBubblePressure() {
    // The secant fails from a start at or below water's vapour pressure (no
    // gas phase there) and may step out of the correlation's range near its
    // top.  The residual changes sign once between water's vapour pressure,
    // where the vapour is nearly all water, and the bubble pressure: grow a
    // bracket from just above the vapour pressure, drawing back from pressures
    // that cannot be evaluated, then bisect.
    auto residual = [this](double p, double& f) {
        f = bubbleSolver.calcFunction(p);
        return bubbleSolver.status == 0 && std::isfinite(f);
    };
    // The bracket stays within the correlation's range (beyond it the
    // residual may turn again) or the bubble-point equation's 10000 bar.
    const double kTop = fit.source ? std::fmin(10000.0, fit.Pmax * 1e-5 * (1.0 + 1e-5)) : 10000.0;
    // The lowest pressure with a gas phase lies a little above the vapour
    // pressure where water's own fugacity coefficient enters.
    double lo = std::fmax(1.000001 * Psat * 1e-5, 1e-6), flo = 0.0;
    while (lo < kTop && !residual(lo, flo)) lo *= 1.01;
    if (!(lo < kTop) || flo == 0.0) return false;
    double hi = std::fmin(std::fmax(2.0 * lo, 1.0), kTop), fhi = 0.0;
    double unevaluable = kTop * (1.0 + 1e-12);  // lowest pressure found not to evaluate
    for (int i = 0;; ++i) {
        if (i == 400 || !(hi - lo > 1e-12 * hi) || lo >= kTop) return false;
        if (!residual(hi, fhi)) {
            unevaluable = hi;
            hi = 0.5 * (lo + hi);
            continue;
        }
        if ((fhi > 0.0) != (flo > 0.0) || fhi == 0.0) break;
        lo = hi;
        flo = fhi;
        hi = std::fmin(std::fmin(2.0 * hi, kTop), 0.5 * (hi + unevaluable));
    }
    for (int i = 0; i < 200 && hi - lo > 1e-13 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        double fm = 0.0;
        if (!residual(mid, fm)) return false;
        if ((fm > 0.0) == (flo > 0.0) && fm != 0.0) {
            lo = mid;
            flo = fm;
        } else {
            hi = mid;
        }
    }
    double f = 0.0;
    return residual(0.5 * (lo + hi), f);  // leaves the state at the root
}

double SolubilityModel::estimate_bubble_pressure(double T_, double ms_, double mg_) const {
    const double t = T_ - 273.15;
    // Corner molalities at 1 bar (lo) and 1800 bar (hi): (t low, ms low),
    // (t high, ms low), (t low, ms high), (t high, ms high).
    static const double lo[4][4] = {{0.0023, 0, 0.0011, 0},
                                    {0.0011, 0.0181, 0.008, 0.0015},
                                    {0.0401, 0.1625, 0.0181, 0},
                                    {0.0181, 0.0707, 0.0015, 0.0058}};
    static const double hi[4][4] = {{0.793, 0.4386, 0.3063, 0.1757},
                                    {0.3063, 0.1757, 0.2051, 0.1199},
                                    {0.4386, 2.109, 0.1757, 0.8513},
                                    {0.1757, 0.8513, 0.1199, 0.5829}};
    const bool tHigh = !(t < 120.0), mHigh = !(ms_ < 3.0);
    const double wt = tHigh ? (t - 120.0) / 150.0 : t / 120.0;
    const double wm = mHigh ? (ms_ - 3.0) / 3.0 : ms_ / 3.0;
    const int c = (tHigh ? 2 : 0) + (mHigh ? 1 : 0);
    auto bilinear = [wt, wm](const double* q) {
        return (q[0] * (1.0 - wt) + q[1] * wt) * (1.0 - wm) + (q[2] * (1.0 - wt) + q[3] * wt) * wm;
    };
    const double mlo = bilinear(lo[c]), mhi = bilinear(hi[c]);
    return 1.0 + 1799.0 * (mg_ - mlo) / (mhi - mlo);
}

void SolubilityModel::calculate_water_activity() {
    double saltSlot;
    const double aw = pitzerWaterActivity(*water, T, P, ms, saltSlot, osmoticCoefficient);
    if (!std::isfinite(aw)) errorflag = 1;  // outside the activity model's range (said)
    if (is >= 0) activity[is] = saltSlot;
    if (iw >= 0) activity[iw] = aw * (1.0 - sumOfGasMoleFractions());
}

void SolubilityModel::describe() {
    calculate_gas_solubility0();
    calculate_water_activity();
}

void SolubilityModel::print(std::FILE* stream) {
    std::fprintf(stream, "T        : %12lg K (%12lg \xC2\xB0" "C)\n", T, T - 273.15);
    std::fprintf(stream, "P : %lg bar\n", P / 1e5);
    if (iw >= 0) std::fprintf(stream, "x H2O    : %12lg \n", x[iw]);
    if (ig >= 0) std::fprintf(stream, "x gas    : %12lg \n", x[ig]);
    if (is >= 0) std::fprintf(stream, "x NaCl   : %12lg \n", x[is]);
    if (gasCount > 0) std::fprintf(stream, "m gas    : %12lg mol/kg H2O\n", mg);
    if (is >= 0) std::fprintf(stream, "m NaCl   : %12lg mol/kg H2O\n", ms);
    if (gasCount > 0) std::fprintf(stream, "Vvap     : %12lg cm3/mol\n", vapourVolume() * 1e6);
    if (ig >= 0) {
        std::fprintf(stream, "Vgas(aq) : %12lg cm3/mol\n", Vg * 1e6);
        std::fprintf(stream, "Hgas(aq) : %12lg bar (%s)\n", henryConstant[ig] / 1e5,
                     henryScale == 1 ? "molality scale" : "mole fraction scale");
    }
    std::fprintf(stream, "error    : %12d\n\n", errorflag);
}

void SolubilityModel::generateLogInfo() {
    std::FILE* f = platform::openOutput("tokill.txt", "wt");
    if (!f) return;
    print(f);
    platform::closeOutput(f, "tokill.txt");
}

void SolubilityModel::test(int which) {
    switch (which) {
        case 1:
            temperature(333.15);
            pressure(400.0);
            ms = 2.0;
            mg = 0.0;
            compositionCode = 11;
            calculate_gas_solubility0();
            break;
        case 2:
            temperature(333.15);
            ms = 2.0;
            mg = 0.9873;
            compositionCode = 11;
            update_composition();
            calculate_bubble_pressure();
            break;
        case 3: calculateTheIsotherm(333.15, 2.0, 1, "0"); return;
        case 4:
            calculateTheBiphasicIsochor(473.15, 600.0, 1.0, -1.0, 1, "1", nullptr);
            calculateTheIsopleth(1.0, 0.434622, 1, "0", nullptr);
            return;
        case 5:
            setSystemType(SM_H2O_CH4_NaCl, 0);
            setDensityModelType(SM_DensityMaoDuanWagnerPruss);
            calculateTheIsotherm(333.15, 0.343, 1, "0");
            return;
        default: return;
    }
    calculate_gas_partial_volume_();
    print(stdout);
}
