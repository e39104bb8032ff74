// The comparison tables of the brine density correlations, read back and
// checked against independent evaluations of both models at sampled rows,
// their printed deviations recomputed from the printed densities, and the
// agreement the published correlations claim: Spivey et al. (2004) pure water
// against IAPWS-95 within 0.15 %, Spivey against Mao & Duan (2008) within
// 0.7 % where both are defined, Mao & Duan against the pure-water column of
// Potter & Brown's (1977) table at 25 C.  The isobar writer against the
// closed form of Spivey's pure water at its 70 MPa reference pressure.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "brines/MaoDuanSalinityModel.h"
#include "brines/PotterBrown.h"
#include "brines/SpiveyDensityModel.h"
#include "water/WagnerPruss.h"
#include "numerics/tests/NumericRows.h"

namespace {

std::vector<std::vector<double>> numericRows(std::istream& in) { return testrows::numericRows(in); }

std::vector<std::vector<double>> fileRows(const char* path) {
    std::ifstream in(path);
    return numericRows(in);
}

double densityOf(DensityModel& d, double T, double P_bar, double m) {
    d.errorflag = 0;
    d.temperature(T);
    d.pressure(P_bar);
    d.molality(m);
    return d.calculate_density();
}

}  // namespace

TEST(DensityComparisons, SpiveyPureWaterAgainstIAPWS95) {
    SpiveyDensityModel s;
    s.compare_with_Wagner_Pruss();
    const auto rows = fileRows("res.text");
    ASSERT_EQ(rows.size(), 56u * 201u);  // 0 to 275 C by 5, 0 to 2000 bar by 10
    SpiveyDensityModel spivey;
    WagnerPruss water(2);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];  // t, P, rho_Spivey, rho_IAPWS, dev %
        ASSERT_EQ(r.size(), 5u);
        EXPECT_EQ(r[0], 5.0 * static_cast<double>(k / 201));
        EXPECT_EQ(r[1], 10.0 * static_cast<double>(k % 201));
        EXPECT_NEAR(r[4], 100.0 * (r[2] - r[3]) / r[3], 2e-6);
        EXPECT_LT(std::fabs(r[4]), 0.15) << r[0] << " C " << r[1] << " bar";
        if (k % 97 != 0) continue;
        EXPECT_NEAR(r[2], densityOf(spivey, r[0] + 273.15, r[1], 0.0), 1e-6);
        water.temperature(r[0] + 273.15);
        water.pressure(r[1]);
        water.calculate_molar_volume();
        EXPECT_NEAR(r[3], 0.018015268 / water.V, 1e-6);
    }
}

TEST(DensityComparisons, SpiveyAgainstMaoDuan) {
    SpiveyDensityModel s;
    testing::internal::CaptureStderr();
    s.compare_with_model(1);
    s.compare_with_model(2);  // no such model: nothing written
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(std::ifstream("res2.txt").good());
    const auto rows = fileRows("res1.txt");
    ASSERT_EQ(rows.size(), 13u * 56u * 201u);  // m 0 to 6 by 0.5
    SpiveyDensityModel spivey;
    MaoDuanSalinityModel mao(0);
    std::size_t both = 0;
    testing::internal::CaptureStderr();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];  // t, P, m, rho_Spivey, rho_MaoDuan, dev %
        ASSERT_EQ(r.size(), 6u);
        EXPECT_EQ(r[2], 0.5 * static_cast<double>(k / (56 * 201)));
        if (std::isnan(r[3]) || std::isnan(r[4])) continue;
        ++both;
        EXPECT_NEAR(r[5], 100.0 * (r[3] - r[4]) / r[4], 2e-6);
        EXPECT_LT(std::fabs(r[5]), 0.7) << r[0] << " C " << r[1] << " bar " << r[2] << " mol/kg";
        if (k % 499 != 0) continue;
        EXPECT_NEAR(r[3], densityOf(spivey, r[0] + 273.15, r[1], r[2]), 1e-6);
        EXPECT_NEAR(r[4], densityOf(mao, r[0] + 273.15, r[1], r[2]), 1e-6);
    }
    testing::internal::GetCapturedStderr();
    EXPECT_GT(both, rows.size() / 3);
}

TEST(DensityComparisons, MaoDuanAgainstPotterBrownsTable) {
    // Potter & Brown's pure water at 25 C, 100 to 1000 bar (g/cm3): the only
    // cells of their table this comparison reaches.
    const double table[10] = {1.001467, 1.00584, 1.010124, 1.014323, 1.018439,
                              1.022475, 1.026434, 1.030319, 1.03413, 1.037872};
    MaoDuanSalinityModel md(0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    md.compare_with_Potter_Brown();
    std::istringstream out(testing::internal::GetCapturedStdout());
    testing::internal::GetCapturedStderr();
    const auto rows = numericRows(out);
    ASSERT_EQ(rows.size(), 13u * 12u * 10u);
    MaoDuanSalinityModel mao(0);
    int counted = 0;
    double sum = 0.0;
    testing::internal::CaptureStderr();
    for (const auto& r : rows) {  // m, t, P, rho_Mao, rho_Potter, dev %
        ASSERT_EQ(r.size(), 6u);
        if (std::isnan(r[4])) continue;
        ASSERT_EQ(r[0], 0.0);
        ASSERT_EQ(r[1], 25.0);
        EXPECT_NEAR(r[4], 1000.0 * table[counted], 1e-6);
        EXPECT_NEAR(r[3], densityOf(mao, 298.15, r[2], 0.0), 1e-6);
        EXPECT_NEAR(r[5], 100.0 * (r[3] - r[4]) / r[4], 2e-6);
        EXPECT_LT(std::fabs(r[5]), 1e-3);
        sum += std::fabs(r[5]);
        ++counted;
    }
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(counted, 10);
    // The summary: the count and the mean absolute deviation of the counted rows.
    const std::string text = out.str();
    const std::size_t at = text.find("n 10 dev ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NEAR(std::stod(text.substr(at + 9)), sum / counted, 2e-6);
}

TEST(DensityComparisons, IsobarOfSpiveyPureWaterAtItsReferencePressure) {
    // At 70 MPa Spivey's water density is rho_w0(t) = 1000 (1.03265 +
    // 6.45486e-3 t - 1.27213e-5 t^2)/(1 + 6.39589e-3 t - 7.0291e-6 t^2), t in C.
    SpiveyDensityModel s;
    s.calculate_isobar(0.0, 700.0, 273.15, 373.65, 1, "iso");
    const auto rows = fileRows("resiso.txt");
    ASSERT_EQ(rows.size(), 102u);  // by 1 K, the last step clamped to 373.65 K
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];  // T, P, m, rho, V, Vphi0
        ASSERT_EQ(r.size(), 6u);
        EXPECT_NEAR(r[0], k + 1 < rows.size() ? 273.15 + k : 373.65, 1e-6);
        EXPECT_NEAR(r[1], 700.0, 1e-6);
        const double t = r[0] - 273.15;
        const double rw0 = (1.03265 + 0.00645486 * t - 1.27213e-5 * t * t) / (1.0 + 0.00639589 * t - 7.0291e-6 * t * t);
        EXPECT_NEAR(r[3], 1000.0 * rw0, 2e-6) << t;
        EXPECT_NEAR(r[4], 0.018015268 / (1000.0 * rw0) * 1e6, 2e-6) << t;
    }
    std::ifstream in("resiso.txt");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "IGOR");
    // A brine at 1 mol/kg: each row is the model's density at its state.
    s.calculate_isobar(1.0, 300.0, 300.0, 310.0, 1, "iso1");
    SpiveyDensityModel check;
    const auto brine = fileRows("resiso1.txt");
    ASSERT_EQ(brine.size(), 11u);
    const double M = (0.018015268 * 0.058443 + 0.018015268) / (1.0 + 0.018015268);  // 1 mol/kg NaCl
    for (const auto& r : brine) {
        EXPECT_NEAR(r[3], densityOf(check, r[0], 300.0, 1.0), 1e-6);
        EXPECT_NEAR(r[4], M / r[3] * 1e6, 2e-6);
    }
    // Only the Igor text mode writes.
    s.calculate_isobar(1.0, 300.0, 300.0, 310.0, 2, "iso2");
    EXPECT_FALSE(std::ifstream("resiso2.txt").good());
}
