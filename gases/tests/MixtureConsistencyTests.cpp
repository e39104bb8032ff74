// Thermodynamic consistency of every mixture model of the system that can be
// built from the repository's own data, at states (T, P, x) inside each
// model's range, binary, ternary where the model takes three components, and
// near an end of composition (a mole fraction of 0.02).  Each check is an
// independent evaluation written here from the model's own residual
// Helmholtz energy, never from its fugacity pass:
//   - a_res(T, v, x): for a model made of terms, from its reduced Helmholtz
//     energy a = A/(RT) (the terms and the ideal-gas part) at v and at the
//     dilute volumes Vd and 2 Vd of the same T and x (the ideal gas's
//     composition and temperature parts cancel, its -ln V is put back, the
//     B/Vd remainder is eliminated by the two volumes); for a closed-form
//     cubic, which gives no Helmholtz energy, the integral of its own
//     pressure, (Z - 1)/rho from 0 to 1/v;
//   - ln phi_i = d(n a_res)/dn_i at fixed T and total volume - ln Z, by
//     central differences in n_i;
//   - sum x_i ln phi_i = g_res/(RT) = a_res + Z - 1 - ln Z;
//   - Gibbs-Duhem, sum x_i d ln phi_i = 0, for a change of composition at
//     fixed T and P, and the model's composition derivatives of the
//     fugacities (where it gives them) against the same differences;
//   - the model's (d ln f_i/dP)_T and (d ln f_i/dT)_P (where it gives them)
//     against differences, and sum x_i Vbar_i = V;
//   - a component absent (x = 0) keeps the coefficient its dilute solution
//     tends to;
//   - P = -(dA/dV)_T,x by central differences;
//   - the same mixture with its components in another order gives each
//     component the same phi and the same P at the same T and V (relative
//     1e-12), and the same V from T and P (1e-9, the volume search's own
//     tolerance).  Models of a fixed order (water first: Daridon binary,
//     Holloway, Anderko) are not reordered;
//   - the state functions at (T, V) without the fugacities are the full
//     state's to the last bit, and the fugacities asked afterwards complete
//     it to the last bit.
//
// Not in the list: Heyen's cubic, whose components need keywords ("slope",
// "nn", "m", "teta", "Vc") that no component file of the repository holds;
// the Lee-Kesler models (BWREOS, BWR_EOS, LK_EOS), one-component fluids in
// reduced variables; DMW1, one component; the Duan CO2-CH4 mixture and the
// Duan H2O-CH4 mixture at or above 513.15 K, which refuse every state (their
// interaction rows could not be traced to the published ones); the Anderko
// systems H2O-NaCl-KCl and H2O-NaCl-CO2-CH4, which have no parameters; and
// H2O-NaCl, checked with its own family.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "families/anderko/Anderko.h"
#include "families/anderko/BoublikEOS.h"
#include "families/cubic/ClassicalCubic0.h"
#include "families/cubic/CriticalInterpolation.h"
#include "families/cubic/DaridonEOS.h"
#include "families/cubic/HCubic.h"
#include "families/cubic/PRNirma.h"
#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "families/cubic/SRK2.h"
#include "families/cubic/Virial.h"
#include "families/cubic/VirialEos.h"
#include "families/duan/DMW1.h"
#include "families/kreglewski/Kreglewski_EOS.h"
#include "magma/HollowayEOS.h"
#include "gases/tests/QuietlyMade.h"

namespace {

constexpr double R = FluidPhase::R;

using Names = std::vector<std::string>;
using Maker = std::function<std::unique_ptr<FluidPhase>(const Names&)>;

struct MixState {
    double T;              // K
    double P;              // bar
    std::vector<double> x;  // in the order of the model's names
};

struct MixModel {
    std::string name;
    // A closed-form model that gives fugacities but no Helmholtz energy: its
    // a_res is the integral of its own pressure, (Z - 1)/rho over the density.
    bool pressureOnly;
    Names names;             // its components
    Maker make;              // the model of these components, in the order given
    std::vector<int> order;  // another order of the same components (empty: fixed order)
    std::vector<MixState> states;
};

// A model of named components (number_of_components, then add_component in
// order), with `pairs` run on it once its components are in.
template <class M, class... Args>
Maker named(std::function<void(M&, const Names&)> pairs, Args... args)
{
    return [pairs, args...](const Names& names) -> std::unique_ptr<FluidPhase> {
        auto m = std::make_unique<M>(args...);
        m->number_of_components(static_cast<int>(names.size()));
        for (const std::string& c : names)
            m->add_component(c.c_str());
        if (pairs)
            pairs(*m, names);
        return m;
    };
}

int indexOf(const Names& names, const char* c)
{
    return static_cast<int>(std::find(names.begin(), names.end(), c) - names.begin());
}

// Pair parameters set by component name, so that they follow the components
// in any order: kaij and kbij of the cubics whose mixing rules take both.
template <class M>
std::function<void(M&, const Names&)> cubicPair(const char* c1, const char* c2, double ka, double kb)
{
    return [=](M& m, const Names& names) {
        m.set_binary_interaction_kaij(indexOf(names, c1), indexOf(names, c2), ka);
        m.set_binary_interaction_kbij(indexOf(names, c1), indexOf(names, c2), kb);
    };
}

Maker anderkoSystem(const char* system)
{
    return [system](const Names&) -> std::unique_ptr<FluidPhase> {
        auto m = std::make_unique<Anderko>(1);
        m->setSystemType(system);
        return m;
    };
}

// The binary virial gas of B = a x1^2 + 2 b x1 x2 + c x2^2 with the second
// virial coefficients of N2 and CH4 near 400 K (m3/mol) and a cross one.
Maker virialBinary()
{
    return [](const Names& names) -> std::unique_ptr<FluidPhase> {
        auto m = std::make_unique<VirialEos>(1, 0, 0);
        for (const std::string& c : names)
            m->add_component(c.c_str());
        const double BN2 = 9e-6, BCH4 = -15e-6, Bx = -4e-6;
        const bool n2First = names[0] == "N2";
        static_cast<Virial*>(m->interactions[0])->set_virial_parameters(n2First ? BN2 : BCH4, Bx,
                                                                        n2First ? BCH4 : BN2);
        return m;
    };
}

// Hard spheres of 0.28 nm ("A") and 0.39 nm ("B"), by name in any order.
Maker hardSphereMixture()
{
    return [](const Names& names) -> std::unique_ptr<FluidPhase> {
        auto m = std::make_unique<BoublikEOS>(1);
        m->number_of_components(static_cast<int>(names.size()));
        for (std::size_t i = 0; i < names.size(); i++)
            m->set_hard_sphere_diameter(static_cast<int>(i), names[i] == "A" ? 2.8e-10 : 3.9e-10);
        return m;
    };
}

// Nodes and weights of Gauss-Legendre quadrature of 24 points on [-1, 1]:
// the roots of P_24 by Newton's method from Chebyshev starts.
std::vector<std::pair<double, double>> gaussLegendre24()
{
    constexpr int n = 24;
    std::vector<std::pair<double, double>> q;
    for (int k = 1; k <= n; k++) {
        double t = std::cos(M_PI * (k - 0.25) / (n + 0.5)), dp = 0.0;
        for (int it = 0; it < 100; it++) {
            double p0 = 1.0, p1 = t;
            for (int j = 2; j <= n; j++) {
                const double p2 = ((2 * j - 1) * t * p1 - (j - 1) * p0) / j;
                p0 = p1;
                p1 = p2;
            }
            dp = n * (t * p1 - p0) / (t * t - 1.0);
            const double step = p1 / dp;
            t -= step;
            if (std::fabs(step) < 1e-16)
                break;
        }
        q.emplace_back(t, 2.0 / ((1.0 - t * t) * dp * dp));
    }
    return q;
}

// The reduced Helmholtz energy a = A/(RT) of the model at (T, V) and its
// current composition: the sum of its terms and its ideal-gas part, as the
// state-function pass forms it (read from the terms, so that a fluid whose
// ideal gas lacks its temperature data is checked all the same).
double reducedA(FluidPhase& m, double T, double V)
{
    m.calculateFromTV(T, V, 0);
    double a = 0.0;
    for (const Interaction* t : m.interactions)
        if (t)
            a += t->A;
    if (m.ideal && std::isfinite(m.ideal->A))
        a += m.ideal->A;
    return a;
}

// a_res(T, v, x): a(v) - a(Vd) + ln(v/Vd) is a_res(v) - a_res(Vd), and
// a_res(Vd) = B/Vd + O(1/Vd^2); the dilute volumes Vd and 2 Vd eliminate B.
double residualA(FluidPhase& m, double T, double v, const std::vector<double>& x, bool pressureOnly)
{
    m.composition(x.data());
    if (pressureOnly) {
        // a_res = integral from 0 to 1/v of (Z - 1)/rho drho, the model's P at
        // each density; the integrand is analytic on the interval (its nearest
        // singularity the co-volume, at a density twice the state's or more),
        // so that Gauss-Legendre of 24 points leaves no error above rounding.
        const double rho = 1.0 / v;
        double sum = 0.0;
        for (const auto& [t, w] : gaussLegendre24()) {
            const double r = 0.5 * rho * (1.0 + t);
            m.calculateFromTV(T, 1.0 / r, 0);
            sum += w * (m.P / (r * R * T) - 1.0) / r;
        }
        return 0.5 * rho * sum;
    }
    constexpr double Vd = 10.0;  // m3/mol
    const double a = reducedA(m, T, v);
    const double d1 = a - reducedA(m, T, Vd) + std::log(v / Vd);
    const double d2 = a - reducedA(m, T, 2.0 * Vd) + std::log(v / (2.0 * Vd));
    return 2.0 * d2 - d1;
}

// n a_res(T, V/n, n/sum n) of the mole numbers n at the total volume V.
double totalResidualA(FluidPhase& m, double T, double V, const std::vector<double>& n, bool pressureOnly)
{
    double sum = 0.0;
    for (double ni : n)
        sum += ni;
    std::vector<double> x(n);
    for (double& xi : x)
        xi /= sum;
    return sum * residualA(m, T, V / sum, x, pressureOnly);
}

struct Fugacities {
    double P, V, Z;
    std::vector<double> lnphi;
};

// The state from T and P (bar), or from T and V (m3/mol) with byVolume.
Fugacities stateOf(FluidPhase& m, double T, double PorV, const std::vector<double>& x, bool byVolume)
{
    m.composition(x.data());
    if (byVolume)
        m.calculateFromTV(T, PorV, 0);
    else
        m.calculateFromTP(T, PorV, 0);
    EXPECT_EQ(m.errorflag, 0) << T << " K, " << PorV << (byVolume ? " m3/mol" : " bar");
    Fugacities f{m.P, m.V, m.Z, {}};
    for (int i = 0; i < m.component_count; i++)
        f.lnphi.push_back(std::log(m.fugcoef[i]));
    return f;
}

Fugacities fromTP(FluidPhase& m, double T, double P, const std::vector<double>& x)
{
    return stateOf(m, T, P, x, false);
}

Fugacities fromTV(FluidPhase& m, double T, double V, const std::vector<double>& x)
{
    return stateOf(m, T, V, x, true);
}

// Central difference of f in h, Richardson-extrapolated (error of order h^4).
double derivative(const std::function<double(double)>& f, double h)
{
    auto d = [&](double k) { return (f(k) - f(-k)) / (2.0 * k); };
    return (4.0 * d(0.5 * h) - d(h)) / 3.0;
}

void checkMixtureState(FluidPhase& m, const MixState& s, bool pressureOnly)
{
    const int n = m.component_count;
    ASSERT_EQ(static_cast<int>(s.x.size()), n);
    const double T = s.T;
    const Fugacities f = fromTP(m, T, s.P, s.x);
    ASSERT_EQ(m.errorflag, 0);
    const double V = f.V, Z = f.Z;
    SCOPED_TRACE(testing::Message() << T << " K, " << s.P << " bar, V " << V << " m3/mol");
    for (double l : f.lnphi)
        ASSERT_TRUE(std::isfinite(l));
    EXPECT_NEAR(f.P, s.P * 1e5, 1e-8 * s.P * 1e5) << "the volume search gives P back";

    // ln phi_i = d(n a_res)/dn_i at fixed T, V - ln Z.  Rounding of a_res
    // (about 1e-14) over the step 1e-3 and the h^4 remainder: 1e-9 (the
    // models agree within 1.2e-10).
    const double ares = residualA(m, T, V, s.x, pressureOnly);
    for (int i = 0; i < n; i++) {
        const double d = derivative(
            [&](double h) {
                std::vector<double> nn(s.x);
                nn[i] += h;
                return totalResidualA(m, T, V, nn, pressureOnly);
            },
            1e-3);
        EXPECT_NEAR(f.lnphi[i], d - std::log(Z), 1e-9 + 1e-9 * std::fabs(f.lnphi[i]))
            << "ln phi of component " << i << " against d(n a_res)/dn_i at fixed T, V";
    }

    // g_res/(RT) = sum x_i ln phi_i = a_res + Z - 1 - ln Z.  The dilute
    // volumes leave C/(4 Vd^2) in a_res, about 1e-11 for these fluids.
    double g = 0.0;
    for (int i = 0; i < n; i++)
        g += s.x[i] * f.lnphi[i];
    EXPECT_NEAR(g, ares + Z - 1.0 - std::log(Z), 2e-10 + 2e-10 * std::fabs(g)) << "sum x_i ln phi_i = g_res/(RT)";

    // Gibbs-Duhem at fixed T, P, along every exchange of component 0 with
    // another: the sum vanishes within the O(dx^2) error of the difference,
    // relative to the size of its terms (and the 1e-10 of the volume
    // searches over the step 1e-4).  The same differences check the
    // model's composition derivatives of the fugacities at fixed T, P (the
    // Jacobian of its phase-equilibrium solvers): along x0 + h, xj - h,
    // d ln phi_i = (df_i/dx0 - df_i/dxj)/f_i - (delta_i0 - delta_ij)/x_i.
    fromTP(m, T, s.P, s.x);
    const std::vector<std::vector<double>> dfdx = m.dfugacitydx;
    const std::vector<double> fug = m.fugacity;
    for (int j = 1; j < n; j++) {
        double sum = 0.0, size = 0.0;
        for (int i = 0; i < n; i++) {
            const double d = derivative(
                [&](double h) {
                    std::vector<double> x(s.x);
                    x[0] += h;
                    x[j] -= h;
                    return fromTP(m, T, s.P, x).lnphi[i];
                },
                1e-4);
            sum += s.x[i] * d;
            size += std::fabs(s.x[i] * d);
            const double analytic =
                (dfdx[i][0] - dfdx[i][j]) / fug[i] - ((i == 0) - (i == j)) / s.x[i];
            if (pressureOnly && !std::isfinite(analytic))
                continue;  // a closed form without composition derivatives
            EXPECT_NEAR(analytic, d, 1e-7 * std::fabs(d) + 1e-9)
                << "d ln phi_" << i << " of the model's d fugacity/dx, component 0 exchanged with " << j;
        }
        EXPECT_NEAR(sum, 0.0, 1e-7 * size + 1e-9) << "Gibbs-Duhem, component 0 exchanged with " << j;
    }

    // The model's derivatives of the fugacities at fixed composition against
    // central differences (where it gives them): (d ln f_i/dP)_T = Vbar_i/(RT)
    // with sum x_i Vbar_i = V, and (d ln f_i/dT)_P, within 1e-6 (the volume
    // searches' rounding over the steps).
    {
        fromTP(m, T, s.P, s.x);
        const std::vector<double> fP = m.dfugacitydP, fT = m.dfugacitydT;
        double vsum = 0.0;
        for (int i = 0; i < n; i++) {
            const double dP = derivative(
                                  [&](double h) {
                                      return fromTP(m, T, s.P * (1.0 + h), s.x).lnphi[i] + std::log1p(h);
                                  },
                                  1e-4) /
                              (s.P * 1e5);
            const double dT = derivative([&](double h) { return fromTP(m, T + h, s.P, s.x).lnphi[i]; }, 1e-4 * T);
            vsum += s.x[i] * dP * R * T;
            if (!std::isfinite(fP[i]) && pressureOnly)
                continue;
            EXPECT_NEAR(fP[i] / fug[i], dP, 1e-6 * std::fabs(dP)) << "(d ln f/dP)_T of component " << i;
            EXPECT_NEAR(fT[i] / fug[i], dT, 1e-6 * std::fabs(dT) + 1e-9) << "(d ln f/dT)_P of component " << i;
        }
        EXPECT_NEAR(vsum, V, 1e-7 * V) << "sum x_i Vbar_i = V";
    }

    // At the end of composition: a component of 0.02 taken out altogether
    // keeps a finite coefficient, the limit of its dilute solution: the
    // coefficients at x = 0 on the line through those at x = 1e-7 and 2e-7.
    for (int k = 0; k < n; k++) {
        if (s.x[k] > 0.02)
            continue;
        auto without = [&](double xk) {
            std::vector<double> x(s.x);
            for (double& xi : x)
                xi *= (1.0 - xk) / (1.0 - s.x[k]);
            x[k] = xk;
            return fromTP(m, T, s.P, x);
        };
        const Fugacities end = without(0.0), d1 = without(1e-7), d2 = without(2e-7);
        for (int i = 0; i < n; i++)
            EXPECT_NEAR(end.lnphi[i], 2.0 * d1.lnphi[i] - d2.lnphi[i], 1e-8)
                << "ln phi of component " << i << " with component " << k << " absent";
    }

    // P = -(dA/dV)_T,x, within 1e-9 (the models agree within 2e-11).
    if (pressureOnly)
        return;
    m.composition(s.x.data());
    const double dadV = derivative([&](double h) { return reducedA(m, T, V * (1.0 + h)); }, 1e-3) / V;
    EXPECT_NEAR(-R * T * dadV, f.P, 1e-9 * f.P) << "P = -(dA/dV)_T";
}

// The same components in another order: the same state, component by component.
void checkOrder(const MixModel& mc, FluidPhase& m, const MixState& s)
{
    Names names;
    std::vector<double> x;
    for (int k : mc.order) {
        names.push_back(mc.names[k]);
        x.push_back(s.x[k]);
    }
    std::unique_ptr<FluidPhase> p = mc.make(names);
    const Fugacities f = fromTP(m, s.T, s.P, s.x);
    const Fugacities g = fromTV(*p, s.T, f.V, x);
    SCOPED_TRACE(testing::Message() << "components reordered, " << s.T << " K, " << s.P << " bar");
    EXPECT_NEAR(g.P, f.P, 1e-12 * f.P);
    for (std::size_t k = 0; k < mc.order.size(); k++)
        EXPECT_NEAR(g.lnphi[k], f.lnphi[mc.order[k]], 1e-12 + 1e-12 * std::fabs(f.lnphi[mc.order[k]]))
            << "ln phi of " << names[k];
    // The volume search of the reordered model stops within its own tolerance.
    EXPECT_NEAR(fromTP(*p, s.T, s.P, x).V, f.V, 1e-9 * f.V);
}

// Every quantity of a state at (T, V): the state functions, then what the
// fugacity pass gives (Z, P and their derivatives again, the fugacities).
struct FullState {
    std::vector<double> functions, pass;
};

FullState fullStateOf(const FluidPhase& m)
{
    FullState q;
    q.functions = {m.A,     m.U,      m.H,      m.G,      m.S,      m.Cv,     m.Cp,      m.soundSpeed,
                   m.dSdTv, m.dSdVt,  m.dHdTv,  m.dHdVt,  m.dAdT,   m.dAdV,   m.d2AdT2,  m.d2AdTdV,
                   m.d2AdV2, m.jouleThomson};
    q.pass = {m.Z, m.P, m.dZdT, m.dZdV, m.dZdP, m.dPdT, m.dPdV, m.dVdT};
    const int n = m.component_count;
    for (int i = 0; i < n; i++) {
        for (double v : {m.fugacity[i], m.fugcoef[i], m.dfugacitydT[i], m.dfugacitydP[i], m.dfugacitydV[i],
                         m.rcp[i], m.dPdx[i], m.dVdx[i]})
            q.pass.push_back(v);
        for (int k = 0; k < n; k++)
            q.pass.push_back(m.dfugacitydx[i][k]);
    }
    return q;
}

// The same number to the last bit (both NaN where a model withholds one).
void expectSameBits(const std::vector<double>& got, const std::vector<double>& want, const char* what)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < got.size(); k++)
        EXPECT_TRUE(got[k] == want[k] || (std::isnan(got[k]) && std::isnan(want[k])))
            << what << " " << k << ": " << got[k] << " against " << want[k];
}

// The state functions at (T, V) without the fugacities, from another state
// before, are the full state's to the last bit, its P and Z to rounding; the
// fugacities asked afterwards at the same state complete it, every number
// the full state's.
void checkStateWithoutFugacities(FluidPhase& m, const MixState& s)
{
    const double V = fromTP(m, s.T, s.P, s.x).V;
    m.calculateFromTV(s.T, V, 0);
    ASSERT_EQ(m.errorflag, 0);
    const FullState full = fullStateOf(m);
    m.calculateFromTV(1.1 * s.T, 0.9 * V, 0);
    m.calculateStateFunctionsFromTV(s.T, V);
    EXPECT_EQ(m.errorflag, 0);
    expectSameBits(fullStateOf(m).functions, full.functions, "state function");
    EXPECT_NEAR(m.P, full.pass[1], 1e-13 * std::fabs(full.pass[1]));
    EXPECT_NEAR(m.Z, full.pass[0], 1e-13 * std::fabs(full.pass[0]));
    m.calculate_fugacities();
    EXPECT_EQ(m.errorflag, 0);
    const FullState completed = fullStateOf(m);
    expectSameBits(completed.functions, full.functions, "state function");
    expectSameBits(completed.pass, full.pass, "fugacity pass");
}

// SRK2's CO2-CH4 parameters stepping from 0.08 to 0.13 (kaij) and from 0.02
// to -0.03 (kbij) over 20 K about 350 K, where a state lies.
std::function<void(SRK2&, const Names&)> steppedPair()
{
    return [](SRK2& m, const Names& names) {
        const int i = indexOf(names, "CO2"), j = indexOf(names, "CH4");
        m.set_binary_interaction_kaij(i, j, 0.08, 0.13, 350.0, 20.0);
        m.set_binary_interaction_kbij(i, j, 0.02, -0.03, 350.0, 20.0);
    };
}

template <class M>
std::function<void(M&, const Names&)> noPairs()
{
    return nullptr;
}

std::vector<MixModel> mixtureModels()
{
    const Names co2ch4{"CO2", "CH4"}, co2ch4n2{"CO2", "CH4", "N2"}, h2oco2{"H2O", "CO2"};
    const Names h2oco2ch4{"H2O", "CO2", "CH4"};
    // Gas and dense fluid states of CO2-CH4(-N2), supercritical water-gas fluids.
    const std::vector<MixState> gas2{{300, 50, {0.3, 0.7}}, {400, 200, {0.02, 0.98}}, {350, 120, {0.98, 0.02}}};
    const std::vector<MixState> gas3{{320, 80, {0.3, 0.5, 0.2}}, {400, 300, {0.02, 0.5, 0.48}}};
    const std::vector<MixState> water2{{700, 500, {0.6, 0.4}}, {900, 1000, {0.98, 0.02}}};
    const std::vector<MixState> water3{{700, 500, {0.6, 0.3, 0.1}}, {900, 1000, {0.02, 0.49, 0.49}}};
    const std::vector<MixState> brine2{{1000, 1000, {0.9, 0.1}}, {1100, 1500, {0.98, 0.02}}};
    const std::vector<MixState> brine3{{1000, 1000, {0.8, 0.05, 0.15}}, {1100, 1500, {0.9, 0.02, 0.08}}};
    return {
        {"SRK1", false, co2ch4, named<SRK1>(cubicPair<SRK1>("CO2", "CH4", 0.1, 0.05), 1, 0), {1, 0}, gas2},
        {"SRK1 ternary", false, co2ch4n2, named<SRK1>(cubicPair<SRK1>("CO2", "N2", -0.05, 0.03), 1, 0), {2, 0, 1}, gas3},
        {"SRK2", false, co2ch4, named<SRK2>(steppedPair(), 1), {1, 0}, gas2},
        {"PRSV", false, co2ch4, named<PRSV>(cubicPair<PRSV>("CO2", "CH4", 0.1, 0.05), 1, 0), {1, 0}, gas2},
        {"PRSV ternary", false, co2ch4n2, named<PRSV>(cubicPair<PRSV>("CH4", "N2", 0.04, -0.02), 1, 0), {1, 2, 0}, gas3},
        {"PRNirma", false, h2oco2, named<PRNirma>(cubicPair<PRNirma>("H2O", "CO2", 0.1, 0.05), 1, 0, 0), {1, 0}, water2},
        {"PRNirma ternary", false, h2oco2ch4, named<PRNirma>(noPairs<PRNirma>(), 1, 0, 0), {2, 1, 0}, water3},
        {"DaridonEOS", false, h2oco2, named<DaridonEOS>(noPairs<DaridonEOS>(), 1), {}, water2},
        {"DaridonEOS ternary", false, h2oco2ch4, named<DaridonEOS>(noPairs<DaridonEOS>(), 1), {0, 2, 1}, water3},
        {"Kreglewski", false, co2ch4, named<Kreglewski_EOS>(noPairs<Kreglewski_EOS>(), 1), {1, 0}, gas2},
        {"Kreglewski CO2-N2", false, {"CO2", "N2"}, named<Kreglewski_EOS>(noPairs<Kreglewski_EOS>(), 1), {1, 0}, gas2},
        {"DMW2", false, h2oco2, named<DMW2>(noPairs<DMW2>(), 1), {1, 0}, water2},
        {"DMWEOS H2O-CO2", false, h2oco2, named<DMWEOS>(noPairs<DMWEOS>(), 1), {1, 0}, water2},
        {"DMWEOS H2O-CH4", false, {"H2O", "CH4"}, named<DMWEOS>(noPairs<DMWEOS>(), 1), {1, 0},
         {{450, 200, {0.02, 0.98}}, {500, 300, {0.1, 0.9}}}},
        {"HollowayEOS", false, h2oco2, [](const Names&) -> std::unique_ptr<FluidPhase> { return std::make_unique<HollowayEOS>(1); },
         {}, {{900, 500, {0.6, 0.4}}, {1100, 2000, {0.02, 0.98}}}},
        {"VirialEos", false, {"N2", "CH4"}, virialBinary(), {1, 0}, {{400, 5, {0.4, 0.6}}, {500, 10, {0.02, 0.98}}}},
        {"Anderko H2O-CO2", false, h2oco2, anderkoSystem("H2O-CO2"), {}, water2},
        {"Anderko H2O-CH4", false, {"H2O", "CH4"}, anderkoSystem("H2O-CH4"), {}, water2},
        {"Anderko H2O-KCl", false, {"H2O", "KCl"}, anderkoSystem("H2O-KCl"), {}, brine2},
        {"Anderko H2O-NaCl-CO2", false, {"H2O", "NaCl", "CO2"}, anderkoSystem("H2O-NaCl-CO2"), {}, brine3},
        {"Anderko H2O-NaCl-CH4", false, {"H2O", "NaCl", "CH4"}, anderkoSystem("H2O-NaCl-CH4"), {}, brine3},
        {"Anderko NaCl-CO2", false, {"NaCl", "CO2"}, anderkoSystem("NaCl-CO2"), {}, {{1300, 1000, {0.3, 0.7}}, {1400, 1500, {0.02, 0.98}}}},
        {"ClassicalSRK", true, co2ch4, named<ClassicalSRK>(noPairs<ClassicalSRK>(), 1), {1, 0}, gas2},
        {"ClassicalSRK ternary", true, co2ch4n2, named<ClassicalSRK>(noPairs<ClassicalSRK>(), 1), {2, 0, 1}, gas3},
        {"ClassicalCubic01", true, {"CH4", "C2H6", "C3H8"}, named<ClassicalCubic01>(noPairs<ClassicalCubic01>(), 1),
         {2, 0, 1}, {{400, 100, {0.5, 0.3, 0.2}}, {450, 200, {0.02, 0.49, 0.49}}}},
        {"Montel", true, co2ch4n2, named<Montel>(noPairs<Montel>(), 1), {1, 2, 0}, gas3},
        {"CriticalInterpolationSRK", true, co2ch4, named<CriticalInterpolationSRK>(noPairs<CriticalInterpolationSRK>(), 1), {1, 0}, gas2},
        {"TwoPar", true, co2ch4n2, named<TwoPar>(noPairs<TwoPar>(), 1), {2, 0, 1}, gas3},
        {"ThreePar", true, co2ch4n2, named<ThreePar>(noPairs<ThreePar>(), 1), {1, 2, 0}, gas3},
        {"BoublikEOS", false, {"A", "B"}, hardSphereMixture(), {1, 0}, {{500, 1000, {0.4, 0.6}}, {1000, 5000, {0.02, 0.98}}}},
    };
}

}  // namespace

TEST(ThermodynamicConsistency, EveryMixtureModel)
{
    for (const MixModel& mc : mixtureModels()) {
        SCOPED_TRACE(mc.name);
        std::string said;
        std::unique_ptr<FluidPhase> m = quietlyMade([&] { return mc.make(mc.names); }, said);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(said, "");
        ASSERT_EQ(m->component_count, static_cast<int>(mc.names.size()));
        // Hard spheres carry diameters, not names.
        for (int i = 0; i < m->component_count && mc.name != "BoublikEOS"; i++)
            EXPECT_STREQ(m->componentName(i), mc.names[i].c_str());
        for (const MixState& s : mc.states) {
            checkMixtureState(*m, s, mc.pressureOnly);
            checkStateWithoutFugacities(*m, s);
            if (!mc.order.empty())
                checkOrder(mc, *m, s);
        }
    }
}
