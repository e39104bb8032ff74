// Melt oxide compositions: molar masses, mole fractions, the peridotite norm
// against its closed-form solution and the hydrous andesite volumes file.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "magma/Magma.h"
#include "magma/tests/ReadFile.h"

namespace {

TEST(Magma, OxideMolarMassesAndMoleFractions) {
    // Every oxide against its formula from the IUPAC standard atomic weights
    // (Pure Appl. Chem. 73, 667, 2001), to the table's 0.001 g/mol.
    const double Si = 28.0855, O = 15.9994, Al = 26.981538, Mg = 24.3050, Ca = 40.078, Na = 22.989770,
                 K = 39.0983, Ti = 47.867, Fe = 55.845, Mn = 54.938049, P = 30.973761;
    const struct {
        const char* name;
        double M;
    } formulas[] = {{"SiO2", Si + 2 * O},     {"Al2O3", 2 * Al + 3 * O}, {"MgO", Mg + O},       {"CaO", Ca + O},
                    {"Na2O", 2 * Na + O},     {"K2O", 2 * K + O},        {"TiO2", Ti + 2 * O},  {"Fe2O3", 2 * Fe + 3 * O},
                    {"MnO", Mn + O},          {"P2O5", 2 * P + 5 * O}};
    for (const auto& f : formulas) EXPECT_NEAR(Magma::get_molar_weight_of_component(f.name), f.M, 5e-4) << f.name;
    EXPECT_NEAR(Magma::get_molar_weight_of_component("Na2O"), 61.979, 5e-4);
    EXPECT_NEAR(Magma::get_molar_weight_of_component("K2O"), 94.196, 5e-4);
    EXPECT_EQ(Magma::get_molar_weight_of_component("sio2"), 0.0);
    EXPECT_EQ(Magma::get_molar_weight_of_component("FeO"), 0.0);
    EXPECT_EQ(Magma::get_molar_weight_of_component(nullptr), 0.0);

    Magma m;
    m.define_Richet_Polian_Andesite();
    ASSERT_EQ(m.oxideCount, 10);
    EXPECT_EQ(m.posSiO2, 0);
    EXPECT_EQ(m.posAl2O3, 1);
    EXPECT_EQ(m.posMgO, 2);
    EXPECT_EQ(m.posCaO, 3);
    double sumX = 0.0, sumW = 0.0, sumN = 0.0;
    for (int i = 0; i < 10; ++i) {
        sumX += m.oxideAmounts[i];
        sumW += m.oxideWeights[i];
        sumN += m.oxideWeights[i] / Magma::get_molar_weight_of_component(m.oxideNames[i].c_str());
    }
    EXPECT_NEAR(sumX, 1.0, 1e-14);
    // Mean molar mass = total mass / total moles.
    EXPECT_NEAR(m.meltMolarMass, sumW / sumN, 1e-10);
    EXPECT_DOUBLE_EQ(m.molarMasses[0], 0.018015);
    EXPECT_NEAR(m.molarMasses[1], 1e-3 * m.meltMolarMass, 1e-15);

    m.calculate_mole_fractions(0.0);
    EXPECT_EQ(m.moleFractions[0], 0.0);
    EXPECT_EQ(m.moleFractions[1], 1.0);
    m.calculate_mole_fractions(3.0);
    const double nw = 3.0 / 18.015, nm = 97.0 / m.meltMolarMass;
    EXPECT_NEAR(m.moleFractions[0], nw / (nw + nm), 1e-15);
    EXPECT_NEAR(m.moleFractions[0] + m.moleFractions[1], 1.0, 1e-15);
}

TEST(Magma, UnusableCompositionsAreRefused) {
    Magma m;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m.set_number_of_oxides(0));
    ASSERT_TRUE(m.set_number_of_oxides(2));
    EXPECT_FALSE(m.set_oxide(2, "SiO2"));
    EXPECT_FALSE(m.set_oxide(-1, "SiO2"));
    m.set_oxide(0, "SiO2");
    m.set_oxide(1, "FeO");  // not in the table
    m.oxideWeights = {50.0, 50.0};
    EXPECT_FALSE(m.calculate_oxide_molar_weight());
    // The norm needs all four of SiO2, Al2O3, MgO, CaO.
    EXPECT_FALSE(m.calculate_peridotite_norm(1.1));
    m.set_primitive_mantle();
    EXPECT_FALSE(m.calculate_peridotite_norm(0.0));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("unknown oxide \"FeO\""), std::string::npos);
    EXPECT_TRUE(std::isfinite(m.meltMolarMass));

    // Ca numbers swept across the primitive mantle's norm: the pyroxene's
    // sites hold Ca + Mg + AlVI = 2 and Si + AlIV = 2 with AlVI = AlIV =
    // ca Al/Ca / 2 (Al/Ca = 2 x 1.85/2.45), so Mg >= 0 needs ca <= 2/(1 + Al/Ca/2);
    // and olivine Mg - Si and orthopyroxene Si - Mg/2 of the rest must not be
    // negative.  Inside, every amount is positive; outside, a refusal that
    // leaves the composition as it was and prints nothing.
    const double AlCa = 2.0 * 1.85 / 2.45;
    for (double ca : {0.05, 0.1, 0.11, 0.2, 0.5, 1.0, 1.1, 1.13, 1.14, 1.5, 2.0}) {
        Magma p;
        p.set_primitive_mantle();
        const std::vector<double> before = p.oxideAmounts;
        const double nCpx = 2.45 / ca;
        const double Mg = 2.0 - ca - 0.5 * ca * AlCa, Si = 2.0 - 0.5 * ca * AlCa;
        const double SiRest = 41.7 - nCpx * Si, MgRest = 52.2 - nCpx * Mg;
        const bool normal = Mg >= 0.0 && MgRest - SiRest >= 0.0 && SiRest - 0.5 * MgRest >= 0.0;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const bool ok = p.calculate_peridotite_norm(ca);
        const std::string printed = testing::internal::GetCapturedStdout();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ok, normal) << ca << " " << said;
        if (ok) {
            EXPECT_GE(p.nOl, 0.0);
            EXPECT_GE(p.nOpx, 0.0);
            EXPECT_GT(p.nCpx, 0.0);
            for (double f : {p.cpxCa, p.cpxMg, p.cpxAlVI, p.cpxSi, p.cpxAlIV}) EXPECT_GE(f, 0.0) << ca;
        } else {
            EXPECT_EQ(p.oxideAmounts, before) << ca;
            EXPECT_TRUE(printed.empty()) << ca;
            EXPECT_NE(said.find("no norm"), std::string::npos) << said;
        }
    }
    // Mole fractions only for 0 to 100 wt % water in a melt of known molar mass.
    Magma a;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(a.calculate_mole_fractions(3.0));  // no molar mass yet
    a.define_Richet_Polian_Andesite();
    for (double w : {-1e-9, 100.0 + 1e-9, std::nan("")}) EXPECT_FALSE(a.calculate_mole_fractions(w)) << w;
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(a.moleFractions[0], 0.0);
    for (double w : {0.0, 50.0, 100.0}) {
        ASSERT_TRUE(a.calculate_mole_fractions(w));
        EXPECT_GE(a.moleFractions[0], 0.0);
        EXPECT_LE(a.moleFractions[0], 1.0);
        EXPECT_NEAR(a.moleFractions[0] + a.moleFractions[1], 1.0, 1e-15);
    }
}

TEST(Magma, PeridotiteNormMatchesItsClosedForm) {
    Magma m;
    testing::internal::CaptureStdout();
    m.test(1);
    const std::string out = testing::internal::GetCapturedStdout();
    // The five conditions leave AlVI = AlIV = ca (Al/Ca) / 2.
    const double ca = 1.1, AlCa = 2.0 * 1.85 / 2.45;
    EXPECT_NEAR(m.cpxCa, ca, 1e-12);
    EXPECT_NEAR(m.cpxAlVI, 0.5 * ca * AlCa, 1e-12);
    EXPECT_NEAR(m.cpxAlIV, 0.5 * ca * AlCa, 1e-12);
    EXPECT_NEAR(m.cpxMg, 2.0 - ca - 0.5 * ca * AlCa, 1e-12);
    EXPECT_NEAR(m.cpxSi, 2.0 - 0.5 * ca * AlCa, 1e-12);
    const double ncpx = 2.45 / ca;
    EXPECT_NEAR(m.nCpx, ncpx, 1e-12);
    // The cpx takes all the Ca and Al.
    EXPECT_NEAR(m.oxideAmounts[m.posCaO], 0.0, 1e-12);
    EXPECT_NEAR(m.oxideAmounts[m.posAl2O3], 0.0, 1e-12);
    const double Si = 41.7 - ncpx * m.cpxSi, Mg = 52.2 - ncpx * m.cpxMg;
    EXPECT_NEAR(m.oxideAmounts[m.posSiO2], Si, 1e-12);
    EXPECT_NEAR(m.nOl, Mg - Si, 1e-10);
    EXPECT_NEAR(m.nOpx, Si - 0.5 * Mg, 1e-10);
    EXPECT_NE(out.find("\n\n\nInitial Magma composition\n\tSiO2  : 41.700\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Ca number in cpx : 1.100\n"), std::string::npos);
    EXPECT_NE(out.find("Bulk Al/Ca       : 1.510\n"), std::string::npos);
    EXPECT_NE(out.find("\nClinopyroxene\n\tCa 1.10  Mg 0.07 Al 0.83 Si 1.17 Al 0.83 O6 \n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nNumber of clinopyroxenes : 2.227\n"), std::string::npos);
    const double n = m.nOl + m.nOpx + m.nCpx;
    char line[64];
    std::snprintf(line, sizeof line, "Oli : %5.3lf %%\n", 100.0 * m.nOl / n);
    EXPECT_NE(out.find(line), std::string::npos);
}

TEST(Magma, HydrousAndesiteVolumes) {
    Magma m;
    ASSERT_TRUE(m.calculate_Richet_Polian_Andesite_volumes());
    const std::string f = readFile("calcu0");
    ASSERT_EQ(f.rfind("IGOR\nWAVES  wtH2O         xH2O          rho            V\nBEGIN\n", 0), 0u) << f;
    EXPECT_EQ(f.substr(f.size() - 4), "END\n");
    std::istringstream rows(f.substr(f.find("BEGIN\n") + 6));
    std::string line;
    int count = 0;
    while (std::getline(rows, line) && line != "END") {
        double wt, x, rho, V;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf %lf", &wt, &x, &rho, &V), 4);
        const double nw = wt / 18.015, nm = (100.0 - wt) / m.meltMolarMass;
        const double xw = nw / (nw + nm);
        EXPECT_NEAR(x, xw, 1e-6);
        EXPECT_NEAR(V, (xw * 18.015 + (1 - xw) * m.meltMolarMass) / rho, 1e-5);
        ++count;
    }
    EXPECT_EQ(count, 8);
    // The dry melt: V = M / rho.
    EXPECT_NE(f.find("    0.000000     0.000000     2.513000"), std::string::npos);
}

}  // namespace
