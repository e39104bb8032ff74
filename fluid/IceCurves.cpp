// Melting and sublimation pressures of the ices of water, IAPWS R14-08(2011).
#include "fluid/IceCurves.h"

#include <cmath>
#include <limits>

namespace water {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr double kTt = kTriplePointT, kPt = kTriplePointP;      // ice Ih - liquid - vapour
constexpr double kTIhIII = 251.165, kPIhIII = 208.566e6;       // ice Ih - III - liquid
constexpr double kTIIIV = 256.164, kPIIIV = 350.1e6;           // ice III - V - liquid
constexpr double kTVVI = 273.31, kPVVI = 632.4e6;              // ice V - VI - liquid
constexpr double kTVIVII = 355.0, kPVIVII = 2216.0e6;          // ice VI - VII - liquid
constexpr double kTVIIEnd = 715.0;                             // end of the ice VII curve

bool within(double T, double lo, double hi) { return T >= lo && T <= hi; }

// p/p* = 1 - a (1 - theta^e), theta = T/T*: ice III, V and VI.
double simple(double T, double Tn, double pn, double a, double e) {
    return pn * (1.0 - a * (1.0 - std::pow(T / Tn, e)));
}

// Above the melting pressure pm at T the ice that melts there, up to the
// pressure of its upper triple point with the liquid: beyond it lies the
// field of a denser ice, whose boundary with this one the release does not
// give (their solid-solid lines run near those triple points' pressures).
Ice meltingIce(double P, double pm, Ice ice, double pUpper) {
    if (P < pm) return Ice::None;
    return P <= pUpper ? ice : Ice::HighPressure;
}

}  // namespace

double iceIhMeltingPressure(double T) {
    if (!within(T, kTIhIII, kTt)) return kNaN;
    // p/pt = 1 + sum a_i (1 - theta^b_i), theta = T/Tt (eq. 1).
    constexpr double a[3] = {0.119539337e7, 0.808183159e5, 0.333826860e4};
    constexpr double b[3] = {0.300000e1, 0.257500e2, 0.103750e3};
    const double theta = T / kTt;
    double s = 1.0;
    for (int i = 0; i < 3; ++i) s += a[i] * (1.0 - std::pow(theta, b[i]));
    return kPt * s;
}

double iceIIIMeltingPressure(double T) {
    return within(T, kTIhIII, kTIIIV) ? simple(T, kTIhIII, kPIhIII, 0.299948, 60.0) : kNaN;  // eq. 2
}

double iceVMeltingPressure(double T) {
    return within(T, kTIIIV, kTVVI) ? simple(T, kTIIIV, kPIIIV, 1.18721, 8.0) : kNaN;  // eq. 3
}

double iceVIMeltingPressure(double T) {
    return within(T, kTVVI, kTVIVII) ? simple(T, kTVVI, kPVVI, 1.07476, 4.6) : kNaN;  // eq. 4
}

double iceVIIMeltingPressure(double T) {
    if (!within(T, kTVIVII, kTVIIEnd)) return kNaN;
    // ln(p/p*) = a1 (1 - 1/theta) + a2 (1 - theta^5) + a3 (1 - theta^22) (eq. 5).
    const double theta = T / kTVIVII;
    return kPVIVII * std::exp(0.173683e1 * (1.0 - 1.0 / theta) - 0.544606e-1 * (1.0 - std::pow(theta, 5.0)) +
                              0.806106e-7 * (1.0 - std::pow(theta, 22.0)));
}

double iceIhSublimationPressure(double T) {
    if (!within(T, 50.0, kTt)) return kNaN;
    // ln(p/pt) = theta^-1 sum a_i theta^b_i (eq. 6).
    constexpr double a[3] = {-0.212144006e2, 0.273203819e2, -0.610598130e1};
    constexpr double b[3] = {0.333333333e-2, 0.120666667e1, 0.170333333e1};
    const double theta = T / kTt;
    double s = 0.0;
    for (int i = 0; i < 3; ++i) s += a[i] * std::pow(theta, b[i]);
    return kPt * std::exp(s / theta);
}

Ice iceAt(double T, double P) {
    if (!(T > 0.0) || !(P > 0.0) || !std::isfinite(P) || !(T < kTVIIEnd)) return Ice::None;
    if (T < kTt) {
        // Below the triple point the vapour lies below the sublimation
        // curve (under 50 K it is negligibly small: ice at any pressure).
        const double psub = T >= 50.0 ? iceIhSublimationPressure(T) : 0.0;
        if (P <= psub) return Ice::None;
        if (T < kTIhIII) return P < kPIhIII ? Ice::Ih : Ice::HighPressure;
        if (P < iceIhMeltingPressure(T)) return Ice::Ih;
        if (T < kTIIIV) return meltingIce(P, iceIIIMeltingPressure(T), Ice::III, kPIIIV);
        return meltingIce(P, iceVMeltingPressure(T), Ice::V, kPVVI);
    }
    if (T < kTVVI) return meltingIce(P, iceVMeltingPressure(T), Ice::V, kPVVI);
    if (T < kTVIVII) return meltingIce(P, iceVIMeltingPressure(T), Ice::VI, kPVIVII);
    return P < iceVIIMeltingPressure(T) ? Ice::None : Ice::VII;
}

const char* iceName(Ice ice) {
    switch (ice) {
    case Ice::Ih: return "ice Ih";
    case Ice::III: return "ice III";
    case Ice::V: return "ice V";
    case Ice::VI: return "ice VI";
    case Ice::VII: return "ice VII";
    case Ice::HighPressure: return "a high-pressure ice";
    case Ice::None: break;
    }
    return nullptr;
}

}  // namespace water
