#include <gtest/gtest.h>

#include <cmath>

#include "expressions/Expression.h"
#include "fluid/Standard.h"
#include "fluid/tests/TestDataDir.h"
#include "fluid/tests/VdWFluid.h"

namespace {
constexpr double R = 8.31434;
constexpr double cal = 4.1855;
// Comments ("##..." and "#..." words other than "#" to the end of their
// line) may stand anywhere, even where they look like records.
const char* kFile =
    "## Cp = a + 1e-2 b T\n"
    "CO2 10.57 0.210 -94052 51.06 carbon-dioxide ## Maier-Kelley a, b\n"
    "##\n"
    "## H2O 1 2 3 4 water\n"
    "# H2O 7.30 0.246 -57798 45.106 water\n"
    "#X7 0 0 0 0 seven\n"
    "X7 7 0 0 0 seven\n";
}  // namespace

TEST(Standard, GivesItsDataAt298AndCpLinearInT) {
    TestDataDir data("standard");
    data.write("compo/standard.txt", kFile);
    for (const char* name : {"H2O", "water"}) {
        Standard s;
        s.number_of_components(1);
        s.read_component_data(name);
        s.T = 298.15;
        s.calculate_fixed_parameters();
        EXPECT_NEAR(s.H0, -57798 * cal, 1e-8);
        EXPECT_NEAR(s.S0, 45.106 * cal, 1e-10);
        EXPECT_NEAR(s.Cp0, (7.30 + 0.246e-2 * 298.15) * cal, 1e-10);
        s.T = 600.0;
        s.calculate_fixed_parameters();
        EXPECT_NEAR(s.Cp0, (7.30 + 0.246e-2 * 600.0) * cal, 1e-10);
        // H(T) - H(T0) is the integral of Cp.
        const double a = 7.30 * cal, b = 0.246e-2 * cal;
        EXPECT_NEAR(s.H0 - (-57798 * cal), a * (600 - 298.15) + b / 2 * (600 * 600 - 298.15 * 298.15), 1e-7);
        EXPECT_NEAR(s.G0, s.H0 - 600.0 * s.S0, 1e-7);
    }
}

TEST(Standard, LeafCarriesTemperatureAndCompositionDerivatives) {
    TestDataDir data("standard-leaf");
    data.write("compo/standard.txt", kFile);
    Standard s;
    s.number_of_components(2);
    s.read_component_data("CO2");
    s.read_component_data("seven");
    s.x = {0.3, 0.7};
    auto a0 = [&](double T, double x0, double x1) {
        s.T = T;
        s.x = {x0, x1};
        s.calculate_fixed_parameters();
        return s.root->value;
    };
    const double T = 450.0, h = 1e-3;
    a0(T, 0.3, 0.7);
    const double d1 = s.root->d1[0], d2 = s.root->d2[0][0], d3 = s.root->d3[0][0][0], d4 = s.root->d4[0][0][0][0];
    const double dx0 = s.root->d1[2], dx0T = s.root->d2[2][0];
    EXPECT_EQ(s.root->d1[1], 0.0);
    const double num1 = (a0(T + h, 0.3, 0.7) - a0(T - h, 0.3, 0.7)) / (2 * h);
    EXPECT_NEAR(num1, d1, 1e-8 * std::fabs(d1));
    auto deriv = [&](int k, double t) {
        a0(t, 0.3, 0.7);
        return k == 1 ? s.root->d1[0] : k == 2 ? s.root->d2[0][0] : s.root->d3[0][0][0];
    };
    EXPECT_NEAR((deriv(1, T + h) - deriv(1, T - h)) / (2 * h), d2, 1e-6 * std::fabs(d2));
    EXPECT_NEAR((deriv(2, T + h) - deriv(2, T - h)) / (2 * h), d3, 1e-6 * std::fabs(d3));
    EXPECT_NEAR((deriv(3, T + h) - deriv(3, T - h)) / (2 * h), d4, 1e-6 * std::fabs(d4));
    // a0 is linear in the fractions.
    EXPECT_NEAR((a0(T, 0.3 + 1e-4, 0.7) - a0(T, 0.3 - 1e-4, 0.7)) / 2e-4, dx0, 1e-7 * std::fabs(dx0));
    // The x_0-derivatives are those of component 0 alone.
    const double pure = a0(T, 1, 0);
    EXPECT_NEAR(dx0, pure, 1e-12 * std::fabs(pure));
    EXPECT_NEAR(dx0T, s.root->d1[0], 1e-12 * std::fabs(dx0T));

    // A pure Cp = 7 cal: the first T-derivative of G0/(RT) is -(a/R)/T - h/T^2,
    // and ln(RT/P0) - 1 adds 1/T.
    Standard seven;
    seven.number_of_components(1);
    seven.read_component_data("X7");
    seven.T = 350.0;
    seven.calculate_fixed_parameters();
    const double aa = 7 * cal, hh = (0 - aa * 298.15) / R;
    EXPECT_NEAR(seven.root->d1[0], -(aa / R) / 350.0 - hh / (350.0 * 350.0) + 1.0 / 350.0, 1e-12);
    EXPECT_NEAR(seven.A0, seven.G0 - R * 350.0, 1e-9);
    EXPECT_NEAR(seven.Cv0, seven.Cp0 - R, 1e-12);
    EXPECT_NEAR(seven.U0, seven.H0 - R * 350.0, 1e-9);
}

TEST(Standard, NeverContributesToZAndIsSwitchedOffInTheFugacityPass) {
    TestDataDir data("standard-z");
    data.write("compo/standard.txt", kFile);
    Standard s;
    s.number_of_components(1);
    s.read_component_data("CO2");
    s.T = 400.0;
    s.V = 1e-3;
    s.calculate_Z();
    EXPECT_EQ(s.termError, 0);
    EXPECT_EQ(s.Z, 0.0);
    EXPECT_EQ(s.dZdV, 0.0);
    EXPECT_EQ(s.P, 0.0);
    s.calculate_fugacities();
    EXPECT_EQ(s.rcp[0], 0.0);
    EXPECT_EQ(s.drcpdT[0], 0.0);
    EXPECT_GT(s.Cp0, 0.0);  // the state functions are still refreshed
    s.calculate_state_functions();
    EXPECT_NE(s.A, 0.0);
    EXPECT_EQ(s.Av, 0.0);
}

// A component without its record is said when the data are needed (a model
// of it still gives volumes and fugacities), once; the next component goes on.
TEST(Standard, MissingComponentIsToldWhenItsDataAreNeeded) {
    {
        TestDataDir data("standard-missing");
        data.write("compo/standard.txt", kFile);
        Standard s;
        s.number_of_components(2);
        testing::internal::CaptureStderr();
        s.read_component_data("Unobtainium");
        s.read_component_data("CO2");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(s.CpA[0], 0.0);
        EXPECT_NEAR(s.CpA[1], 10.57 * cal, 1e-12);
        s.x = {0.5, 0.5};
        testing::internal::CaptureStderr();
        EXPECT_FALSE(s.hasData());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(s.whyNoData(), "Data for component Unobtainium have not been found in the file compo/standard.txt: "
                                 "h, u, s, cv, cp, the sound speed and the Joule-Thomson coefficient are not given");
        s.x = {0.0, 1.0};
        EXPECT_TRUE(s.hasData());
        EXPECT_EQ(s.whyNoData(), "");
    }
}

// Every row of the repository's file against NIST-JANAF (Chase 1998): cp0
// within 5 % from 300 to 1000 K, the enthalpy of formation and the entropy at
// 298.15 K within 0.5 %.
TEST(Standard, RepositoryFileAgreesWithJanaf) {
    struct Row {
        const char* name;
        double cp[8];  // J/(mol K) at 300, 400, ..., 1000 K
        double H, S;   // J/mol, J/(mol K) at 298.15 K
    };
    const Row rows[] = {
        {"H2O", {33.596, 34.262, 35.226, 36.325, 37.495, 38.721, 39.987, 41.268}, -241826.0, 188.835},
        {"CO2", {37.221, 41.325, 44.627, 47.321, 49.564, 51.434, 52.999, 54.308}, -393522.0, 213.795},
        {"CH4", {35.708, 40.500, 46.342, 52.227, 57.794, 62.932, 67.601, 71.795}, -74873.0, 186.251},
        {"N2", {29.125, 29.249, 29.580, 30.110, 30.754, 31.433, 32.090, 32.697}, 0.0, 191.609},
        {"Ar", {20.786, 20.786, 20.786, 20.786, 20.786, 20.786, 20.786, 20.786}, 0.0, 154.845},
    };
    // VARNOK_DATA_DIR points at the source tree in the test environment.
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Standard s;
        s.number_of_components(1);
        testing::internal::CaptureStderr();
        s.read_component_data(r.name);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        ASSERT_TRUE(s.hasData());
        s.T = 298.15;
        s.calculate_fixed_parameters();
        EXPECT_NEAR(s.H0, r.H, 0.005 * std::fabs(r.H) + 1.0);
        EXPECT_NEAR(s.S0, r.S, 0.005 * r.S);
        for (int k = 0; k < 8; k++) {
            s.T = 300.0 + 100.0 * k;
            s.calculate_fixed_parameters();
            EXPECT_NEAR(s.Cp0, r.cp[k], 0.05 * r.cp[k]) << s.T << " K";
        }
    }
}

// A component without its record: the state functions that need the ideal
// gas are not given rather than give Cv = -R and no sound speed, and why is
// said once where they are shown (the state printed), not by the
// calculations that need none of them; the state, its pressure derivatives
// and the fugacities, which the ideal part does not enter, are still given.
// A component at zero mole fraction needs no data.
TEST(Standard, ComponentWithoutDataFailsTheStateFunctions) {
    TestDataDir data("standard-nodata");
    data.write("compo/standard.txt", kFile);
    VdWFluid f({0.3658, 0.3658}, {4.286e-5, 4.286e-5}, true);
    testing::internal::CaptureStderr();
    f.add_components("CO2", "Unobtainium");
    f.composition(0.5, 0.5);
    for (double T : {300.0, 400.0}) {
        f.calculateFromTP(T, 1.0, 0);
        EXPECT_EQ(f.errorflag, 0);
        for (double q : {f.A, f.U, f.H, f.G, f.S, f.Cv, f.Cp, f.soundSpeed, f.jouleThomson})
            EXPECT_TRUE(std::isnan(q));
        EXPECT_NEAR(f.P, 1e5, 1e-6 * 1e5);
        EXPECT_LT(f.dPdV, 0.0);
        EXPECT_GT(f.dPdT, 0.0);
        EXPECT_GT(f.fugcoef[0], 0.9);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    f.dump();
    f.dump();
    const std::string shown = testing::internal::GetCapturedStdout();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("--"), std::string::npos) << shown;
    const std::string message = "Data for component Unobtainium have not been found in the file compo/standard.txt: "
                                "h, u, s, cv, cp, the sound speed and the Joule-Thomson coefficient are not given "
                                "(shown as --, and as nan in the curve files).\n";
    ASSERT_NE(said.find(message), std::string::npos) << said;
    EXPECT_EQ(said.find(message, said.find(message) + 1), std::string::npos) << said;

    f.composition(1.0, 0.0);
    f.calculateFromTP(300.0, 1.0, 0);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_GT(f.Cv, 0.0);

    // A part whose data were never read says which component it lacks.
    VdWFluid unread({0.3658}, {4.286e-5}, false);
    unread.ideal = new Standard();
    unread.ideal->number_of_components(1);
    unread.ideal->x[0] = 1.0;
    unread.calculateFromTV(300.0, 1e-2, 0);
    unread.calculateFromTV(310.0, 1e-2, 0);
    EXPECT_TRUE(std::isnan(unread.S));
    EXPECT_NE(static_cast<Ideal*>(unread.ideal)->whyNoData().find("No standard-state data were read for component 0"),
              std::string::npos);
}
