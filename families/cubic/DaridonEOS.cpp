// The Daridon model (see DaridonEOS.h).
#include "families/cubic/DaridonEOS.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "equilibria/IFP.h"
#include "families/cubic/CubicData.h"
#include "families/cubic/PRNirma.h"
#include "fluid/CurveOutput.h"
#include "fluid/Standard.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

// Water parameters of the hydrocarbons and CO2: k_i0 = p1 + (p2 + p3 Trw +
// p4 Trw^2) exp(-10^p5 (x_i/(x_i + x_w))^4).  From n-butane on, p1 to p4 fall
// on straight lines in the carbon number and p5 = n/2 up to 4.5.
struct WaterPairRow {
    const char* names[3];
    double p[5];
};

constexpr WaterPairRow kWaterPairs[] = {
    {{"C1", "CH4", nullptr}, {0.5, -1.7885, 2.616, -1.0792, 1.0}},
    {{"CO2", nullptr, nullptr}, {0.19, -0.6689, 0.99967, -0.41224, 1.0}},
    {{"C2", nullptr, nullptr}, {0.5, -1.3332, 1.7226, -0.5821, 1.0}},
    {{"C3", nullptr, nullptr}, {0.52, -1.436, 1.928, -0.821, 1.0}},
    {{"iC4", "nC4", nullptr}, {0.48332, -1.32614, 1.614, -0.5712, 2.0}},
    {{"iC5", "nC5", nullptr}, {0.47498, -1.29501, 1.4658, -0.4832, 2.5}},
    {{"nC6", nullptr, nullptr}, {0.46664, -1.26388, 1.3176, -0.3952, 3.0}},
    {{"nC7", nullptr, nullptr}, {0.4583, -1.23275, 1.1694, -0.3072, 3.5}},
    {{"nC8", nullptr, nullptr}, {0.44996, -1.20162, 1.0212, -0.2192, 4.0}},
    {{"nC9", nullptr, nullptr}, {0.44162, -1.17049, 0.873, -0.1312, 4.5}},
    {{"nC10", nullptr, nullptr}, {0.43328, -1.13936, 0.7248, -0.0432, 4.5}},
    {{"nC11", nullptr, nullptr}, {0.42494, -1.10823, 0.5766, 0.0448, 4.5}},
    {{"nC12", "Cn1", nullptr}, {0.4166, -1.0771, 0.4284, 0.1328, 4.5}},
    {{"nC13", nullptr, nullptr}, {0.40826, -1.04597, 0.2802, 0.2208, 4.5}},
    {{"nC14", nullptr, nullptr}, {0.39992, -1.01484, 0.132, 0.3088, 4.5}},
    {{"nC15", "nC16", "Cn2"}, {0.39158, -0.98371, -0.0162, 0.3968, 4.5}},
};

}  // namespace

DaridonEOS::DaridonEOS(int phaseKind) : FluidPhase(2, phaseKind, 0) {
    interactions[0] = new VdWr1();
    interactions[1] = new DaridonInt();
    ideal = new Standard();
    setModelName("Daridon EOS");
    Vl0 = 4e-05;
    Vv0 = 0.04;
}

void DaridonEOS::number_of_components(int n) {
    if (component_count != 0 && n != component_count) {
        platform::diagf("The Daridon model has %d components; it cannot take %d\n", component_count, n);
        return;
    }
    FluidPhase::number_of_components(n);
}

double DaridonEOS::alphaSlope(double omega) {
    if (omega >= 0.4) return 0.212 + 2.2 * omega - 0.831 * omega * omega;
    return 0.418 + 1.58 * omega - 0.58 * omega * omega;
}

bool DaridonEOS::waterParameters(const char* name, double p[5]) {
    if (!name) return false;
    for (const WaterPairRow& row : kWaterPairs)
        for (const char* n : row.names)
            if (n && std::strcmp(n, name) == 0) {
                for (int k = 0; k < 5; k++) p[k] = row.p[k];
                return true;
            }
    return false;
}

void DaridonEOS::read_component_data(int i, const char* name) {
    if (i < 0 || i >= component_count || !name) return;
    if (i == 0 && std::strcmp(name, "H2O") != 0)
        platform::diagf("H2O must be the first component. Here the first component is %s.", name);
    if (i > 0 && std::strcmp(name, "H2O") == 0)
        platform::diagf("H2O must be the first component. Here H2O is the %dth component.", i);
    // The ideal-gas part takes its standard-state data component by component.
    readIdealComponentData(ideal, name);
    // Without its critical point and acentric factor the component has no parameters.
    double Tc = 0.0, Pc = 0.0, omega = 0.0;
    if (!cubic::readCorrespondingStates(name, "DaridonEOS", "File %s not found\n", Tc, Pc, omega, molar_mass[i]))
        return;
    const double m = alphaSlope(omega);
    const double b = 0.646855652 * Tc / Pc;
    const double ac = 31.60820086338174 * Tc * Tc / Pc;
    attraction()->set_parametersx(i, ac, m, Tc, b);
    repulsion()->set_covolume(i, b);
    if (i == 0) {
        // Start of the critical-point searches (of water and of the binary
        // critical curve that begins there): Tc and about the Peng-Robinson
        // critical volume, 0.307 R Tc/Pc = 3.95 b.
        critical_T = Tc;
        critical_V = 4.0 * b;
    }
    if (i == component_count - 1) read_BIP();
}

void DaridonEOS::read_BIP() {
    if (component_count < 2) return;
    for (int i = 1; i < component_count; i++) {
        double p[5] = {0.0, 1.0, 0.0, 0.0, 1.0};
        if (!waterParameters(component_names[i].c_str(), p))
            platform::diagf("Component %s not caracterized for the Daridon EOS\n", component_names[i].c_str());
        attraction()->set_binary_parameters(i, p[0], p[1], p[2], p[3], p[4]);
    }
}

void DaridonEOS::resolve_cubic_equation_in_Z() {
    DaridonInt& t = *attraction();
    if (!resolvePengRobinsonCubicInZ(*this, t, *t.a, *t.b)) errorflag = 1;
}

void DaridonEOS::calculate_molar_volume() {
    DaridonInt& t = *attraction();
    calculatePengRobinsonMolarVolume(*this, t, *t.a, *t.b);
}

void DaridonEOS::calculateTheIsotherm(double T_, const char* suffix) {
    tracePengRobinsonBinaryIsotherm(*this, T_, suffix);
}

void DaridonEOS::calculateTheCriticalCurve(const char* suffix) { tracePengRobinsonCriticalCurve(*this, suffix); }

void DaridonEOS::calculateTheUpperIsotherm(double T_, const char* suffix) {
    const std::string name = CurveOutput::fileName("isot", suffix);
    pressure(5000.0);
    calculate_an_isotherm_of_the_binary_system(name.c_str(), 0, 0.005, -1.0, 100000.0, T_, 2.5e-05, 3.5e-05, 0.08,
                                               0.88, kIgorTextFile, suffix);
}

void DaridonEOS::calculateTheIsopleth2(const char* suffix, double T0, double x, double dT) {
    if (component_count != 2) {
        platform::diagf("The isopleth is traced for a binary system only (%d components)\n", component_count);
        return;
    }
    if (!(x >= 0.0 && x <= 1.0)) {
        platform::diagf("Mole fraction %g of the isopleth is not between 0 and 1\n", x);
        return;
    }
    const std::string name = CurveOutput::fileName("isop", suffix);
    set_the_phase_as(2);
    // The vapour: a second fluid of the same components.
    auto vapour = std::make_unique<DaridonEOS>(1);
    if (systemCode != 0) vapour->setSystemCode(systemCode);  // a model named by its system
    IFP ifp(*this, *vapour);
    ifp.number_of_components(2);
    for (int i = 0; i < 2; i++) ifp.add_component(component_names[i].c_str());
    Vl0 = 2.33e-05;
    Vv0 = 5.92e-05;
    vapour->Vv0 = 5.92e-05;
    // Start of the bubble point at T0 from these estimates: 800 bar, the
    // liquid's composition and a vapour rich in component 1.
    ifp.temperature(T0);
    ifp.pressure(800.0);
    ifp.xcomposition(0, 1.0 - x);
    ifp.xcomposition(1, x);
    ifp.ycomposition(0, 0.012);
    ifp.ycomposition(1, 0.988);
    ifp.bulk_composition(1.0 - x, x);
    ifp.first_init_flag = 0;
    ifp.error = 0;
    std::FILE* f = platform::openOutput(name, "w");
    if (!f) return;
    ifp.calculate_an_isopleth(T0, 0.0, f, suffix, Tmin, 1300.0, dT, 100000.0, 0, kIgorTextFile, nullptr);
    platform::closeOutput(f, name);
}
