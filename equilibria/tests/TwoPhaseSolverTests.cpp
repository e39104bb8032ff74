// The two-phase problem base, Raoult's law against its closed forms
// (bubble pressure sum x_i Psat_i, dew pressure 1/sum(y_i/Psat_i), the
// Rachford-Rice flash of a binary in closed form), and the general solver on
// a binary van der Waals mixture: equal fugacities and pressures by closed
// forms written independently of the framework, mass balances, round trips
// between the problem codes, the tangent against differences and the pure
// components' exact coexistence.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "equilibria/IFP.h"
#include "equilibria/IdealMixture.h"
#include "equilibria/VLE.h"
#include "equilibria/tests/TestBinary.h"
#include "fluid/PsatCorr.h"
#include "fluid/tests/VdWFluid.h"

namespace {

constexpr double kT = 250.0;  // below both critical temperatures (304 K, 392 K)

std::unique_ptr<VdWFluid> makeModel(int kind) {
    auto f = std::make_unique<VdWFluid>(std::vector<double>{kA0, kA1}, std::vector<double>{kB0, kB1}, false, 0.0,
                                        kind);
    f->liquidStart = 6.5e-5;
    return f;
}

// A binary IFP on two van der Waals models, z = (1 - z1, z1).
struct BinaryVdW {
    std::unique_ptr<VdWFluid> liq = makeModel(2), vap = makeModel(1);
    IFP ifp{*vap, *liq};
    explicit BinaryVdW(double z1) {
        ifp.number_of_components(2);
        ifp.add_components("CO2", "C3H8");
        ifp.bulk_composition(1.0 - z1, z1);
    }
    // Start values: a liquid of the bulk composition and a vapour richer in
    // the lighter component 0, at pressure P0 (bar) and temperature T0.
    void start(double T0, double P0_bar, double x1, double y1) {
        ifp.temperature(T0);
        ifp.pressure(P0_bar);
        ifp.xcomposition(0, 1.0 - x1);
        ifp.xcomposition(1, x1);
        ifp.ycomposition(0, 1.0 - y1);
        ifp.ycomposition(1, y1);
    }
    void solve(short code, short flag = 0) {
        ifp.set_type_of_problem(code);
        ifp.set_initialization_flag(flag);
        ifp.calculateVLE();
    }
};

// Equal fugacities and pressures by the closed forms, the mass balances.
void expectEquilibrium(const IFP& s, double tol = 1e-8) {
    const double T = s.T, Vl = s.liquid->V, Vv = s.vapour->V, x1 = s.x[1], y1 = s.y[1];
    EXPECT_LT(rel(mix.P(T, Vl, x1), s.P), tol);
    EXPECT_LT(rel(mix.P(T, Vv, y1), s.P), tol);
    for (int i = 0; i < 2; i++) {
        const double fl = mix.fugacity(i, T, Vl, x1), fv = mix.fugacity(i, T, Vv, y1);
        EXPECT_LT(rel(fv, fl), tol) << "component " << i;
        EXPECT_NEAR(s.nL * s.x[i] + s.nV * s.y[i], s.z[i], 1e-9) << "mass balance " << i;
    }
    EXPECT_NEAR(s.nL + s.nV, 1.0, 1e-10);
    EXPECT_NEAR(s.x[0] + s.x[1], 1.0, 1e-9);
    EXPECT_NEAR(s.y[0] + s.y[1], 1.0, 1e-9);
    EXPECT_GT(std::fabs(x1 - y1), 1e-3) << "trivial solution";
}

// A bubble point at T of the bulk z1 = 0.3.
void bubble(BinaryVdW& b, double T) {
    b.start(T, 20.0, 0.3, 0.1);
    b.ifp.set_the_temperature(T);
    b.ifp.set_the_vaporization_ratio(0.0);
    b.solve(13);
}

}  // namespace

// ================================================================ VLE base

TEST(VLEBase, ModelsAreOrderedByTheirPhaseKinds) {
    auto liq = makeModel(2), vap = makeModel(1), liq2 = makeModel(2), vap2 = makeModel(1);
    VLE a(*vap, *liq);
    EXPECT_EQ(a.liquid, liq.get());
    EXPECT_EQ(a.vapour, vap.get());
    EXPECT_EQ(a.ll_flag, 0);
    VLE b(liq.get(), liq2.get());
    EXPECT_EQ(b.liquid, liq.get());
    EXPECT_EQ(b.vapour, liq2.get());
    EXPECT_EQ(b.ll_flag, 1);

    testing::internal::CaptureStderr();
    VLE c(*vap, *vap2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "The definition of the phases is not correct.\n");
    EXPECT_EQ(c.error, 6);
    EXPECT_EQ(c.liquid, nullptr);
    // A solve on the refused pair is refused, not run on null models.
    c.number_of_components(2);
    c.set_type_of_problem(12);
    c.calculateVLE();
    EXPECT_EQ(c.error, 6);
}

TEST(VLEBase, SettersAndReset) {
    auto liq = makeModel(2), vap = makeModel(1);
    VLE v(*liq, *vap);
    EXPECT_EQ(v.total_moles, 1.0);
    EXPECT_EQ(v.factor, 1.0);
    EXPECT_EQ(v.first_init_flag, 2);
    EXPECT_EQ(v.header("x", "     "), "");  // no components
    v.number_of_components(1);
    EXPECT_EQ(v.x[0], 1.0);
    EXPECT_EQ(v.estimate.x[0], 1.0);
    EXPECT_EQ(v.y[0], 1.0);
    v.number_of_components(2);
    v.set_the_pressure(1.0);
    EXPECT_EQ(v.spec_P, 100000.0);
    v.pressure(2.0);
    EXPECT_EQ(v.P, 200000.0);
    EXPECT_EQ(v.estimate.P, 200000.0);
    EXPECT_EQ(v.previous.P, 200000.0);
    EXPECT_EQ(liq->P, 200000.0);
    EXPECT_EQ(vap->P, 200000.0);
    v.set_the_vaporization_ratio1(0.5);
    EXPECT_NEAR(v.Fv, 0.5 / 50.5, 1e-15);
    v.vaporization_ratio(0.25);
    EXPECT_EQ(vap->total_moles, 0.25);
    EXPECT_EQ(liq->total_moles, 0.75);
    v.bulk_composition(0.4, 0.6);
    EXPECT_EQ(v.moles[1], 0.6);
    v.add_components("H2O", "CO2");
    EXPECT_EQ(v.header("x", "     "), "xH2O     xCO2     ");
    EXPECT_EQ(liq->componentName(1), std::string("CO2"));
    // A component beyond the count is refused, not written past the table.
    testing::internal::CaptureStderr();
    v.add_component("N2");
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(v.added, 2);
    // The printing flag is kept until a reset clears it.
    VLE bare;
    EXPECT_EQ(bare.printing, 0);
    bare.set_printing_flag(3);
    EXPECT_EQ(bare.printing, 3);
    bare.reset_to_zero();
    EXPECT_EQ(bare.printing, 0);
}

TEST(VLEBase, UnsolvedCodesReportAndLeaveTheEstimates) {
    auto liq = makeModel(2), vap = makeModel(1);
    VLE v(*liq, *vap);
    v.number_of_components(2);
    v.set_the_temperature(300.0);
    v.set_type_of_problem(14);
    testing::internal::CaptureStderr();
    v.calculateVLE();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Type of problem not defined\n");
    EXPECT_EQ(v.error, 2);
    EXPECT_EQ(v.estimate.T, 300.0);   // initialize ran
    EXPECT_EQ(v.previous.T, 0.0);     // estimate_next_state did not
    // Flags 1 and 4 leave the current state as it was.
    v.T = 123.0;
    v.set_type_of_problem(12);
    v.set_initialization_flag(1);
    v.initialize();
    EXPECT_EQ(v.T, 123.0);
}

TEST(VLEBase, StartValuesFromAResultTable) {
    auto liq = makeModel(2), vap = makeModel(1);
    VLE v(*liq, *vap);
    v.number_of_components(2);
    {
        std::FILE* f = std::fopen("start.txt", "w");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "T P x0 x1 y0 y1 a b c\n");
        std::fprintf(f, "240 10 0.5 0.5 0.9 0.1 0 0 0\n");
        std::fprintf(f, "250 20 0.6 0.4 0.95 0.05 0 0 0\n");
        std::fprintf(f, "260 30 0.7 0.3 0.97 0.03 0 0 0\n");
        std::fclose(f);
    }
    auto run = [&](const char* answer) {
        std::FILE* in = std::tmpfile();
        std::fputs(answer, in);
        std::rewind(in);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        v.initializeFromFile(in);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        std::fclose(in);
        return out + err;  // the prompt, then the messages
    };
    v.set_type_of_problem(13);
    v.set_the_temperature(255.0);
    v.set_the_vaporization_ratio(0.0);
    run("start.txt\n");
    EXPECT_EQ(v.P, 30.0e5);  // the row after the bracket 250 <= 255 < 260
    EXPECT_EQ(v.x[1], 0.3);
    EXPECT_EQ(v.estimate.y[1], 0.03);
    EXPECT_EQ(v.previous.x[0], 0.7);

    // Never bracketed, or a pressure-fixed problem: nothing changes.
    v.set_the_temperature(400.0);
    v.P = 1.0;
    run("start.txt");
    EXPECT_EQ(v.P, 1.0);
    v.set_type_of_problem(23);
    v.set_the_temperature(245.0);
    run("start.txt");
    EXPECT_EQ(v.P, 1.0);

    EXPECT_NE(run("no-such-file.txt\n").find("no-such-file.txt file not found !\n"), std::string::npos);
    EXPECT_EQ(v.P, 1.0);
    // An over-long name is refused without opening anything.
    EXPECT_NE(run(std::string(5000, 'a').c_str()).find("longer than"), std::string::npos);
}

TEST(VLEBase, HistoryOfSolvedStates) {
    IdealMixture m;
    m.number_of_components(2);
    m.add_components("CO2", "C3H8");
    m.bulk_composition(0.5, 0.5);
    m.set_history("history.txt");
    ASSERT_EQ(m.history_on, 1);
    m.set_type_of_problem(13);
    m.set_the_temperature(250.0);
    m.set_the_vaporization_ratio(0.0);
    m.calculateVLE();
    m.set_history("history2.txt");  // closes the first
    std::FILE* f = std::fopen("history.txt", "r");
    ASSERT_NE(f, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    std::fclose(f);
    EXPECT_EQ(std::string(line).rfind("T 250 P ", 0), 0u) << line;
    testing::internal::CaptureStderr();
    m.set_history("no-such-dir/h.txt");
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(m.history_on, 0);
}

// ================================================================ Raoult's law

namespace {

struct Raoult {
    IdealMixture m;
    Clapeyron co2;
    Antoine c3;
    Raoult(double z0) {
        m.number_of_components(2);
        m.add_components("CO2", "C3H8");
        m.bulk_composition(z0, 1.0 - z0);
        co2.set_constants(304.21, 7382500.0, 185.0, 101325.0);
        c3.set_constants(6.84343, 818.54, 248.677);
    }
    double Ps(int i, double T) { return i == 0 ? co2.Psat(T) : c3.Psat(T); }
};

}  // namespace

TEST(IdealMixture, CorrelationsByName) {
    IdealMixture m;
    m.number_of_components(4);
    m.add_components("C1", "CH4", "c1", "nC4");
    EXPECT_NEAR(m.Psat(0, 150.0), m.Psat(1, 150.0), 0.0);
    EXPECT_GT(m.Psat(0, 150.0), 0.0);
    EXPECT_EQ(m.correlations[2], nullptr);
    // Reference points of the correlations: the critical and normal boiling
    // points of CO2 and CH4, propane's normal boiling point (231.1 K).
    IdealMixture c;
    c.number_of_components(3);
    c.add_components("CO2", "CH4", "C3");
    EXPECT_NEAR(c.Psat(0, 304.21), 7382500.0, 1e-3);
    EXPECT_NEAR(c.Psat(1, 116.65), 101325.0, 1e-6);
    EXPECT_NEAR(c.Psat(2, 231.1), 101325.0, 0.01 * 101325.0);
    EXPECT_NEAR(c.Tsat(0, c.Psat(0, 250.0)), 250.0, 1e-9);

    // A component without a correlation is refused, not solved.
    m.bulk_composition(0.25, 0.25, 0.25, 0.25);
    m.set_type_of_problem(13);
    m.set_the_temperature(200.0);
    testing::internal::CaptureStderr();
    m.calculateVLE();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("c1"), std::string::npos);
    EXPECT_EQ(m.error, 2);
}

TEST(IdealMixture, BubbleAndDewPressuresAreTheClosedForms) {
    Raoult r(0.3);
    const double T = 260.0, P0 = r.Ps(0, T), P1 = r.Ps(1, T);
    r.m.set_type_of_problem(13);
    r.m.set_the_temperature(T);
    r.m.set_the_vaporization_ratio(0.0);
    r.m.calculateVLE();
    ASSERT_EQ(r.m.error, 0);
    EXPECT_LT(rel(r.m.P, 0.3 * P0 + 0.7 * P1), 1e-6);
    EXPECT_NEAR(r.m.y[0], 0.3 * P0 / r.m.P, 1e-6);
    EXPECT_EQ(r.m.previous.P, r.m.P);  // the solution is the next start

    r.m.set_the_vaporization_ratio(1.0);
    r.m.set_type_of_problem(31);
    r.m.calculateVLE();
    ASSERT_EQ(r.m.error, 0);
    EXPECT_LT(rel(r.m.P, 1.0 / (0.3 / P0 + 0.7 / P1)), 1e-6);
    EXPECT_NEAR(r.m.x[0], 0.3 * r.m.P / P0, 1e-6);

    // Bubble temperature at the pressure just found by the dew point of T:
    // the dew temperature there is T again.
    const double Pdew = r.m.P;
    r.m.set_type_of_problem(23);
    r.m.set_the_pressure(Pdew / 1e5);
    r.m.calculateVLE();
    ASSERT_EQ(r.m.error, 0);
    EXPECT_NEAR(r.m.T, T, 1e-3);
    r.m.set_the_vaporization_ratio(0.0);
    r.m.calculateVLE();
    ASSERT_EQ(r.m.error, 0);
    EXPECT_LT(rel(0.3 * r.Ps(0, r.m.T) + 0.7 * r.Ps(1, r.m.T), Pdew), 1e-5);
}

TEST(IdealMixture, FlashIsTheBinaryRachfordRiceRoot) {
    Raoult r(0.4);
    const double T = 260.0;
    // Halfway between the bubble and the dew pressure.
    const double P = 0.5 * (0.4 * r.Ps(0, T) + 0.6 * r.Ps(1, T) + 1.0 / (0.4 / r.Ps(0, T) + 0.6 / r.Ps(1, T)));
    const double K0 = r.Ps(0, T) / P, K1 = r.Ps(1, T) / P, a = K0 - 1.0, b = K1 - 1.0;
    const double Fv = -(0.4 * a + 0.6 * b) / (a * b);
    ASSERT_GT(Fv, 0.0);
    ASSERT_LT(Fv, 1.0);
    r.m.set_type_of_problem(12);
    r.m.set_the_temperature(T);
    r.m.set_the_pressure(P / 1e5);
    r.m.calculateVLE();
    ASSERT_EQ(r.m.error, 0);
    EXPECT_NEAR(r.m.Fv, Fv, 1e-6);
    EXPECT_NEAR(r.m.nV + r.m.nL, 1.0, 1e-15);
    EXPECT_NEAR(r.m.x[0], 0.4 / (1.0 + Fv * a), 1e-6);
    EXPECT_NEAR(r.m.y[1], K1 * 0.6 / (1.0 + Fv * b), 1e-6);

    // All K above 1: no vapour fraction in [0, 1] nor in [0, 0.1].
    r.m.set_the_pressure(0.5);
    r.m.calculateVLE();
    EXPECT_EQ(r.m.error, 1);
    // A later solvable flash reports success.
    r.m.set_the_pressure(P / 1e5);
    r.m.calculateVLE();
    EXPECT_EQ(r.m.error, 0);
}

TEST(IdealMixture, FlashSweepOverFeedsAndPressuresIsRachfordRiceOrOnePhase) {
    // Feeds from pure propane to pure CO2, pressures from below the dew to
    // above the bubble pressure (Raoult, closed forms): inside the two-phase
    // range the flash is the Rachford-Rice root with x and y summing to one;
    // outside it, and for a pure feed anywhere off its saturation pressure,
    // a failure that leaves the feed as one phase, whatever flash came
    // before.
    const double T = 260.0;
    for (double z0 : {0.0, 1e-9, 0.02, 0.4, 0.98, 1.0 - 1e-9, 1.0}) {
        Raoult r(z0);
        const double P0 = r.Ps(0, T), P1 = r.Ps(1, T);
        const double Pb = z0 * P0 + (1.0 - z0) * P1, Pd = 1.0 / (z0 / P0 + (1.0 - z0) / P1);
        for (double f : {-0.5, -1e-3, 1e-3, 0.3, 0.7, 0.999, 1.001, 1.5}) {
            const bool pure = z0 == 0.0 || z0 == 1.0;
            // A pure feed (Pb = Pd): 10 % below to 10 % above its saturation.
            const double P = pure ? Pb * (1.0 + 0.2 * (f - 0.5)) : Pd + f * (Pb - Pd);
            const bool two = !pure && f > 0.0 && f < 1.0;
            r.m.set_type_of_problem(12);
            r.m.set_the_temperature(T);
            r.m.set_the_pressure(P / 1e5);
            r.m.calculateVLE();
            const std::string at = "z0 " + std::to_string(z0) + " f " + std::to_string(f);
            ASSERT_EQ(r.m.error, two ? 0 : 1) << at;
            if (!two) {
                EXPECT_EQ(r.m.x[0], z0) << at;
                EXPECT_EQ(r.m.y[0], z0) << at;
                EXPECT_EQ(r.m.Fv, P > Pb ? 0.0 : 1.0) << at;  // all liquid, or all vapour
                continue;
            }
            const double K0 = P0 / P, K1 = P1 / P;
            // Binary Rachford-Rice root in closed form.
            const double a = K0 - 1.0, b = K1 - 1.0, Fv = -(z0 * a + (1.0 - z0) * b) / (a * b);
            EXPECT_NEAR(r.m.Fv, Fv, 1e-7) << at;  // ill-conditioned for a nearly pure feed
            EXPECT_NEAR(r.m.x[0] + r.m.x[1], 1.0, 1e-12) << at;
            EXPECT_NEAR(r.m.y[0] + r.m.y[1], 1.0, 1e-12) << at;
            EXPECT_NEAR(r.m.y[0], K0 * r.m.x[0], 1e-12) << at;
            EXPECT_NEAR(r.m.x[0], z0 / (1.0 + Fv * a), 1e-9 * std::max(z0, 1e-9)) << at;
        }
    }
}

TEST(IdealMixture, VolumetricFractionsAndUnknownCodes) {
    Raoult r(0.4);
    r.m.set_the_temperature(260.0);
    r.m.set_the_vaporization_ratio1(0.5);
    r.m.set_type_of_problem(15);
    r.m.calculateVLE();
    EXPECT_NEAR(r.m.spec_nV, 0.5 / 5.5, 1e-15);
    ASSERT_EQ(r.m.error, 0);
    // The pressure-fixed code converts the fraction the same way.
    const double P = r.m.P;
    r.m.spec_nV = 0.0;
    r.m.set_the_pressure(P / 1e5);
    r.m.set_type_of_problem(52);
    r.m.calculateVLE();
    ASSERT_EQ(r.m.error, 0);
    EXPECT_NEAR(r.m.spec_nV, 0.5 / 5.5, 1e-15);
    EXPECT_NEAR(r.m.T, 260.0, 1e-2);

    // Codes 14, 24, 41, 42 only initialise and save the state.
    r.m.set_type_of_problem(24);
    r.m.set_the_pressure(7.0);
    r.m.calculateVLE();
    EXPECT_EQ(r.m.previous.P, 7e5);

    testing::internal::CaptureStderr();
    r.m.set_type_of_problem(77);
    r.m.calculateVLE();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Type of problem not defined\n");
    EXPECT_EQ(r.m.error, 2);
}

// ================================================================ IFP

TEST(IFP, ProblemCodesSetTheConstraintSelectors) {
    BinaryVdW b(0.3);
    b.ifp.set_type_of_problem(13);
    EXPECT_EQ(b.ifp.first_constraint[0], 1.0);
    EXPECT_EQ(b.ifp.second_constraint[2], 1.0);
    b.ifp.set_type_of_problem(31);
    EXPECT_EQ(b.ifp.first_constraint[2], 1.0);
    EXPECT_EQ(b.ifp.second_constraint[0], 1.0);
    EXPECT_EQ(b.ifp.first_constraint[0], 0.0);
    for (short code : {12, 14, 15, 23, 24, 25, 34, 35, 45}) {
        b.ifp.set_type_of_problem(code);
        double s1 = 0, s2 = 0;
        for (int k = 0; k < 5; k++) {
            s1 += b.ifp.first_constraint[k];
            s2 += b.ifp.second_constraint[k];
        }
        EXPECT_EQ(s1, 1.0) << code;
        EXPECT_EQ(s2, 1.0) << code;
        EXPECT_EQ(b.ifp.first_constraint[code / 10 - 1], 1.0);
        EXPECT_EQ(b.ifp.second_constraint[code % 10 - 1], 1.0);
    }
    EXPECT_EQ(b.ifp.error, 0);
    testing::internal::CaptureStderr();
    b.ifp.set_type_of_problem(61);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Type of problem not defined !\n");
    EXPECT_EQ(b.ifp.error, 2);
    EXPECT_EQ(b.ifp.second_constraint[0], 1.0);
    testing::internal::CaptureStderr();
    b.ifp.set_type_of_problem(66);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Type of problem not defined !\nType of problem not defined !\n");
}

TEST(IFP, BubblePointIsAnEquilibrium) {
    BinaryVdW b(0.3);
    bubble(b, kT);
    ASSERT_EQ(b.ifp.error, 0);
    expectEquilibrium(b.ifp);
    EXPECT_NEAR(b.ifp.nV, 0.0, 1e-10);
    EXPECT_NEAR(b.ifp.x[1], 0.3, 1e-9);
    EXPECT_LT(b.ifp.y[1], b.ifp.x[1]);  // the vapour is richer in the lighter component
    EXPECT_EQ(b.ifp.previous.P, b.ifp.P);
    // The same problem with the digits swapped.
    const double Pb = b.ifp.P;
    bubble(b, kT);
    b.solve(31);
    ASSERT_EQ(b.ifp.error, 0);
    EXPECT_LT(rel(b.ifp.P, Pb), 1e-9);
}

TEST(IFP, FlashDewAndRoundTripsBetweenCodes) {
    BinaryVdW b(0.3);
    bubble(b, kT);
    ASSERT_EQ(b.ifp.error, 0);
    const double Pb = b.ifp.P;
    // Dew point of the same bulk, started from the bubble point's phases swapped.
    b.start(kT, 0.8 * Pb / 1e5, 0.6, 0.3);
    b.ifp.set_the_vaporization_ratio(1.0);
    b.solve(13);
    ASSERT_EQ(b.ifp.error, 0);
    expectEquilibrium(b.ifp);
    EXPECT_NEAR(b.ifp.y[1], 0.3, 1e-9);
    const double Pd = b.ifp.P;
    ASSERT_LT(Pd, Pb);

    // A flash between them.
    const double Pf = 0.5 * (Pb + Pd);
    b.start(kT, Pf / 1e5, 0.4, 0.2);
    b.ifp.set_the_pressure(Pf / 1e5);
    b.ifp.nL = b.ifp.nV = 0.5;
    b.solve(12);
    ASSERT_EQ(b.ifp.error, 0);
    expectEquilibrium(b.ifp);
    EXPECT_GT(b.ifp.nV, 0.0);
    EXPECT_LT(b.ifp.nV, 1.0);
    EXPECT_EQ(b.ifp.P, Pf);
    const double nVf = b.ifp.nV, Vtf = b.ifp.Vt, Fvolf = b.ifp.Fvol, x1f = b.ifp.x[1];
    EXPECT_NEAR(Vtf, b.ifp.nL * b.liq->V + b.ifp.nV * b.vap->V, 1e-18);

    // The flash's vapour amount, total volume and volumetric fraction, each
    // with T or P, give back the same state from a displaced start.
    struct Case {
        short code;
        const char* what;
    };
    for (Case c : {Case{13, "T nV"}, Case{23, "P nV"}, Case{14, "T Vt"}, Case{24, "P Vt"}, Case{15, "T Fvol"},
                   Case{25, "P Fvol"}, Case{34, "nV Vt"}}) {
        b.start(kT + (c.code / 10 == 1 ? 0.0 : 3.0), (Pf + (c.code / 10 == 2 ? 0.0 : 1e5)) / 1e5, x1f + 0.03,
                0.2);
        b.ifp.set_the_temperature(kT);
        b.ifp.set_the_pressure(Pf / 1e5);
        b.ifp.set_the_vaporization_ratio(nVf);
        b.ifp.set_the_volume(Vtf);
        b.ifp.spec_Fvol = Fvolf;
        b.ifp.nL = 1.0 - nVf + 0.05;
        b.ifp.nV = nVf - 0.05;
        b.solve(c.code);
        ASSERT_EQ(b.ifp.error, 0) << c.what;
        expectEquilibrium(b.ifp);
        EXPECT_NEAR(b.ifp.T, kT, 1e-6) << c.what;
        EXPECT_LT(rel(b.ifp.P, Pf), 1e-7) << c.what;
        EXPECT_NEAR(b.ifp.nV, nVf, 1e-7) << c.what;
    }
}

TEST(IFP, RaoultStartReachesTheBubblePoint) {
    BinaryVdW b(0.3);
    b.ifp.set_the_temperature(kT);
    b.ifp.set_the_vaporization_ratio(0.0);
    b.solve(13, 2);
    ASSERT_EQ(b.ifp.error, 0);
    expectEquilibrium(b.ifp);
}

TEST(IFP, PureComponentLimitsAreTheSaturationPressures) {
    // One component: the bubble point is the exact coexistence.
    for (auto [a, bb] : {std::pair{kA0, kB0}, std::pair{kA1, kB1}}) {
        VdWFluid liq({a}, {bb}, false, 0.0, 2), vap({a}, {bb}, false, 0.0, 1);
        const PureCoexistence c = pureCoexistence(a, bb, kT);
        liq.liquidStart = c.Vl * 1.02;
        IFP s(liq, vap);
        s.number_of_components(1);
        s.add_component("X");
        s.bulk_composition(1.0);
        s.temperature(kT);
        s.pressure(0.9 * c.P / 1e5);
        s.set_type_of_problem(13);
        s.set_the_temperature(kT);
        s.set_the_vaporization_ratio(0.0);
        s.set_initialization_flag(0);
        s.calculateVLE();
        ASSERT_EQ(s.error, 0);
        EXPECT_LT(rel(s.P, c.P), 1e-9);
        EXPECT_LT(rel(liq.V, c.Vl), 1e-7);
        EXPECT_LT(rel(vap.V, c.Vv), 1e-7);
    }
    // A binary near the ends of the composition range: the bubble pressures
    // at the distances 1e-4 and 2e-4 from a pure component, extrapolated
    // linearly to it (the trivial-solution test keeps solves off the end itself).
    const PureCoexistence c0 = pureCoexistence(kA0, kB0, kT), c1 = pureCoexistence(kA1, kB1, kT);
    for (int end = 0; end < 2; end++) {
        const double Psat = end == 0 ? c0.P : c1.P;
        double Pb[2];
        for (int k = 0; k < 2; k++) {
            const double d = 1e-4 * (k + 1), z1 = end == 0 ? d : 1.0 - d;
            BinaryVdW b(z1);
            b.liq->liquidStart = end == 0 ? c0.Vl : c1.Vl;
            b.start(kT, Psat / 1e5, z1, end == 0 ? 0.5 * d : 1.0 - 3.0 * d);
            b.ifp.set_the_temperature(kT);
            b.ifp.set_the_vaporization_ratio(0.0);
            b.solve(13);
            ASSERT_EQ(b.ifp.error, 0) << end << " " << k;
            Pb[k] = b.ifp.P;
        }
        EXPECT_LT(rel(2.0 * Pb[0] - Pb[1], Psat), 1e-6) << end;
        EXPECT_GT(rel(Pb[0], Psat), 1e-6) << end;  // the mixture's own pressure differs
    }
}

TEST(IFP, TangentAlongTheBubbleCurve) {
    BinaryVdW b(0.3);
    bubble(b, kT);
    ASSERT_EQ(b.ifp.error, 0);
    std::vector<double> d(8, 0.0);
    b.ifp.calculate_derivatives(d.data(), 1, 3);  // du/dT at fixed nV
    const double P0 = b.ifp.P, y0 = b.ifp.y[1];
    const double h = 0.01;
    bubble(b, kT + h);
    ASSERT_EQ(b.ifp.error, 0);
    const double Pp = b.ifp.P, yp = b.ifp.y[1];
    bubble(b, kT - h);
    ASSERT_EQ(b.ifp.error, 0);
    const double Pm = b.ifp.P, ym = b.ifp.y[1];
    EXPECT_NEAR(d[0], 1.0, 1e-10);
    EXPECT_LT(rel(d[1], (Pp - Pm) / (2 * h)), 1e-5);
    EXPECT_NEAR(d[7], (yp - ym) / (2 * h), 1e-6);
    EXPECT_NEAR(d[5], 0.0, 1e-10);  // the liquid keeps the bulk composition
    (void)P0;
    (void)y0;
}

TEST(IFP, StartsByCodeAndFlag) {
    BinaryVdW b(0.3);
    IFP& s = b.ifp;
    // Flag 0 with code 24: T from the estimate, P from the given values.
    b.start(251.0, 20.0, 0.3, 0.1);
    s.set_type_of_problem(24);
    s.set_the_temperature(300.0);
    s.set_the_pressure(12.0);
    s.set_initialization_flag(0);
    s.initialize();
    EXPECT_EQ(s.error, 0);
    EXPECT_EQ(s.T, 251.0);
    EXPECT_EQ(s.P, 12e5);
    EXPECT_EQ(s.state_vector[0], 251.0);
    EXPECT_EQ(s.state_vector[1], 12e5);
    EXPECT_EQ(s.solver.scale[1], 5e6);
    EXPECT_EQ(s.solver.scale[5], 0.3);

    // Flag 3 on models without a pseudo-critical point: a failed solve, no crash.
    s.set_type_of_problem(12);
    s.set_the_temperature(250.0);
    s.set_the_pressure(20.0);
    s.set_initialization_flag(3);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    s.calculateVLE();
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_NE(s.error, 0);

    // The history of a solve.
    s.set_history("ifp_history.txt");
    bubble(b, kT);
    ASSERT_EQ(s.error, 0);
    s.set_history(nullptr);
    std::FILE* f = std::fopen("ifp_history.txt", "r");
    ASSERT_NE(f, nullptr);
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_EQ(std::string(line).rfind("Calculate VLE Problem 13 Bulk composition", 0), 0u) << line;
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_EQ(std::string(line), "\tT 250 Fv 0\n");
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_EQ(std::string(line).rfind("Initialization from the later calculated equilibrium state", 0), 0u) << line;
    std::fclose(f);
}

TEST(IFP, PlausibilityOfTrialStates) {
    BinaryVdW b(0.3);
    IFP& s = b.ifp;
    s.T = kT;
    s.P = 1e6;
    s.nL = s.nV = 0.5;
    s.x = {1.0 + 2e-5, -2e-5};
    s.y = {0.5, 0.5};
    EXPECT_EQ(s.the_calculated_vector_is_not_good(), 0);
    EXPECT_EQ(s.x[1], 1e-10);
    EXPECT_EQ(s.x[0], 0.999999999);
    s.x = {1.0, -1.6};
    EXPECT_EQ(s.the_calculated_vector_is_not_good(), 1);
    s.x = {0.5, 0.5};
    s.y = {0.5 + 1e-8, 0.5 - 1e-8};
    EXPECT_EQ(s.is_it_the_trivial_solution(), 1);
    EXPECT_EQ(s.the_calculated_vector_is_not_good(), 1);
    s.y = {0.6, 0.4};
    s.nV = -1e-5;
    EXPECT_EQ(s.the_calculated_vector_is_not_good(), 1);
    s.nV = 0.5;
    s.P = -1.0;
    EXPECT_EQ(s.the_calculated_vector_is_not_good(), 1);
    s.P = 1e6;
    // A vapour model of kind 5 is reset to kind 1 and the trial rejected.
    b.vap->set_the_phase_as(5);
    EXPECT_EQ(s.the_calculated_vector_is_not_good(), 1);
    EXPECT_EQ(b.vap->phase_kind, 1);
    EXPECT_EQ(s.the_calculated_vector_is_not_good(), 0);
    // Key component: its vapour may not be richer than its liquid.
    s.key_check = 1;
    s.key_component = 0;
    s.x = {0.4, 0.6};
    s.y = {0.6, 0.4};
    EXPECT_EQ(s.the_calculated_vector_is_not_good(), 1);
}

TEST(IFP, AnalyticJacobianAgreesWithDifferences) {
    BinaryVdW b(0.3);
    bubble(b, kT);
    ASSERT_EQ(b.ifp.error, 0);
    // At a flash-like interior point with a volume and a volume-fraction constraint.
    b.ifp.set_type_of_problem(45);
    b.ifp.set_the_volume(1e-4);
    b.ifp.spec_Fvol = 0.5;
    std::vector<double> u = {kT, b.ifp.P * 0.98, 0.6, 0.4, 0.68, 0.32, 0.9, 0.1};
    std::vector<double> h = {1e-4, 1.0, 1e-7, 1e-7, 1e-8, 1e-8, 1e-8, 1e-8};
    testing::internal::CaptureStdout();
    const double worst = b.ifp.solver.check_derivatives(stdout, u.data(), h.data());
    testing::internal::GetCapturedStdout();
    EXPECT_GE(worst, 0.0);
    EXPECT_LT(worst, 1e-4);
}

TEST(IFP, BadSetUpIsReportedNotCrashed) {
    // Initialisation flag 7: both messages, error 5, no solve.
    BinaryVdW b(0.3);
    b.start(kT, 20.0, 0.3, 0.1);
    b.ifp.set_the_temperature(kT);
    b.ifp.set_the_vaporization_ratio(0.0);
    testing::internal::CaptureStderr();
    b.solve(13, 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Type of initialization not defined !\nInitialization error\n");
    EXPECT_EQ(b.ifp.error, 5);

    // A code with an undefined digit fails without a crash.
    testing::internal::CaptureStderr();
    b.start(kT, 20.0, 0.3, 0.1);
    b.solve(19);
    testing::internal::GetCapturedStderr();
    EXPECT_NE(b.ifp.error, 0);

    // No components yet, or no models: refused.
    auto liq = makeModel(2), vap = makeModel(1);
    IFP empty(*liq, *vap);
    testing::internal::CaptureStderr();
    empty.calculateVLE();
    testing::internal::GetCapturedStderr();
    EXPECT_NE(empty.error, 0);
    IFP none;
    none.number_of_components(2);
    none.set_type_of_problem(12);
    testing::internal::CaptureStderr();
    none.calculateVLE();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(none.error, 6);

    // A start far from any equilibrium fails with error 1 and keeps the estimates.
    bubble(b, kT);
    ASSERT_EQ(b.ifp.error, 0);
    const double Pprev = b.ifp.previous.P;
    b.start(kT, 20.0, 0.3, 0.3 + 1e-9);  // trivial start
    b.solve(13);
    EXPECT_EQ(b.ifp.error, 1);
    EXPECT_EQ(b.ifp.previous.P, 20e5);   // the start given, not overwritten by the failed solve
    (void)Pprev;
}

TEST(IFP, BubbleAndDewOfAPureFeedAreThePureComponentsExactCoexistence) {
    // x1 -> 0 and x1 -> 1: the bubble and dew points of the pure feeds are the
    // pure components' coexistence (closed form), the liquid and the vapour of
    // one composition told apart by their volumes; the nearly pure feed next
    // to each lies within its composition of it.
    for (double z1 : {0.0, 1e-7, 1.0 - 1e-7, 1.0}) {
        const bool near1 = z1 > 0.5;
        const PureCoexistence c = near1 ? pureCoexistence(kA1, kB1, kT) : pureCoexistence(kA0, kB0, kT);
        for (double Fv : {0.0, 1.0}) {
            BinaryVdW b(z1);
            // As the bubble points above: the liquid richer in component 1.
            const double w = near1 ? 1.0 - z1 : z1;
            b.start(kT, 20.0, near1 ? 1.0 - 0.5 * w : 2.0 * w, near1 ? 1.0 - 2.0 * w : 0.5 * w);
            b.ifp.set_the_temperature(kT);
            b.ifp.set_the_vaporization_ratio(Fv);
            b.solve(13);
            const std::string at = "z1 " + std::to_string(z1) + " Fv " + std::to_string(Fv);
            ASSERT_EQ(b.ifp.error, 0) << at;
            EXPECT_LT(rel(b.ifp.P, c.P), 1e-6) << at;
            EXPECT_LT(rel(b.liq->V, c.Vl), 1e-5) << at;
            EXPECT_LT(rel(b.vap->V, c.Vv), 1e-5) << at;
            if (z1 == 0.0 || z1 == 1.0) {
                EXPECT_EQ(b.ifp.x[1], z1) << at;
                EXPECT_EQ(b.ifp.y[1], z1) << at;
                EXPECT_LT(rel(b.ifp.P, c.P), 1e-9) << at;
            }
        }
    }
}
