#include "equilibria/IdealMixture.h"

#include <cstring>

#include "fluid/PsatCorr.h"
#include "numerics/Muller.h"
#include "platform/LogSink.h"

namespace {

// Two points of the saturation line each (critical point and normal boiling
// point), ln P linear in 1/T.
struct ClapeyronData {
    const char* name;
    double Tc, Pc, Tb, Pb;
};
constexpr ClapeyronData kClapeyron[] = {
    {"CO2", 304.21, 7382500.0, 185.0, 101325.0},
    {"CH4", 190.55, 4595500.0, 116.65, 101325.0},
    {"C1", 190.55, 4595500.0, 116.65, 101325.0},
    {"N2", 126.2, 3390000.0, 75.0, 101325.0},
};

// Antoine constants, log10(P/mmHg) = A - B/(t/degC + C).
struct AntoineData {
    const char* name;
    double A, B, C;
};
constexpr AntoineData kAntoine[] = {
    {"H2S", 7.63353, 921.83, 255.46},      {"C2H6", 6.80266, 656.4, 256.0},
    {"C2", 6.80266, 656.4, 256.0},         {"C3H8", 6.84343, 818.54, 248.677},
    {"C3", 6.84343, 818.54, 248.677},      {"iC4H10", 7.5162, 1324.67, 297.693},
    {"iC4", 7.5162, 1324.67, 297.693},     {"nC4H10", 6.80896, 935.86, 238.73},
    {"nC4", 6.80896, 935.86, 238.73},
};

}  // namespace

IdealMixture::IdealMixture() : VLE() { resetOwnPart(); }

IdealMixture::IdealMixture(FluidPhase& a, FluidPhase& b) : VLE(a, b) { resetOwnPart(); }

IdealMixture::~IdealMixture() = default;

void IdealMixture::resetOwnPart() {
    correlations.clear();
    K.clear();
    work1.clear();
    work2.clear();
    work3.clear();
    root_finder = std::make_unique<Muller>();
    Muller& r = *root_finder;
    r.obj = nullptr;
    r.fn = nullptr;
    r.x0 = r.x1 = 0.0;
    r.iter = 0;
    r.itermax = 60;
    r.status = 0;
    r.tol = 1e-9;
    r.verbose = 0;
    r.bounded = 0;
    r.xmin = -1e15;
    r.xmax = 1e15;
}

void IdealMixture::reset_to_zero() {
    VLE::reset_to_zero();
    resetOwnPart();
}

void IdealMixture::number_of_components(int n) {
    VLE::number_of_components(n);
    if (n < 1) return;
    const std::size_t m = static_cast<std::size_t>(n);
    K.assign(m, 0.0);
    correlations.clear();
    correlations.resize(m);
    work1.assign(m, 0.0);
    work2.assign(m, 0.0);
    work3.assign(m, 0.0);
}

void IdealMixture::read_component_data(int i, const char* name) {
    if (i < 0 || i >= static_cast<int>(correlations.size()) || !name) return;
    correlations[i].reset();
    for (const ClapeyronData& d : kClapeyron) {
        if (std::strcmp(name, d.name) == 0) {
            auto c = std::make_unique<Clapeyron>();
            c->set_constants(d.Tc, d.Pc, d.Tb, d.Pb);
            correlations[i] = std::move(c);
            return;
        }
    }
    for (const AntoineData& d : kAntoine) {
        if (std::strcmp(name, d.name) == 0) {
            auto c = std::make_unique<Antoine>();
            c->set_constants(d.A, d.B, d.C);
            correlations[i] = std::move(c);
            return;
        }
    }
}

double IdealMixture::Psat(int i, double T_) const {
    if (i < 0 || i >= static_cast<int>(correlations.size()) || !correlations[i]) return 0.0;
    return correlations[i]->Psat(T_);
}

double IdealMixture::Tsat(int i, double P_) const {
    if (i < 0 || i >= static_cast<int>(correlations.size()) || !correlations[i]) return 0.0;
    return correlations[i]->Tsat(P_);
}

bool IdealMixture::haveCorrelations() {
    bool ok = nc > 0 && static_cast<int>(correlations.size()) == nc;
    for (int i = 0; ok && i < nc; i++) {
        if (!correlations[i]) {
            platform::diagf("No saturation-pressure correlation for component %s\n", names[i].c_str());
            ok = false;
        }
    }
    if (!ok) error = 2;
    return ok;
}

double IdealMixture::balance(double Fv_) {
    double s = 0.0;
    for (int i = 0; i < nc; i++) {
        x[i] = z[i] / (1.0 - Fv_ + Fv_ * K[i]);
        y[i] = K[i] * x[i];
        s += x[i] - y[i];
    }
    return s;
}

double IdealMixture::equation1(double Fv_, void*) { return balance(Fv_); }

double IdealMixture::equation2(double P_, void*) {
    for (int i = 0; i < nc; i++) K[i] = Psat(i, spec_T) / P_;
    return balance(spec_nV);
}

double IdealMixture::equation3(double T_, void*) {
    for (int i = 0; i < nc; i++) K[i] = Psat(i, T_) / spec_P;
    return balance(spec_nV);
}

void IdealMixture::calculate_with_fixed_P_and_T() {
    if (!haveCorrelations()) return;
    // A solve that converges reports success even after an earlier failure.
    error = 0;
    for (int i = 0; i < nc; i++) K[i] = Psat(i, spec_T) / spec_P;
    // sum (x_i - y_i) rises monotonically with the vapour fraction: two
    // phases exist only where it changes sign between Fv = 0 (the bubble
    // condition) and Fv = 1 (the dew condition).  Without the change (a feed
    // above its bubble or below its dew pressure, or a pure feed away from
    // its saturation pressure) there is one phase and no flash.
    // The failure leaves the one phase: the feed, all liquid (at or above
    // its bubble pressure) or all vapour, not a previous flash's split.
    const double atBubble = balance(0.0), atDew = balance(1.0);
    if (!(atBubble * atDew < 0.0)) {
        error = 1;
        for (int i = 0; i < nc; i++) x[i] = y[i] = z[i];
        Fv = atBubble >= 0.0 ? 0.0 : 1.0;
        nV = total_moles * Fv;
        nL = total_moles - nV;
        return;
    }
    Muller& r = *root_finder;
    r.obj = this;
    r.fn = toEquationFn<ScalarEquationFn>(&IdealMixture::equation1);
    r.tol = 0.001;
    r.itermax = 50;
    r.x0 = 0.0;
    r.x1 = 1.0;
    Fv = r.solve();
    if (r.status != 0) {
        r.x0 = 0.0;
        r.x1 = 0.1;
        Fv = r.solve();
        if (r.status != 0) error = 1;
    }
    // The root is polished by bisection inside [0, 1] (a root the iteration
    // left outside, or short of the balance, is replaced), so that x and y
    // each sum to one to rounding.
    if (error == 0) {
        double lo = 0.0, hi = 1.0;
        if (Fv > 0.0 && Fv < 1.0) {
            const double s = balance(Fv);
            if (s < 0.0) lo = Fv;
            else if (s > 0.0) hi = Fv;
            else lo = hi = Fv;
        }
        for (int k = 0; k < 200 && hi - lo > 1e-15; k++) {
            const double mid = 0.5 * (lo + hi);
            (balance(mid) < 0.0 ? lo : hi) = mid;
        }
        Fv = 0.5 * (lo + hi);
        balance(Fv);
    }
    nV = total_moles * Fv;
    nL = total_moles - nV;
    Fv = nV / total_moles;
}

void IdealMixture::solveWidening(double lo, double hi, double& root) {
    Muller& r = *root_finder;
    for (int attempt = 0; attempt < 10; attempt++) {
        error = 0;
        r.x0 = lo;
        r.x1 = hi;
        root = r.solve();
        lo *= 0.9;
        hi *= 1.1;
        if (r.status == 0) return;
        error = 1;
    }
}

void IdealMixture::calculate_with_fixed_T_and_Fv() {
    if (!haveCorrelations()) return;
    Muller& r = *root_finder;
    r.obj = this;
    r.fn = toEquationFn<ScalarEquationFn>(&IdealMixture::equation2);
    r.tol = 1e-6;
    r.itermax = 50;
    double lo = 1e10, hi = 0.0;
    for (int i = 0; i < nc; i++) {
        const double p = Psat(i, spec_T);
        if (p > 1e-50 && p < lo) lo = p;
        if (p > hi) hi = p;
    }
    solveWidening(lo, hi, P);
}

void IdealMixture::calculate_with_fixed_P_and_Fv() {
    if (!haveCorrelations()) return;
    Muller& r = *root_finder;
    r.obj = this;
    r.fn = toEquationFn<ScalarEquationFn>(&IdealMixture::equation3);
    r.tol = 0.001;
    r.itermax = 50;
    double lo = 1e10, hi = 0.0;
    for (int i = 0; i < nc; i++) {
        const double t = Tsat(i, spec_P);
        if (t < lo) lo = t;
        if (t > hi) hi = t;
    }
    solveWidening(lo, hi, T);
}

void IdealMixture::calculateVLE() {
    VLE::initialize();
    const bool solves = problem == 12 || problem == 21 || problem == 13 || problem == 31 || problem == 15 ||
                        problem == 51 || problem == 25 || problem == 52 || problem == 23 || problem == 32;
    // Without a correlation for every component nothing is solved (error 2).
    if (solves && !haveCorrelations()) return;
    if (!solveStandardProblem()) {
        switch (problem) {
            case 15:
            case 51:
            case 25:
            case 52: {
                // Volumetric to molar vapour fraction of an ideal solution whose
                // liquid is taken ten times denser than its vapour.
                const double f = spec_Fvol;
                spec_nV = f / ((1.0 - f) * 10.0 + f);
                if (problem == 15 || problem == 51)
                    calculate_with_fixed_T_and_Fv();
                else
                    calculate_with_fixed_P_and_Fv();
                break;
            }
            case 14:
            case 24:
            case 41:
            case 42:
                break;
            default:
                reportUndefinedProblem();
                return;
        }
    }
    VLE::estimate_next_state();
}
