#include "gases/IUPACCO2.h"

#include <cstdio>

#include "gases/IUPAC.h"
#include "gases/IUPACCO2ID.h"

IUPACCO2::IUPACCO2(int kind) : CO2EOS(1, static_cast<short>(kind), 0)
{
    interactions[0] = new IUPAC();
    // The IUPAC tables (Angus, Armstrong & de Reuck 1976): from the triple
    // point to 1100 K, up to 100 MPa; above, its cv falls below 3R/2 (11.6
    // J/(mol K) at 400 K and 5000 bar).
    validity = {.Tmin = 216.58, .Tmax = 1100.0, .Pmax = 1000.0, .source = "IUPAC tables of CO2, 1976"};
    ideal = new IUPACCO2ID();
    Vl0 = 3.5e-05;
    Vv0 = 2e-04;
    critical_T = 305.0;
    critical_V = 9.4e-05;
    setModelName("IUPAC CO2");
    FluidPhase::number_of_components(1);
    add_component("CO2");
    molar_mass[0] = 0.0440098;
    bulk_molar_weight = 0.0440098;
}

IUPACCO2::~IUPACCO2() = default;

void IUPACCO2::compareWithIUPAC(FluidPhase* other)
{
    static const double temperatures[10] = {0, 100, 200, 300, 400, 500, 600, 800, 1000, 1200};  // degrees C
    std::printf("P(bar)\\ T(\u00b0C)");
    for (double t : temperatures)
        std::printf("%12lg ", t);
    std::printf("\n");
    V = Vl0;

    double pressures[43];
    int n = 0;
    for (double p : {1.0, 20.0, 50.0, 100.0})
        pressures[n++] = p;
    for (double p = 200.0; p <= 1000.0; p += 100.0)
        pressures[n++] = p;
    for (double p = 1200.0; p <= 5000.0; p += 200.0)
        pressures[n++] = p;
    for (double p = 5500.0; p <= 10000.0; p += 500.0)
        pressures[n++] = p;

    for (int k = 0; k < n; ++k) {
        const double Pbar = pressures[k];
        std::printf("%12lg ", Pbar);
        other->pressure(Pbar);
        pressure(Pbar);
        for (double t : temperatures) {
            const double Tk = t + 273.15;
            other->temperature(Tk);
            other->calculate_molar_volume();
            other->calculate_fugacities();
            other->calculate_state_functions();
            temperature(Tk);
            calculate_molar_volume();
            calculate_fugacities();
            calculate_state_functions();
            std::printf("%12lg ", 100.0 * (other->fugcoef[0] - fugcoef[0]) / fugcoef[0]);
        }
        std::printf("\n");
    }
}
