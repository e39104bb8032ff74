#include "fluid/BinaryCriticalCurves.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>

namespace criticalcurve {

namespace {

struct CurvePoint {
    double P;  // bar
    double T;  // K
};

// The critical curve of H2O-CO2 from the critical point of water (IAPWS-95:
// 647.096 K, 220.64 bar) to 3500 bar, after Todheide & Franck (1963),
// Z. Phys. Chem. N.F. 37, 387 (measured to 3500 bar), and Takenouchi &
// Kennedy (1964), Am. J. Sci. 262, 1055 (to 1500 bar): the curve falls to
// lower temperatures as the pressure rises, passes a temperature minimum
// near 539 K (266 C; Takenouchi & Kennedy put it at 2150 bar, Todheide &
// Franck at 2450 bar) and then rises again slowly with pressure (the
// two-phase region of the second kind, gas-gas immiscibility).  Each point
// is the higher of the two studies' temperatures at its pressure, so that
// a state said to lie above the curve lies above both.
constexpr CurvePoint kWaterCarbonDioxide[] = {
    {220.64, 647.096}, {300.0, 626.0},  {400.0, 610.0},  {500.0, 598.0},  {700.0, 580.0},  {1000.0, 563.0},
    {1500.0, 548.0},   {2000.0, 542.0}, {2150.0, 539.2}, {2450.0, 539.2}, {3000.0, 542.0}, {3500.0, 546.0},
};
// The scatter of the two studies' critical temperatures at one pressure
// (K): a state closer than this to the curve is not judged by it.
constexpr double kCurveUncertainty = 5.0;
constexpr const char* kWaterCarbonDioxideSources = "Todheide & Franck 1963; Takenouchi & Kennedy 1964";

bool isPair(const char* a, const char* b, const char* p, const char* q) {
    const std::string sa(a), sb(b);
    return (sa == p && sb == q) || (sa == q && sb == p);
}

}  // namespace

double publishedCriticalTemperature(const char* a, const char* b, double P_bar) {
    if (!a || !b || !isPair(a, b, "H2O", "CO2")) return std::nan("");
    const CurvePoint* first = std::begin(kWaterCarbonDioxide);
    const CurvePoint* last = std::end(kWaterCarbonDioxide) - 1;
    if (!(P_bar >= first->P && P_bar <= last->P)) return std::nan("");
    for (const CurvePoint* p = first; p < last; ++p) {
        const CurvePoint* q = p + 1;
        if (P_bar <= q->P) return p->T + (q->T - p->T) * (P_bar - p->P) / (q->P - p->P);
    }
    return last->T;
}

bool oneFluidAboveCriticalCurve(const char* a, const char* b, double T, double P_bar, std::string* why) {
    const double Tc = publishedCriticalTemperature(a, b, P_bar);
    if (!(T > Tc + kCurveUncertainty)) return false;
    if (why) {
        char buf[320];
        std::snprintf(buf, sizeof buf,
                      "at %g bar the published critical curve of H2O-CO2 lies at %.4g K (%s): above it the mixture "
                      "is one fluid at every composition",
                      P_bar, Tc, kWaterCarbonDioxideSources);
        *why = buf;
    }
    return true;
}

}  // namespace criticalcurve
