#include "magma/Starostin.h"

#include <cstdio>

#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "platform/Process.h"

Starostin::Starostin()
    : P(n, 0.0),
      u(n, 0.01),
      rho(n, 0.0),
      z(n, 0.0),
      massFluxGradient(n, 0.0),
      momentumFluxGradient(n, 0.0),
      pressureGradient(n, 0.0) {
    dz = H / (n - 1);
    for (int i = 0; i < n; ++i) {
        z[i] = i * dz;
        rho[i] = z[i] < 0.5 * H ? 2200.0 : 100.0;
    }
    P[n - 1] = 0.0;
    for (int i = n - 2; i >= 0; --i) P[i] = rho[i] * 9.81 * dz + P[i + 1];
}

bool Starostin::calculateProfile() {
    for (int i = 0; i < n - 1; ++i) {
        massFluxGradient[i] = (rho[i + 1] * u[i + 1] - rho[i] * u[i]) / dz;
        momentumFluxGradient[i] = (u[i + 1] * rho[i + 1] * u[i + 1] - u[i] * rho[i] * u[i]) / dz;
        pressureGradient[i] = (P[i + 1] - P[i]) / dz;
    }
    // Mass and momentum balances of the column,
    //     d rho/dt = -d(rho u)/dz,   d(rho u)/dt = -d(rho u^2)/dz - dP/dz - rho g,
    // so that rho du/dt = -d(rho u^2)/dz - dP/dz - rho g + u d(rho u)/dz.
    for (int i = 1; i < n - 1; ++i) {
        rho[i] -= dt * massFluxGradient[i];
        u[i] += dt * (-9.81 * rho[i] - momentumFluxGradient[i] - pressureGradient[i] + u[i] * massFluxGradient[i]) /
                rho[i];
    }
    std::FILE* f = platform::openOutput("profile", "wt");
    if (!f) return false;
    for (int i = 0; i < n - 1; ++i) std::fprintf(f, "%12lf %12lf %12lf %12lf\n", z[i], rho[i], P[i] * 1e-5, u[i]);
    return platform::closeOutput(f, "profile");
}

void Starostin::calculateEvolution() {
    t = 0.0;
    for (int k = 0; k < 10; ++k) {
        calculateProfile();
        t += dt;
        platform::tracef("t %5.2lf\n", t);
    }
    // A plot of the profile when the folder holds no script of the user's.
    if (std::FILE* s = std::fopen("sta", "r")) {
        std::fclose(s);
    } else if (std::FILE* w = std::fopen("sta", "wt")) {
        std::fputs("set xlabel \"z (m)\"\n"
                   "set multiplot layout 3,1\n"
                   "plot \"profile\" using 1:2 title \"density (kg/m3)\" with lines\n"
                   "plot \"profile\" using 1:3 title \"pressure (bar)\" with lines\n"
                   "plot \"profile\" using 1:4 title \"velocity (m/s)\" with lines\n"
                   "unset multiplot\n",
                   w);
        std::fclose(w);
    }
    platform::runGnuplot("sta");  // a missing gnuplot is reported there
}
