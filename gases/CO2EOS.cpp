#include "gases/CO2EOS.h"

#include <cmath>
#include <cstdio>

CO2EOS::CO2EOS(short nInteractions, short phaseKind, char withVenturi)
    : FluidPhase(nInteractions, phaseKind, withVenturi)
{
    critical_T = 305.0;
    critical_V = 9.4e-05;
    Tmin = 80.0;
}

CO2EOS::~CO2EOS() = default;

void CO2EOS::compareShmonovData(FluidPhase* /*other*/)
{
    const double temperatures[2] = {408.2, 610.2};  // degrees C
    double sum = 0.0;
    int count = 0;
    for (double tc : temperatures) {
        const double Tk = tc + 273.15;
        temperature(Tk);
        for (int k = 0; k < 14; ++k) {
            const double Pbar = 1500.0 + 500.0 * k;
            pressure(Pbar);
            calculate_molar_volume();
            const double Ppa = P;
            const double Vexp = 5.912e-5 * (1.0 - 0.18555 * std::log((Ppa - 1.233e8) / 7.67e7))
                                + 5.0718e-8 * (Tk - 773.15) * (1.0 - 0.3035 * std::log((Ppa - 144700.0) / 1.998553e8));
            const double dev = 100.0 * (V - Vexp) / Vexp;
            std::printf("T(\u00b0C) %12lg\tP %12lg\tVcalc %12lg\tVexp %12lg\tDev(%%) %12lg\n", Tk - 273.15, Pbar,
                        V * 1e6, Vexp * 1e6, dev);
            sum += std::fabs(dev);
            ++count;
        }
    }
    std::printf("AADP %lg\n", sum / count);
}
