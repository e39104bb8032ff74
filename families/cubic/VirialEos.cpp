#include "families/cubic/VirialEos.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "families/cubic/Virial.h"
#include "fluid/Standard.h"
#include "platform/LogSink.h"

namespace {
constexpr double kR = 8.31434;

// Second virial coefficients B = a T + b T^2 + c: a in m3/(mol K), b in
// m3/(mol K^2), c in m3/mol; molar masses in kg/mol.
struct VirialGas {
    const char* name;
    double a, b, c, mw;
};
const VirialGas kGases[] = {
    {"N2", 1.48e-07, 0.0, -4.8526e-05, 0.02801348},
    {"Ar", 1.56e-07, 0.0, -6.1811e-05, 0.04},
    {"CH4", 2.876e-07, 0.0, -0.00012846, 0.016043},
};
// Water has no row: its second virial coefficient (-1160 cm3/mol at 300 K,
// -452 at 373 K, -102 at 600 K; Harvey & Lemmon 2004, J. Phys. Chem. Ref.
// Data 33, 369) follows no quadratic in T, and the quadratic once given here,
// 7.007e-5 T - 9.04e-8 T^2 - 0.140017 m3/mol, made it about -126000 cm3/mol.
}  // namespace

VirialEos::VirialEos(int phaseKind, int mode_, char withVenturi_)
    : FluidPhase(1, phaseKind, withVenturi_), mode(static_cast<char>(mode_)) {
    interactions[0] = new Virial(mode_);
    // The ideal gas of the components' standard-state data: the term gives
    // the virial part and the ideal gas's -ln V alone.
    ideal = new Standard();
    if (mode_ == 0)
        number_of_components(2);
    else if (mode_ == 1)
        number_of_components(1);
    setModelName("virial");
    Vl0 = 2e-05;
}

Virial* VirialEos::term() const { return static_cast<Virial*>(interactions[0]); }

void VirialEos::read_component_data(int i, const char* name) {
    if (!name || i < 0 || i >= component_count) return;
    readIdealComponentData(ideal, name);
    if (mode != 1) return;
    for (const VirialGas& g : kGases) {
        if (std::strcmp(g.name, name) != 0) continue;
        molar_mass[i] = g.mw;
        bulk_molar_weight = g.mw;
        term()->set_virial_parameters(g.a, g.b, g.c);
        return;
    }
    // No coefficients of this gas: no state, rather than another gas's B.
    platform::diagf("virial: no second virial coefficient of %s (N2, Ar and CH4 are known)\n", name);
    const double none = std::numeric_limits<double>::quiet_NaN();
    term()->set_virial_parameters(none, none, none);
}

void VirialEos::set_virial_coefficients(double a, double b, double c) { term()->set_virial_parameters(a, b, c); }

void VirialEos::printVirial() {
    Virial* t = term();
    t->T = T;
    const double B = t->secondVirial() * 1e6;  // cm3/mol
    std::printf("B  : %12lg (cm3/mol)\n", B);
    if (B < 0.0) {
        auto p = [&](double Vcm3) { return kR * T / (Vcm3 * 1e-6) * (1.0 + B / Vcm3) / 1e5; };
        const double Vm = -2.0 * B, Vi = -3.0 * B;
        std::printf("v1 : %12lg   p1 : %12lg\n", Vm, p(Vm));
        std::printf("v2 : %12lg   p2 : %12lg\n", Vi, p(Vi));
    }
}

void VirialEos::plotVirial() {
    const double factor = std::pow(100000.0, 0.01);
    for (double v = 0.01; v <= 1000.0; v *= factor) {
        volume(v);
        calculate_pressure();
        calculate_fugacities();
        std::printf("%12lg %12lg %12lg \n", v, Z, (Z - 1.0) * v * 1e6);
    }
}

void VirialEos::test() {
    VirialEos mix(1, 0, 0);
    mix.add_components("H2O", "CO2");
    mix.set_virial_coefficients(-0.001165, -6.3e-05, -4.34e-05);
    mix.temperature(298.15);
    mix.volume(0.01);
    mix.composition(1.0, 0.0);
    mix.calculate_pressure();
    mix.calculate_fugacities();
    mix.dump();
    std::printf("fugcoef 0 : %12lg\n", mix.fugacity[0] / (mix.x[0] * mix.P));
    std::printf("fugcoef 1 : %12lg\n", mix.x[1] > 0.0 ? mix.fugacity[1] / (mix.x[1] * mix.P) : 0.0);
    mix.plotVirial();

    VirialEos water(1, 1, 0);
    water.add_component("H2O");
    water.temperature(373.15);
    water.printVirial();
    water.pressure(0.01);
    water.calculate_molar_volume();
    water.calculate_fugacities();
    water.dump();
    std::printf("fugcoef 0 : %12lg\n", water.fugacity[0] / water.P);
    std::printf("B         : %12lg cm3/mol\n", water.term()->secondVirial() * 1e6);
}
