// Fugacities, state functions and their numeric checks.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "fluid/CriticalHeatCapacity.h"
#include "fluid/FluidPhase.h"
#include "fluid/PhaseTerms.h"
#include "platform/LogSink.h"

using phase_terms::sumOverTerms;

void FluidPhase::calculate_fugacities() {
    keepHoldValid();
    // A pure fluid whose terms hold their evaluation at this state (no term
    // has refused the state) takes its fugacity from it.
    const int n = component_count;
    if (n == 1 && !belowCoVolume() && pureFugacitiesFromState()) return;
    if (termRefusesState()) return;
    if (belowCoVolume()) {
        // At or below the co-volume there is no state: a failure, not P = 0
        // with the fugacities of the previous state.
        errorflag = 1;
        Z = 0.0;
        P = 0.0;
        for (int i = 0; i < n; i++) fugacity[i] = fugcoef[i] = 0.0;
        return;
    }
    if (n != 1)
        fugacitiesFromTerms<0>();
    else
        fugacitiesFromTerms<1>();
}

// One component, every term's pass taken from its state-function evaluation
// at this state (Interaction::fugacityPassFromState): Lambda = ln V - 1 + a + Z
// with a and Z of the pass, that is ln phi = a_res + Z - 1 - ln Z for the
// ideal gas's -ln V, from the quantities the state already holds.  The
// multiples m of ln V that parts in closed form hold are summed apart (M):
// Lambda = (1 - M) ln V - 1 + a + Z, without a logarithm where M = 1 (the
// ideal gas's -ln V in the ideal-gas part), and phi = V exp(a - 1 + Z) / Z
// where M = 0 (the -ln V in the residual terms), ln V then only for the
// stored Lambda, from a term that holds it where one does.  Z and its
// derivatives are summed term by term, each -V a_V, -a_V - V a_VV and
// -V a_TV as the term's own pass forms them, the ideal-gas part's volume
// derivatives (of -m ln V at most) with the last term's: where the ideal
// part's pass is a function of T alone the pressure and its derivatives are
// then the same numbers as the term-by-term pass gives.
bool FluidPhase::pureFugacitiesFromState() {
    Interaction::PassDerivatives id{}, d[kMaxPassTerms];
    if (ideal && !ideal->fugacityPassFromState(id)) return false;
    const std::size_t terms = interactions.size();
    if (terms > kMaxPassTerms) return false;
    for (std::size_t k = 0; k < terms; ++k)
        if (!interactions[k]->fugacityPassFromState(d[k])) return false;
    pureFugacitiesFromPasses(d, terms, id, true);
    return true;
}

// The pure fluid's fugacity from the passes d of its terms and id of its
// ideal-gas part (zero where it has none); termsHeld: the terms hold their
// evaluation at this state (ln V may be taken from them).
void FluidPhase::pureFugacitiesFromPasses(const Interaction::PassDerivatives* passes, std::size_t terms,
                                          const Interaction::PassDerivatives& id, bool termsHeld) {
    double a = 0.0, aT = 0.0, aV = 0.0, M = 0.0;
    double z = 0.0, zV = 0.0, zT = 0.0;
    for (std::size_t k = 0; k < terms; ++k) {
        Interaction::PassDerivatives d = passes[k];
        a += d.a;
        aT += d.aT;
        aV += d.aV;
        M += d.m;
        if (k + 1 == terms) {
            d.aV += id.aV;
            d.aVV += id.aVV;
            d.aTV += id.aTV;
        }
        z += -V * d.aV;
        zV += -d.aV - V * d.aVV;
        zT += -V * d.aTV;
    }
    if (terms == 0) {
        z += -V * id.aV;
        zV += -id.aV - V * id.aVV;
        zT += -V * id.aTV;
    }
    a += id.a;
    aT += id.aT;
    aV += id.aV;
    M += id.m;
    Z = z;
    dZdV = zV;
    dZdT = zT;
    auto logV = [this, termsHeld] {
        double lnV;
        if (termsHeld)
            for (const Interaction* t : interactions)
                if (t->heldLogVolume(V, lnV)) return lnV;
        return std::log(V);
    };
    double e;
    if (M == 1.0) {
        rcp[0] = a - 1.0 + z;
        e = std::exp(rcp[0]);
    } else if (M == 0.0) {
        e = V * std::exp(a - 1.0 + z);
        rcp[0] = logV() - 1.0 + a + z;
    } else {
        rcp[0] = (1.0 - M) * logV() - 1.0 + a + z;
        e = std::exp(rcp[0]);
    }
    dZdx[0] = 0.0;
    drcpdx[0][0] = 0.0;
    pureFugacitiesFromSums(e, aT + zT, 1.0 / V + aV + zV);
}

// The sums over the terms and the fugacities with their derivatives; N = 1 a
// pure fluid (its loops unrolled), N = 0 any component count.
// termsAnswered: the residual terms hold their pass at this state already
// (their model wrote it in closed form), the ideal-gas part is evaluated.
template <int N>
void FluidPhase::fugacitiesFromTerms(bool termsAnswered) {
    const int n = N == 1 ? 1 : component_count;
    Z = dZdV = dZdT = 0.0;
    const double lnV = std::log(V);
    for (int i = 0; i < n; i++) {
        rcp[i] = lnV - 1.0;
        dZdx[i] = 0.0;
        drcpdT[i] = 0.0;
        drcpdV[i] = 1.0 / V;
        for (int k = 0; k < n; k++) drcpdx[i][k] = 0.0;
    }
    for (Interaction* t : interactions) {
        if (!termsAnswered) t->calculate_fugacities();
        if (t->termError) {
            errorflag = 1;
            return;
        }
        Z += t->Z;
        dZdT += t->dZdT;
        dZdV += t->dZdV;
        for (int i = 0; i < n; i++) {
            rcp[i] += t->rcp[i];
            dZdx[i] += t->dZdx[i];
            drcpdT[i] += t->drcpdT[i];
            drcpdV[i] += t->drcpdV[i];
            for (int k = 0; k < n; k++) drcpdx[i][k] += t->drcpdx[i][k];
        }
    }
    if (ideal) {
        ideal->calculate_fugacities(lnV);
        if (ideal->termError) {
            errorflag = 1;
            return;
        }
        Z += ideal->Z;
        dZdT += ideal->dZdT;
        dZdV += ideal->dZdV;
        for (int i = 0; i < n; i++) {
            rcp[i] += ideal->rcp[i];
            drcpdT[i] += ideal->drcpdT[i];
            drcpdV[i] += ideal->drcpdV[i];
        }
    }
    if constexpr (N == 1)
        pureFugacitiesFromSums(std::exp(rcp[0]), drcpdT[0], drcpdV[0]);
    else
        fugacitiesFromSums();
}

// (a mixture's state from its residual terms in closed form takes it too)
template void FluidPhase::fugacitiesFromTerms<0>(bool);

// One component: P, the fugacity and their derivatives from Z, dZ/dV, dZ/dT,
// dZ/dx and d Lambda/dx (held), e = exp(Lambda) and Lambda's derivatives rT
// and rV, which are stored.  The pressure and its derivatives are formed as
// fugacitiesFromSums forms them.
void FluidPhase::pureFugacitiesFromSums(double e, double rT, double rV) {
    const double RTV = R * T / V;
    const double p = Z * RTV;
    const double iZ = 1.0 / Z;
    const double phi = e * iZ;
    const double x0 = x[0];
    const double pV = (dZdV - Z / V) * RTV;
    const double zP = dZdV / pV;
    const double zx = dZdx[0];
    const double px = zx * RTV;
    const double ipV = 1.0 / pV;
    const double rP = rV * ipV;
    const double pT = dZdT * RTV + R * Z / V;
    const double vT = -pT / pV;
    const double vx = -px * ipV;
    P = p;
    dPdV = pV;
    dZdP = zP;
    dPdT = pT;
    dVdT = vT;
    drcpdT[0] = rT;
    drcpdV[0] = rV;
    drcpdP[0] = rP;
    dPdx[0] = px;
    dVdx[0] = vx;
    fugcoef[0] = phi;
    fugacity[0] = x0 * p * phi;
    if (!std::isfinite(p) || !std::isfinite(phi)) errorflag = 1;  // a term outside its range (NaN)
    const double cT = (rT - dZdT * iZ) * phi;
    const double cV = (rV - dZdV * iZ) * phi;
    const double cP = (rP - zP * iZ) * phi;
    const double cx = (drcpdx[0][0] - zx * iZ) * phi;
    dfugcoefdT[0] = cT;
    dfugcoefdV[0] = cV;
    dfugcoefdP[0] = cP;
    dfugcoefdx[0][0] = cx;
    const double fV = (p * cV + pV * phi) * x0;
    dfugacitydV[0] = fV;
    dfugacitydP[0] = (p * cP + phi) * x0;
    // From constant volume to constant pressure.
    dfugacitydT[0] = (p * cT + pT * phi) * x0 + fV * vT;
    dfugacitydx[0][0] = (x0 * px + p) * phi + p * x0 * cx + fV * vx;
}

// P, the fugacities and their derivatives from Z, rcp and their derivatives.
void FluidPhase::fugacitiesFromSums() {
    const int n = component_count;
    const double RTV = R * T / V;
    P = Z * RTV;
    bool finite = std::isfinite(P);
    for (int i = 0; i < n; i++) {
        fugcoef[i] = std::exp(rcp[i]) / Z;
        fugacity[i] = x[i] * P * fugcoef[i];
        finite = finite && std::isfinite(fugcoef[i]);
    }
    if (!finite) errorflag = 1;  // a term outside its range (NaN) gives no fugacities
    dPdV = (dZdV - Z / V) * RTV;
    dZdP = dZdV / dPdV;
    for (int i = 0; i < n; i++) {
        dPdx[i] = dZdx[i] * RTV;
        drcpdP[i] = drcpdV[i] / dPdV;
    }
    dPdT = dZdT * RTV + R * Z / V;
    dVdT = -dPdT / dPdV;
    for (int i = 0; i < n; i++) {
        const double phi = fugcoef[i];
        dVdx[i] = -dPdx[i] / dPdV;
        dfugcoefdT[i] = (drcpdT[i] - dZdT / Z) * phi;
        dfugcoefdV[i] = (drcpdV[i] - dZdV / Z) * phi;
        dfugcoefdP[i] = (drcpdP[i] - dZdP / Z) * phi;
        for (int k = 0; k < n; k++) dfugcoefdx[i][k] = (drcpdx[i][k] - dZdx[k] / Z) * phi;
    }
    for (int i = 0; i < n; i++) {
        const double phi = fugcoef[i];
        dfugacitydT[i] = (P * dfugcoefdT[i] + dPdT * phi) * x[i];
        dfugacitydV[i] = (P * dfugcoefdV[i] + dPdV * phi) * x[i];
        dfugacitydP[i] = (P * dfugcoefdP[i] + phi) * x[i];
        for (int k = 0; k < n; k++) {
            if (k != i)
                dfugacitydx[i][k] = (P * dfugcoefdx[i][k] + dPdx[k] * phi) * x[i];
            else
                dfugacitydx[i][k] = (x[i] * dPdx[i] + P) * phi + P * x[i] * dfugcoefdx[i][i];
        }
    }
    // From constant volume to constant pressure.
    for (int i = 0; i < n; i++) {
        dfugacitydT[i] += dfugacitydV[i] * dVdT;
        for (int k = 0; k < n; k++) dfugacitydx[i][k] += dfugacitydV[i] * dVdx[k];
    }
}

void FluidPhase::calculate_state_functions() {
    if (termRefusesState()) return;
    // An ideal-gas part without its data (a component missing from the
    // standard-state file, a fluid in reduced variables) would give Cv = -R,
    // w = 0 and a wrong S: the quantities that need it are not given (NaN,
    // the part says why once).  The state itself stands: pressure, its
    // derivatives and the fugacities do not depend on the ideal gas.
    Ideal* part = ideal ? ideal->asIdealPart() : nullptr;
    const bool idealGas = !part || part->hasData();
    double a = 0, aT = 0, aTT = 0, aTV = 0, aV = 0, aVV = 0;
    const bool ok = sumOverTerms<&Interaction::calculate_state_functions>(*this, [&](const Interaction& t) {
        a += t.A;
        aT += t.AT;
        aTT += t.ATT;
        aTV += t.ATv;
        aV += t.Av;
        aVV += t.Avv;
    });
    if (!ok) {
        errorflag = 1;
        return;
    }
    stateFunctionsFromSums({a, aT, aTT, aV, aVV, aTV}, idealGas);
}

// A, P, U, H, S, G, the heat capacities, the sound speed and the derivatives
// from the reduced Helmholtz energy a = A/(RT) of the whole fluid and its
// derivatives; idealGas false: the quantities that need the ideal gas are
// not given.
void FluidPhase::stateFunctionsFromSums(const TermInClosedForm& sums, bool idealGas) {
    const double a = sums.a, aT = sums.aT, aTT = sums.aTT, aV = sums.aV, aVV = sums.aVV, aTV = sums.aTV;
    const double RT = R * T;
    A = RT * a;
    P = -RT * aV;
    Z = -V * aV;
    U = -RT * T * aT;
    dAdV = RT * aV;
    H = -(RT * T * aT + RT * aV * V);
    G = A - RT * aV * V;
    S = (-RT * T * aT - A) / T;
    // The energies of a term outside its range (NaN) are no state functions.
    // Cp, the compressibility and the Joule-Thomson coefficient may diverge at
    // a critical point and are not tested here.
    if (!std::isfinite(A) || !std::isfinite(H) || !std::isfinite(S) || !std::isfinite(P)) errorflag = 1;

    dZdT = -V * aTV;
    dSdTv = -2.0 * R * aT - RT * aTT;
    dSdVt = -R * aV - RT * aTV;
    dPdT = dSdVt;
    Cv = -2.0 * RT * aT - RT * T * aTT;
    dHdTv = Cv + V * dPdT;
    d2AdV2 = RT * aVV;
    dHdVt = -RT * T * aTV - RT * aVV * V - RT * aV;

    Cp = (R * V * aVV + RT * aTV + R * aV) * (T * aTV + aV) / aVV + dHdTv;

    dZdV = -aVV * V - aV;
    dPdV = -RT * aVV;
    dVdT = -dPdT / dPdV;

    jouleThomson = -(dHdVt / dPdV) / (dHdTv - dHdVt * dPdT / dPdV);

    dAdT = RT * aT + R * a;
    d2AdT2 = 2.0 * R * aT + RT * aTT;
    d2AdTdV = RT * aTV + R * aV;

    double M = 0.0;
    for (int i = 0; i < component_count; i++) M += x[i] * molar_mass[i];
    if (M > 0) bulk_molar_weight = M;
    const double c2 = (d2AdV2 + d2AdTdV * dPdT / d2AdT2) * V * V / bulk_molar_weight;
    // A negative c2 (inside the spinodal, or a model outside its range) is no
    // sound speed: not given, never 0.
    soundSpeed = (bulk_molar_weight > 0 && c2 >= 0) ? std::sqrt(c2) : std::nan("");
    if (!idealGas) withholdStateFunctions(false);
}

// While one lives, the phase is evaluated at several volumes at one
// temperature and composition (the two sides of a saturation point): the
// parts of its terms free of the volume keep what the first evaluation
// computed.  Each evaluation gives the same numbers as without it, provided
// that the evaluations in it are of one kind (all calculate_state_functions,
// or all calculate_fugacities), and that nothing but the volume changes until
// it ends.  `on` false: no hold.  A change of the temperature or the
// composition while a hold is on ends it (keepHoldValid, before every
// evaluation of the terms), so the kept parts are never read at another
// state.
FluidPhase::SameTemperature::SameTemperature(FluidPhase& p, bool on) : phase_(p), on_(on) {
    if (!on_) return;
    for (Interaction* t : phase_.interactions)
        if (t) t->holdAllButVolume();
    if (phase_.ideal) phase_.ideal->holdAllButVolume();
    phase_.heldT_ = phase_.T;
    phase_.heldX_ = phase_.x;
}

FluidPhase::SameTemperature::~SameTemperature() {
    if (on_) phase_.releaseHeldTerms();
}

void FluidPhase::releaseHeldTerms() {
    for (Interaction* t : interactions)
        if (t) t->releaseHold();
    if (ideal) ideal->releaseHold();
    heldT_ = std::numeric_limits<double>::quiet_NaN();
}

void FluidPhase::withholdStateFunctions(bool derivatives) {
    const double none = std::nan("");
    for (double* q : {&A, &U, &H, &G, &S, &dSdTv, &Cv, &dHdTv, &Cp, &jouleThomson, &dAdT, &d2AdT2, &soundSpeed})
        *q = none;
    if (derivatives)
        for (double* q : {&dPdT, &dPdV, &dVdT, &dZdT, &dZdV, &dZdP, &dSdVt, &dHdVt, &dAdV, &d2AdV2, &d2AdTdV,
                          &d3AdV3, &d3AdTdV2, &d3AdT2dV})
            *q = none;
}

void FluidPhase::withholdState() {
    const double none = std::nan("");
    withholdStateFunctions(true);
    volume(none);
    rho = Z = none;
    withholdFugacities();
}

void FluidPhase::withholdFugacities() {
    const double none = std::nan("");
    for (std::vector<double>* v : {&fugacity, &fugcoef, &aux1, &aux2, &dfugacitydT, &dfugacitydP, &dfugacitydV, &rcp,
                                   &dfugcoefdT, &dfugcoefdP, &dfugcoefdV, &drcpdT, &drcpdV, &drcpdP, &dVdx, &dZdx,
                                   &dPdx})
        std::fill(v->begin(), v->end(), none);
    for (std::vector<std::vector<double>>* m : {&dfugacitydx, &dfugcoefdx, &drcpdx})
        for (std::vector<double>& row : *m) std::fill(row.begin(), row.end(), none);
}

void FluidPhase::withholdStateOfCall(StateArguments given) {
    const double t = T, p = P, v = V;
    withholdState();
    const double none = std::nan("");
    T = given == StateArguments::VP ? none : t;
    P = given == StateArguments::TV ? none : p;
    V = given == StateArguments::TP ? none : v;
}

void FluidPhase::completeStateOfCall(StateArguments given) {
    // Whichever step refuses (the terms at this state, or fugacities that
    // are no numbers, such as a coefficient past the largest double where
    // ln phi of a component runs into the thousands), the call gives
    // nothing but its arguments: the flag never stands beside a state.
    calculate_state_functions();
    if (errorflag) {
        withholdStateOfCall(given);
        return;
    }
    calculate_fugacities();
    if (!errorflag) return;
    sayFugacitiesFail();
    withholdStateOfCall(given);
}

void FluidPhase::sayFugacitiesFail() {
    // Said once in a call's many states (a curve's), by the model's name.
    if (!platform::firstInCall(std::string("fugacities no numbers: ") + modelName())) return;
    int failed = -1;
    for (int i = 0; i < component_count && failed < 0; ++i)
        if (!std::isfinite(fugcoef[i])) failed = i;
    const double lnPhi = failed >= 0 && Z > 0.0 ? rcp[failed] - std::log(Z) : std::nan("");
    if (std::isfinite(lnPhi))
        platform::diagf("%s: no state at %.6g K and %.6g cm3/mol: the fugacity coefficient of %s there, exp(%.6g), "
                        "lies outside the range of a double\n",
                        modelName(), T, V * 1e6, componentName(failed), lnPhi);
    else
        platform::diagf("%s: no state at %.6g K and %.6g cm3/mol: its fugacities there are no numbers\n", modelName(),
                        T, V * 1e6);
}

void FluidPhase::calculate_third_order_state_derivatives() {
    double aTV = 0, aVV = 0, aTTV = 0, aTVV = 0, aVVV = 0;
    const bool ok = sumOverTerms<&Interaction::calculate>(*this, [&](const Interaction& t) {
        aTV += t.ATv;
        aVV += t.Avv;
        aTTV += t.ATTv;
        aTVV += t.ATvv;
        aVVV += t.Avvv;
    });
    if (!ok) {
        errorflag = 1;
        return;
    }
    const double RT = R * T;
    d3AdV3 = RT * aVVV;
    d3AdTdV2 = R * aVV + RT * aTVV;
    d3AdT2dV = 2.0 * R * aTV + RT * aTTV;
}

void FluidPhase::calculate_expansivity_derivative() {
    dZdT = dZdV = d2ZdT2 = d2ZdTdV = d2ZdV2 = 0.0;
    const bool ok = sumOverTerms<&Interaction::calculate_expansivity_derivative>(*this, [this](const Interaction& t) {
        dZdT += t.dZdT;
        dZdV += t.dZdV;
        d2ZdT2 += t.d2ZdT2;
        d2ZdTdV += t.d2ZdTdV;
        d2ZdV2 += t.d2ZdV2;
    });
    if (!ok) {
        errorflag = 1;
        error = 1;
        return;
    }
    const double RTV = R * T / V;
    dPdV = (dZdV - Z / V) * RTV;
    dPdT = dZdT * RTV + Z * R / V;
    d2PdT2 = d2ZdT2 * RTV + 2.0 * dZdT * R / V;
    d2PdTdV = (d2ZdTdV - dZdT / V) * RTV + (R / V) * (dZdV - Z / V);
    d2PdV2 = RTV * (d2ZdV2 - dZdV / V + Z / (V * V)) - R * T * (dZdV - Z / V) / (V * V);
    dVdT = -dPdT / dPdV;
    d2VdT2 = -d2PdT2 / dPdV + dPdT * d2PdTdV / (dPdV * dPdV) +
             (-d2PdTdV / dPdV + dPdT * d2PdV2 / (dPdV * dPdV)) * dVdT;
}

namespace {

// One value of the state report in its printf format, or "--" right-aligned
// in the same width when the model gives no finite value (a model without an
// ideal-gas part has no heat capacities or sound speed).
std::string field(const char* fmt, int width, double v) {
    char buf[64];
    if (std::isfinite(v))
        std::snprintf(buf, sizeof buf, fmt, v);
    else
        std::snprintf(buf, sizeof buf, "%*s", width, "--");
    return buf;
}

// A value in `decimals` fixed decimals where they show at least three of its
// significant digits, else in six significant digits (a vapour pressure of
// 0.00249 bar is not "0.00" bar, nor a mole fraction of 1e-7 "0.000000"),
// right-aligned in `width`; "--" where it is not finite.
std::string significant(int width, int decimals, double v) {
    const bool few = std::isfinite(v) && v != 0.0 && std::floor(std::log10(std::fabs(v))) + 1.0 + decimals < 3.0;
    char fmt[16];
    std::snprintf(fmt, sizeof fmt, few ? "%%%d.6g" : "%%%d.%df", width, decimals);
    return field(fmt, width, v);
}

}  // namespace

void FluidPhase::sayWithheldStateFunctions() {
    Ideal* part = ideal ? ideal->asIdealPart() : nullptr;
    if (!part || part->hasData()) return;
    const std::string why = part->whyNoData();
    if (why.empty() || why == withheldStateFunctionsSaid) return;
    withheldStateFunctionsSaid = why;
    // One form of a missing value in each kind of output: "--" in the
    // printed states, nan (which the column readers take as a missing value)
    // in the curve files.
    platform::warnf("%s (shown as --, and as nan in the curve files).\n", why.c_str());
}

double FluidPhase::idealMixingEntropy() const {
    double s = 0.0;
    for (int i = 0; i < component_count; i++)
        if (x[i] > 0.0) s -= R * x[i] * std::log(x[i]);
    return s;
}

void FluidPhase::dump() {
    sayWithheldStateFunctions();
    auto f12 = [](double v) { return significant(12, 6, v); };
    auto g12 = [](double v) { return field("%12lg", 12, v); };
    auto f2 = [](double v) { return significant(12, 2, v); };
    std::printf("** T %s K    ( %s\u00b0C )\n", significant(9, 2, T).c_str(), significant(9, 2, T - 273.15).c_str());
    std::printf("** P %s bar    \n", significant(9, 2, P * 1e-5).c_str());
    std::printf("-> V   %s m3/mol   %s cm3/mol     \n", g12(V).c_str(), g12(V * 1e6).c_str());
    std::printf("-> rho %s kg/m3    %s mol/dm3\n", f12(bulk_molar_weight / V).c_str(), f12(0.001 / V).c_str());
    std::printf("-> Z   %s\n", g12(Z).c_str());
    const int n = component_count;
    // Each component by its name (its index where it has none).
    auto name = [this](int i) {
        return static_cast<std::size_t>(i) < component_names.size() && !component_names[i].empty()
                   ? component_names[i]
                   : std::to_string(i);
    };
    if (n > 1) {
        if (component_names[0] == "H2O") {
            std::printf("x(%s) %s\n", name(0).c_str(), f12(x[0]).c_str());
            for (int i = 1; i < n; i++) {
                const double m = x[i] / (x[0] * molar_mass[0]);
                const double wt = 100.0 * x[i] * molar_mass[i] / bulk_molar_weight;
                std::printf("x(%s) %s  m(%s) %s  wt(%s)  %s\n", name(i).c_str(), f12(x[i]).c_str(), name(i).c_str(),
                            f12(m).c_str(), name(i).c_str(), f12(wt).c_str());
            }
        } else {
            for (int i = 0; i < n; i++) std::printf("x(%s) %s\n", name(i).c_str(), f12(x[i]).c_str());
        }
    }
    const double M = bulk_molar_weight;
    std::printf("->              h %s kJ/kg   %s kJ/mol   err %d \n", f2(H / M * 0.001).c_str(), f2(H * 0.001).c_str(),
                errorflag);
    std::printf("->              u %s kJ/kg   %s kJ/mol\n", f2(U / M * 0.001).c_str(), f2(U * 0.001).c_str());
    std::printf("->              s %s J/kg/K  %s J/mol/K\n", f2(S / M).c_str(), f2(S).c_str());
    if (n > 1) {
        // The state functions of a mixture are those of its terms and of its
        // components' ideal gases, each at the mixture's T and V, as the
        // composition derivatives of the critical and stability conditions
        // take them: the ideal mixing is said apart.
        const double sMix = idealMixingEntropy();
        std::printf("->          s_mix %s J/kg/K  %s J/mol/K  (ideal mixing, -R sum x ln x: not in s, a, g)\n",
                    f2(sMix / M).c_str(), f2(sMix).c_str());
    }
    // At a critical point cp diverges, and cv too where the model's does.
    const bool critical = compressibilityDiverges();
    if (critical && n == 1 && isochoricHeatCapacityDivergesAtCriticalPoint(*this))
        std::printf("->             cv %12s J/kg/K  %12s J/mol/K\n", "diverging", "diverging");
    else
        std::printf("->             cv %s J/kg/K  %s J/mol/K\n", f2(Cv / M).c_str(), f2(Cv).c_str());
    if (critical) {
        std::printf("->             cp %12s J/kg/K  %12s J/mol/K\n", "diverging", "diverging");
        std::printf("->          alpha %12s K-1,       beta %12s Pa-1\n", "diverging", "diverging");
    } else {
        std::printf("->             cp %s J/kg/K  %s J/mol/K\n", f2(Cp / M).c_str(), f2(Cp).c_str());
        std::printf("->          alpha %s K-1,       beta %s Pa-1\n", g12(dVdT / V).c_str(),
                    g12(-1.0 / (V * dPdV)).c_str());
    }
    // Fugacities and their coefficients to six significant digits, however
    // small (a trace, a low pressure, a salt).
    for (int i = 0; i < n; i++)
        std::printf("->    fugacity[%d] %s bar, fugcoef[%d] %s\n", i, g12(fugacity[i] * 1e-5).c_str(), i,
                    g12(fugcoef[i]).c_str());
    std::printf("->  Joule-Thomson %s K/bar\n", significant(12, 4, 1e5 * jouleThomson).c_str());
    std::printf("      Sound speed %s m/s\n", f2(soundSpeed).c_str());
}

void FluidPhase::check_expansivity_parameters() {
    std::FILE* f = std::fopen("Check.report", "w");
    if (!f) {
        platform::diagf("Cannot write Check.report\n");
        return;
    }
    const double T0 = T, V0 = V, P0 = P;
    std::fprintf(f, "T %lg\n", T);
    std::fprintf(f, "P %lg\n", P);
    calculate_pressure();
    calculate_expansivity_derivative();
    std::fprintf(f, "dZdT    %lg\n", dZdT);
    std::fprintf(f, "dZdV    %lg\n", dZdV);
    std::fprintf(f, "d2ZdT2  %lg\n", d2ZdT2);
    std::fprintf(f, "d2ZdTdV %lg\n", d2ZdTdV);
    std::fprintf(f, "d2ZdV2  %lg\n\n", d2ZdV2);
    std::fprintf(f, "dPdT    %lg\n", dPdT);
    std::fprintf(f, "dPdV    %lg\n", dPdV);
    std::fprintf(f, "d2PdT2  %lg\n", d2PdT2);
    std::fprintf(f, "d2PdTdV %lg\n", d2PdTdV);
    std::fprintf(f, "d2PdV2  %lg\n\n", d2PdV2);

    struct Point {
        double Z, dZdT, dZdV, P, dPdT, dPdV;
    };
    auto at = [this](double t, double v) {
        temperature(t);
        volume(v);
        calculate_pressure();
        calculate_expansivity_derivative();
        return Point{Z, dZdT, dZdV, P, dPdT, dPdV};
    };
    const Point tp = at(T0 + 1e-5, V0), tm = at(T0 - 1e-5, V0);
    const Point vp = at(T0, V0 + 1e-9), vm = at(T0, V0 - 1e-9);
    temperature(T0);
    volume(V0);
    std::fprintf(f, "Numerical derivatives\n\n");
    std::fprintf(f, "dZdT    %lg\n", (tp.Z - tm.Z) / 2e-5);
    std::fprintf(f, "dZdV    %lg\n", (vp.Z - vm.Z) / 2e-9);
    std::fprintf(f, "d2ZdT2  %lg\n", (tp.dZdT - tm.dZdT) / 2e-5);
    std::fprintf(f, "d2ZdTdV %lg\n", (vp.dZdT - vm.dZdT) / 2e-9);
    std::fprintf(f, "d2ZdV2  %lg\n", (vp.dZdV - vm.dZdV) / 2e-9);
    std::fprintf(f, "dPdT    %lg\n", (tp.P - tm.P) / 2e-5);
    std::fprintf(f, "dPdV    %lg\n", (vp.P - vm.P) / 2e-9);
    std::fprintf(f, "d2PdT2  %lg\n", (tp.dPdT - tm.dPdT) / 2e-5);
    std::fprintf(f, "d2PdTdV %lg\n", (vp.dPdT - vm.dPdT) / 2e-9);
    std::fprintf(f, "d2PdV2  %lg\n", (vp.dPdV - vm.dPdV) / 2e-9);

    auto atP = [this, P0](double t) {
        temperature(t);
        P = P0;
        calculate_molar_volume();
        calculate_expansivity_derivative();
        return std::pair<double, double>(V, dVdT);
    };
    const auto c = atP(T0);
    std::fprintf(f, "\nAnalytical derivatives\n");
    std::fprintf(f, "dVdT    %lg\n", c.second);
    std::fprintf(f, "d2VdT2  %lg\n", d2VdT2);
    const auto p = atP(T0 + 1e-5), m = atP(T0 - 1e-5);
    atP(T0);
    std::fprintf(f, "\nNumerical derivatives\n");
    std::fprintf(f, "dVdT    %lg\n", (p.first - m.first) / 2e-5);
    std::fprintf(f, "d2VdT2  %lg\n", (p.second - m.second) / 2e-5);
    std::fclose(f);
}

namespace {

void printVector(const char* label, const std::vector<double>& v) {
    std::printf("%s", label);
    for (double e : v) std::printf("%lg ", e);
    std::printf("\n");
}

void printMatrix(const char* label, const std::vector<std::vector<double>>& m) {
    std::printf("%s", label);
    for (const auto& row : m) {
        for (double e : row) std::printf("%lg ", e);
        std::printf("\n");
    }
}

// The fugacities' analytic derivatives in T, P and x against central
// differences at constant P; the state is left at (T0, P0).
void checkFugacitiesAtConstantP(FluidPhase& fl, double T0, double P0) {
    const int n = fl.component_count;
    auto vec = printVector;
    auto mat = printMatrix;
    std::printf("T %lg\n", fl.T);
    std::printf("P %lg\n", fl.P * 1e-5);
    std::printf("x ");
    for (int i = 0; i < n; i++) std::printf("%lg ", fl.x[i]);
    std::printf("\n\n");
    fl.calculate_molar_volume();
    fl.calculate_fugacities();
    std::printf("Fugacities ");
    for (int i = 0; i < n; i++) std::printf("%lg  ", fl.fugacity[i] * 1e-5);
    std::printf("\nFugacity coefficients");
    for (int i = 0; i < n; i++) std::printf("%lg  ", fl.fugcoef[i]);
    std::printf("\n\n");
    std::printf("Analytical derivatives as a function of T, P and x variables\n");
    vec("dfugacitydT ", fl.dfugacitydT);
    vec("dfugacitydP ", fl.dfugacitydP);
    mat("dfugacitydx ", fl.dfugacitydx);

    // At constant P.
    auto fugAtTP = [&fl](double t, double pa) {
        fl.temperature(t);
        fl.P = pa;
        fl.calculate_molar_volume();
        fl.calculate_fugacities();
        return fl.fugacity;
    };
    std::printf("Numerical derivatives\n");
    {
        const auto fp = fugAtTP(T0 + 1e-5, P0), fm = fugAtTP(T0 - 1e-5, P0);
        std::vector<double> d(n);
        for (int i = 0; i < n; i++) d[i] = (fp[i] - fm[i]) / 2e-5;
        vec("dfugacitydT ", d);
        const auto gp = fugAtTP(T0, P0 + 1e-4), gm = fugAtTP(T0, P0 - 1e-4);
        for (int i = 0; i < n; i++) d[i] = (gp[i] - gm[i]) / 2e-4;
        vec("dfugacitydP ", d);
        std::vector<std::vector<double>> dx(n, std::vector<double>(n));
        for (int k = 0; k < n; k++) {
            const double xk = fl.x[k];
            fl.composition_of_component(k, xk + 1e-5);
            const auto hp = fugAtTP(T0, P0);
            fl.composition_of_component(k, xk - 1e-5);
            const auto hm = fugAtTP(T0, P0);
            fl.composition_of_component(k, xk);
            for (int i = 0; i < n; i++) dx[i][k] = (hp[i] - hm[i]) / 2e-5;
        }
        mat("dfugacitydx ", dx);
    }
    fugAtTP(T0, P0);
}

// The derivatives of Z, P, the residual chemical potentials, the fugacity
// coefficients and the fugacities in T, V and x against central differences
// at constant V; the state is left at (T0, V0).
void checkFugacitiesAtConstantV(FluidPhase& fl, double T0) {
    const int n = fl.component_count;
    auto vec = printVector;
    auto mat = printMatrix;
    const double V0 = fl.V;
    std::printf("T %lg\n", fl.T);
    std::printf("P %lg\n", fl.P * 1e-5);
    std::printf("V %lg\n", fl.V);
    std::printf("x ");
    for (int i = 0; i < n; i++) std::printf("%lg ", fl.x[i]);
    std::printf("\n");
    std::printf("Analytical derivatives as a function of T, V and x variables\n");
    std::printf("dZdT       %lg\n", fl.dZdT);
    std::printf("dPdT       %lg\n", fl.dPdT);
    vec("drcpdT      ", fl.drcpdT);
    vec("dfugcoefdT  ", fl.dfugcoefdT);
    vec("dfugacitydT ", fl.dfugacitydT);
    std::printf("dZdV       %lg\n", fl.dZdV);
    std::printf("dPdV       %lg\n", fl.dPdV);
    vec("dfugcoefdV ", fl.dfugcoefdV);
    vec("dfugacitydV ", fl.dfugacitydV);
    std::printf("dZdP       %lg\n", fl.dZdP);
    vec("drcpdV      ", fl.drcpdV);
    vec("dZdx        ", fl.dZdx);
    vec("dPdx        ", fl.dPdx);
    mat("drcpdx      ", fl.drcpdx);
    mat("dfugcoefdx  ", fl.dfugcoefdx);
    vec("dfugcoefdP  ", fl.dfugcoefdP);
    mat("dfugacitydx ", fl.dfugacitydx);

    struct Snap {
        double Z, P;
        std::vector<double> rcp, phi, f;
    };
    auto atTV = [&fl](double t, double v) {
        fl.temperature(t);
        fl.volume(v);
        fl.calculate_pressure();
        fl.calculate_fugacities();
        return Snap{fl.Z, fl.P, fl.rcp, fl.fugcoef, fl.fugacity};
    };
    std::printf("Numerical derivatives\n");
    std::vector<double> d(n);
    {
        const Snap p = atTV(T0 + 1e-5, V0), m = atTV(T0 - 1e-5, V0);
        std::printf("dZdT       %lg\n", (p.Z - m.Z) / 2e-5);
        std::printf("dPdT       %lg\n", (p.P - m.P) / 2e-5);
        for (int i = 0; i < n; i++) d[i] = (p.rcp[i] - m.rcp[i]) / 2e-5;
        vec("drcpdT     ", d);
        for (int i = 0; i < n; i++) d[i] = (p.phi[i] - m.phi[i]) / 2e-5;
        vec("dfugcoefdT ", d);
        for (int i = 0; i < n; i++) d[i] = (p.f[i] - m.f[i]) / 2e-5;
        vec("dfugacitydT ", d);
    }
    {
        const Snap p = atTV(T0, V0 + 1e-11), m = atTV(T0, V0 - 1e-11);
        std::printf("dZdV       %lg\n", (p.Z - m.Z) / 2e-11);
        std::printf("dPdV       %lg\n", (p.P - m.P) / 2e-11);
        for (int i = 0; i < n; i++) d[i] = (p.phi[i] - m.phi[i]) / 2e-11;
        vec("dfugcoefdV ", d);
        for (int i = 0; i < n; i++) d[i] = (p.f[i] - m.f[i]) / 2e-11;
        vec("dfugacitydV ", d);
        std::printf("dZdP       %lg\n", (p.Z - m.Z) / (p.P - m.P));
        for (int i = 0; i < n; i++) d[i] = (p.rcp[i] - m.rcp[i]) / 2e-11;
        vec("drcpdV    ", d);
    }
    {
        std::vector<double> dz(n), dp(n);
        std::vector<std::vector<double>> dr(n, std::vector<double>(n)), dphi = dr, df = dr;
        for (int k = 0; k < n; k++) {
            const double xk = fl.x[k];
            fl.composition_of_component(k, xk + 1e-5);
            const Snap p = atTV(T0, V0);
            fl.composition_of_component(k, xk - 1e-5);
            const Snap m = atTV(T0, V0);
            fl.composition_of_component(k, xk);
            dz[k] = (p.Z - m.Z) / 2e-5;
            dp[k] = (p.P - m.P) / 2e-5;
            for (int i = 0; i < n; i++) {
                dr[i][k] = (p.rcp[i] - m.rcp[i]) / 2e-5;
                dphi[i][k] = (p.phi[i] - m.phi[i]) / 2e-5;
                df[i][k] = (p.f[i] - m.f[i]) / 2e-5;
            }
        }
        vec("dZdx", dz);
        vec("dPdx", dp);
        mat("drcpdx", dr);
        mat("dfugcoefdx", dphi);
        mat("dfugacitydx", df);
    }
    atTV(T0, V0);
}

}  // namespace

void FluidPhase::check_fugacities() {
    const double T0 = T, P0 = P;
    checkFugacitiesAtConstantP(*this, T0, P0);
    checkFugacitiesAtConstantV(*this, T0);
    P = P0;
}
