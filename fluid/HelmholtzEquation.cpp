// Reference equations in the reduced Helmholtz energy, evaluated from their
// published coefficients (see HelmholtzEquation.h).
#include "fluid/HelmholtzEquation.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

#include "fluid/ReferenceFluids.h"
#include "fluid/ResidualInDelta.h"
#include "numerics/Jet.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
using T_ = HelmholtzTerm;

constexpr T_ poly(double n, double d, double t) { return {T_::kPolynomial, n, d, t}; }
constexpr T_ expo(double n, double d, double t, double c) { return {T_::kExponential, n, d, t, c}; }
constexpr T_ gauss(double n, double d, double t, double alpha, double beta, double gamma, double eps) {
    return {T_::kGaussian, n, d, t, 0.0, alpha, beta, gamma, eps};
}
constexpr T_ nonAnalytic(double n, double a, double b, double beta, double A, double B, double C, double D) {
    return {T_::kNonAnalytic, n, 0.0, 0.0, 0.0, 0.0, beta, 0.0, 0.0, a, b, A, B, C, D};
}

// Span & Wagner (1996), Table 31: the residual part's 42 terms.
constexpr T_ kCO2Terms[] = {
    poly(0.38856823203161e0, 1, 0.00),
    poly(0.29385475942740e1, 1, 0.75),
    poly(-0.55867188534934e1, 1, 1.00),
    poly(-0.76753199592477e0, 1, 2.00),
    poly(0.31729005580416e0, 2, 0.75),
    poly(0.54803315897767e0, 2, 2.00),
    poly(0.12279411220335e0, 3, 0.75),
    expo(0.21658961543220e1, 1, 1.50, 1),
    expo(0.15841735109724e1, 2, 1.50, 1),
    expo(-0.23132705405503e0, 4, 2.50, 1),
    expo(0.58116916431436e-1, 5, 0.00, 1),
    expo(-0.55369137205382e0, 5, 1.50, 1),
    expo(0.48946615909422e0, 5, 2.00, 1),
    expo(-0.24275739843501e-1, 6, 0.00, 1),
    expo(0.62494790501678e-1, 6, 1.00, 1),
    expo(-0.12175860225246e0, 6, 2.00, 1),
    expo(-0.37055685270086e0, 1, 3.00, 2),
    expo(-0.16775879700426e-1, 1, 6.00, 2),
    expo(-0.11960736637987e0, 4, 3.00, 2),
    expo(-0.45619362508778e-1, 4, 6.00, 2),
    expo(0.35612789270346e-1, 4, 8.00, 2),
    expo(-0.74427727132052e-2, 7, 6.00, 2),
    expo(-0.17395704902432e-2, 8, 0.00, 2),
    expo(-0.21810121289527e-1, 2, 7.00, 3),
    expo(0.24332166559236e-1, 3, 12.00, 3),
    expo(-0.37440133423463e-1, 3, 16.00, 3),
    expo(0.14338715756878e0, 5, 22.00, 4),
    expo(-0.13491969083286e0, 5, 24.00, 4),
    expo(-0.23151225053480e-1, 6, 16.00, 4),
    expo(0.12363125492901e-1, 7, 24.00, 4),
    expo(0.21058321972940e-2, 8, 8.00, 4),
    expo(-0.33958519026368e-3, 10, 2.00, 4),
    expo(0.55993651771592e-2, 4, 28.00, 5),
    expo(-0.30335118055646e-3, 8, 14.00, 6),
    gauss(-0.21365488688320e3, 2, 1.00, 25, 325, 1.16, 1),
    gauss(0.26641569149272e5, 2, 0.00, 25, 300, 1.19, 1),
    gauss(-0.24027212204557e5, 2, 1.00, 25, 300, 1.19, 1),
    gauss(-0.28341603423999e3, 3, 3.00, 15, 275, 1.25, 1),
    gauss(0.21247284400179e3, 3, 3.00, 20, 275, 1.22, 1),
    nonAnalytic(-0.66642276540751e0, 3.5, 0.875, 0.3, 0.7, 0.3, 10.0, 275),
    nonAnalytic(0.72608632349897e0, 3.5, 0.925, 0.3, 0.7, 0.3, 10.0, 275),
    nonAnalytic(0.55068668612842e-1, 3.0, 0.875, 0.3, 0.7, 1.0, 12.5, 275),
};

// Setzmann & Wagner (1991), Table 8: the residual part's 40 terms.
constexpr T_ kCH4Terms[] = {
    poly(0.4367901028e-1, 1, -0.5),
    poly(0.6709236199e0, 1, 0.5),
    poly(-0.1765577859e1, 1, 1.0),
    poly(0.8582330241e0, 2, 0.5),
    poly(-0.1206513052e1, 2, 1.0),
    poly(0.5120467220e0, 2, 1.5),
    poly(-0.4000010791e-3, 2, 4.5),
    poly(-0.1247842423e-1, 3, 0.0),
    poly(0.3100269701e-1, 4, 1.0),
    poly(0.1754748522e-2, 4, 3.0),
    poly(-0.3171921605e-5, 8, 1.0),
    poly(-0.2240346840e-5, 9, 3.0),
    poly(0.2947056156e-6, 10, 3.0),
    expo(0.1830487909e0, 1, 0.0, 1),
    expo(0.1511883679e0, 1, 1.0, 1),
    expo(-0.4289363877e0, 1, 2.0, 1),
    expo(0.6894002446e-1, 2, 0.0, 1),
    expo(-0.1408313996e-1, 4, 0.0, 1),
    expo(-0.3063054830e-1, 5, 2.0, 1),
    expo(-0.2969906708e-1, 6, 2.0, 1),
    expo(-0.1932040831e-1, 1, 5.0, 2),
    expo(-0.1105739959e0, 2, 5.0, 2),
    expo(0.9952548995e-1, 3, 5.0, 2),
    expo(0.8548437825e-2, 4, 2.0, 2),
    expo(-0.6150555662e-1, 4, 4.0, 2),
    expo(-0.4291792423e-1, 3, 12.0, 3),
    expo(-0.1813207290e-1, 5, 8.0, 3),
    expo(0.3445904760e-1, 5, 10.0, 3),
    expo(-0.2385919450e-2, 8, 10.0, 3),
    expo(-0.1159094939e-1, 2, 10.0, 4),
    expo(0.6641693602e-1, 3, 14.0, 4),
    expo(-0.2371549590e-1, 4, 12.0, 4),
    expo(-0.3961624905e-1, 4, 18.0, 4),
    expo(-0.1387292044e-1, 4, 22.0, 4),
    expo(0.3389489599e-1, 5, 18.0, 4),
    expo(-0.2927378753e-2, 6, 14.0, 4),
    gauss(0.9324799946e-4, 2, 2.0, 20, 200, 1.07, 1),
    gauss(-0.6287171518e1, 0, 0.0, 40, 250, 1.11, 1),
    gauss(0.1271069467e2, 0, 1.0, 40, 250, 1.11, 1),
    gauss(-0.6423953466e1, 0, 2.0, 40, 250, 1.11, 1),
};

// The two equations, each with its own gas constant R = 8.31451 J/(mol K)
// over its molar mass.  Span & Wagner: M = 44.0098 g/mol, Tc = 304.1282 K,
// rhoc = 467.6 kg/m3, the ideal part of their Table 27.  Setzmann & Wagner:
// M = 16.0428 g/mol, Tc = 190.564 K, rhoc = 10.139 mol/dm3 (162.66 kg/m3),
// the ideal part of their Table 7, theta_i = Theta_i/Tc with Theta = 648,
// 1957, 3895, 5705 and 15080 K.
constexpr HelmholtzEquation kSpanWagner{
    "Span & Wagner 1996", 304.1282, 467.6, 8.31451 / 0.0440098, 2.5, 5,
    {1.99427042, 0.62105248, 0.41195293, 1.04028922, 0.08327678}, {3.15163, 6.11190, 6.77708, 11.32384, 27.08792},
    kCO2Terms, static_cast<int>(std::size(kCO2Terms))};
constexpr HelmholtzEquation kSetzmannWagner{
    "Setzmann & Wagner 1991", 190.564, 162.66, 8.31451 / 0.0160428, 3.0016, 5,
    {0.008449, 4.6942, 3.4865, 1.6572, 1.4115}, {3.4004324, 10.26951575, 20.43932747, 29.93744884, 79.13351945},
    kCH4Terms, static_cast<int>(std::size(kCH4Terms))};

// A term f = n delta^d tau^t E(delta) G(tau): its derivatives from the
// logarithmic ones, L = d ln f / d delta and M = d ln f / d tau.
void addSeparable(HelmholtzDerivatives& r, double f, double L, double dL, double M, double dM) {
    r.f += f;
    r.d += f * L;
    r.dd += f * (L * L + dL);
    r.t += f * M;
    r.tt += f * (M * M + dM);
    r.dt += f * L * M;
}

// The residual part's phi and its first two derivatives in delta at one tau.
using InDelta = univariate::Jet<2, double>;

// The non-analytic term n Delta^b delta psi (Wagner & Pruss 2002, Table 6.5):
// the parts of its delta derivative (Delta^b, psi and their delta
// derivatives), false where Delta is not positive (the term vanishes).  The
// powers of (delta - 1)^2 and of Delta the derivatives ask are taken from
// xe = ((delta - 1)^2)^ex, xa = ((delta - 1)^2)^a and Delta^b by division
// (delta is never 1 here: see residual).
struct NonAnalyticParts {
    double x, x2, y, ex, xe, xa, theta, Delta, psi, psiD, dDelta, Db, Db1, DbD;
};
// Whether two non-analytic terms share everything but n and b (Span &
// Wagner's first two): the parts of one serve the other up to Delta^b.
bool sameShape(const HelmholtzTerm& k, const HelmholtzTerm& o) {
    return k.a == o.a && k.beta == o.beta && k.A == o.A && k.B == o.B && k.C == o.C && k.D == o.D;
}

// x2^a: by products where 2a is a whole number up to 16 (|x| = sqrt(x2)).
double powerOfSquare(double x2, double absX, double a) {
    const double twice = 2.0 * a;
    if (!(twice >= 0.0 && twice <= 16.0 && twice == std::floor(twice))) return std::pow(x2, a);
    double r = static_cast<int>(twice) % 2 ? absX : 1.0;
    for (int i = 0; i < static_cast<int>(twice) / 2; ++i) r *= x2;
    return r;
}

// The parts of term k at (delta, tau); `shaped`, where given, a term of the
// same shape whose parts p holds at the same point.
bool nonAnalyticParts(const HelmholtzTerm& k, double delta, double tau, NonAnalyticParts& p,
                      const HelmholtzTerm* shaped = nullptr) {
    if (!shaped || !sameShape(k, *shaped)) {
        p.x = delta - 1.0, p.x2 = p.x * p.x, p.y = tau - 1.0;
        const double x = p.x, x2 = p.x2, y = p.y;
        p.ex = 1.0 / (2.0 * k.beta);
        p.xe = std::pow(x2, p.ex), p.xa = powerOfSquare(x2, std::fabs(x), k.a);
        p.theta = (1.0 - tau) + k.A * p.xe;
        p.Delta = p.theta * p.theta + k.B * p.xa;
        p.psi = std::exp(-k.C * x2 - k.D * y * y);
        p.psiD = -2.0 * k.C * x * p.psi;
        p.dDelta = x * (k.A * p.theta * 2.0 / k.beta * (p.xe / x2) + 2.0 * k.B * k.a * (p.xa / x2));
    }
    if (!(p.Delta > 0.0)) return false;
    p.Db = std::pow(p.Delta, k.b), p.Db1 = p.Db / p.Delta;
    p.DbD = k.b * p.Db1 * p.dDelta;
    return true;
}
double nonAnalyticDelta(const HelmholtzTerm& k, const NonAnalyticParts& p, double delta) {
    return k.n * (p.Db * (p.psi + delta * p.psiD) + p.DbD * delta * p.psi);
}

// The term and its first two delta derivatives.
InDelta nonAnalyticInDelta(const HelmholtzTerm& k, const NonAnalyticParts& p, double delta) {
    const double x = p.x, x2 = p.x2, ex = p.ex, psi = p.psi, psiD = p.psiD, dDelta = p.dDelta;
    const double psiDD = (2.0 * k.C * x2 - 1.0) * 2.0 * k.C * psi;
    const double xe1 = p.xe / x2, x4 = x2 * x2;
    const double ddDelta = dDelta / x + x2 * (4.0 * k.B * k.a * (k.a - 1.0) * (p.xa / x4) +
                                              2.0 * k.A * k.A / (k.beta * k.beta) * (xe1 * xe1) +
                                              k.A * p.theta * 4.0 / k.beta * (ex - 1.0) * (p.xe / x4));
    const double b = k.b, Db2 = p.Db1 / p.Delta;
    const double DbDD = b * (p.Db1 * ddDelta + (b - 1.0) * Db2 * dDelta * dDelta);
    InDelta j;
    j.f[0] = k.n * p.Db * delta * psi;
    j.f[1] = nonAnalyticDelta(k, p, delta);
    j.f[2] = k.n * (p.Db * (2.0 * psiD + delta * psiDD) + 2.0 * p.DbD * (psi + delta * psiD) + DbDD * delta * psi);
    return j;
}

void addNonAnalytic(HelmholtzDerivatives& r, const HelmholtzTerm& k, double delta, double tau) {
    NonAnalyticParts p;
    if (!nonAnalyticParts(k, delta, tau, p)) return;
    const double x = p.x, x2 = p.x2, y = p.y, theta = p.theta, Delta = p.Delta, psi = p.psi,
                 psiD = p.psiD, dDelta = p.dDelta, Db = p.Db, Db1 = p.Db1, DbD = p.DbD;
    const double psiT = -2.0 * k.D * y * psi, psiTT = (2.0 * k.D * y * y - 1.0) * 2.0 * k.D * psi;
    const double psiDT = 4.0 * k.C * k.D * x * y * psi;
    const double b = k.b, Db2 = Db1 / Delta;
    const double DbT = -2.0 * theta * b * Db1, DbTT = 2.0 * b * Db1 + 4.0 * theta * theta * b * (b - 1.0) * Db2;
    const double DbDT =
        -k.A * b * 2.0 / k.beta * Db1 * x * (p.xe / x2) - 2.0 * theta * b * (b - 1.0) * Db2 * dDelta;
    const double n = k.n;
    const InDelta j = nonAnalyticInDelta(k, p, delta);
    r.f += j.f[0];
    r.d += j.f[1];
    r.dd += j.f[2];
    r.t += n * delta * (DbT * psi + Db * psiT);
    r.tt += n * delta * (DbTT * psi + 2.0 * DbT * psiT + Db * psiTT);
    r.dt += n * (Db * (psiT + delta * psiDT) + delta * DbD * psiT + DbT * (psi + delta * psiD) + DbDT * delta * psi);
}

// One isotherm of the equation: each term's tau^t (and a Gaussian term's
// factor in tau) taken once for all the densities asked, and the residual
// part's phi(delta) with its first two delta derivatives: the full
// evaluation's sums, term by term, to rounding.
constexpr int kMaxIsothermTerms = 64;
static_assert(std::size(kCO2Terms) <= kMaxIsothermTerms && std::size(kCH4Terms) <= kMaxIsothermTerms);

class Isotherm {
public:
    Isotherm(const HelmholtzEquation& e, double T) : e_(e), T_(T), tau_(e.Tc / T) {
        for (int i = 0; i < e.count && i < kMaxIsothermTerms; ++i) {
            const HelmholtzTerm& k = e.terms[i];
            tauPower_[i] = quarterPower(k.t);
            if (k.kind == HelmholtzTerm::kGaussian) tauPower_[i] *= std::exp(-k.beta * (tau_ - k.gamma) * (tau_ - k.gamma));
            // The whole exponents of delta (d, and c of the exponential
            // terms): their powers taken once a density.
            d_[i] = wholeExponent(k.d);
            c_[i] = k.kind == HelmholtzTerm::kExponential ? wholeExponent(k.c) : -1;
            for (const int n : {d_[i], c_[i]}) powers_ = std::max(powers_, n + 1);
            if (c_[i] >= 0) exponentials_ |= 1u << c_[i];
        }
    }
    const HelmholtzEquation& equation() const { return e_; }
    double T() const { return T_; }
    // delta rhoc R T (1 + delta dphir/ddelta), Pa.
    double pressure(double delta) const { return delta * e_.rhoc * e_.R * T_ * (1.0 + delta * phi(delta).f[1]); }
    // g/RT less its part in tau alone (HelmholtzEquation::gibbs).
    double gibbs(double delta) const {
        const InDelta j = phi(delta);
        return std::log(delta) + j.f[0] + delta * j.f[1];
    }

    InDelta phi(double delta) const {
        if (e_.count > kMaxIsothermTerms) {
            const HelmholtzDerivatives r = e_.residual(delta, tau_);
            InDelta j;
            j.f[0] = r.f, j.f[1] = r.d, j.f[2] = r.dd;
            return j;
        }
        if (delta == 1.0) delta = 1.0 + 1e-12;  // as the full evaluation
        // delta^n and exp(-delta^n) for the whole exponents n the terms use,
        // once each.
        double power[kMaxWholeExponent + 1], expMinusPower[kMaxWholeExponent + 1];
        for (int n = 0; n < powers_; ++n) {
            power[n] = n == 0 ? 1.0 : power[n - 1] * delta;
            expMinusPower[n] = exponentials_ & (1u << n) ? std::exp(-power[n]) : 0.0;
        }
        InDelta j;
        NonAnalyticParts parts{};
        const HelmholtzTerm* shaped = nullptr;  // the last non-analytic term, whose parts are `parts`
        for (int i = 0; i < e_.count; ++i) {
            const HelmholtzTerm& k = e_.terms[i];
            if (k.kind == HelmholtzTerm::kNonAnalytic) {
                if (nonAnalyticParts(k, delta, tau_, parts, shaped)) j += nonAnalyticInDelta(k, parts, delta);
                shaped = &k;
                continue;
            }
            // f = n delta^d tau^t E(delta): L = d ln f / d delta, dL its derivative.
            double L = k.d / delta, dL = -k.d / (delta * delta), E = 1.0;  // exp(0) for a polynomial term
            if (k.kind == HelmholtzTerm::kExponential) {
                const double dc = c_[i] >= 0 ? power[c_[i]] : std::pow(delta, k.c);
                E = c_[i] >= 0 ? expMinusPower[c_[i]] : std::exp(-dc);
                L += -k.c * dc / delta;
                dL += -k.c * (k.c - 1.0) * dc / (delta * delta);
            } else if (k.kind == HelmholtzTerm::kGaussian) {
                const double u = delta - k.eps;
                E = std::exp(-k.alpha * u * u);
                L += -2.0 * k.alpha * u;
                dL += -2.0 * k.alpha;
            }
            const double f = k.n * (d_[i] >= 0 ? power[d_[i]] : std::pow(delta, k.d)) * tauPower_[i] * E;
            j.f[0] += f;
            j.f[1] += f * L;
            j.f[2] += f * (L * L + dL);
        }
        return j;
    }

private:
    // tau^t, by products of tau^(1/4) where 4 t is a whole number (every
    // term of both equations), else by pow.
    double quarterPower(double t) const {
        const double quarters = 4.0 * t;
        if (!(std::fabs(quarters) <= 256.0 && quarters == std::floor(quarters))) return std::pow(tau_, t);
        double base = quarter_, r = 1.0;
        for (int n = static_cast<int>(std::fabs(quarters)); n > 0; n >>= 1, base *= base)
            if (n & 1) r *= base;
        return quarters < 0.0 ? 1.0 / r : r;
    }

    static constexpr int kMaxWholeExponent = 24;
    // n where x is a whole number from 0 to kMaxWholeExponent, else -1.
    static int wholeExponent(double x) {
        return x >= 0.0 && x <= kMaxWholeExponent && x == std::floor(x) ? static_cast<int>(x) : -1;
    }

    const HelmholtzEquation& e_;
    double T_, tau_, quarter_ = std::sqrt(std::sqrt(tau_));
    double tauPower_[kMaxIsothermTerms] = {};
    int d_[kMaxIsothermTerms] = {}, c_[kMaxIsothermTerms] = {};
    int powers_ = 0;              // the whole exponents' count: 0 to powers_ - 1
    unsigned exponentials_ = 0;  // bit n: some exponential term's c is n
};

// p(delta) - P on a scan fine enough to hold both sides of the loop of the
// critical region: in ln delta up to 0.2, then in steps of 0.005 to 3.5
// times the critical density (beyond every state of either equation's
// range).  The scan's part in steps of delta does not depend on P: a caller
// that asks many pressures on one isotherm hands its pressures in
// `linearScan` (linearScanPressures), else they are computed here.
constexpr double kScanKnee = 0.2, kScanTop = 3.5, kScanStep = 0.005;
constexpr int kScanLogSteps = 200;

double linearScanDelta(int k) { return kScanKnee + kScanStep * (k - kScanLogSteps); }

std::vector<double> linearScanPressures(const Isotherm& iso) {
    std::vector<double> p;
    for (int k = kScanLogSteps + 1; linearScanDelta(k) <= kScanTop; ++k) p.push_back(iso.pressure(linearScanDelta(k)));
    return p;
}

void rootsAlong(const Isotherm& iso, double P, const std::vector<double>* linearScan, double& gas, double& liquid) {
    const HelmholtzEquation& e = iso.equation();
    const auto excess = [&](double delta) { return iso.pressure(delta) - P; };
    const double ideal = P / (e.rhoc * e.R * iso.T());
    const double lo = std::fmin(0.1 * ideal, 1e-3), knee = kScanKnee;
    // The gas's root is a rising crossing before p(delta) first falls, the
    // liquid's the last one after which it rises no more to fall: between
    // them the equation's loops in the unstable region can cross P rising
    // too, roots of no phase.
    gas = kNaN;
    liquid = kNaN;
    bool monotone = true;
    double x0 = lo, f0 = excess(lo);
    for (int k = 1;; ++k) {
        const bool logStep = k <= kScanLogSteps;
        const double x1 = logStep ? lo * std::pow(knee / lo, double(k) / kScanLogSteps) : linearScanDelta(k);
        if (x1 > kScanTop) break;
        const double f1 = !logStep && linearScan ? (*linearScan)[static_cast<std::size_t>(k - kScanLogSteps - 1)] - P
                                                 : excess(x1);
        if (f0 < 0.0 && f1 >= 0.0) {  // a rising crossing: a mechanically stable root
            double a0 = x0, a1 = x1;
            for (int it = 0; it < 200 && a1 - a0 > 1e-15 * a1; ++it) {
                const double m = 0.5 * (a0 + a1);
                (excess(m) < 0.0 ? a0 : a1) = m;
            }
            liquid = 0.5 * (a0 + a1);
            if (monotone) gas = liquid;
        }
        if (f1 < f0) {
            monotone = false;
            liquid = kNaN;
        }
        x0 = x1;
        f0 = f1;
    }
    if (liquid == gas) liquid = kNaN;
}

// The scan's last density.
double scanTop() {
    static const double top = [] {
        int k = kScanLogSteps + 1;
        while (linearScanDelta(k + 1) <= kScanTop) ++k;
        return linearScanDelta(k);
    }();
    return top;
}

// ---------------------------------------------------------------- Newton from the ancillary starts

// The roots are Newton's on the equation itself, started from the published
// ancillary equations of the fluid's saturation curve (Span & Wagner 1996,
// eqs. 3.13-3.15; for methane Setzmann & Wagner's liquid and fits to their
// equation, fluid/ReferenceFluids.cpp), each converged to the scan's
// bisection tolerance.  The stable root is the gas's below the vapour
// pressure and the liquid's above it: the ancillary one's where it lies
// farther than kAncillaryBand from P (they meet the equations' vapour
// pressures to better than 1e-3), else the equation's own, solved there
// from them.  Where a search does not settle the state (within about 1e-6
// of the critical temperature, where the two phases merge), and below the
// triple point, the scan does.
constexpr double kAncillaryBand = 5e-3;
constexpr double kRootTolerance = 1e-15;
// The largest relative last step of a coexistence solve taken as converged:
// within 1e-6 of the critical temperature double rounding leaves the
// coexisting densities some 1e-8 apart from step to step (their pressure,
// stationary there, to about 1e-12).
constexpr double kCoexistenceTolerance = 1e-7;
// A coexistence solve's step that ends it: the next, of the order of its
// square, would change nothing.
constexpr double kCoexistenceConverged = 1e-11;

// The vapour pressure (Pa) and the saturated reduced densities at T of the
// ancillary equations of the reference fluid whose near-critical equation
// `e` is, and that fluid; null where there is none or T lies outside
// 0 < T < Tc.
const ReferenceFluid* ancillaryStart(const HelmholtzEquation& e, double T, double& psat, double& dl, double& dv) {
    for (const ReferenceFluid& f : ReferenceFluids::standard().rows()) {
        if (!f.criticalRegion || &f.criticalRegion() != &e) continue;
        psat = f.saturationPressure(T);
        dl = f.saturatedLiquidDensity(T) / e.rhoc;
        dv = f.molarMass / (f.saturatedVapourVolume(T) * e.rhoc);
        return std::isfinite(psat) && dl > dv && dv > 0.0 ? &f : nullptr;
    }
    return nullptr;
}

// The coexisting reduced densities dl > dv at the isotherm's temperature
// (ResidualInDelta.h), from starts (replaced); false where the solve does
// not converge to two phases.
bool coexistence(const Isotherm& iso, double& dl, double& dv) {
    return solveCoexistenceInDelta([&](double d) { return iso.phi(d); }, dl, dv, kCoexistenceConverged) <
               kCoexistenceTolerance &&
           dl > dv * (1.0 + 1e-6);
}

// The root of the branch reached from `start` within lo < delta < hi (NaN:
// a bound not known), NaN where the search left the branch.
double branchRoot(const Isotherm& iso, double pr, double start, double lo, double hi) {
    double d = start;
    return solvePressureInDelta(
               [&](double x) { return iso.phi(x); }, pr, d, lo, hi, kRootTolerance)
               ? d
               : kNaN;
}

// The scan's answer at T and P by Newton: true with the reduced density of
// the stable root (NaN where the scan finds none), false where the searches
// do not settle it.
bool stableRootByNewton(const Isotherm& iso, double P, double& best) {
    const HelmholtzEquation& e = iso.equation();
    const double pr = P / (e.rhoc * e.R * iso.T()), top = scanTop(), lo = std::fmin(0.1 * pr, 1e-3);
    if (!(iso.T() < e.Tc)) {
        // One root on the isotherm, from the ideal gas's density; none
        // where it lies beyond the scan's last density.
        best = branchRoot(iso, pr, std::fmin(pr, 0.5 * top), lo, top);
        if (best >= top * (1.0 - 1e-12)) best = kNaN;
        return !std::isnan(best) || iso.pressure(top) < P;
    }
    double psat = kNaN, dl = kNaN, dv = kNaN;
    const ReferenceFluid* fluid = ancillaryStart(e, iso.T(), psat, dl, dv);
    // Below the triple point, beyond the equation's range, its isotherms
    // loop in ways of their own (a gas root at 1 GPa at 173 K): the scan.
    if (!fluid || iso.T() < fluid->Tt) return false;
    bool gasSide = P < psat;
    if (std::fabs(P / psat - 1.0) < kAncillaryBand) {
        // Beside the vapour pressure: the side of the equation's own, the
        // root sought between its saturated density and the branch's end.
        if (!coexistence(iso, dl, dv)) return false;
        gasSide = P <= iso.pressure(dv);
        best = gasSide ? branchRoot(iso, pr, dv, lo, dv) : branchRoot(iso, pr, dl, dl, kNaN);
    } else {
        best = gasSide ? branchRoot(iso, pr, std::fmin(pr, dv), lo, kNaN) : branchRoot(iso, pr, dl, kNaN, kNaN);
    }
    if (std::isnan(best) || (best < 1.0) != gasSide) return false;  // off its branch
    if (best > top) best = kNaN;  // a liquid beyond the scan: none
    return true;
}

// The scan's root search (rootsAlong) of the stable density.
double stableRootByScan(const Isotherm& iso, double P) {
    double gas = kNaN, dense = kNaN;
    rootsAlong(iso, P, nullptr, gas, dense);
    return std::isnan(dense) || iso.gibbs(gas) <= iso.gibbs(dense) ? gas : dense;
}

// The vapour pressure by the scan: bisection in ln P, within 20 % of
// `guess`, on which root is stable, the isotherm's scan in steps of delta
// taken once.
double vapourPressureByScan(const Isotherm& iso, double guess) {
    const std::vector<double> linearScan = linearScanPressures(iso);
    const auto liquidStable = [&](double P) {
        double gas = kNaN, dense = kNaN;
        rootsAlong(iso, P, &linearScan, gas, dense);
        return std::isnan(gas) || (!std::isnan(dense) && iso.gibbs(dense) < iso.gibbs(gas));
    };
    double lo = 0.8 * guess, hi = 1.2 * guess;
    if (liquidStable(lo) || !liquidStable(hi)) return kNaN;
    for (int it = 0; it < 50; ++it) {
        const double m = std::sqrt(lo * hi);
        (liquidStable(m) ? hi : lo) = m;
    }
    return std::sqrt(lo * hi);
}

}  // namespace

const HelmholtzEquation& spanWagnerCO2() { return kSpanWagner; }
const HelmholtzEquation& setzmannWagnerCH4() { return kSetzmannWagner; }

HelmholtzDerivatives HelmholtzEquation::residual(double delta, double tau) const {
    HelmholtzDerivatives r;
    // The non-analytic terms' second derivatives in delta diverge at the
    // critical density itself; an ulp beside it they are finite.
    if (delta == 1.0) delta = 1.0 + 1e-12;
    for (int i = 0; i < count; ++i) {
        const HelmholtzTerm& k = terms[i];
        if (k.kind == HelmholtzTerm::kNonAnalytic) {
            addNonAnalytic(r, k, delta, tau);
            continue;
        }
        double L = k.d / delta, dL = -k.d / (delta * delta), M = k.t / tau, dM = -k.t / (tau * tau);
        double lnE = 0.0;
        if (k.kind == HelmholtzTerm::kExponential) {
            const double dc = std::pow(delta, k.c);
            lnE = -dc;
            L += -k.c * dc / delta;
            dL += -k.c * (k.c - 1.0) * dc / (delta * delta);
        } else if (k.kind == HelmholtzTerm::kGaussian) {
            const double u = delta - k.eps, v = tau - k.gamma;
            lnE = -k.alpha * u * u - k.beta * v * v;
            L += -2.0 * k.alpha * u;
            dL += -2.0 * k.alpha;
            M += -2.0 * k.beta * v;
            dM += -2.0 * k.beta;
        }
        const double f = k.n * std::pow(delta, k.d) * std::pow(tau, k.t) * std::exp(lnE);
        addSeparable(r, f, L, dL, M, dM);
    }
    return r;
}

double HelmholtzEquation::pressure(double rho, double T) const {
    const double delta = rho / rhoc;
    return rho * R * T * (1.0 + delta * residual(delta, Tc / T).d);
}

double HelmholtzEquation::isobaricHeatCapacity(double rho, double T) const {
    const double delta = rho / rhoc, tau = Tc / T;
    const HelmholtzDerivatives r = residual(delta, tau);
    double cv0 = c;
    for (int i = 0; i < einsteins; ++i) {
        const double x = theta[i] * tau, e = std::exp(-x);
        cv0 += a[i] * x * x * e / ((1.0 - e) * (1.0 - e));
    }
    const double num = 1.0 + delta * r.d - delta * tau * r.dt;
    return R * (cv0 - tau * tau * r.tt + num * num / (1.0 + 2.0 * delta * r.d + delta * delta * r.dd));
}

double HelmholtzEquation::gibbs(double delta, double tau) const {
    const HelmholtzDerivatives r = residual(delta, tau);
    return std::log(delta) + r.f + delta * r.d;
}

double HelmholtzEquation::densityFromTP(double T, double P, bool* liquid) const {
    if (!(T > 0.0) || !(P > 0.0)) return kNaN;
    const Isotherm iso(*this, T);
    double best = kNaN;
    if (!stableRootByNewton(iso, P, best)) best = stableRootByScan(iso, P);
    if (liquid) *liquid = T < Tc && best > 1.0;
    return best * rhoc;
}

double HelmholtzEquation::saturationPressure(double T, double guess) const {
    if (!(T > 0.0) || !(T < Tc) || !(guess > 0.0)) return kNaN;
    // Equal pressure and Gibbs energy of the two phases by Newton on their
    // densities (ResidualInDelta.h) from the ancillary equations; the
    // liquid is stable above the pressure found, the gas below.
    const Isotherm iso(*this, T);
    double psat = kNaN, dl = kNaN, dv = kNaN;
    if (!ancillaryStart(*this, T, psat, dl, dv) || !coexistence(iso, dl, dv))
        return vapourPressureByScan(iso, guess);
    psat = iso.pressure(dv);
    return psat > 0.8 * guess && psat < 1.2 * guess ? psat : kNaN;
}
