// Solubility model base and the Henry-law model: composition bookkeeping,
// Henry's law in closed form, solubility <-> bubble-pressure round trips,
// curves and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "brines/Henry.h"
#include "water/WaterEOS.h"

namespace {

// ln(H/Pa) of CO2 in water, Fernandez-Prini, Alvarez & Harvey (2003), IAPWS G7-04.
double lnHenryCO2(double T) {
    const double Tr = T / 647.096, tau = 1.0 - Tr;
    return std::log(WaterEOS::saturationPressureWagnerPruss(T)) - 8.55445 / Tr + 4.01195 * std::pow(tau, 0.355) / Tr +
           9.52345 * std::pow(Tr, -0.41) * std::exp(tau);
}

// H (Pa) of CO2 in water, Carroll, Slupsky & Mather (1991), J. Phys. Chem. Ref. Data 20, 1201, 273-433 K.
double carrollCO2(double T) {
    return 1e6 * std::exp(-6.8346 + 1.2817e4 / T - 3.7668e6 / (T * T) + 2.997e8 / (T * T * T));
}

struct HenryCO2 : ::testing::Test {
    Henry h;
    void SetUp() override { h.setSystemType(SM_H2O_CO2_NaCl, 0); }
};

}  // namespace

TEST(SolubilityModel, SystemTypesComponentsAndIndices) {
    Henry h;
    EXPECT_EQ(h.henryScale, 0);
    EXPECT_STREQ(h.modelName(), "Henry model");
    h.setSystemType(SM_H2O_CH4_NaCl, 0);
    ASSERT_EQ(h.component_count, 3);
    EXPECT_EQ(h.iw, 0);
    EXPECT_EQ(h.ig, 1);
    EXPECT_EQ(h.is, 2);
    EXPECT_EQ(h.gasCount, 1);
    ASSERT_TRUE(h.gasModel);
    EXPECT_EQ(h.gasModelType, SM_GasClassicalSRK);
    EXPECT_EQ(h.gasModel->component_names[0], "CH4");
    // Same type and version: nothing changes.
    h.ms = 2.0;
    h.setSystemType(SM_H2O_CH4_NaCl, 0);
    EXPECT_EQ(h.ms, 2.0);
    // New version resets the molalities.
    h.setSystemType(SM_H2O_CH4_NaCl, 1);
    EXPECT_EQ(h.ms, 0.0);
    // A new gas: components and the vapour model follow.
    h.setSystemType(SM_H2O_CO2, 0);
    ASSERT_EQ(h.component_count, 2);
    EXPECT_EQ(h.component_names[1], "CO2");
    EXPECT_EQ(h.is, -1);
    EXPECT_EQ(h.gasModel->component_names[0], "CO2");
}

TEST(SolubilityModel, CompositionCodes) {
    Henry h;
    h.setSystemType(SM_H2O_CO2_NaCl, 0);
    h.x[1] = 0.01;
    h.x[2] = 0.02;
    h.compositionCode = 22;
    h.update_composition();
    EXPECT_EQ(h.compositionCode, 0);
    EXPECT_NEAR(h.x[0], 0.97, 1e-15);
    EXPECT_NEAR(h.mg, 0.01 / 0.97 / 0.018015268, 1e-12);
    EXPECT_NEAR(h.ms, 0.02 / 0.97 / 0.018015268, 1e-12);
    // Molalities back to fractions.
    h.ms = 1.0;
    h.mg = 0.5;
    h.compositionCode = 11;
    h.update_composition();
    const double a = 0.018015268, b = 0.5 * 0.018015268;
    EXPECT_NEAR(h.x[1], b / (1 + a + b), 1e-15);
    EXPECT_NEAR(h.x[2], a / (1 + a + b), 1e-15);
    // Gas fraction with a salt molality.
    h.x[1] = 0.001;
    h.compositionCode = 12;
    h.update_composition();
    EXPECT_NEAR(h.x[1], 0.001, 1e-15);
    EXPECT_NEAR(h.ms, 1.0, 1e-12);
    // Code 10 is left alone.
    h.compositionCode = 10;
    h.ms = 3.0;
    h.update_composition();
    EXPECT_EQ(h.ms, 3.0);
    EXPECT_EQ(h.compositionCode, 10);
}

TEST(SolubilityModel, EstimateOfTheBubblePressure) {
    Henry h;
    EXPECT_NEAR(h.estimate_bubble_pressure(273.15, 0.0, 0.1), 1.0 + 1799.0 * (0.1 - 0.0023) / (0.793 - 0.0023),
                1e-10);
    // Inside a cell, a bilinear blend of its corners.
    const double wt = 60.0 / 120.0, wm = 1.5 / 3.0;
    const double lo = (0.0023 * (1 - wt) + 0 * wt) * (1 - wm) + (0.0011 * (1 - wt) + 0 * wt) * wm;
    const double hi = (0.793 * (1 - wt) + 0.4386 * wt) * (1 - wm) + (0.3063 * (1 - wt) + 0.1757 * wt) * wm;
    EXPECT_NEAR(h.estimate_bubble_pressure(333.15, 1.5, 0.05), 1.0 + 1799.0 * (0.05 - lo) / (hi - lo), 1e-10);
}

TEST_F(HenryCO2, HenrysLawInClosedForm) {
    const double T = 323.15, Pbar = 50.0;
    h.calculate_gas_solubility(T, Pbar, 0.0);
    ASSERT_EQ(h.fugacityError, 0);
    const double P = Pbar * 1e5;
    const double H = std::exp(lnHenryCO2(T)) * std::exp(2.82e-5 * P / (8.31434 * T));
    EXPECT_NEAR(h.henryConstant[1], H, 1e-9 * H);
    EXPECT_EQ(h.activity[1], 1.0);  // no salt molality, factor exp(0) = 1
    const double Psat = WaterEOS::saturationPressureWagnerPruss(T);
    EXPECT_NEAR(h.yw, Psat / P, 1e-15);
    EXPECT_NEAR(h.fv, (1.0 - h.yw) * h.gasModel->fugacity[0], 1e-9);
    const double xg = h.fv / H;
    EXPECT_NEAR(h.x[1], xg, 1e-12);
    EXPECT_NEAR(h.mg, xg / (h.x[0] * 0.018015268), 1e-10);
    // Of the order of a mole per kg at 50 bar and 50 °C.
    EXPECT_GT(h.mg, 0.5);
    EXPECT_LT(h.mg, 1.5);
}

TEST_F(HenryCO2, SaltingOutAndCapillaryPressure) {
    h.calculate_gas_solubility(323.15, 50.0, 0.0);
    const double m0 = h.mg;
    h.calculate_gas_solubility(323.15, 50.0, 2.0);
    EXPECT_NEAR(h.activity[1], std::exp(0.27503999999999995 * 2.0 / (0.018 * 2.0 + 1.0)), 1e-12);
    EXPECT_LT(h.mg, m0);
    // A capillary radius lowers the pressure seen by H by 2 sigma / r.
    h.r = 1e-6;
    h.calculate_gas_solubility(323.15, 50.0, 0.0);
    h.calculateSigma();
    const double Pp = 50e5 - 2.0 * h.sigma / 1e-6;
    const double T = 323.15;
    EXPECT_NEAR(h.henryConstant[1], std::exp(lnHenryCO2(T)) * std::exp(2.82e-5 * Pp / (8.31434 * T)),
                1e-3);
    EXPECT_NEAR(h.sigma, 0.06794, 2e-4);  // IAPWS 1994 at 50 °C: 67.94 mN/m
}

TEST_F(HenryCO2, SolubilityAndBubblePressureRoundTrip) {
    for (double Pbar : {20.0, 100.0}) {
        h.calculate_gas_solubility(333.15, Pbar, 1.0);
        const double mg = h.mg;
        h.calculate_bubble_pressure(333.15, 0.7 * Pbar, 1.0, mg);
        EXPECT_EQ(h.errorflag, 0);
        EXPECT_NEAR(h.P / 1e5, Pbar, 1e-4 * Pbar);
    }
}

// The three sets against published Henry constants from 278 to 348 K: CO2
// against Carroll et al. (1991) within 3 %; the second set (Wilhelm, Battino &
// Wilcock 1977) against the IAPWS G7-04 correlation of Fernandez-Prini et al.
// (2003), computed here from its published coefficients, within 3.5 % (CH4
// within 3 % to 300 K and 8 % above, where the 1977 fit drifts); the third
// set's CH4 against the second set's.  Gases without a published salting-out
// coefficient in a set are refused in brine.
TEST(HenryModel, ConstantsAgainstPublishedCorrelations) {
    auto iapws = [](double T, double A, double B, double C) {
        const double Tr = T / 647.096, tau = 1.0 - Tr;
        return WaterEOS::saturationPressureWagnerPruss(T) *
               std::exp(A / Tr + B * std::pow(tau, 0.355) / Tr + C * std::pow(Tr, -0.41) * std::exp(tau));
    };
    struct Gas {
        const char* name;
        double A, B, C;  // IAPWS G7-04
    };
    const Gas gases[] = {{"N2", -9.67578, 4.72162, 11.70585},
                         {"C2H6", -19.67563, 4.51222, 20.62567},
                         {"H2S", -4.51499, 5.23538, 4.42126},
                         {"CH4", -10.44708, 4.66491, 12.12986}};
    Henry h;
    h.setSystemType(SM_H2O_CH4, 0);
    const double Pp = 1e5;  // Poynting factors within 0.15 % of 1
    for (double T = 278.15; T < 350.0; T += 10.0) {
        SCOPED_TRACE(T);
        h.temperature(T);
        h.changeModelVersion(0);
        h.component_names[1] = "CO2";
        EXPECT_NEAR(h.calculateHenryConstant(1, Pp) / carrollCO2(T), 1.0, 0.03);
        h.changeModelVersion(1);
        EXPECT_NEAR(h.calculateHenryConstant(1, Pp) / carrollCO2(T), 1.0, 0.03);
        for (const Gas& g : gases) {
            h.component_names[1] = g.name;
            const double tolerance = std::strcmp(g.name, "CH4") == 0 ? (T < 300.0 ? 0.03 : 0.08) : 0.035;
            EXPECT_NEAR(h.calculateHenryConstant(1, Pp) / iapws(T, g.A, g.B, g.C), 1.0, tolerance) << g.name;
        }
        h.component_names[1] = "CH4";
        const double second = h.calculateHenryConstant(1, Pp);
        h.changeModelVersion(2);
        EXPECT_NEAR(h.calculateHenryConstant(1, Pp) / second, 1.0, T < 300.0 ? 0.03 : 0.08);
        h.changeModelVersion(0);
        h.component_names[1] = "H2S";
        h.changeModelVersion(1);
        const double H2S = h.calculateHenryConstant(1, Pp);
        h.changeModelVersion(0);
        EXPECT_NEAR(h.calculateHenryConstant(1, Pp) / H2S, 1.0, 0.035);
    }
    // An unlisted gas in the second set has no Henry constant: an error, not a division by zero.
    h.changeModelVersion(1);
    h.component_names[1] = "Xe";
    h.calculate_gas_solubility(300.0, 50.0, 0.0);
    EXPECT_EQ(h.errorflag, 1);
    EXPECT_EQ(h.fugacityError, 1);

    // Brines: CO2 is salted out in both sets that know it; CH4 in the third set
    // and H2S have no salting-out coefficient here, and are refused.
    for (int version : {0, 1}) {
        Henry c;
        c.setSystemType(SM_H2O_CO2_NaCl, version);
        c.calculate_gas_solubility(323.15, 100.0, 0.0);
        const double m0 = c.mg;
        c.calculate_gas_solubility(323.15, 100.0, 2.0);
        ASSERT_EQ(c.errorflag, 0);
        EXPECT_LT(c.mg, 0.8 * m0);
        EXPECT_GT(c.mg, 0.4 * m0);
    }
    Henry m;
    m.setSystemType(SM_H2O_CH4_NaCl, 2);
    m.calculate_gas_solubility(323.15, 100.0, 0.0);
    EXPECT_EQ(m.errorflag, 0);
    m.calculate_gas_solubility(323.15, 100.0, 1.0);
    EXPECT_EQ(m.errorflag, 1);
    for (int version : {0, 1}) {
        Henry s;
        s.setSystemType(SM_H2O_CH4_NaCl, version);
        s.component_names[1] = "H2S";
        s.temperature(323.15);
        s.ms = 1.0;
        EXPECT_TRUE(std::isnan(s.calculateHenryConstant(1, 1e6) * s.activity[1])) << version;
    }
}

// Each set gives Henry constants only for its gases and in its temperature
// range: IAPWS G7-04 rows from Table 2 (CO2 274.19-642.66 K, H2S
// 273.15-533.09 K, CH4 275.46-633.11 K), Wilhelm, Battino & Wilcock 0-80 C.
// Anything else is refused with a message (NaN; the solubility reports an
// error), never given as an insoluble gas.
TEST(HenryModel, EachSetRefusesGasesAndTemperaturesOutsideIt) {
    struct Case {
        int version;
        const char* gas;
        double T;
        const char* said;  // empty: a value
    };
    const Case cases[] = {
        {0, "CO2", 600.0, ""},
        {0, "H2S", 500.0, ""},
        {0, "CH4", 300.0, "Henry model, set 0: no Henry constant of CH4 (the set has CO2 and H2S)"},
        {0, "N2", 300.0, "no Henry constant of N2"},
        {0, "CO2", 650.0, "IAPWS G7-04: the Henry constant of CO2 holds from 274.19 to 642.66 K; none is given at 650 K"},
        {0, "H2S", 550.0, "the Henry constant of H2S holds from 273.15 to 533.09 K"},
        {1, "N2", 300.0, ""},
        {1, "CH4", 353.0, ""},
        {1, "Xe", 300.0, "Henry model, set 1: no Henry constant of Xe"},
        {1, "CO2", 500.0,
         "Wilhelm, Battino & Wilcock (1977): the Henry constant of CO2 holds from 273.15 to 353.15 K; none is given at "
         "500 K"},
        {1, "N2", 600.0, "the Henry constant of N2 holds from 273.15 to 353.15 K"},
        {1, "CH4", 270.0, "the Henry constant of CH4 holds from 273.15 to 353.15 K"},
        {2, "CH4", 600.0, ""},
        {2, "CO2", 300.0, "Henry model, set 2: no Henry constant of CO2 (the set has CH4)"},
        {2, "H2S", 300.0, "no Henry constant of H2S"},
        {2, "CH4", 700.0, "the Henry constant of CH4 holds from 275.46 to 633.11 K"},
        {7, "CO2", 300.0, "Henry model: there is no Henry-constant set 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "set " << c.version << " " << c.gas << " " << c.T << " K");
        Henry h;
        h.setSystemType(SM_H2O_CO2, 0);
        h.version = c.version;
        h.component_names[1] = c.gas;
        h.temperature(c.T);
        testing::internal::CaptureStderr();
        const double H = h.calculateHenryConstant(1, 1e6);
        const std::string said = testing::internal::GetCapturedStderr();
        if (*c.said == 0) {
            EXPECT_TRUE(std::isfinite(H) && H > 0.0) << H;
            EXPECT_EQ(said, "");
        } else {
            EXPECT_TRUE(std::isnan(H)) << H;
            EXPECT_NE(said.find(c.said), std::string::npos) << said;
        }
    }
    // The solubility at such a state is an error, with no number.
    Henry s;
    s.setSystemType(SM_H2O_CO2, 1);
    testing::internal::CaptureStderr();
    s.calculate_gas_solubility(500.0, 100.0, 0.0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.errorflag, 1);
    EXPECT_EQ(s.fugacityError, 1);
}

TEST(SolubilityModel, BelowTheWaterVapourPressureNoGasPhase) {
    Henry h;
    h.setSystemType(SM_H2O_CO2, 0);
    h.calculate_gas_solubility(373.15, 0.5, 0.0);  // Psat is 1.013 bar
    EXPECT_EQ(h.fugacityError, 1);
    EXPECT_GT(h.yw, 1.0);
    // Bubble-point equation outside 0..10000 bar: an evaluation error, state untouched.
    h.pressure(10.0);
    h.error = 0;
    EXPECT_EQ(h.equationForBubblePoint(-1.0, nullptr), 0.0);
    EXPECT_EQ(h.error, 1);
    h.error = 0;
    EXPECT_EQ(h.equationForBubblePoint(10001.0, nullptr), 0.0);
    EXPECT_EQ(h.error, 1);
    EXPECT_DOUBLE_EQ(h.P, 10e5);
    // Without a gas model: no vapour fugacity.
    Henry bare;
    bare.temperature(300.0);
    bare.pressure(10.0);
    bare.calculatePsatH2O();
    bare.calculate_vapour_fugacities();
    EXPECT_EQ(bare.fugacityError, 1);
}

TEST(SolubilityModel, WaterActivityAndDensity) {
    Henry h;
    h.test(1);  // H2O + NaCl, 1 mol/kg, 25 °C
    EXPECT_NEAR(h.activity[h.iw], 0.9669, 2e-3);  // Robinson & Stokes: a_w = 0.9669
    h.setSystemType(SM_H2O_CO2_NaCl, 0);
    h.setDensityModelType(SM_DensitySpivey);
    h.temperature(298.15);
    h.pressure(1.0);
    h.ms = 1.0;
    h.mg = 0.0;
    h.Vg = 0.0;
    h.calculate_density();
    EXPECT_GT(h.rho, 1035.5);
    EXPECT_LT(h.rho, 1037.5);
    h.setDensityModelType(SM_DensityNone);
    h.calculate_density();
    EXPECT_EQ(h.rho, 0.0);
}

TEST(SolubilityModel, IsothermAndIsoplethCurves) {
    Henry h;
    h.setSystemType(SM_H2O_CO2_NaCl, 0);
    h.setDensityModelType(SM_DensityMaoDuanSpivey);
    h.calculateTheIsotherm(333.15, 1.0, 1, "t");
    std::ifstream in("isott");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "IGOR");
    int rows = 0;
    double lastP = 0.0;
    while (std::getline(in, line))
        if (!line.empty() && line[0] == ' ') {
            ++rows;
            lastP = std::stod(line.substr(13, 12));
        }
    // The brine density (Mao & Duan) holds to 1000 bar: the isotherm ends there.
    EXPECT_GT(rows, 990);
    EXPECT_NEAR(lastP, 1000.0, 1.0);
    std::vector<double> out;
    h.calculateTheIsopleth(1.0, 0.2, 6, "p", &out);
    ASSERT_GE(out.size(), 20u);
    // Every point is a bubble point of the same liquid.
    for (size_t i = 0; i + 1 < out.size() && i < 40; i += 10) {
        if (std::isnan(out[i])) continue;
        h.calculate_gas_solubility(out[i], out[i + 1], 1.0);
        EXPECT_NEAR(h.mg, 0.2, 1e-4) << out[i];
    }
}

TEST(SolubilityModel, FifteenHydrocarbonGas) {
    Henry h;
    h.setSystemType(SM_Brine_Hydrocarbons, 0);
    ASSERT_TRUE(h.gasModel);
    EXPECT_EQ(h.gasCount, 15);
    EXPECT_EQ(h.gasModel->component_count, 15);
    EXPECT_DOUBLE_EQ(h.gasModel->x[14], 0.065);  // stored unchanged
    // The Duan vapour holds one gas only: refused, and the model goes on without it.
    h.setGasModelType(SM_GasDMW1);
    EXPECT_FALSE(h.gasModel);
    h.calculate_gas_solubility(350.0, 100.0, 1.0);
    EXPECT_EQ(h.fugacityError, 1);
}
