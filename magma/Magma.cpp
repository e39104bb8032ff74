#include "magma/Magma.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

namespace {
struct OxideMass {
    const char* name;
    double M;  // g/mol
};
// Formula masses from the IUPAC standard atomic weights (Si 28.0855, O 15.9994,
// Al 26.981538, Mg 24.3050, Ca 40.078, Na 22.989770, K 39.0983, Ti 47.867,
// Fe 55.845, Mn 54.938049, P 30.973761; Pure Appl. Chem. 73, 667, 2001),
// rounded to 0.001 g/mol.  Na2O and K2O are the monoxides, not the peroxides.
constexpr OxideMass kOxides[] = {
    {"SiO2", 60.084},  {"Al2O3", 101.961}, {"MgO", 40.304},    {"CaO", 56.077},
    {"Na2O", 61.979},  {"K2O", 94.196},    {"TiO2", 79.866},   {"Fe2O3", 159.688},
    {"MnO", 70.937},   {"P2O5", 141.945},
};
}  // namespace

bool Magma::set_number_of_oxides(int n) {
    if (n < 1) {
        platform::diagf("Magma: %d oxides is not a valid count\n", n);
        return false;
    }
    oxideCount = n;
    oxideNames.assign(n, std::string());
    oxideWeights.assign(n, 0.0);
    oxideAmounts.assign(n, 0.0);
    posSiO2 = posAl2O3 = posMgO = posCaO = -1;
    return true;
}

bool Magma::set_oxide(int i, const char* name) {
    if (i < 0 || i >= oxideCount || !name) {
        platform::diagf("Magma: no oxide %d in a list of %d\n", i, oxideCount);
        return false;
    }
    oxideNames[i] = name;
    if (std::strcmp(name, "SiO2") == 0) posSiO2 = i;
    if (std::strcmp(name, "Al2O3") == 0) posAl2O3 = i;
    if (std::strcmp(name, "MgO") == 0) posMgO = i;
    if (std::strcmp(name, "CaO") == 0) posCaO = i;
    return true;
}

double Magma::get_molar_weight_of_component(const char* name) {
    if (!name) return 0.0;
    for (const OxideMass& o : kOxides)
        if (std::strcmp(name, o.name) == 0) return o.M;
    return 0.0;
}

bool Magma::calculate_oxide_molar_weight() {
    double sum = 0.0;
    for (int i = 0; i < oxideCount; ++i) {
        const double M = get_molar_weight_of_component(oxideNames[i].c_str());
        if (M <= 0.0) {
            platform::diagf("Magma: unknown oxide \"%s\"\n", oxideNames[i].c_str());
            return false;
        }
        oxideAmounts[i] = oxideWeights[i] / M;
        sum += oxideAmounts[i];
    }
    if (!(sum > 0.0)) {
        platform::diagf("Magma: the oxide weights do not add up to a melt\n");
        return false;
    }
    meltMolarMass = 0.0;
    for (int i = 0; i < oxideCount; ++i) {
        oxideAmounts[i] /= sum;
        meltMolarMass += get_molar_weight_of_component(oxideNames[i].c_str()) * oxideAmounts[i];
    }
    molarMasses[0] = 0.018015;
    molarMasses[1] = 0.001 * meltMolarMass;
    return true;
}

bool Magma::calculate_mole_fractions(double wtH2O) {
    // Water from none to all of the hydrous melt, whose anhydrous part has a
    // molar mass (calculate_oxide_molar_weight): else no mole fractions.
    if (!(wtH2O >= 0.0 && wtH2O <= 100.0) || !(meltMolarMass > 0.0)) {
        platform::diagf("Magma: %g wt %% water in a melt of molar mass %g g/mol has no mole fractions\n", wtH2O,
                        meltMolarMass);
        return false;
    }
    moles[0] = wtH2O / 18.015;
    moles[1] = (100.0 - wtH2O) / meltMolarMass;
    const double n = moles[0] + moles[1];
    moleFractions[0] = moles[0] / n;
    moleFractions[1] = moles[1] / n;
    return true;
}

void Magma::set_primitive_mantle() {
    set_number_of_oxides(4);
    set_oxide(0, "SiO2");
    set_oxide(1, "Al2O3");
    set_oxide(2, "CaO");
    set_oxide(3, "MgO");
    oxideAmounts[0] = 41.7;
    oxideAmounts[1] = 1.85;
    oxideAmounts[2] = 2.45;
    oxideAmounts[3] = 52.2;
}

bool Magma::calculate_peridotite_norm(double ca) {
    if (posSiO2 < 0 || posAl2O3 < 0 || posMgO < 0 || posCaO < 0) {
        platform::diagf("Magma: the norm needs SiO2, Al2O3, MgO and CaO\n");
        return false;
    }
    if (!(ca > 0.0) || !(oxideAmounts[posCaO] > 0.0)) {
        platform::diagf("Magma: the norm needs a positive Ca number and some CaO\n");
        return false;
    }
    double& SiO2 = oxideAmounts[posSiO2];
    double& Al2O3 = oxideAmounts[posAl2O3];
    double& MgO = oxideAmounts[posMgO];
    double& CaO = oxideAmounts[posCaO];
    auto printOxides = [&] {
        std::printf("\tSiO2  : %5.3lf\n", SiO2);
        std::printf("\tMgO   : %5.3lf\n", MgO);
        std::printf("\tAl2O3 : %5.3lf\n", Al2O3);
        std::printf("\tCaO   : %5.3lf\n", CaO);
    };
    const double AlCa = 2.0 * Al2O3 / CaO;

    // Clinopyroxene (Ca, Mg, AlVI, Si, AlIV) per 6 oxygens.
    std::vector<std::vector<double>> rows = {
        {1, 1, 1, 0, 0}, {0, 0, 0, 1, 1}, {2, 2, 3, 4, 3}, {1, 0, 0, 0, 0}, {0, 0, 1, 0, 1},
    };
    double* A[5];
    for (int i = 0; i < 5; ++i) A[i] = rows[i].data();
    double b[5] = {2.0, 2.0, 12.0, ca, ca * AlCa};
    double f[5] = {0, 0, 0, 0, 0};
    int status = 0;
    solve_the_linear_system(A, b, f, 5, status);
    if (status) {
        platform::diagf("Magma: the clinopyroxene formula has no solution\n");
        return false;
    }
    // A formula with a negative site occupancy (a Ca number or an Al/Ca
    // ratio too large for the pyroxene's two M and two T sites), or a rest
    // that olivine and orthopyroxene cannot take up (more silica than
    // orthopyroxene holds, more MgO than olivine holds), lies outside the
    // cpx-opx-olivine norm: refused before anything is printed or removed.
    for (double occupancy : f) {
        if (!(occupancy >= -1e-12)) {
            platform::diagf("Magma: a clinopyroxene of %g Ca and Al/Ca %g per 6 oxygens has a negative site "
                            "occupancy: no norm\n",
                            ca, AlCa);
            return false;
        }
    }
    const double cpxCount = CaO / ca;
    const double SiLeft = SiO2 - cpxCount * f[3], MgLeft = MgO - cpxCount * f[1];
    // Olivine Mg2SiO4 and orthopyroxene Mg2Si2O6 take the rest.
    std::vector<std::vector<double>> rows2 = {{2, 2}, {1, 2}};
    double* A2[2] = {rows2[0].data(), rows2[1].data()};
    double b2[2] = {MgLeft, SiLeft};
    double n2[2] = {0, 0};
    solve_the_linear_system(A2, b2, n2, 2, status);
    if (status || !(n2[0] >= -1e-12) || !(n2[1] >= -1e-12)) {
        platform::diagf("Magma: after %g clinopyroxenes the rest (SiO2 %g, MgO %g) is no mixture of olivine and "
                        "orthopyroxene: no norm\n",
                        cpxCount, SiLeft, MgLeft);
        return false;
    }
    cpxCa = f[0];
    cpxMg = f[1];
    cpxAlVI = f[2];
    cpxSi = f[3];
    cpxAlIV = f[4];

    std::puts("\n");
    std::puts("\nInitial Magma composition");
    printOxides();
    std::printf("Ca number in cpx : %5.3lf\n", ca);
    std::printf("Bulk Al/Ca       : %5.3lf\n", AlCa);
    std::puts("\nClinopyroxene");
    std::printf("\tCa %4.2lf  Mg %4.2lf Al %4.2lf Si %4.2lf Al %4.2lf O6 \n", cpxCa, cpxMg, cpxAlVI, cpxSi, cpxAlIV);

    nCpx = cpxCount;
    SiO2 -= nCpx * cpxSi;
    MgO -= nCpx * cpxMg;
    Al2O3 -= 0.5 * nCpx * (cpxAlVI + cpxAlIV);
    CaO -= nCpx * cpxCa;
    std::printf("\nNumber of clinopyroxenes : %5.3lf\n", nCpx);
    std::puts("\nLiquid composition after cpx removal");
    printOxides();

    nOl = n2[0];
    nOpx = n2[1];
    std::printf("\nNumber of olivines       : %5.3lf\n", nOl);
    std::printf("Number of orthopyroxenes : %5.3lf\n", nOpx);
    const double n = nOl + nOpx + nCpx;
    std::printf("Cpx : %5.3lf %%\n", 100.0 * nCpx / n);
    std::printf("Opx : %5.3lf %%\n", 100.0 * nOpx / n);
    std::printf("Oli : %5.3lf %%\n", 100.0 * nOl / n);
    return true;
}

void Magma::define_Richet_Polian_Andesite() {
    static const char* names[10] = {"SiO2", "Al2O3", "MgO", "CaO", "Na2O", "K2O", "TiO2", "Fe2O3", "MnO", "P2O5"};
    static const double weights[10] = {62.4, 20.01, 3.22, 9.08, 3.52, 0.93, 0.55, 0.03, 0.02, 0.12};
    set_number_of_oxides(10);
    for (int i = 0; i < 10; ++i) {
        set_oxide(i, names[i]);
        oxideWeights[i] = weights[i];
    }
    calculate_oxide_molar_weight();
}

bool Magma::calculate_Richet_Polian_Andesite_volumes() {
    define_Richet_Polian_Andesite();
    std::FILE* f = std::fopen("calcu0", "wt");
    if (!f) {
        platform::diagf("Magma: \"calcu0\" cannot be opened for writing\n");
        return false;
    }
    std::fprintf(f, "IGOR\nWAVES %6s %12s %12s %12s\nBEGIN\n", "wtH2O", "xH2O", "rho", "V");
    // (wt % H2O, density g/cm3) of two series of measurements.
    static const double series[8][2] = {{1.0, 2.505}, {2.7, 2.487}, {3.5, 2.459}, {0.0, 2.513},
                                        {0.3, 2.507}, {1.0, 2.497}, {2.7, 2.465}, {3.5, 2.437}};
    for (const auto& s : series) {
        density = s[1];
        calculate_mole_fractions(s[0]);
        meanMolarMass = moleFractions[0] * molarMasses[0] + moleFractions[1] * molarMasses[1];
        V = 1000.0 * meanMolarMass / density;
        std::fprintf(f, "%12f %12f %12f %12f\n", s[0], moleFractions[0], density, V);
    }
    std::fputs("END\n", f);
    const bool ok = !std::ferror(f);
    if (std::fclose(f) != 0 || !ok) {
        platform::diagf("Magma: \"calcu0\" could not be written\n");
        return false;
    }
    return true;
}

void Magma::test(char t) {
    if (t == 1) {
        set_primitive_mantle();
        calculate_peridotite_norm(1.1);
    }
}
