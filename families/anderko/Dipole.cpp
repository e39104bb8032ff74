#include "families/anderko/Dipole.h"
#include "platform/LogSink.h"

#include <cmath>
#include <cstdio>

namespace {
int pos2(int i, int j) { return i >= j ? LineaX2::position(i, j) : LineaX2::position(j, i); }
}  // namespace

Dipole::Dipole() {
    eta.tiep2(&bmix, &d);
    eta2.tiep1(&eta);
    eta3.tiep1(&eta);
    I1.number_of_terms(3);
    I1.tie_(&eta, &eta2, &eta3);
    I1.set_scalars_(0.351469, -1.83943, 5.95676, 1.0);
    I2.number_of_terms(3);
    I2.tie_(&eta, &eta2, &eta3);
    I2.set_scalars_(1.6054, -4.4521, 10.0368, 1.0);
    I3.tiep2(&I2, &I1);
    d2.tiep1(&d);
    K2T2.tiep2(&K2, &T2);
    K3T3.tiep2(&K3, &T3);
    K2d.tiep2(&K2T2, &d);
    K3d2.tiep2(&K3T3, &d2);
    A2.tiep2(&K2d, &I2);
    A3.tiep2(&K3d2, &I3);
    A2sq.tiep1(&A2);
    A2mA3.tiep2(&A2, &A3);
    A2mA3.set_scalars3(1.0, -1.0, 0.0);
    A_ = new Division();
    A_->tiep2(&A2sq, &A2mA3);
    root = A_;

    d.setName("d");
    T2.setName("T2");
    T3.setName("T3");
    K2.setName("K2");
    K3.setName("K3");
    bmix.setName("b");
    eta.setName("eta");
    eta2.setName("eta2");
    eta3.setName("eta3");
    I1.setName("I1");
    I2.setName("I2");
    I3.setName("I3");
    d2.setName("d2");
    K2T2.setName("K2T2");
    K3T3.setName("K3T3");
    K2d.setName("K2d");
    K3d2.setName("K3d2");
    A2.setName("A2");
    A3.setName("A3");
    A2sq.setName("A2sq");
    A2mA3.setName("A2mA3");
    A_->setName("A");
    setModelName("Dipole-dipole interaction");
    setDebugLink();
}

Dipole::~Dipole() {
    delete A_;
    A_ = nullptr;
    root = nullptr;
}

void Dipole::number_of_components(int n) {
    Interaction::number_of_components(n);
    if (n < 1) return;
    b.assign(n, 0.0);
    mu.assign(n, 0.0);
    m.assign(n, 0.0);
    const int n2 = n * (n + 1) / 2;
    B.assign(n2, 0.0);
    Acoef.assign(n2, 0.0);
    K2.defineXVariables(2, n);
    K3.defineXVariables(2, n);
    bmix.defineXVariables(2, n);
    C.assign(K3.a.size(), 0.0);
    D.assign(K3.a.size(), 0.0);
    A_->number_of_variables(n + 2);
    for (int v = 0; v < n + 2; v++) {
        if (v != 1) d.flags[v] = 0;
        if (v != 0) T2.flags[v] = T3.flags[v] = 0;
    }
    A_->analyze_dependencies();
}

bool Dipole::set_parameters(std::span<const double> values) {
    const int n = component_count;
    if (n < 1 || values.size() != static_cast<std::size_t>(2 * n)) {
        platform::diagf("Dipole: %zu parameters given for %d components (covolumes, then dipole moments)\n",
                     values.size(), n);
        return false;
    }
    auto it = values.begin();
    for (int i = 0; i < n; i++) b[i] = *it++;
    for (int i = 0; i < n; i++) mu[i] = *it++;
    bool polar = false;
    for (int i = 0; i < n; i++) {
        const double q = 95.59 * mu[i];
        m[i] = q * q / (1e6 * b[i]);
        if (mu[i] != 0.0) polar = true;
    }
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++) {
            const double s = 0.5 * (std::cbrt(b[i]) + std::cbrt(b[j]));
            B[pos2(i, j)] = i == j ? b[i] : s * s * s;
        }
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++)
            for (int k = 0; k <= j; k++)
                C[LineaX3::position(i, j, k)] = std::cbrt(B[pos2(i, j)] * B[pos2(j, k)] * B[pos2(i, k)]);
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++) Acoef[pos2(i, j)] = -4.0 * b[i] * b[j] * m[i] * m[j] / (3.0 * B[pos2(i, j)]);
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++)
            for (int k = 0; k <= j; k++) {
                const double c = C[LineaX3::position(i, j, k)];
                D[LineaX3::position(i, j, k)] = 10.0 * b[i] * b[j] * b[k] * c * c * m[i] * m[j] * m[k] /
                                                (9.0 * B[pos2(i, j)] * B[pos2(j, k)] * B[pos2(i, k)]);
            }
    K2.a = Acoef;
    bmix.a = B;
    K3.a = D;
    // Without any dipole the Pade quotient is 0/0: the term contributes nothing.
    root = polar ? A_ : nullptr;
    calculated = 0;
    return true;
}

// All derivative orders of the leaves are written with their stage: the
// framework also evaluates to third order without the high-order stage.
void Dipole::writeLeaves() {
    const double t = 1.0 / T;
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t, t5 = t4 * t, t6 = t5 * t, t7 = t6 * t;
    T2.value = t2;
    T2.d1[0] = -2.0 * t3;
    T2.d2[0][0] = 6.0 * t4;
    T2.d3[0][0][0] = -24.0 * t5;
    T2.d4[0][0][0][0] = 120.0 * t6;
    T3.value = t3;
    T3.d1[0] = -3.0 * t4;
    T3.d2[0][0] = 12.0 * t5;
    T3.d3[0][0][0] = -60.0 * t6;
    T3.d4[0][0][0][0] = 360.0 * t7;
    const double u = 1.0 / V;
    const double u2 = u * u, u3 = u2 * u, u4 = u3 * u, u5 = u4 * u;
    d.value = 0.25 * u;
    d.d1[1] = -0.25 * u2;
    d.d2[1][1] = 0.5 * u3;
    d.d3[1][1][1] = -1.5 * u4;
    d.d4[1][1][1][1] = 6.0 * u5;
}

// Without components (an Anderko model whose system was refused) the term has
// no value: every evaluation fails.
void Dipole::calculate_fixed_parameters() {
    if (!readyOrFail(component_count > 0)) return;
    for (int i = 0; i < component_count; i++) K2.x[i] = K3.x[i] = bmix.x[i] = x[i];
    K2.calculated = K3.calculated = bmix.calculated = false;
    if (V > 0.0) writeLeaves();
}

void Dipole::calculate_volume_dependent_parameters() {
    if (readyOrFail(component_count > 0)) writeLeaves();
}

void Dipole::calculate_high_order_parameters() {
    if (readyOrFail(component_count > 0)) writeLeaves();
}
