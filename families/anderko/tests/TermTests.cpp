#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "expressions/KVar.h"
#include "families/anderko/Boublik.h"
#include "families/anderko/BoublikEOS.h"
#include "families/anderko/Dipole.h"
#include "families/anderko/Dispersion0.h"
#include "TermChecks.h"

using anderko_test::checkDerivatives;
using anderko_test::evalTerm;

namespace {

double carnahanStarlingZ(double e) { return (1 + e + e * e - e * e * e) / std::pow(1 - e, 3); }
double carnahanStarlingA(double e) { return (4 * e - 3 * e * e) / ((1 - e) * (1 - e)); }

}  // namespace

TEST(Boublik, PureFluidIsCarnahanStarling) {
    Boublik t;
    t.number_of_components(1);
    const double b = 2.84959143e-05;
    ASSERT_TRUE(t.set_parameters(b));
    EXPECT_NEAR(t.diameters[0], std::cbrt(7.928495314699315e-25 * b), 1e-22);
    EXPECT_NEAR(t.diameters[0], 2.83e-10, 0.01e-10);
    for (double V : {1e-3, 1e-4, 3e-5, 1.2e-5, 8e-6}) {
        const double eta = b / (4 * V);
        evalTerm(t, 500.0, V, {1.0});
        EXPECT_NEAR(t.root->value, -std::log(V) + carnahanStarlingA(eta), 1e-12 * (1 + std::fabs(std::log(V))));
        t.calculate_Z();
        EXPECT_NEAR(t.Z, carnahanStarlingZ(eta), 1e-11 * carnahanStarlingZ(eta)) << "V " << V;
        EXPECT_EQ(t.termError, 0);
    }
}

TEST(Boublik, EqualDiametersMixLikeOneComponent) {
    Boublik one, two;
    one.number_of_components(1);
    two.number_of_components(2);
    one.set_hard_sphere_diameters(3.1e-10);
    two.set_hard_sphere_diameters(3.1e-10, 3.1e-10);
    evalTerm(one, 400.0, 4e-5, {1.0});
    const double a1 = one.root->value;
    evalTerm(two, 400.0, 4e-5, {0.3, 0.7});
    EXPECT_NEAR(two.root->value, a1, 1e-13 * std::fabs(a1));
    EXPECT_DOUBLE_EQ(two.covolumes[1], 1.2612733694198122e24 * 3.1e-10 * 3.1e-10 * 3.1e-10);
}

TEST(Boublik, MixtureAgainstClosedFormAndDerivatives) {
    Boublik t;
    t.number_of_components(2);
    t.set_hard_sphere_diameters(2.33e-10, 4.2e-10);
    const double x0 = 0.8, x1 = 0.2, V = 2e-5;
    evalTerm(t, 300.0, V, {x0, x1});
    const double d0 = 2.33e-10, d1 = 4.2e-10;
    const double D = x0 * d0 + x1 * d1, E = x0 * d0 * d0 + x1 * d1 * d1, F = x0 * std::pow(d0, 3) + x1 * std::pow(d1, 3);
    const double eta = (x0 * t.covolumes[0] + x1 * t.covolumes[1]) / (4 * V);
    const double q = E * E * E / (F * F);
    const double expect = -std::log(V) + (3 * D * E / F * eta - q) / (1 - eta) + q / ((1 - eta) * (1 - eta)) +
                          (q - 1) * std::log(1 - eta);
    EXPECT_NEAR(t.root->value, expect, 1e-12 * std::fabs(expect));
    checkDerivatives(t, 300.0, V, {x0, x1}, {1, 2, 3});
}

TEST(Boublik, PackingFractionAboveOneIsAnError) {
    Boublik t;
    t.number_of_components(1);
    t.set_parameters(4e-5);
    t.T = 300;
    t.V = 2e-5;  // eta 0.5
    t.calculate_Z();
    EXPECT_EQ(t.termError, 0);
    t.V = 4e-5 / 4 * 0.999;  // eta just above 1
    t.calculate_Z();
    EXPECT_EQ(t.termError, 1);
}

TEST(Boublik, WrongParameterCountIsReported) {
    Boublik t;
    t.number_of_components(2);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(t.set_parameters(1e-5));
    EXPECT_FALSE(t.set_hard_sphere_diameters(1e-10, 2e-10, 3e-10));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Boublik: 1 covolumes given for 2 components"), std::string::npos) << err;
    EXPECT_DOUBLE_EQ(t.covolumes[0], 0.0);
}

TEST(BoublikEOS, HardSphereGasPressure) {
    BoublikEOS m(1);
    m.number_of_components(1);
    m.set_hard_sphere_diameter(0, 3e-10);
    const double b = m.term()->covolumes[0];
    m.temperature(400.0);
    m.volume(1e-4);
    m.calculate_pressure();
    const double eta = b / 4e-4;
    EXPECT_NEAR(m.P, 8.31434 * 400.0 / 1e-4 * carnahanStarlingZ(eta), 1e-8 * m.P);
    // Its fugacity coefficient is the hard spheres' alone, whatever its ideal
    // gas: ln phi = a_res + Z - 1 - ln Z with the Carnahan-Starling
    // a_res = (4 eta - 3 eta^2)/(1 - eta)^2.
    double x[1] = {1.0};
    m.composition(x);
    m.calculate_fugacities();
    const double Z = carnahanStarlingZ(eta);
    const double ares = (4.0 * eta - 3.0 * eta * eta) / ((1.0 - eta) * (1.0 - eta));
    EXPECT_NEAR(std::log(m.fugcoef[0]), ares + Z - 1.0 - std::log(Z), 1e-10);
}

// ---- multicomponent dispersion: a subclass with constant parameters

namespace {

struct ConstDispersion : Dispersion0 {
    // a_i, c_i, d_i, e_i, b_i per component; one k for every interaction entry.
    ConstDispersion(const std::vector<std::vector<double>>& p, double kA_, double kC_, double kD_, double kE_) {
        const int n = static_cast<int>(p.size());
        preAllocateComponentsNumber(n);
        auto k = [](double v) {
            auto* e = new KVar();
            e->set_scalars1(v);
            return e;
        };
        for (int i = 0; i < n; i++) {
            ai(i) = k(p[i][0]);
            ci(i) = k(p[i][1]);
            di(i) = k(p[i][2]);
            ei(i) = k(p[i][3]);
            b[i] = p[i][4];
            for (int j = 0; j <= i; j++) {
                if (j < i) kA(i, j) = k(kA_);
                for (int l = 0; l <= j; l++) {
                    if (l < i) kC(i, j, l) = k(kC_);
                    for (int m = 0; m <= l; m++) {
                        if (m < i) kD(i, j, l, m) = k(kD_);
                        for (int r = 0; r <= m; r++)
                            if (r < i) kE(i, j, l, m, r) = k(kE_);
                    }
                }
            }
        }
        number_of_components(n);
        root->number_of_variables(n + 2);
        specify_dependencies();
        root->analyze_dependencies();
    }
};

// The closed form over all ordered tuples.
double dispersionClosedForm(const std::vector<std::vector<double>>& p, const std::vector<double>& x, double T,
                            double V, double kA, double kC, double kD, double kE) {
    const int n = static_cast<int>(p.size());
    auto cr = [&](std::initializer_list<int> idx) {
        double s = 0;
        for (int i : idx) s += std::cbrt(p[i][4]);
        s /= idx.size();
        return s * s * s;
    };
    double a = 0, c = 0, d = 0, e = 0;
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) {
            a += x[i] * x[j] * (i == j ? p[i][0] : kA * std::sqrt(p[i][0] * p[j][0]));
            for (int k = 0; k < n; k++) {
                const bool eq3 = i == j && j == k;
                const double ac = std::cbrt(p[i][0] * p[i][1] * p[j][0] * p[j][1] * p[k][0] * p[k][1]);
                c += x[i] * x[j] * x[k] * cr({i, j, k}) * (eq3 ? p[i][0] * p[i][1] : kC * ac);
                for (int l = 0; l < n; l++) {
                    const bool eq4 = eq3 && k == l;
                    const double b4 = cr({i, j, k, l});
                    const double ad = std::pow(p[i][0] * p[i][2] * p[j][0] * p[j][2] * p[k][0] * p[k][2] * p[l][0] * p[l][2], 0.25);
                    d += x[i] * x[j] * x[k] * x[l] * b4 * b4 * (eq4 ? p[i][0] * p[i][2] : kD * ad);
                    for (int m = 0; m < n; m++) {
                        const bool eq5 = eq4 && l == m;
                        const double b5 = cr({i, j, k, l, m});
                        double pr = 1;
                        for (int q : {i, j, k, l, m}) pr *= p[q][0] * p[q][3];
                        const double ae = std::copysign(std::pow(std::fabs(pr), 0.2), pr);
                        e += x[i] * x[j] * x[k] * x[l] * x[m] * b5 * b5 * b5 * (eq5 ? p[i][0] * p[i][3] : kE * ae);
                    }
                }
            }
        }
    return -(a / V + c / (4 * V * V) + d / (16 * V * V * V) + e / (64 * std::pow(V, 4))) / (8.31434 * T);
}

}  // namespace

TEST(Dispersion0, OneComponentClosedForm) {
    const std::vector<std::vector<double>> p = {{0.55, -2.1, 5.3, -9.0, 3e-5}};
    ConstDispersion t(p, 1, 1, 1, 1);
    const double T = 650, V = 5e-5, y = 3e-5 / (4 * V);
    evalTerm(t, T, V, {1.0});
    const double expect = -(0.55 / (8.31434 * T * V)) * (1 - 2.1 * y + 5.3 * y * y - 9.0 * y * y * y);
    EXPECT_NEAR(t.root->value, expect, 1e-13 * std::fabs(expect));
}

TEST(Dispersion0, EqualComponentsReproduceThePureFluid) {
    const std::vector<double> c = {0.55, -2.1, 5.3, -9.0, 3e-5};
    ConstDispersion one({c}, 1, 1, 1, 1), two({c, c}, 1, 1, 1, 1);
    evalTerm(one, 700, 6e-5, {1.0});
    evalTerm(two, 700, 6e-5, {0.35, 0.65});
    EXPECT_NEAR(two.root->value, one.root->value, 1e-12 * std::fabs(one.root->value));
}

TEST(Dispersion0, TernaryAgainstClosedFormAndDerivatives) {
    const std::vector<std::vector<double>> p = {
        {0.55, -2.1, 5.3, -9.0, 2.85e-5}, {1.9, -2.75, 8.1, -9.0, 6.0e-5}, {0.3, -1.2, 2.4, -3.0, 4.9e-5}};
    ConstDispersion t(p, 0.9, 1.1, 1.05, 0.95);
    const std::vector<double> x = {0.6, 0.15, 0.25};
    evalTerm(t, 750, 5.5e-5, x);
    const double expect = dispersionClosedForm(p, x, 750, 5.5e-5, 0.9, 1.1, 1.05, 0.95);
    EXPECT_NEAR(t.root->value, expect, 1e-12 * std::fabs(expect));
    EXPECT_NEAR(t.covolume3(2, 0, 1), std::pow((std::cbrt(2.85e-5) + std::cbrt(6e-5) + std::cbrt(4.9e-5)) / 3, 3), 1e-14 * 4.4e-5);
    checkDerivatives(t, 750, 5.5e-5, x, {0, 1, 2, 3, 4});
}

// ---- dipole-dipole term

TEST(Dipole, OneComponentClosedForm) {
    Dipole t;
    t.number_of_components(1);
    const double b = 2.84959143e-05, mu = 1.85;
    ASSERT_TRUE(t.set_parameters(b, mu));
    const double m = std::pow(95.59 * mu, 2) / (1e6 * b);
    EXPECT_NEAR(t.Acoef[0], -4.0 / 3.0 * b * m * m, 1e-12 * std::fabs(t.Acoef[0]));
    EXPECT_NEAR(t.D[0], 10.0 / 9.0 * b * b * m * m * m, 1e-12 * t.D[0]);
    const double T = 700, V = 4e-5, eta = b / (4 * V);
    evalTerm(t, T, V, {1.0});
    const double I1 = 1 + 0.351469 * eta - 1.83943 * eta * eta + 5.95676 * eta * eta * eta;
    const double I2 = 1 + 1.6054 * eta - 4.4521 * eta * eta + 10.0368 * eta * eta * eta;
    const double A2 = t.Acoef[0] / (T * T) / (4 * V) * I2;
    const double A3 = t.D[0] / (T * T * T) / (16 * V * V) * I1 * I2;
    EXPECT_NEAR(t.root->value, A2 * A2 / (A2 - A3), 1e-12 * std::fabs(A2));
}

TEST(Dipole, MixtureDerivatives) {
    Dipole t;
    t.number_of_components(3);
    ASSERT_TRUE(t.set_parameters(2.84959143e-05, 6.00124e-05, 4.952e-05, 1.85, 6.4, 0.0));
    checkDerivatives(t, 720, 6e-5, {0.9, 0.05, 0.05}, {0, 1, 2, 3, 4});
}

TEST(Dipole, NonPolarFluidHasNoTerm) {
    Dipole t;
    t.number_of_components(1);
    t.set_parameters(4.952e-05, 0.0);
    EXPECT_FALSE(t.isPolar());
    t.T = 300;
    t.V = 1e-4;
    t.calculate_Z();
    EXPECT_EQ(t.Z, 0.0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(t.set_parameters(1.0));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Dipole: 1 parameters given for 1 components"),
              std::string::npos);
}
