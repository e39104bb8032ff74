// The framework's fugacities and state functions against relations that
// thermodynamics imposes on any equation of state and that the framework does
// not use to compute them: the fugacity coefficient as the integral of the
// pressure over the density, the Gibbs-Duhem equation of a mixture, the
// Maxwell relations, and the second virial coefficient's limit (quadratic in
// the composition, and the low-pressure fugacity coefficients it fixes).
// Each is checked on a pure gas, a binary gas and a binary liquid of the van
// der Waals test fluid, with an interaction parameter.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "fluid/tests/TestDataDir.h"
#include "fluid/tests/VdWFluid.h"

namespace {
constexpr double R = 8.31434;
const char* kIdealData = "GasA 5.0 0 0 40.0 A\nGasB 7.0 0.5 -1000 50.0 B\n";

struct Case {
    const char* name;
    std::vector<double> x;
    double T, Pbar;
    int kind;  // 1 vapour, 2 liquid
};

// CO2-like and water-like van der Waals constants (Tc 304 K and 647 K).
const std::vector<double> kA = {0.3658, 0.5537}, kB = {4.286e-5, 3.049e-5};
constexpr double kKij = 0.08;

const Case kCases[] = {
    {"pure gas", {1.0}, 330.0, 50.0, 1},
    {"binary gas", {0.35, 0.65}, 420.0, 60.0, 1},
    {"binary liquid", {0.2, 0.8}, 300.0, 100.0, 2},
};

std::unique_ptr<VdWFluid> fluidFor(const Case& c, bool withIdeal) {
    const std::size_t n = c.x.size();
    auto f = std::make_unique<VdWFluid>(std::vector<double>(kA.begin(), kA.begin() + n),
                                        std::vector<double>(kB.begin(), kB.begin() + n), withIdeal, kKij, c.kind);
    if (withIdeal) {
        if (n == 1)
            f->add_component("GasA");
        else
            f->add_components("GasA", "GasB");
    }
    double bmix = 0.0;
    for (std::size_t i = 0; i < n; ++i) bmix += c.x[i] * kB[i];
    f->liquidStart = 1.2 * bmix;
    return f;
}

void setComposition(VdWFluid& f, const std::vector<double>& x) {
    for (std::size_t i = 0; i < x.size(); ++i) f.composition_of_component(static_cast<int>(i), x[i]);
}

// ln phi_i at (T, P) from the volume search.
std::vector<double> lnPhiAtTP(VdWFluid& f, const std::vector<double>& x, double T, double Pbar) {
    setComposition(f, x);
    f.calculateFromTP(T, Pbar, 0);
    EXPECT_EQ(f.errorflag, 0);
    std::vector<double> l;
    for (std::size_t i = 0; i < x.size(); ++i) l.push_back(std::log(f.fugcoef[i]));
    return l;
}

// Z at (T, rho) from the pressure alone.
double zAt(VdWFluid& f, double T, double rho) {
    f.temperature(T);
    f.volume(1.0 / rho);
    f.calculate_pressure();
    return f.Z;
}

// The integral of g over [0, top] by 5-point Gauss-Legendre rules on 40 panels.
template <class G>
double integrate(G g, double top) {
    const double s = std::sqrt(10.0 / 7.0);
    const double u[5] = {0.0, std::sqrt(5.0 - 2.0 * s) / 3.0, -std::sqrt(5.0 - 2.0 * s) / 3.0,
                         std::sqrt(5.0 + 2.0 * s) / 3.0, -std::sqrt(5.0 + 2.0 * s) / 3.0};
    const double w70 = 13.0 * std::sqrt(70.0);
    const double w[5] = {128.0 / 225.0, (322.0 + w70) / 900.0, (322.0 + w70) / 900.0, (322.0 - w70) / 900.0,
                         (322.0 - w70) / 900.0};
    constexpr int kPanels = 40;
    const double h = top / kPanels;
    double sum = 0.0;
    for (int k = 0; k < kPanels; ++k)
        for (int j = 0; j < 5; ++j) sum += 0.5 * h * w[j] * g((k + 0.5 + 0.5 * u[j]) * h);
    return sum;
}
}  // namespace

// ln phi of the mixture, sum_i x_i ln phi_i, is the residual Gibbs energy
// over R T: the integral of (Z - 1)/rho over the density from 0 to the
// state's, plus Z - 1 - ln Z, evaluated here from the pressure alone.
TEST(ThermodynamicIdentities, FugacityIsTheIntegralOfThePressure) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        auto f = fluidFor(c, false);
        const std::vector<double> lnPhi = lnPhiAtTP(*f, c.x, c.T, c.Pbar);
        const double V = f->V, Z = f->Z;
        double mixture = 0.0;
        for (std::size_t i = 0; i < c.x.size(); ++i) mixture += c.x[i] * lnPhi[i];
        const double integral = integrate([&](double rho) { return (zAt(*f, c.T, rho) - 1.0) / rho; }, 1.0 / V);
        EXPECT_NEAR(mixture, integral + Z - 1.0 - std::log(Z), 1e-9) << "Z " << Z;
    }
}

// Gibbs-Duhem: sum_i x_i d ln phi_i = (Z - 1)/P dP - H_res/(R T^2) dT, so
// that along the composition at constant T and P the weighted changes
// cancel, and along P and T they give the residual volume and enthalpy.
// Central differences of the coefficients against the state's Z and
// residual energy (the fluid without its ideal part).
TEST(ThermodynamicIdentities, FugacityCoefficientsObeyGibbsDuhem) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        auto f = fluidFor(c, false);
        const std::size_t n = c.x.size();
        lnPhiAtTP(*f, c.x, c.T, c.Pbar);
        // The residual enthalpy from the residual energy: H_res = U_res + (Z - 1) R T.
        const double Z = f->Z, Hres = f->U + (Z - 1.0) * R * c.T;
        auto weighted = [&](const std::vector<double>& a, const std::vector<double>& b, double h) {
            double s = 0.0, scale = 0.0;
            for (std::size_t i = 0; i < n; ++i) {
                s += c.x[i] * (a[i] - b[i]) / (2.0 * h);
                scale = std::fmax(scale, std::fabs(c.x[i] * (a[i] - b[i]) / (2.0 * h)));
            }
            return std::array<double, 2>{s, scale};
        };
        const double hP = 1e-3 * c.Pbar;
        const auto dP = weighted(lnPhiAtTP(*f, c.x, c.T, c.Pbar + hP), lnPhiAtTP(*f, c.x, c.T, c.Pbar - hP), hP * 1e5);
        EXPECT_NEAR(dP[0], (Z - 1.0) / (c.Pbar * 1e5), 1e-6 * std::fabs(Z - 1.0) / (c.Pbar * 1e5));
        const double hT = 1e-3;
        const auto dT = weighted(lnPhiAtTP(*f, c.x, c.T + hT, c.Pbar), lnPhiAtTP(*f, c.x, c.T - hT, c.Pbar), hT);
        EXPECT_NEAR(dT[0], -Hres / (R * c.T * c.T), 1e-6 * std::fabs(Hres) / (R * c.T * c.T));
        if (n < 2) continue;
        const double hx = 1e-4;
        const auto dx = weighted(lnPhiAtTP(*f, {c.x[0] + hx, c.x[1] - hx}, c.T, c.Pbar),
                                 lnPhiAtTP(*f, {c.x[0] - hx, c.x[1] + hx}, c.T, c.Pbar), hx);
        EXPECT_GT(dx[1], 0.01);
        EXPECT_NEAR(dx[0], 0.0, 1e-7 * dx[1]);
    }
}

// Maxwell relations of the full state (ideal part included): (dS/dV)_T =
// (dP/dT)_V from the entropy at neighbouring volumes, and (dS/dP)_T =
// -(dV/dT)_P from the entropy at neighbouring pressures.
TEST(ThermodynamicIdentities, MaxwellRelations) {
    TestDataDir data("maxwell");
    data.write("compo/standard.txt", kIdealData);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        auto f = fluidFor(c, true);
        setComposition(*f, c.x);
        f->calculateFromTP(c.T, c.Pbar, 0);
        ASSERT_EQ(f->errorflag, 0);
        const double V = f->V, dPdT = f->dPdT, dVdT = f->dVdT;
        auto entropyTV = [&](double v) {
            f->calculateFromTV(c.T, v, 0);
            return f->S;
        };
        const double hV = 1e-5 * V;
        EXPECT_NEAR((entropyTV(V + hV) - entropyTV(V - hV)) / (2.0 * hV), dPdT, 1e-6 * std::fabs(dPdT));
        auto entropyTP = [&](double Pbar) {
            f->calculateFromTP(c.T, Pbar, 0);
            return f->S;
        };
        const double hP = 1e-4 * c.Pbar;
        EXPECT_NEAR((entropyTP(c.Pbar + hP) - entropyTP(c.Pbar - hP)) / (2.0 * hP * 1e5), -dVdT,
                    1e-6 * std::fabs(dVdT));
    }
}

// The second virial coefficient B = lim (Z - 1) V at vanishing density is
// quadratic in the composition, B = sum_ij x_i x_j B_ij, and fixes the
// fugacity coefficients at vanishing pressure: ln phi_i = (2 sum_j x_j B_ij -
// B) P/(R T).  B from the pressure at two low densities (Richardson's
// extrapolation of the third coefficient), the B_ij from the pure fluids and
// the equimolar mixture.
TEST(ThermodynamicIdentities, SecondVirialCoefficientLimit) {
    const Case& c = kCases[1];
    auto f = fluidFor(c, false);
    auto virialB = [&](double x0) {
        setComposition(*f, {x0, 1.0 - x0});
        auto g = [&](double V) { return (zAt(*f, c.T, 1.0 / V) - 1.0) * V; };
        return 2.0 * g(20.0) - g(10.0);
    };
    const double B11 = virialB(1.0), B22 = virialB(0.0), B12 = 0.5 * (4.0 * virialB(0.5) - B11 - B22);
    auto quadratic = [&](double x0) {
        const double x1 = 1.0 - x0;
        return x0 * x0 * B11 + 2.0 * x0 * x1 * B12 + x1 * x1 * B22;
    };
    for (double x0 : {0.1, 0.35, 0.8}) EXPECT_NEAR(virialB(x0), quadratic(x0), 1e-9 * std::fabs(B22));
    const double Pbar = 1e-5;  // 1 Pa
    const double B = quadratic(c.x[0]);
    const std::vector<double> lnPhi = lnPhiAtTP(*f, c.x, c.T, Pbar);
    const double limit[2] = {(2.0 * (c.x[0] * B11 + c.x[1] * B12) - B) * Pbar * 1e5 / (R * c.T),
                             (2.0 * (c.x[0] * B12 + c.x[1] * B22) - B) * Pbar * 1e5 / (R * c.T)};
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(lnPhi[i], limit[i], 1e-6 * std::fabs(limit[i])) << i;
}
