#include "fluid/IdealGasTable.h"

#include <cmath>

#include "expressions/Sum.h"
#include "fluid/ReducedVariable.h"

template <int K>
univariate::Jet<K> idealGasFunction(const IdealGasForm& form, double T)
{
    const double tau = form.Tc / T;
    const double r = 1.0 / tau;
    univariate::Jet<K> g;  // in tau
    g.f[1] = form.a2 + form.c * r;
    g.f[2] = -form.c * r * r;
    if constexpr (K == 4) {
        g.f[3] = 2.0 * form.c * r * r * r;
        g.f[4] = -6.0 * form.c * r * r * r * r;
    }
    // ln w, w = 1 - exp(-x), x = theta tau: its derivatives in x are
    // q, -q (1 + q), q (1 + q)(1 + 2q), -q (1 + q)(1 + 6q + 6q^2) with
    // q = 1/(e^x - 1) = exp(-x)/w (x = theta tau is above 0.2 up to 4000 K
    // for IAPWS-95, CO2, CH4 and N2, where 1 - exp(-x) loses at most 3 bits).
    // The exponentials first, then the logarithms, ln tau last: calls that
    // do not wait for one another.
    const int n = form.einsteins;
    double w[5] = {}, q[5] = {}, lnw[5] = {};
#pragma GCC unroll 5
    for (int i = 0; i < n; ++i) {
        const double u = std::exp(-(form.theta[i] * tau));
        w[i] = 1.0 - u;
        q[i] = u / w[i];
    }
#pragma GCC unroll 5
    for (int i = 0; i < n; ++i)
        lnw[i] = std::log(w[i]);
    g.f[0] = form.a1 + form.a2 * tau + form.c * std::log(tau);
#pragma GCC unroll 5
    for (int i = 0; i < n; ++i) {
        const double th = form.theta[i];
        const double q1 = q[i] * (1.0 + q[i]);
        const double a = form.a[i], a1 = a * th, a2 = a1 * th;
        g.f[0] += a * lnw[i];
        g.f[1] += a1 * q[i];
        g.f[2] -= a2 * q1;
        if constexpr (K == 4) {
            const double a3 = a2 * th, a4 = a3 * th;
            g.f[3] += a3 * q1 * (1.0 + 2.0 * q[i]);
            g.f[4] -= a4 * q1 * (1.0 + 6.0 * q[i] * (1.0 + q[i]));
        }
    }
    for (int k = 0; k < form.powers; ++k) {
        // n tau^t and its derivatives n t (t-1) ... tau^(t-j); a negative
        // integer t (nitrogen's) by products of 1/tau.
        const double t = form.t[k];
        double v = 1.0;
        if (t < 0.0 && t == std::floor(t) && t >= -8.0)
            for (int j = 0; j < -static_cast<int>(t); ++j)
                v *= r;
        else
            v = std::pow(tau, t);
        double c = form.n[k];
        for (int j = 0; j <= K; ++j) {
            g.f[j] += c * v;
            c *= t - j;
            v *= r;
        }
    }
    double tv[5];
    reducedVariable<K>(form.Tc, T, tv);
    return univariate::compose(g, tv);
}

template univariate::Jet<2> idealGasFunction<2>(const IdealGasForm&, double);
template univariate::Jet<4> idealGasFunction<4>(const IdealGasForm&, double);

double idealGasCv0R(const IdealGasForm& form, double T)
{
    const double tau = form.Tc / T;
    double cv = form.c;
    for (int i = 0; i < form.einsteins; ++i) {
        const double x = form.theta[i] * tau;
        const double e = std::expm1(x);
        cv += form.a[i] * x * x * (e + 1.0) / (e * e);
    }
    for (int k = 0; k < form.powers; ++k)
        cv -= form.n[k] * form.t[k] * (form.t[k] - 1.0) * std::pow(tau, form.t[k]);
    return cv;
}

void IdealGasFunction::load(double T, bool highOrder)
{
    if (T != atT_) {
        atT_ = T;
        order_ = 0;
    }
    if (highOrder) {
        // The third and fourth orders, which the state functions do not read.
        if (order_ < 4) {
            const univariate::Jet<4> g = idealGasFunction<4>(form, T);
            for (int k = 0; k < 5; ++k)
                g_[k] = g.f[k];
            order_ = 4;
        }
        leaf.D3[Expression::off3(0, 0, 0)] = g_[3];
        leaf.D4[Expression::off4(0, 0, 0, 0)] = g_[4];
    } else if (order_ < 2) {
        const univariate::Jet<2> g = idealGasFunction<2>(form, T);
        for (int k = 0; k < 3; ++k)
            g_[k] = g.f[k];
        order_ = 2;
    }
    leaf.value = g_[0];
    leaf.d1[0] = g_[1];
    leaf.D2[Expression::off2(0, 0)] = g_[2];
}

void IdealGasFunction::clearDependencies(int nvar)
{
    for (int k = 1; k < nvar; ++k)
        leaf.flags[k] = 0;
}

TableIdeal::TableIdeal(const IdealGasForm& f, const char* name) : g(f)
{
    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(2);
    A->tiei(0, lndelta);
    A->tiei(1, g.leaf);
    root = A;
    lndelta.setName("lndelta");
    setModelName(name);
}

TableIdeal::~TableIdeal()
{
    delete root;
    root = nullptr;
}

void TableIdeal::number_of_components(int n)
{
    sizeForComponents(n, 0, [this, n] {
        g.clearDependencies(n + 2);
        lndelta.flags[0] = 0;
        for (int i = 2; i < n + 2; ++i)
            lndelta.flags[i] = 0;
    });
}

void TableIdeal::calculate_fixed_parameters()
{
    Sum* A = static_cast<Sum*>(root);
    A->set_scalar(0, 1.0);
    A->set_scalar(1, fugacityPass ? 0.0 : 1.0);
    A->set_scalar(2, fugacityPass ? std::log(g.form.rhoc) : 0.0);
    g.load(T);
}

void TableIdeal::calculate_high_order_parameters() { g.load(T, true); }

void TableIdeal::calculate_volume_dependent_parameters()
{
    setLogReducedVariable(lndelta, 1.0 / g.form.rhoc, V, 1);
}
