// The Daridon attraction term and model: the term against its closed form
// and its derivatives to the fourth order, its limits, the model's pressure,
// volume and fugacities against the closed form and against the Peng-Robinson
// model on the same parameters, water-methane mutual solubility, isotherm
// and isopleth points as equilibria, the parameter table and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "families/cubic/DaridonEOS.h"
#include "families/cubic/DaridonInt.h"
#include "families/cubic/PRNirma.h"
#include "families/cubic/PRSV.h"
#include "water/WaterEOS.h"
#include "families/cubic/tests/CubicChecks.h"
#include "fluid/tests/TextRows.h"

using namespace cubic_tests;

namespace {

// Component data of compo/H2O, compo/CH4 and compo/CO2.
struct Critical {
    double Tc, Pc, omega;
};
constexpr Critical kWater{647.1, 22055000.0, 0.345};
constexpr Critical kMethane{190.56, 4599000.0, 0.011};
constexpr Critical kCarbonDioxide{304.13, 7377000.0, 0.224};

double acOf(const Critical& c) { return 31.60820086338174 * c.Tc * c.Tc / c.Pc; }
double bOf(const Critical& c) { return 0.646855652 * c.Tc / c.Pc; }

// The Daridon equation in closed form: water component 0, the pair
// parameters of each other component with water, constant k between the others.
struct DaridonClosed {
    std::vector<Critical> comps;
    std::vector<std::vector<double>> p;      // p[i] = p1 .. p5 (i >= 1)
    std::vector<std::vector<double>> kpair;  // constant k_ij of the non-water pairs

    double ai(int i, double T) const {
        const Critical& c = comps[i];
        return acOf(c) * std::exp(DaridonEOS::alphaSlope(c.omega) * (1.0 - T / c.Tc));
    }
    double kWater(int i, double T, const std::vector<double>& x) const {
        const double Trw = T / comps[0].Tc, r = x[i] / (x[i] + x[0]);
        const std::vector<double>& q = p[i];
        return q[0] + (q[1] + q[2] * Trw + q[3] * Trw * Trw) * std::exp(-std::pow(10.0, q[4]) * std::pow(r, 4.0));
    }
    double aij(int i, int j, double T, const std::vector<double>& x) const {
        if (i == j) return ai(i, T);
        if (i < j) std::swap(i, j);
        const double k = j == 0 ? kWater(i, T, x) : kpair[i][j];
        return (1.0 - k) * std::sqrt(ai(i, T) * ai(j, T));
    }
    double amix(double T, const std::vector<double>& x) const {
        double s = 0.0;
        for (size_t i = 0; i < x.size(); i++)
            for (size_t j = 0; j < x.size(); j++) s += x[i] * x[j] * aij(int(i), int(j), T, x);
        return s;
    }
    double bmix(const std::vector<double>& x) const {
        double s = 0.0;
        for (size_t i = 0; i < x.size(); i++) s += x[i] * bOf(comps[i]);
        return s;
    }
    // The attraction term A/(RT).
    double attraction(double T, double V, const std::vector<double>& x) const {
        const double a = amix(T, x), b = bmix(x), s2 = std::sqrt(2.0);
        return a / (b * kR * T * std::sqrt(8.0)) * std::log((V + (1.0 - s2) * b) / (V + (1.0 + s2) * b));
    }
    double P(double T, double V, const std::vector<double>& x) const {
        const double a = amix(T, x), b = bmix(x);
        return kR * T / (V - b) - a / (V * V + 2.0 * b * V - b * b);
    }
    // ln phi_i from the residual Helmholtz energy of n moles at total volume
    // n V, differentiated in n_i numerically.
    double lnPhi(int i, double T, double V, const std::vector<double>& x) const {
        auto F = [&](const std::vector<double>& n) {
            double nt = 0.0;
            for (double v : n) nt += v;
            std::vector<double> y(n.size());
            for (size_t k = 0; k < n.size(); k++) y[k] = n[k] / nt;
            const double v = V / nt;  // molar volume at total volume V (one mole of x)
            return nt * (-std::log(1.0 - bmix(y) / v) + attraction(T, v, y));
        };
        const double h = 1e-5;
        std::vector<double> n = x;
        auto at = [&](double s) {
            n[i] = x[i] + s * h;
            return F(n);
        };
        const double dF = (8.0 * (at(1) - at(-1)) - (at(2) - at(-2))) / (12.0 * h);
        const double Z = P(T, V, x) * V / (kR * T);
        return dF - std::log(Z);
    }
};

const std::vector<double> kMethaneRow = {0.5, -1.7885, 2.616, -1.0792, 1.0};
const std::vector<double> kCO2Row = {0.19, -0.6689, 0.99967, -0.41224, 1.0};

// A term for water, methane (and carbon dioxide) with the model's parameters.
void setUpTerm(DaridonInt& t, int n) {
    t.number_of_components(n);
    const Critical c[3] = {kWater, kMethane, kCarbonDioxide};
    for (int i = 0; i < n; i++)
        t.set_parametersx(i, acOf(c[i]), DaridonEOS::alphaSlope(c[i].omega), c[i].Tc, bOf(c[i]));
    if (n > 1) t.set_binary_parameters(1, 0.5, -1.7885, 2.616, -1.0792, 1.0);
    if (n > 2) t.set_binary_parameters(2, 0.19, -0.6689, 0.99967, -0.41224, 1.0);
}

std::unique_ptr<DaridonEOS> waterWith(const char* other, int kind) {
    auto m = std::make_unique<DaridonEOS>(kind);
    if (other) {
        m->number_of_components(2);
        m->add_components("H2O", other);
    } else {
        m->number_of_components(1);
        m->add_component("H2O");
    }
    return m;
}

// The rows of an Igor text file (between BEGIN and END).
std::vector<std::vector<double>> igorRows(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::vector<double>> rows;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind("BEGIN", 0) == 0) {
            inside = true;
            continue;
        }
        if (line.rfind("END", 0) == 0) break;
        if (!inside) continue;
        std::istringstream s(line);
        std::vector<double> row;
        for (double v; s >> v;) row.push_back(v);
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

// ln f_i (Pa) of the model at (T, V) and binary composition (1 - x1, x1).
std::vector<double> lnFugacities(DaridonEOS& m, double T, double V, double x1) {
    m.composition(1.0 - x1, x1);
    m.calculateFromTV(T, V, 0);
    EXPECT_EQ(m.errorflag, 0);
    return {std::log(m.fugacity[0]), std::log(m.fugacity[1])};
}

}  // namespace

// ---------------------------------------------------------------- the term

TEST(DaridonInt, AgreesWithTheClosedForm) {
    DaridonClosed c{{kWater, kMethane, kCarbonDioxide}, {{}, kMethaneRow, kCO2Row}, {{}, {}, {0, 0.07, 0}}};
    for (int n : {1, 2, 3}) {
        DaridonInt t;
        setUpTerm(t, n);
        if (n == 3) t.set_kij(1, 2, 0.07);  // either order
        DaridonClosed cn = c;
        cn.comps.resize(n);
        const std::vector<std::vector<double>> states = {{300.0, 2.5e-5}, {450.0, 1.2e-4}, {700.0, 3e-3}};
        const std::vector<std::vector<double>> xs = {{1.0}, {0.97, 0.03}, {0.2, 0.5, 0.3}};
        for (const auto& s : states) {
            std::vector<double> v = {s[0], s[1]};
            for (double xi : xs[n - 1]) v.push_back(xi);
            evaluateTerm(t, v);
            ASSERT_EQ(Expression::sError, 0);
            EXPECT_NEAR(t.root->value, cn.attraction(s[0], s[1], xs[n - 1]),
                        1e-12 * std::fabs(t.root->value) + 1e-14)
                << n << " " << s[0];
            EXPECT_NEAR(t.getVolumeMinimum(), cn.bmix(xs[n - 1]), 1e-20);
        }
    }
}

TEST(DaridonInt, DerivativesToTheFourthOrder) {
    DaridonInt w;
    setUpTerm(w, 1);
    checkAllDerivatives(w, {400.0, 3e-5, 1.0});
    DaridonInt b;
    setUpTerm(b, 2);
    checkAllDerivatives(b, {400.0, 3e-5, 0.9, 0.1});
    checkAllDerivatives(b, {600.0, 2e-4, 0.3, 0.7});
    DaridonInt t;
    setUpTerm(t, 3);
    t.set_kij(2, 1, 0.1);
    checkAllDerivatives(t, {500.0, 1e-4, 0.5, 0.3, 0.2});
}

TEST(DaridonInt, PureWaterAndTheLimitsOfTheWaterParameter) {
    // Pure water: a = ac exp(m (1 - T/Tc)), a = ac at Tc.
    DaridonInt w;
    setUpTerm(w, 1);
    const double m = DaridonEOS::alphaSlope(kWater.omega);
    evaluateTerm(w, {450.0, 3e-5, 1.0});
    EXPECT_NEAR(w.a->value, acOf(kWater) * std::exp(m * (1.0 - 450.0 / kWater.Tc)), 1e-14);
    evaluateTerm(w, {kWater.Tc, 3e-5, 1.0});
    EXPECT_NEAR(w.a->value, acOf(kWater), 1e-14);
    EXPECT_EQ(w.root->findByName("kiw(0)"), nullptr);
    EXPECT_EQ(w.root->findByName("ai(0)"), w.ai(0));

    DaridonInt t;
    setUpTerm(t, 2);
    const double T = 400.0, Trw = T / kWater.Tc;
    const double beta = -1.7885 + 2.616 * Trw - 1.0792 * Trw * Trw;
    auto kOf = [&](double x1) {
        evaluateTerm(t, {T, 1e-4, 1.0 - x1, x1});
        const double a0 = t.ai(0)->value, a1 = t.ai(1)->value;
        return 1.0 - t.aijr(1, 0)->value / std::sqrt(a0 * a1);
    };
    // Infinite dilution of methane: k = p1 + p2 + p3 Trw + p4 Trw^2.
    EXPECT_NEAR(kOf(0.0), 0.5 + beta, 1e-13);
    // Pure methane: k = p1 + beta exp(-10).
    EXPECT_NEAR(kOf(1.0), 0.5 + beta * std::exp(-10.0), 1e-13);
    // At the methane temperature Tc_1 its own a_1 is ac_1.
    evaluateTerm(t, {kMethane.Tc, 1e-4, 0.5, 0.5});
    EXPECT_NEAR(t.ai(1)->value, acOf(kMethane), 1e-15);
}

TEST(DaridonInt, RefusesBadIndicesAndTemperatures) {
    DaridonInt t;
    setUpTerm(t, 2);
    evaluateTerm(t, {400.0, 1e-4, 0.6, 0.4});
    const double before = t.root->value;
    testing::internal::CaptureStderr();
    t.set_parametersx(2, 1.0, 1.0, 300.0, 1e-5);
    t.set_parametersx(1, 1.0, 1.0, 0.0, 1e-5);
    t.set_binary_parameters(0, 1, 1, 1, 1, 1);
    t.set_binary_parameters(-1, 1, 1, 1, 1, 1);
    t.set_kij(1, 1, 0.1);
    t.set_kij(3, 0, 0.1);
    t.number_of_components(3);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("component 2, which is not one of its 2 components"), std::string::npos) << err;
    EXPECT_NE(err.find("critical temperature 0 K of component 1 is not positive"), std::string::npos) << err;
    EXPECT_NE(err.find("water has no water parameters"), std::string::npos) << err;
    EXPECT_NE(err.find("(1 given twice)"), std::string::npos) << err;
    EXPECT_NE(err.find("built for 2 components; it cannot take 3"), std::string::npos) << err;
    evaluateTerm(t, {400.0, 1e-4, 0.6, 0.4});
    EXPECT_DOUBLE_EQ(t.root->value, before);
    // At or below the co-volume the logarithm reports the domain error.
    t.T = 400.0;
    t.V = 0.3 * t.getVolumeMinimum();  // 2V + (2 - sqrt 8) b < 0
    t.assignVariables();
    t.root->calculate(1);
    EXPECT_EQ(Expression::sError, 1);
    Expression::sError = 0;
}


// ---------------------------------------------------------------- the model

TEST(DaridonEOS, PressureVolumeAndFugacitiesOfTheClosedForm) {
    DaridonClosed c{{kWater, kMethane}, {{}, kMethaneRow}, {}};
    auto w = waterWith(nullptr, 2);
    EXPECT_STREQ(w->modelName(), "Daridon EOS");
    for (double V : {2.2e-5, 1e-3, 1e-2}) {
        w->calculateFromTV(473.15, V, 0);
        ASSERT_EQ(w->errorflag, 0);
        EXPECT_NEAR(w->P, c.P(473.15, V, {1.0}), 1e-9 * std::fabs(w->P) + 1e-6);
        EXPECT_NEAR(std::log(w->fugcoef[0]), c.lnPhi(0, 473.15, V, {1.0}), 1e-8);
    }
    // The mixture: the composition-dependent water parameter enters the
    // fugacities through its own composition derivatives.
    auto m = waterWith("CH4", 1);
    for (const std::vector<double>& x : {std::vector<double>{0.999, 0.001}, {0.7, 0.3}, {0.02, 0.98}})
        for (double V : {1.15 * c.bmix(x), 3.0 * c.bmix(x), 1e-2}) {
            if (c.P(473.15, V, x) <= 0.0) continue;  // no fugacity at a negative pressure
            m->composition(x[0], x[1]);
            m->calculateFromTV(473.15, V, 0);
            ASSERT_EQ(m->errorflag, 0);
            EXPECT_NEAR(m->P, c.P(473.15, V, x), 1e-9 * std::fabs(m->P) + 1e-6);
            for (int i = 0; i < 2; i++)
                EXPECT_NEAR(std::log(m->fugcoef[i]), c.lnPhi(i, 473.15, V, x), 1e-7) << x[1] << " " << V << " " << i;
        }
    // The volume from T and P is the closed-form root: liquid and vapour.
    for (int kind : {1, 2}) {
        auto k = waterWith("CH4", kind);
        const std::vector<double> x = kind == 2 ? std::vector<double>{0.998, 0.002} : std::vector<double>{0.01, 0.99};
        k->composition(x[0], x[1]);
        k->calculateFromTP(373.15, 100.0, 0);
        ASSERT_EQ(k->errorflag, 0);
        EXPECT_NEAR(c.P(373.15, k->V, x), 100e5, 1e-6 * 100e5);
        EXPECT_NEAR(k->Z, 100e5 * k->V / (kR * 373.15), 1e-12);
        if (kind == 2) {
            EXPECT_LT(k->V, 3e-5);
        } else {
            EXPECT_GT(k->V, 2e-4);
        }
        // dP/dV at constant T from the volume search against a difference.
        const double h = 1e-6 * k->V;
        EXPECT_NEAR(k->dPdV, (c.P(373.15, k->V + h, x) - c.P(373.15, k->V - h, x)) / (2 * h),
                    1e-5 * std::fabs(k->dPdV));
    }
}

TEST(DaridonEOS, PureComponentLimitsEqualThePengRobinsonModel) {
    // PRNirma with the exponential temperature function exp(c0 (1 - Tr))
    // given Daridon's slope and co-volume for water.
    const double m = DaridonEOS::alphaSlope(kWater.omega), b = bOf(kWater);
    auto pr = [&](int kind) {
        auto p = std::make_unique<PRNirma>(kind, 1, 0);
        p->number_of_components(1);
        p->add_component("H2O");
        p->attraction()->set_parameters(0, kWater.Tc, kWater.Pc, 0.0, 0.0, m, 0.0, 0.0, 0.0, 1.0);
        p->attraction()->ai(0)->set_scalars2(acOf(kWater), 0.0);  // Daridon's rounded 0.45724
        if (p->attraction()->pairs.setCovolume(0, b)) p->attraction()->apply_mixing_rules();
        p->repulsion()->set_covolume(0, b);
        return p;
    };
    for (int kind : {1, 2}) {
        auto d = waterWith(nullptr, kind);
        auto p = pr(kind);
        // Water alone and water in a binary with no methane.
        auto d2 = waterWith("CH4", kind);
        d2->composition(1.0, 0.0);
        for (double T : {300.0, 450.0, 600.0}) {
            const double Pbar = 50.0;
            d->calculateFromTP(T, Pbar, 0);
            p->calculateFromTP(T, Pbar, 0);
            d2->calculateFromTP(T, Pbar, 0);
            // The three find the same root or fail alike: where the cubic
            // has one root, on the other branch, pure water has no state of
            // the kind (no vapour at 300 K and 50 bar).
            ASSERT_EQ(p->errorflag, d->errorflag) << kind << " " << T;
            ASSERT_EQ(d2->errorflag, d->errorflag) << kind << " " << T;
            if (T < 400.0) {
                EXPECT_EQ(d->errorflag, kind == 1 ? 1 : 0) << kind << " " << T;
            }
            if (!d->errorflag) {
                EXPECT_NEAR(d->V, p->V, 1e-11 * p->V) << kind << " " << T;
                EXPECT_NEAR(d2->V, p->V, 1e-11 * p->V) << kind << " " << T;
                EXPECT_NEAR(std::log(d->fugcoef[0]), std::log(p->fugcoef[0]), 1e-10);
                EXPECT_NEAR(std::log(d2->fugcoef[0]), std::log(p->fugcoef[0]), 1e-10);
            }
            d->calculateFromTV(T, 1e-3, 0);
            p->calculateFromTV(T, 1e-3, 0);
            EXPECT_NEAR(d->P, p->P, 1e-9 * p->P);
        }
    }
    // Saturation of water: equal to the Peng-Robinson model and within 3 %
    // of the reference vapour pressure.
    for (double T : {373.15, 473.15, 573.15}) {
        auto d = waterWith(nullptr, 2);
        auto p = pr(2);
        const double Pg = WaterEOS::saturationPressureWagnerPruss(T);
        for (FluidPhase* f : {static_cast<FluidPhase*>(d.get()), static_cast<FluidPhase*>(p.get())}) {
            f->set_the_phase_as(2);
            f->calculateFromTP(T, Pg / 1e5, 0);
            const double Vl = f->V;
            f->set_the_phase_as(1);
            f->calculateFromTP(T, Pg / 1e5, 0);
            f->Vv0 = f->V;
            f->Vl0 = Vl;
            f->temperature(T);
            f->calculate_saturation_pressure();
            ASSERT_EQ(f->errorflag, 0) << T;
        }
        EXPECT_NEAR(d->P, p->P, 1e-6 * p->P) << T;
        EXPECT_NEAR(d->P, Pg, 0.03 * Pg) << T;
    }
}

namespace {

// Flash of water with `gas` at T (K) and P (bar) from the single-phase volumes.
struct Flash {
    double x1 = 0, y0 = 0;
    short error = 1;
};
Flash flash(const char* gas, double T, double Pbar) {
    auto m = waterWith(gas, 1);
    m->composition(0.998, 0.002);
    m->set_the_phase_as(2);
    m->calculateFromTP(T, Pbar, 0);
    const double Vl = m->V;
    m->composition(0.01, 0.99);
    m->set_the_phase_as(1);
    m->calculateFromTP(T, Pbar, 0);
    const double Vv = m->V;
    m->calculate_flash_point(T, Pbar * 1e5, Vl, Vv, 0.002, 0.99);
    Flash r;
    r.error = m->errorflag;
    r.x1 = m->x_liquid[1];
    r.y0 = m->x_vapour[0];
    if (r.error) return r;
    // Equal fugacities at the pressure of the flash.
    const std::vector<double> fl = lnFugacities(*m, T, m->Vl0, r.x1);
    const double Pl = m->P;
    const std::vector<double> fv = lnFugacities(*m, T, m->Vv0, 1.0 - r.y0);
    for (int i = 0; i < 2; i++) EXPECT_NEAR(fl[i], fv[i], 1e-7) << gas << " " << T << " " << Pbar;
    EXPECT_NEAR(Pl, Pbar * 1e5, 1e-5 * Pbar * 1e5);
    EXPECT_NEAR(m->P, Pbar * 1e5, 1e-5 * Pbar * 1e5);
    return r;
}

}  // namespace

TEST(DaridonEOS, WaterHydrocarbonMutualSolubility) {
    // Methane is sparingly soluble in water (a mole fraction of about 1e-3 at
    // 100 bar) and water sparse in the gas; both grow as expected.
    double last = 0.0;
    for (double P : {50.0, 100.0, 300.0}) {
        const Flash f = flash("CH4", 373.15, P);
        ASSERT_EQ(f.error, 0) << P;
        EXPECT_GT(f.x1, last);
        EXPECT_LT(f.x1, 5e-3);
        EXPECT_GT(f.x1, 3e-4);
        EXPECT_LT(f.y0, 0.03);
        last = f.x1;
    }
    const Flash m100 = flash("CH4", 373.15, 100.0);
    // Measured at these conditions: about 1.3e-3 methane in the liquid and
    // 0.012 water in the gas (Raoult's law with water's 1 bar gives 0.010).
    EXPECT_NEAR(m100.x1, 1.3e-3, 0.4e-3);
    EXPECT_NEAR(m100.y0, 0.012, 0.004);
    // More water in the gas at higher temperature.
    EXPECT_GT(flash("CH4", 473.15, 100.0).y0, 5.0 * m100.y0);
    // Carbon dioxide dissolves some ten times better: measured close to 0.02
    // at 323 K and 100 bar.
    const Flash c = flash("CO2", 323.15, 100.0);
    ASSERT_EQ(c.error, 0);
    EXPECT_NEAR(c.x1, 0.02, 0.004);
    EXPECT_GT(c.x1, 10.0 * flash("CH4", 323.15, 100.0).x1);
}

TEST(DaridonEOS, WaterParameterTable) {
    double p[5], q[5];
    ASSERT_TRUE(DaridonEOS::waterParameters("CH4", p));
    for (int k = 0; k < 5; k++) EXPECT_DOUBLE_EQ(p[k], kMethaneRow[k]);
    ASSERT_TRUE(DaridonEOS::waterParameters("CO2", p));
    for (int k = 0; k < 5; k++) EXPECT_DOUBLE_EQ(p[k], kCO2Row[k]);
    // Aliases share their row.
    const std::vector<std::vector<const char*>> same = {
        {"C1", "CH4"}, {"iC4", "nC4"}, {"iC5", "nC5"}, {"nC12", "Cn1"}, {"nC15", "nC16", "Cn2"}};
    for (const auto& names : same) {
        ASSERT_TRUE(DaridonEOS::waterParameters(names[0], p));
        for (const char* n : names) {
            ASSERT_TRUE(DaridonEOS::waterParameters(n, q)) << n;
            for (int k = 0; k < 5; k++) EXPECT_DOUBLE_EQ(p[k], q[k]) << n;
        }
    }
    // From n-butane to n-pentadecane the rows lie on straight lines in the
    // carbon number, and p5 = n/2 up to 4.5.
    const char* alkanes[] = {"nC4", "nC5", "nC6", "nC7", "nC8", "nC9", "nC10", "nC11", "nC12", "nC13", "nC14", "nC15"};
    double first[5];
    ASSERT_TRUE(DaridonEOS::waterParameters("nC4", first));
    const double step[4] = {-0.00834, 0.03113, -0.1482, 0.088};
    for (int k = 0; k < 12; k++) {
        const int n = 4 + k;
        ASSERT_TRUE(DaridonEOS::waterParameters(alkanes[k], p)) << alkanes[k];
        for (int c = 0; c < 4; c++) EXPECT_NEAR(p[c], first[c] + k * step[c], 1e-12) << alkanes[k] << " p" << c + 1;
        EXPECT_DOUBLE_EQ(p[4], std::min(0.5 * n, 4.5)) << alkanes[k];
    }
    EXPECT_FALSE(DaridonEOS::waterParameters("N2", p));
    EXPECT_FALSE(DaridonEOS::waterParameters("ch4", p));
    EXPECT_FALSE(DaridonEOS::waterParameters(nullptr, p));
    // The slope of the temperature function: omega 0.4 takes the upper branch.
    EXPECT_DOUBLE_EQ(DaridonEOS::alphaSlope(0.4), 0.212 + 2.2 * 0.4 - 0.831 * 0.4 * 0.4);
    EXPECT_DOUBLE_EQ(DaridonEOS::alphaSlope(0.345), 0.418 + 1.58 * 0.345 - 0.58 * 0.345 * 0.345);
}

TEST(DaridonEOS, ComponentDataAndBadInput) {
    // Water from its file: co-volume, attraction constant and molar mass.
    auto w = waterWith(nullptr, 2);
    EXPECT_NEAR(w->repulsion()->covolumes[0], bOf(kWater), 1e-20);
    EXPECT_NEAR(w->attraction()->b->a[0], bOf(kWater), 1e-20);
    EXPECT_DOUBLE_EQ(w->molar_mass[0], 0.01802);
    EXPECT_DOUBLE_EQ(w->critical_T, kWater.Tc);
    // The ideal part has water's standard-state data: Cp of the dilute gas.
    w->set_the_phase_as(1);
    w->calculateFromTP(600.0, 0.01, 0);
    ASSERT_EQ(w->errorflag, 0);
    EXPECT_GT(w->Cp, 30.0);
    EXPECT_LT(w->Cp, 40.0);

    // Water not first, a missing file: messages, and the model goes on.
    testing::internal::CaptureStderr();
    DaridonEOS r(1);
    r.number_of_components(3);
    r.add_components("CH4", "H2O", "NoSuchGas");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("H2O must be the first component. Here the first component is CH4."), std::string::npos)
        << err;
    EXPECT_NE(err.find("H2O must be the first component. Here H2O is the 1th component."), std::string::npos) << err;
    EXPECT_NE(err.find("File compo/NoSuchGas not found"), std::string::npos) << err;

    // A component with data but without a row in the table (N2): reported,
    // and its water parameters k = exp(-10 (x_i/(x_i + x_w))^4).
    testing::internal::CaptureStderr();
    auto n = waterWith("N2", 1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Component N2 not caracterized for the Daridon EOS"), std::string::npos) << err;
    DaridonInt& t = *n->attraction();
    evaluateTerm(t, {400.0, 1e-3, 0.5, 0.5});
    const double k = 1.0 - t.aijr(1, 0)->value / std::sqrt(t.ai(0)->value * t.ai(1)->value);
    EXPECT_NEAR(k, std::exp(-10.0 * std::pow(0.5, 4.0)), 1e-13);

    // The model keeps the size it was built for.
    testing::internal::CaptureStderr();
    n->number_of_components(3);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("The Daridon model has 2 components; it cannot take 3"), std::string::npos) << err;
    EXPECT_EQ(n->component_count, 2);

    // A one-component fluid sets no pair parameter.
    testing::internal::CaptureStderr();
    auto one = waterWith(nullptr, 1);
    one->read_BIP();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

namespace {

// Each row (T K, P bar, x0, x1, y0, y1, Vl and Vv cm3/mol) is a two-phase
// equilibrium of the model: both phases at the row's pressure, equal fugacities.
void expectEquilibriumRows(DaridonEOS& m, const std::vector<std::vector<double>>& rows, const char* what) {
    for (const std::vector<double>& r : rows) {
        ASSERT_GE(r.size(), 8u) << what;
        const double T = r[0], P = r[1] * 1e5, Vl = r[6] * 1e-6, Vv = r[7] * 1e-6;
        EXPECT_NEAR(r[2] + r[3], 1.0, 1e-5) << what;
        EXPECT_NEAR(r[4] + r[5], 1.0, 1e-5) << what;
        const std::vector<double> fl = lnFugacities(m, T, Vl, r[3]);
        const double Pl = m.P;
        const std::vector<double> fv = lnFugacities(m, T, Vv, r[5]);
        const double Pv = m.P;
        EXPECT_NEAR(Pl, P, 2e-3 * P + 2e3) << what << " T " << T << " P " << r[1];
        EXPECT_NEAR(Pv, P, 2e-3 * P + 2e3) << what << " T " << T << " P " << r[1];
        for (int i = 0; i < 2; i++) {
            if (r[2 + i] < 1e-12 || r[4 + i] < 1e-12) continue;  // a component absent from a phase
            EXPECT_NEAR(fl[i], fv[i], 2e-4) << what << " T " << T << " P " << r[1] << " component " << i;
        }
    }
}

}  // namespace

TEST(DaridonEOS, IsothermPointsAreEquilibria) {
    // From pure water's bubble point to the mixture critical point at 645 K.
    auto m = waterWith("CH4", 2);
    m->calculateTheIsotherm(645.0, "_d");
    const auto rows = igorRows("isot_d");
    ASSERT_GT(rows.size(), 20u);
    EXPECT_NEAR(rows.front()[3], 0.0, 1e-12);
    EXPECT_NEAR(rows.front()[5], 0.0, 1e-12);
    for (size_t k = 1; k < rows.size(); k++) {
        EXPECT_GE(rows[k][1], rows[k - 1][1]);                       // the bubble pressure rises with methane
        if (k + 1 < rows.size()) {
            EXPECT_LT(rows[k][3], rows[k][5]);  // methane richer in the vapour
        }
    }
    // The last point is the critical point of the isotherm: the phases merge.
    EXPECT_EQ(rows.back()[5], rows.back()[3]);
    EXPECT_EQ(rows.back()[6], rows.back()[7]);
    expectEquilibriumRows(*m, rows, "isotherm");

    // Downwards in pressure from a flash at 5000 bar, to the critical point.
    auto u = waterWith("CH4", 2);
    u->calculateTheUpperIsotherm(700.0, "_u");
    const auto upper = igorRows("isot_u");
    ASSERT_GT(upper.size(), 10u);
    EXPECT_NEAR(upper.front()[1], 5000.0, 1e-6);
    EXPECT_LT(upper.back()[1], upper.front()[1]);
    for (size_t k = 1; k < upper.size(); k++) EXPECT_LT(upper[k][1], upper[k - 1][1]);  // down in pressure
    // The last row is the critical point of the isotherm, the lower end of its two-phase region.
    EXPECT_EQ(upper.back()[5], upper.back()[3]);
    expectEquilibriumRows(*u, upper, "upper isotherm");
}

TEST(DaridonEOS, IsoplethPointsAreEquilibria) {
    // The bubble curve of water with 0.1 % methane from 373 K, as the
    // command interpreter's word "isop" traces it.
    auto m = waterWith("CH4", 2);
    testing::internal::CaptureStdout();
    m->calculateTheIsopleth2("_d", 373.15, 0.001, 10.0);
    testing::internal::GetCapturedStdout();
    const auto rows = igorRows("isop_d");
    ASSERT_GT(rows.size(), 20u);
    EXPECT_NEAR(rows.front()[0], 373.15, 1e-9);
    for (const auto& r : rows) EXPECT_NEAR(r[3], 0.001, 1e-9);
    EXPECT_GT(rows.back()[0], 600.0);
    expectEquilibriumRows(*m, rows, "isopleth");
    // The bubble curve ends on the critical point of the mixture, where the
    // incipient vapour becomes the liquid: one phase in the last row, two
    // distinct ones before it.
    EXPECT_EQ(rows.back()[5], rows.back()[3]);
    EXPECT_EQ(rows.back()[7], rows.back()[6]);
    const auto& before = rows[rows.size() - 2];
    EXPECT_GT(before[5] - before[3], 1e-7);
    EXPECT_GT(before[7], before[6] * (1.0 + 1e-4));
    // The pressure of 0.1 % methane at 373 K lies between the flashes at 50
    // and 100 bar, whose liquids hold less and more.
    EXPECT_GT(rows.front()[1], 50.0);
    EXPECT_LT(rows.front()[1], 100.0);

    // Not a binary, or a mole fraction outside [0, 1]: refused, no file.
    auto w = waterWith(nullptr, 2);
    auto b = waterWith("CH4", 2);
    testing::internal::CaptureStderr();
    w->calculateTheIsopleth2("_w", 373.15, 0.001, 10.0);
    b->calculateTheIsopleth2("_b", 373.15, 1.5, 10.0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("binary system only (1 components)"), std::string::npos) << err;
    EXPECT_NE(err.find("Mole fraction 1.5 of the isopleth is not between 0 and 1"), std::string::npos) << err;
    EXPECT_EQ(std::fopen("isop_w", "r"), nullptr);
    EXPECT_EQ(std::fopen("isop_b", "r"), nullptr);
}

TEST(DaridonEOS, CriticalCurveStartsAtWater) {
    auto m = waterWith("CH4", 2);
    testing::internal::CaptureStdout();
    m->calculateTheCriticalCurve("_d");
    testing::internal::GetCapturedStdout();
    // Two branches, parted by a row of NaN: water's first, then methane's
    // from its critical point.
    const auto branches = branchesOf(readTextRows("crit_d"));
    ASSERT_EQ(branches.size(), 2u);
    EXPECT_NEAR(branches[1].front()[4], 1.0, 1e-12);
    const auto& rows = branches.front();
    ASSERT_GT(rows.size(), 10u);
    // P bar, V cm3/mol, T, x0, x1: the first point is pure water's critical point.
    EXPECT_NEAR(rows.front()[2], kWater.Tc, 0.05);
    EXPECT_NEAR(rows.front()[0], kWater.Pc / 1e5, 0.1);
    EXPECT_NEAR(rows.front()[4], 0.0, 1e-12);
    // Water-methane: the critical curve rises steeply in pressure with a
    // temperature minimum below Tc of water.
    double Tmin = rows.front()[2];
    for (const auto& r : rows) Tmin = std::min(Tmin, r[2]);
    EXPECT_LT(Tmin, kWater.Tc - 10.0);
    EXPECT_GT(rows.back()[0], 1000.0);
}
