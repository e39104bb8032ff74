// Characteristic curves of a fluid model: the loci in the temperature-volume
// plane where one property of the real fluid behaves as in the ideal gas.
//
//   Joule-Thomson inversion   mu_JT = 0            (dH/dP)_T = 0
//   Boyle                     (dZ/dV)_T = 0        d(PV)/dV = 0
//   ideal                     Z = 1
//   Joule inversion           (dZ/dT)_V = 0        (dU/dV)_T = 0
//
// A point is the root in V at fixed T of the curve's condition, found by the
// secant from a start volume; a curve steps the temperature and starts each
// search from the volume found before.
#include <cmath>
#include <cstdio>
#include <memory>

#include "fluid/ErrorFlagScope.h"
#include "fluid/FluidPhase.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

// The residual of a characteristic condition at V: the state functions at
// (T, V) and the quantity that vanishes on the curve.  A state the model
// cannot evaluate is a failed evaluation for the secant, not a root.
double characteristicResidual(FluidPhase& p, double V_, double FluidPhase::*quantity, double offset) {
    p.volume(V_);
    bool failed = false;
    double r = 0.0;
    {
        const ErrorFlagScope trial(p);
        p.calculate_state_functions();
        r = p.*quantity - offset;
        failed = trial.failed() || !std::isfinite(r);
    }
    if (failed) {
        p.error = 1;
        return 0.0;
    }
    return r;
}

void characteristicPoint(FluidPhase& p, double T_, double V0, ScalarEquationFn fn) {
    p.temperature(T_);
    Secant s;
    s.obj = &p;
    s.fn = fn;
    s.data = nullptr;
    p.errorflag = 0;
    s.x0 = V0;
    s.x1 = 1.00001 * V0;
    s.solve();
    if (s.status != 0) p.errorflag = 1;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The curve from (T0, V0) in steps f dT; f halves after a failed point (from
// the last good temperature) and the trace ends once it is at or below 0.01,
// or when the temperature leaves [Tmin, Tmax] after a row.
void characteristicCurve(FluidPhase& p, void (FluidPhase::*point)(double, double), const char* path, double T0,
                         double V0, double dT, double Tmin, double Tmax, char mode, const char* suffix) {
    if (!path) {
        platform::diagf("Characteristic curve: no file name\n");
        return;
    }
    if (!(dT != 0.0) || !std::isfinite(dT)) {
        platform::diagf("Characteristic curve %s: a temperature step of %g K does not move along the curve\n",
                     path, dT);
        return;
    }
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "wt"));
    if (!f) platform::diagf("Cannot write %s\n", path);
    else platform::noteOutputOpened(path);
    auto put = [&](auto... args) {
        if (f) std::fprintf(f.get(), args...);
    };
    put("%s", mode == 1 ? "IGOR\nWAVES " : "# ");
    if (suffix)
        put(" %11s%s %13s%s %13s%s \n", "T", suffix, "V", suffix, "P", suffix);
    else
        put(" %11s %13s %13s\n", "T(1)", "V(2)", "P(3)");
    if (mode == 1) put("%s", "BEGIN\n");

    auto row = [&] { put("%12f %12f %12f\n", p.T, 1e6 * p.V, 1e-5 * p.P); };
    (p.*point)(T0, V0);
    row();  // the first row whatever the search gave

    constexpr int kMaxPoints = 1000000;
    double factor = 1.0;
    double Tgood = T0, Vstart = V0;
    double t = T0 + dT;
    for (int k = 0; k < kMaxPoints && p.errorflag == 0; ++k) {
        (p.*point)(t, Vstart);
        if (p.errorflag == 0) {
            row();
            Tgood = t;
            t += factor * dT;
            if (t < Tmin || t > Tmax) break;
            Vstart = p.V;
        } else if (factor > 0.01) {
            p.errorflag = 0;
            factor /= 2.0;
            t = Tgood + factor * dT;
        }
    }
    if (mode == 1) put("%s", "END\n");
}

}  // namespace

double FluidPhase::equationForJouleThomsonInversionTemperature(double V_, void*) {
    return characteristicResidual(*this, V_, &FluidPhase::jouleThomson, 0.0);
}

double FluidPhase::equationForBoylePoint(double V_, void*) {
    return characteristicResidual(*this, V_, &FluidPhase::dZdV, 0.0);
}

double FluidPhase::equationForIdealPoint(double V_, void*) {
    return characteristicResidual(*this, V_, &FluidPhase::Z, 1.0);
}

double FluidPhase::equationForJoulePoint(double V_, void*) {
    return characteristicResidual(*this, V_, &FluidPhase::dZdT, 0.0);
}

void FluidPhase::calculateJouleThomsonInversionTemperature(double T_, double V0) {
    characteristicPoint(*this, T_, V0,
                        toEquationFn<ScalarEquationFn>(&FluidPhase::equationForJouleThomsonInversionTemperature));
}

void FluidPhase::calculateBoylePoint(double T_, double V0) {
    characteristicPoint(*this, T_, V0, toEquationFn<ScalarEquationFn>(&FluidPhase::equationForBoylePoint));
}

void FluidPhase::calculateIdealPoint(double T_, double V0) {
    characteristicPoint(*this, T_, V0, toEquationFn<ScalarEquationFn>(&FluidPhase::equationForIdealPoint));
}

void FluidPhase::calculateJoulePoint(double T_, double V0) {
    characteristicPoint(*this, T_, V0, toEquationFn<ScalarEquationFn>(&FluidPhase::equationForJoulePoint));
}

void FluidPhase::calculateJouleThomsonInversionCurve(const char* path, double T0, double V0, double dT, double Tmin,
                                                     double Tmax, char mode, const char* suffix) {
    characteristicCurve(*this, &FluidPhase::calculateJouleThomsonInversionTemperature, path, T0, V0, dT, Tmin, Tmax,
                        mode, suffix);
}

void FluidPhase::calculateBoyleCurve(const char* path, double T0, double V0, double dT, double Tmin, double Tmax,
                                     char mode, const char* suffix) {
    characteristicCurve(*this, &FluidPhase::calculateBoylePoint, path, T0, V0, dT, Tmin, Tmax, mode, suffix);
}

void FluidPhase::calculateIdealCurve(const char* path, double T0, double V0, double dT, double Tmin, double Tmax,
                                     char mode, const char* suffix) {
    characteristicCurve(*this, &FluidPhase::calculateIdealPoint, path, T0, V0, dT, Tmin, Tmax, mode, suffix);
}

void FluidPhase::calculateJouleCurve(const char* path, double T0, double V0, double dT, double Tmin, double Tmax,
                                     char mode, const char* suffix) {
    characteristicCurve(*this, &FluidPhase::calculateJoulePoint, path, T0, V0, dT, Tmin, Tmax, mode, suffix);
}
