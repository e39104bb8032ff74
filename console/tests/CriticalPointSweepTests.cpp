// The critical point of every pure fluid the model factory builds, asked of a
// new model as the console's "crit" asks it (from the model's own start
// values, which many models do not set) and from the model's own estimate
// alone: it is found, the same both ways, both conditions of a critical point
// hold by differences of the pressure, and the cubic models put it where the
// closed form of their cubic does.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/tests/StateSweep.h"
#include "fluid/tests/TextRows.h"

namespace {

// The cubic P = R T/(V' - b) - a/((V' - d1 b)(V' - d2 b)), V' = V + c, of a
// pure fluid with a = Oa R^2 Tc^2/Pc (1 + m (1 - sqrt(T/Tc)))^2 and
// b = Ob R Tc/Pc, c = shift b (Oa, Ob: the model's published constants).
struct Cubic {
    double d1, d2, Oa, Ob, m, Tc, Pc, shift;
};

// At a critical point the cubic in Z has a triple root Zc; its constants
// (A, B) = (a P/(R T)^2, b P/(R T)) are then the family's exact Oa*, Ob*.
// Matching Z^3 + c2 Z^2 + c1 Z + c0 = (Z - Zc)^3 with c2 = -1 - (d1 + d2 + 1) B,
// c1 = B^2 (d1 d2 + d1 + d2) + (d1 + d2) B + A, c0 = -B^2 d1 d2 (1 + B) - A B:
// B by bisection on the last condition.
void tripleRoot(double d1, double d2, double& Zc, double& A, double& B) {
    auto at = [&](double b) {
        Zc = (1.0 + (d1 + d2 + 1.0) * b) / 3.0;
        A = 3.0 * Zc * Zc - b * b * (d1 * d2 + d1 + d2) - (d1 + d2) * b;
        return -b * b * d1 * d2 * (1.0 + b) - A * b + Zc * Zc * Zc;
    };
    double lo = 1e-3, hi = 0.2;
    const double flo = at(lo);
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        ((at(mid) > 0.0) == (flo > 0.0) ? lo : hi) = mid;
    }
    B = 0.5 * (lo + hi);
    at(B);
}

// The critical point of the cubic: a(T)/(b R T) = Oa*/Ob* gives
// sqrt(T/Tc) = (1 + m)/(m + k) with k = sqrt(Oa* Ob/(Ob* Oa)), then
// P = Ob* R T/b and V = Zc b/Ob* - c.  With the exact constants (k = 1),
// T = Tc and P = Pc.
void closedForm(const Cubic& c, double& T, double& P, double& V) {
    double Zc, Oa, Ob;
    tripleRoot(c.d1, c.d2, Zc, Oa, Ob);
    const double k = std::sqrt(Oa * c.Ob / (Ob * c.Oa));
    const double s = (1.0 + c.m) / (c.m + k);
    T = c.Tc * s * s;
    const double b = c.Ob * sweep::R * c.Tc / c.Pc;
    P = Ob * sweep::R * T / b;
    V = Zc * b / Ob - c.shift * b;
}

// Soave (1972); its exact constants 1/(9 (2^(1/3) - 1)) and (2^(1/3) - 1)/3.
Cubic srk(double Tc, double Pc, double w) {
    const double r = std::cbrt(2.0) - 1.0;
    return {0.0, -1.0, 1.0 / (9.0 * r), r / 3.0, 0.48 + 1.574 * w - 0.176 * w * w, Tc, Pc, 0.0};
}

// Stryjek & Vera (1986): 0.457235 and 0.077796, kappa0 of omega (kappa1 0).
Cubic prsv(double Tc, double Pc, double w) {
    const double k0 = 0.378893 + 1.4897153 * w - 0.17131848 * w * w + 0.0196554 * w * w * w;
    return {std::sqrt(2.0) - 1.0, -std::sqrt(2.0) - 1.0, 0.457235, 0.077796, k0, Tc, Pc, 0.0};
}

// Peng & Robinson (1976) with the roots of their equation at the critical
// point, 0.45723553 and 0.07779607, and the slope m of alpha(T).
Cubic pr(double Tc, double Pc, double m) {
    return {std::sqrt(2.0) - 1.0, -std::sqrt(2.0) - 1.0, 0.45723553, 0.07779607, m, Tc, Pc, 0.0};
}

// Peng & Robinson (1976): 0.45724 and 0.07780, with the volume shift of the
// seventeen-component list.
Cubic montel(double Tc, double Pc, double w, double shift) {
    return {std::sqrt(2.0) - 1.0, -std::sqrt(2.0) - 1.0, 0.45724, 0.0778, 0.37464 + 1.54226 * w - 0.26992 * w * w,
            Tc, Pc, shift};
}

struct Case {
    Case(const char* name) : model(name) {}
    Case(const char* name, const Cubic& f, std::vector<double> composition = {})
        : model(name), x(std::move(composition)), cubic(true), form(f) {}
    std::string model;
    std::vector<double> x;  // a composition to set (a mixture at a pure composition), or none
    bool cubic = false;
    Cubic form{};
};

}  // namespace

TEST(CriticalPointSweep, EveryPureFluidModelFromItsStartAndFromItsOwnEstimate) {
    // Component constants as each model holds them: its own table, or the
    // component file "compo/<name>" (Poling, Prausnitz and O'Connell).
    const std::vector<Case> cases = {
        {"wagner"}, {"WagnerPruss"}, {"HGK"}, {"Saul"}, {"Hill"}, {"Keenan"}, {"DuanH2O"},
        {"IUPACCO2"}, {"Sterner"}, {"DuanCO2"}, {"IUPACCH4"}, {"DuanCH4"}, {"Jacobsen"},
#ifdef VARNOK_WITH_ANDERKO
        {"AnderkoH2O"}, {"AnderkoCO2"}, {"NaCl"}, {"KCl"},
#endif
#ifdef VARNOK_WITH_KREGLEWSKI
        {"Kreglewski:CO2"}, {"Kreglewski:CH4"}, {"Kreglewski:N2"},
#endif
        {"DMW1:CO2"}, {"DMW1:CH4"}, {"DMW1:N2"}, {"DMW1:H2O"},
        {"DMWEOS:CO2"}, {"DMWEOS:CH4"}, {"DMWEOS:H2O"},
        {"PR:N2", pr(126.2, 3398000.0, 0.37464 + 1.54226 * 0.037 - 0.26992 * 0.037 * 0.037)},
        {"PR:H2O", pr(647.13, 22055000.0, 0.85360439)},
        {"SRK:CO2", srk(304.21, 7382500.0, 0.225)},
        {"SRK:CH4", srk(190.555, 4595000.0, 0.013)},
        {"SRK:N2", srk(126.2, 3390000.0, 0.04)},
        {"SRK1:CO2", srk(304.21, 7382500.0, 0.225)},
        {"SRK1:CH4", srk(190.555, 4595000.0, 0.013)},
        {"SRK1:N2", srk(126.2, 3398000.0, 0.037)},
        {"SRK1:H2O", srk(647.096, 22064000.0, 0.344)},
        {"SRK1:CO2,CH4", srk(304.21, 7382500.0, 0.225), {1.0, 0.0}},
        {"SRK2:CO2,CH4", srk(304.13, 7377000.0, 0.224), {1.0, 0.0}},
        {"SRK2:CO2,CH4", srk(190.56, 4599000.0, 0.011), {0.0, 1.0}},
        {"PRSV:CO2", prsv(304.21, 7383000.0, 0.225)},
        {"PRSV:CH4", prsv(190.55, 4599000.0, 0.01045)},
        {"PRSV:N2", prsv(126.2, 3398000.0, 0.037)},
        {"PRSV:H2O", prsv(647.096, 22006400.0, 0.3438)},
        {"PRSV:CO2,CH4", prsv(304.21, 7383000.0, 0.225), {1.0, 0.0}},
        {"Montel:CO2", montel(304.2, 7376000.0, 0.225, -0.0817)},
        {"Montel:CH4", montel(190.6, 4500000.0, 0.0115, -0.1595)},
        {"Montel:N2", montel(126.2, 3394000.0, 0.04, -0.1927)},
    };
    for (const Case& c : cases) {
        std::string what = c.model;
        for (double xi : c.x) what += " " + std::to_string(xi);
        auto make = [&]() {
            std::unique_ptr<FluidPhase> m(createFluidModel(c.model.c_str()));
            if (m && !c.x.empty()) {
                std::vector<double> x = c.x;
                m->composition(x.data());
            }
            return m;
        };
        // As the console asks for it, and from the model's own estimate
        // alone (its stored start, where it has one, removed).
        std::unique_ptr<FluidPhase> m, e;
        bool estimated = false;
        const auto out = consoletest::capture([&] {
            m = make();
            e = make();
            if (!m || !e) return;
            m->calculateTheCriticalPoint(1, "sweep");
            e->critical_T = e->critical_V = 0.0;
            estimated = e->findTheCriticalPoint();
        });
        ASSERT_TRUE(m && e) << what << ": " << out.err;
        ASSERT_EQ(m->errorflag, 0) << what << ": " << out.err;
        EXPECT_NE(out.out.find("P   "), std::string::npos) << what << ": " << out.out;
        const double T = m->T, V = m->V, P = m->P;
        std::string wrong;
        EXPECT_TRUE(sweep::isCriticalPoint(*m, T, V, wrong)) << what << ": " << wrong;
        ASSERT_TRUE(estimated) << what;
        EXPECT_NEAR(e->T / T, 1.0, 1e-9) << what << " from the estimate";
        EXPECT_NEAR(e->V / V, 1.0, 1e-7) << what << " from the estimate";
        if (!c.cubic) continue;
        double Tc, Pc, Vc;
        closedForm(c.form, Tc, Pc, Vc);
        EXPECT_NEAR(T / Tc, 1.0, 1e-8) << what << " T " << T << " closed form " << Tc;
        EXPECT_NEAR(P / Pc, 1.0, 1e-8) << what << " P " << P << " closed form " << Pc;
        EXPECT_NEAR(V / Vc, 1.0, 1e-8) << what << " V " << V << " closed form " << Vc;
    }
}

// The console's saturation curve of models that set no start of their own
// runs from the critical point found for them down to the triple point of the
// component (CO2: 216.592 K), and every point of the curve traced from that
// critical point is an equilibrium of the model: equal pressures and
// fugacities of the two phases evaluated anew.
TEST(CriticalPointSweep, SaturationCurveFromTheCriticalPointFoundForTheModel) {
    for (const char* name : {"SRK:CO2", "Montel:CO2", "PRSV:CO2"}) {
        std::unique_ptr<FluidPhase> m(createFluidModel(name));
        ASSERT_TRUE(m) << name;
        consoletest::capture([&] { m->calculateTheSaturationCurve("sweep", 1); });
        const auto file = readTextRows("satusweep");
        ASSERT_GT(file.size(), 50u) << name;
        EXPECT_NEAR(file.back()[3], 216.592, 1e-6) << name;

        std::vector<double> rows;
        consoletest::capture([&] {
            ASSERT_TRUE(m->findTheCriticalPoint()) << name;
            m->calculate_saturation_curve("unused", 2, m->T, -1.0, m->V, m->V, 216.592, 6, "s", &rows);
        });
        ASSERT_EQ(rows.size() % 28, 0u) << name;
        ASSERT_EQ(rows.size() / 28, file.size()) << name;
        for (std::size_t r = 1; r < rows.size() / 28; r += 7) {
            const double* row = &rows[28 * r];
            const double T = row[3], Vl = row[1] * 1e-6, Vv = row[2] * 1e-6;
            bool ok = false;
            double Pl = 0, fl = 0, Pv = 0, fv = 0;
            consoletest::capture([&] {
                ok = sweep::evaluate(*m, 2, T, Vl);
                Pl = m->P;
                fl = m->fugacity[0];
                ok = sweep::evaluate(*m, 1, T, Vv) && ok;
                Pv = m->P;
                fv = m->fugacity[0];
            });
            ASSERT_TRUE(ok) << name << " " << T;
            EXPECT_GT(Vv, 1.001 * Vl) << name << " " << T;
            EXPECT_NEAR(Pl / Pv, 1.0, 1e-7) << name << " " << T;
            EXPECT_NEAR(fl / fv, 1.0, 1e-7) << name << " " << T;
        }
    }
}

// The vapour spinodal the console traces lies, at every temperature, between
// the model's saturation pressure there and its critical pressure (the
// subcooled vapour is metastable from coexistence up to the spinodal).  The
// nitrogen equation's curve left it below 116 K for an extremum of the loop
// the equation has inside the two-phase region, at 1.3 to 57 kbar.
TEST(CriticalPointSweep, TheVapourSpinodalLiesBetweenTheSaturationAndTheCriticalPressures) {
    for (const char* name : {"Jacobsen", "IUPACCO2", "wagner"}) {
        std::unique_ptr<FluidPhase> m(createFluidModel(name)), sat(createFluidModel(name));
        ASSERT_TRUE(m && sat) << name;
        std::remove("spino_vsp");
        consoletest::capture([&] { m->calculateTheSpinodals("_lsp", "_vsp"); });
        const auto rows = readTextRows("spino_vsp");
        ASSERT_GT(rows.size(), 20u) << name;
        const double Pc = rows[0][1];
        for (std::size_t i = 1; i < rows.size(); ++i) {
            const double T = rows[i][0], P = rows[i][1];
            ASSERT_EQ(sat->calculateTheSaturationPressure(T, false), 0) << name << " " << T;
            EXPECT_GT(P, sat->Pv_sat * 1e-5 * (1.0 - 1e-9)) << name << " " << T;
            EXPECT_LT(P, Pc) << name << " " << T;
        }
    }
}
