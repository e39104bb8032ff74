#include "gases/SternerCO2.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "numerics/Jet.h"

namespace {

struct Monomial {
    double k;  // coefficient
    int p;     // power of T
};

// Writes k_1 T^p_1 + ... into a temperature leaf with its T derivatives to
// the fourth order (d^n T^p / dT^n = p (p-1) ... (p-n+1) T^(p-n)).
void setTemperaturePolynomial(Leaf& leaf, double T, std::initializer_list<Monomial> terms)
{
    double d[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
    for (const Monomial& m : terms) {
        double factor = m.k;
        for (int n = 0; n <= 4; ++n) {
            if (factor == 0.0)
                break;
            d[n] += factor * std::pow(T, m.p - n);
            factor *= (m.p - n);
        }
    }
    leaf.value = d[0];
    leaf.d1[0] = d[1];
    leaf.d2[0][0] = d[2];
    leaf.d3[0][0][0] = d[3];
    leaf.d4[0][0][0][0] = d[4];
}

}  // namespace

SternerCO2::SternerCO2()
{
    a3r.tie2(a3, rho);
    a4r2.tie2(a4, rho2);
    a5r3.tie2(a5, rho3);
    a8r.tie2(a8, rho);
    a0r.tie2(a0, rho);

    B1.number_of_terms(5);
    B1.tie_(&a2, &a3r, &a4r2, &a5r3, &rho4);
    B1.set_scalars_(1.0, 1.0, 1.0, 1.0, c6, 0.0);

    A1.tie2(a1, rho);
    A2.tie1(B1);
    A3.tie1(a2);
    a78.tie2(a7, a8);
    a90.tie2(a9, a0);
    e8.tie1(a8r);
    e8.set_scalars3(-1.0, 1.0, -1.0);
    e0.tie1(a0r);
    e0.set_scalars3(-1.0, 1.0, -1.0);
    A4.tie2(a78, e8);
    A5.tie2(a90, e0);

    Sum* A = new Sum;
    A->number_of_terms(6);
    A->tie_(&mlogV, &A1, &A2, &A3, &A4, &A5);
    A->set_scalars_(1.0, 1.0, 1.0, -1.0, -1.0, -1.0, 0.0);
    A->setName("A");
    root = A;
    setDebugLink();

    mlogV.setName("mlogV");
    rho.setName("rho");
    rho2.setName("rho2");
    rho3.setName("rho3");
    rho4.setName("rho4");
    a1.setName("a1");
    a2.setName("a2");
    a3.setName("a3");
    a4.setName("a4");
    a5.setName("a5");
    a7.setName("a7");
    a8.setName("a8");
    a9.setName("a9");
    a0.setName("a0");
    a3r.setName("a3r");
    a4r2.setName("a4r2");
    a5r3.setName("a5r3");
    a8r.setName("a8r");
    a0r.setName("a0r");
    B1.setName("B1");
    A1.setName("A1");
    A2.setName("A2");
    A3.setName("A3");
    a78.setName("a78");
    a90.setName("a90");
    e8.setName("e8");
    e0.setName("e0");
    A4.setName("A4");
    A5.setName("A5");
    setModelName("Sterner & Pitzer CO2");
}

SternerCO2::~SternerCO2()
{
    delete root;
    root = nullptr;
}

void SternerCO2::number_of_components(int n)
{
    sizeForComponents(n, 1, [this] {
        for (Leaf* l : {&mlogV, &rho, &rho2, &rho3, &rho4}) {
            l->flags[0] = 0;
            l->flags[2] = 0;
        }
        for (Leaf* l : {&a1, &a2, &a3, &a4, &a5, &a7, &a8, &a9, &a0}) {
            l->flags[1] = 0;
            l->flags[2] = 0;
        }
    });
}

void SternerCO2::calculate_fixed_parameters()
{
    setTemperaturePolynomial(a1, T, {{1826134.0, -1}, {79.224365, 0}});
    setTemperaturePolynomial(a2, T, {{6.656066e-5, 0}, {5.7152798e-6, 1}, {3.0222363e-10, 2}});
    setTemperaturePolynomial(a3, T, {{0.0059957845, 0}, {7.1669631e-5, 1}, {6.2416103e-9, 2}});
    setTemperaturePolynomial(a4, T, {{-1.3270279, -1}, {-0.15210731, 0}, {0.00053654244, 1}, {-7.1115142e-8, 2}});
    setTemperaturePolynomial(a5, T, {{0.12456776, -1}, {4.9045367, 0}, {0.009822056, 1}, {5.5962121e-6, 2}});
    setTemperaturePolynomial(a7, T, {{-3.9344644e11, -4}, {90918237.0, -2}, {427767.16, -1}, {-22.347856, 0}});
    setTemperaturePolynomial(a8, T, {{402.82608, -1}, {119.71627, 0}});
    setTemperaturePolynomial(a9, T, {{22995650.0, -2}, {-78971.817, -1}, {-63.376456, 0}});
    setTemperaturePolynomial(a0, T, {{95029.765, -1}, {18.038071, 0}});
}

void SternerCO2::calculate_volume_dependent_parameters()
{
    const double v1 = 1.0 / V;
    const double v2 = v1 * v1, v3 = v2 * v1, v4 = v2 * v2, v5 = v4 * v1, v6 = v3 * v3, v7 = v6 * v1, v8 = v4 * v4;
    const univariate::Jet<4> minusLogV = univariate::logarithm<4>(-1.0, V);
    mlogV.value = minusLogV.f[0];
    mlogV.d1[1] = minusLogV.f[1];
    mlogV.d2[1][1] = minusLogV.f[2];
    mlogV.d3[1][1][1] = minusLogV.f[3];
    mlogV.d4[1][1][1][1] = minusLogV.f[4];
    rho.value = 1e-6 * v1;
    rho.d1[1] = -1e-6 * v2;
    rho.d2[1][1] = 2e-6 * v3;
    rho.d3[1][1][1] = -6e-6 * v4;
    rho.d4[1][1][1][1] = 2.4e-5 * v5;
    rho2.value = 1e-12 * v2;
    rho2.d1[1] = -2e-12 * v3;
    rho2.d2[1][1] = 6e-12 * v4;
    rho2.d3[1][1][1] = -2.4e-11 * v5;
    rho2.d4[1][1][1][1] = 1.2e-10 * v6;
    rho3.value = 1e-18 * v3;
    rho3.d1[1] = -3e-18 * v4;
    rho3.d2[1][1] = 1.2e-17 * v5;
    rho3.d3[1][1][1] = -6e-17 * v6;
    rho3.d4[1][1][1][1] = 3.6e-16 * v7;
    rho4.value = 1e-24 * v4;
    rho4.d1[1] = -4e-24 * v5;
    rho4.d2[1][1] = 2e-23 * v6;
    rho4.d3[1][1][1] = -1.2e-22 * v7;
    rho4.d4[1][1][1][1] = 8.4e-22 * v8;
}
