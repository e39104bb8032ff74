#include "gases/IUPACGrid.h"

#include <cstdio>

namespace {

// At T (K) and the pressure already set: volume, fugacities and state functions.
void evaluateAt(FluidPhase& m, double Tk)
{
    m.temperature(Tk);
    m.calculate_molar_volume();
    m.calculate_fugacities();
    m.calculate_state_functions();
}

}  // namespace

void printDeviationsOnTheIUPACGrid(FluidPhase& model, FluidPhase& other, bool volumes)
{
    static const double temperatures[10] = {0, 100, 200, 300, 400, 500, 600, 800, 1000, 1200};  // degrees C
    std::printf("P(bar)\\ T(\u00b0C)");
    for (double t : temperatures)
        std::printf("%12lg ", t);
    std::printf("\n");

    double pressures[43];
    int n = 0;
    for (double p : {1.0, 20.0, 50.0, 100.0})
        pressures[n++] = p;
    for (int k = 2; k <= 10; ++k)
        pressures[n++] = 100.0 * k;
    for (int k = 6; k <= 25; ++k)
        pressures[n++] = 200.0 * k;
    for (int k = 11; k <= 20; ++k)
        pressures[n++] = 500.0 * k;

    for (int k = 0; k < n; ++k) {
        const double Pbar = pressures[k];
        std::printf("%12lg ", Pbar);
        model.pressure(Pbar);
        other.pressure(Pbar);
        for (double t : temperatures) {
            const double Tk = t + 273.15;
            evaluateAt(other, Tk);
            evaluateAt(model, Tk);
            if (volumes)
                std::printf("%12lg ", 100.0 * (other.V - model.V) / model.V);
            std::printf("%12lg ", 100.0 * (other.fugcoef[0] - model.fugcoef[0]) / model.fugcoef[0]);
        }
        std::printf("\n");
    }
}
