#include "fluid/BinaryCriticalCurves.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/ReferenceFluids.h"

namespace criticalcurve {

double publishedCriticalTemperature(const ReferencePairs& pairs, const char* a, const char* b, double P_bar) {
    const ReferencePair* pair = pairs.find(a, b);
    if (!pair || pair->criticalCurve.empty()) return std::nan("");
    const std::span<const CriticalCurvePoint> curve = pair->criticalCurve;
    if (!(P_bar >= curve.front().P && P_bar <= curve.back().P)) return std::nan("");
    for (std::size_t k = 0; k + 1 < curve.size(); ++k) {
        const CriticalCurvePoint &p = curve[k], &q = curve[k + 1];
        if (P_bar <= q.P) return p.T + (q.T - p.T) * (P_bar - p.P) / (q.P - p.P);
    }
    return curve.back().T;
}

namespace {

// The scatter (K) of the curve at P: where it starts at a pure component's
// critical point (its reference equation's), from nothing there to the
// measurements' scatter at the first measured point.
double curveScatter(const ReferencePairs& pairs, const ReferencePair& pair, double P_bar) {
    const std::span<const CriticalCurvePoint> curve = pair.criticalCurve;
    const ReferenceFluids& fluids = pairs.fluids();
    if (curve.size() < 2) return pair.criticalCurveScatter;
    for (const char* name : {pair.a, pair.b}) {
        const double Tc = fluids.criticalTemperature(name), Pc = fluids.criticalPressure(name) * 1e-5;
        if (std::fabs(curve.front().T - Tc) < 1e-6 && std::fabs(curve.front().P - Pc) < 1e-6)
            return pair.criticalCurveScatter * std::clamp((P_bar - Pc) / (curve[1].P - Pc), 0.0, 1.0);
    }
    return pair.criticalCurveScatter;
}

}  // namespace

bool oneFluidAboveCriticalCurve(const ReferencePairs& pairs, const char* a, const char* b, double T, double P_bar,
                                std::string* why) {
    const double Tc = publishedCriticalTemperature(pairs, a, b, P_bar);
    const ReferencePair* pair = pairs.find(a, b);
    if (!pair || !(T > Tc + curveScatter(pairs, *pair, P_bar))) return false;
    if (why) {
        char buf[320];
        std::snprintf(buf, sizeof buf,
                      "at %g bar the published critical curve of %s-%s lies at %.4g K (%s): above it the mixture "
                      "is one fluid at every composition",
                      P_bar, pair->a, pair->b, Tc, pair->criticalCurveSource);
        *why = buf;
    }
    return true;
}

}  // namespace criticalcurve
