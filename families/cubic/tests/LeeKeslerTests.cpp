// The Lee-Kesler model: the simple and reference fluids against Lee and
// Kesler's tables and their critical points, the mixing rules with both sets
// of binary parameters and "LK.BIP", the acentric interpolation, and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "families/cubic/BWR_EOS.h"
#include "families/cubic/LK_EOS.h"
#include "families/cubic/LeeKeslerConstants.h"

namespace {

constexpr double kR = 8.31434;

double zAt(BWR_EOS& f, double Tr, double Pr, int kind = 1) {
    f.set_the_phase_as(kind);
    f.temperature(Tr);
    f.pressure(Pr);
    f.describe();
    EXPECT_EQ(f.errorflag, 0) << Tr << " " << Pr;
    return f.Z;
}

// Lee and Kesler (1975), Tables of Z0 and Z1 on the critical isotherm Tr = 1.
struct TableRow {
    double Pr, Z0, Z1;
};
const TableRow kCriticalIsotherm[] = {{0.01, 0.9967, -0.0007}, {0.05, 0.9832, -0.0034}, {0.10, 0.9659, -0.0069},
                                      {0.20, 0.9300, -0.0140}, {0.40, 0.8509, -0.0285}, {0.60, 0.7574, -0.0435},
                                      {0.80, 0.6353, -0.0588}};

void writeFile(const char* path, const char* text) {
    std::FILE* f = std::fopen(path, "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text, f);
    std::fclose(f);
}

// Pseudo-critical constants of a binary by the Lee-Kesler rules with given zeta and eta.
void pseudoCritical(const double Tc[2], const double Pc[2], const double w[2], const double x[2], double zeta,
                    double eta, double& Tpc, double& Ppc) {
    double cb[2];
    for (int i = 0; i < 2; i++) cb[i] = std::cbrt((0.2905 - 0.085 * w[i]) * kR * Tc[i] / Pc[i]);
    double S1 = 0, S2 = 0;
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 2; j++) {
            const double z = i == j ? 0.0 : zeta, e = i == j ? 0.0 : eta;
            const double Vij = std::pow(cb[i] + cb[j], 3);
            S1 += x[i] * x[j] * (1 - e) * Vij;
            S2 += x[i] * x[j] * (1 - e) * (1 - z) * std::sqrt(Tc[i] * Tc[j]) * Vij;
        }
    Tpc = S2 / S1;
    const double wm = x[0] * w[0] + x[1] * w[1];
    Ppc = (0.2905 - 0.085 * wm) * kR * Tpc / (S1 / 8);
}

const double kTcCO2 = 304.13, kPcCO2 = 7377000.0, kWCO2 = 0.224;  // compo/CO2

}  // namespace

TEST(LeeKeslerFluids, CriticalIsothermTables) {
    BWR_EOS s(lee_kesler::kSimpleFluid), r(lee_kesler::kReferenceFluid);
    testing::internal::CaptureStdout();
    for (const TableRow& row : kCriticalIsotherm) {
        const double z0 = zAt(s, 1.0, row.Pr), zr = zAt(r, 1.0, row.Pr);
        EXPECT_NEAR(z0, row.Z0, 1.5e-4) << row.Pr;
        EXPECT_NEAR((zr - z0) / lee_kesler::kOmegaReference, row.Z1, 1.5e-4) << row.Pr;
    }
    // At the critical point the isotherm is flat: the search stops within it.
    EXPECT_NEAR(zAt(s, 1.0, 1.0), 0.2901, 3e-3);
    testing::internal::GetCapturedStdout();
}

TEST(LeeKeslerFluids, BothFluidsAreCriticalAtTrOnePrOne) {
    // The critical inflection of each fluid lies at Tr = 1, Pr = 1 with
    // Zc = 0.2905 - 0.085 omega (0.2905 and 0.2567).  This pins the reference
    // fluid's c1 = 0.0313385: with 0.031385 its Tr = 1 isotherm has no inflection.
    for (int k = 0; k < 2; k++) {
        BWR_EOS f(k == 0 ? lee_kesler::kSimpleFluid : lee_kesler::kReferenceFluid);
        f.temperature(1.0);
        f.pressure(1.0);
        double best = 1e9, Vc = 0.0;
        for (double Vr = 0.2; Vr < 0.35; Vr += 1e-4) {
            double res, d;
            f.equation2(Vr, res, d);
            if (std::fabs(f.dpdV()) < best) {
                best = std::fabs(f.dpdV());
                Vc = Vr;
            }
        }
        double res, d;
        f.equation2(Vc, res, d);
        EXPECT_LT(best, 1e-4) << k;
        EXPECT_NEAR(f.Z / Vc, 1.0, 1e-4) << k;  // Pr at Tr = 1
        EXPECT_NEAR(Vc, k == 0 ? 0.2905 : 0.2567, 2e-3) << k;
    }
}

TEST(LeeKeslerModel, PureComponentInterpolatesInOmega) {
    LK_EOS m(1);
    m.number_of_components(1);
    m.add_component("CO2");
    EXPECT_DOUBLE_EQ(m.Tc[0], kTcCO2);
    EXPECT_DOUBLE_EQ(m.Pc[0], kPcCO2);
    EXPECT_DOUBLE_EQ(m.omega[0], kWCO2);
    m.calculate_the_pseudo_critical_parameters();
    EXPECT_NEAR(m.Tpc, kTcCO2, 1e-9);
    EXPECT_NEAR(m.Ppc, kPcCO2, 1e-6);
    EXPECT_NEAR(m.Vpc, (0.2905 - 0.085 * kWCO2) * kR * kTcCO2 / kPcCO2, 1e-15);

    BWR_EOS s(lee_kesler::kSimpleFluid), r(lee_kesler::kReferenceFluid);
    testing::internal::CaptureStdout();
    for (double T : {320.0, 400.0, 600.0}) {
        const double Pbar = 80.0;
        m.temperature(T);
        m.pressure(Pbar);
        m.calculate_molar_volume();
        ASSERT_EQ(m.errorflag, 0);
        const double Tr = T / kTcCO2, Pr = Pbar * 1e5 / kPcCO2, w = kWCO2 / lee_kesler::kOmegaReference;
        const double z0 = zAt(s, Tr, Pr), zr = zAt(r, Tr, Pr);
        const double Z = z0 + w * (zr - z0);
        EXPECT_NEAR(m.Z, Z, 1e-12) << T;
        // Vr = Z Tr/Pr for each fluid, so V = Z R T/P.
        EXPECT_NEAR(m.V, Z * kR * T / (Pbar * 1e5), 1e-9 * m.V) << T;
    }
    testing::internal::GetCapturedStdout();

    // The volume (and the density, from the file's molar mass) from T and P
    // and nothing else: no fugacities or state functions, and no pressure at
    // a volume of another state (said by each call, whatever was said before).
    testing::internal::CaptureStdout();
    m.calculateFromTP(400.0, 80.0, 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(m.errorflag, 0);
    EXPECT_DOUBLE_EQ(m.P, 80e5);
    EXPECT_NEAR(m.bulk_molar_weight, 0.0440098, 1e-12);  // compo/CO2
    for (double q : {m.H, m.S, m.Cv, m.Cp, m.soundSpeed, m.dPdV, m.fugacity[0], m.fugcoef[0]})
        EXPECT_TRUE(std::isnan(q));
    testing::internal::CaptureStderr();
    for (double V : {1e-3, 2e-3}) {
        m.calculateFromTV(400.0, V, 0);
        EXPECT_EQ(m.errorflag, 1);
        EXPECT_TRUE(std::isnan(m.P));
    }
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string refusal = "Lee-Kesler: the model gives the molar volume at a temperature and pressure only, "
                                "not the pressure at a volume\n";
    EXPECT_EQ(said, refusal + refusal);
}

TEST(LeeKeslerModel, AcentricEndsGiveEachFluid) {
    testing::internal::CaptureStdout();
    BWR_EOS s(lee_kesler::kSimpleFluid), r(lee_kesler::kReferenceFluid);
    const double T = 350.0, Pbar = 60.0, Tr = T / kTcCO2, Pr = Pbar * 1e5 / kPcCO2;
    // omega0 equal to the component's omega: only the simple fluid counts.
    LK_EOS a(1, new BWR_EOS(lee_kesler::kSimpleFluid), new BWR_EOS(lee_kesler::kReferenceFluid), kWCO2, 0.5);
    a.number_of_components(1);
    a.add_component("CO2");
    a.temperature(T);
    a.pressure(Pbar);
    a.calculate_molar_volume();
    EXPECT_NEAR(a.Z, zAt(s, Tr, Pr), 1e-12);
    // omegaR equal to it: only the reference fluid.
    LK_EOS b(1, new BWR_EOS(lee_kesler::kSimpleFluid), new BWR_EOS(lee_kesler::kReferenceFluid), 0.0, kWCO2);
    b.number_of_components(1);
    b.add_component("CO2");
    b.temperature(T);
    b.pressure(Pbar);
    b.calculate_molar_volume();
    EXPECT_NEAR(b.Z, zAt(r, Tr, Pr), 1e-12);
    testing::internal::GetCapturedStdout();
}

TEST(LeeKeslerModel, BinaryParametersFromTheFileAndTheSetters) {
    writeFile("LK.BIP", "CO2 CH4 0.1 0.2 0.03 0.04\nCO2 CO2 0.5 0.6 0.7 0.8\nXe Kr 1 1 1 1\n");
    const double Tc[2] = {304.13, 190.56}, Pc[2] = {7377000.0, 4599000.0}, w[2] = {0.224, 0.011};
    const double x[2] = {0.3, 0.7};
    double Tpc, Ppc;

    // After LK_EOS(int) the blend is at high temperature: zeta 0.1, eta 0.03.
    LK_EOS m(1);
    m.number_of_components(2);
    m.add_components("CO2", "CH4");
    ASSERT_DOUBLE_EQ(m.Pc[1], Pc[1]);  // compo/CH4
    ASSERT_DOUBLE_EQ(m.Tc[1], Tc[1]);
    ASSERT_DOUBLE_EQ(m.omega[1], w[1]);
    EXPECT_DOUBLE_EQ(m.zetaHigh[1][0], 0.1);
    EXPECT_DOUBLE_EQ(m.etaLow[0][1], 0.04);
    EXPECT_DOUBLE_EQ(m.zetaHigh[0][0], 0.5);  // a record naming one component twice: the diagonal
    m.zetaHigh[0][0] = m.zetaLow[0][0] = m.etaHigh[0][0] = m.etaLow[0][0] = 0.0;
    m.composition(x[0], x[1]);
    m.calculate_the_pseudo_critical_parameters();
    pseudoCritical(Tc, Pc, w, x, 0.1, 0.03, Tpc, Ppc);
    EXPECT_NEAR(m.Tpc, Tpc, 1e-9 * Tpc);
    EXPECT_NEAR(m.Ppc, Ppc, 1e-9 * Ppc);

    // After the five-argument constructor (Tb = 0) the low-temperature set counts.
    LK_EOS n(1, new BWR_EOS(lee_kesler::kSimpleFluid), new BWR_EOS(lee_kesler::kReferenceFluid), 0.0,
             lee_kesler::kOmegaReference);
    n.number_of_components(2);
    n.add_components("CO2", "CH4");
    n.zetaLow[0][0] = n.etaLow[0][0] = 0.0;
    n.composition(x[0], x[1]);
    n.calculate_the_pseudo_critical_parameters();
    pseudoCritical(Tc, Pc, w, x, 0.2, 0.04, Tpc, Ppc);
    EXPECT_NEAR(n.Tpc, Tpc, 1e-9 * Tpc);
    EXPECT_NEAR(n.Ppc, Ppc, 1e-9 * Ppc);
    std::remove("LK.BIP");

    // The setters fill the upper triangle of the low-temperature set, pair by pair.
    LK_EOS t(1);
    t.number_of_components(3);
    t.add_components("CO2", "CH4", "N2");
    t.set_binary_interaction_dzeta_parameters(0.01, 0.02, 0.03, 0.04, 0.05, 0.06);
    EXPECT_DOUBLE_EQ(t.zetaLow[0][1], 0.01);
    EXPECT_DOUBLE_EQ(t.etaLow[0][1], 0.02);
    EXPECT_DOUBLE_EQ(t.zetaLow[0][2], 0.03);
    EXPECT_DOUBLE_EQ(t.etaLow[1][2], 0.06);
    EXPECT_DOUBLE_EQ(t.zetaLow[1][0], 0.0);
}

TEST(LeeKeslerModel, MissingDataAreReportedAndGiveNoState) {
    LK_EOS m(1);
    m.number_of_components(1);
    testing::internal::CaptureStderr();
    m.add_component("Xe");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Cannot find compo/Xe file !\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(m.Tc[0], 0.0);
    m.temperature(300.0);
    m.pressure(10.0);
    m.calculate_molar_volume();
    EXPECT_EQ(m.errorflag, 1);
    // A state the fluids cannot reach is reported too.
    LK_EOS c(1);
    c.number_of_components(1);
    c.add_component("CO2");
    c.temperature(300.0);
    c.pressure(0.0);
    testing::internal::CaptureStdout();
    c.calculate_molar_volume();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.errorflag, 1);
}
