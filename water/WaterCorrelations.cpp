#include "water/WaterCorrelations.h"

#include <cmath>

#include "fluid/CriticalPoints.h"
#include "fluid/SaturationAncillaries.h"

namespace {

constexpr double kTc = kWaterCritical.T;                 // K
constexpr double kPc = kWaterCritical.P;                 // Pa
constexpr double kRhoc = kWaterCritical.rho;             // kg/m3
// The two constants of the spinodal fits as they were fitted with (close to,
// but not exactly, 1/647.096 K and 1/55.948 cm3/mol).
constexpr double kInverseTc = 0.0015453562046051615;     // 1/K
constexpr double kInverseVc = 0.017873739901336956;      // mol/cm3

}  // namespace

double waterAuxiliarySaturationPressure(double T)
{
    static constexpr double a[6] = {-7.85951783, 1.84408259, -11.7866497,
                                    22.6807411, -15.9618719, 1.80122502};
    const double th = 1.0 - T / kTc;
    const double sq = std::sqrt(th);
    const double th3 = th * th * th;
    const double sum = a[0] * th + a[1] * th * sq + a[2] * th3 + a[3] * th3 * sq
                       + a[4] * th3 * th + a[5] * th3 * th3 * th * sq;
    return kPc * std::exp(kTc / T * sum);
}

double waterAuxiliarySaturatedLiquidDensity(double T) { return waterSaturatedLiquidDensity(T); }

double waterAuxiliarySaturatedVapourDensity(double T)
{
    static constexpr double c[6] = {-2.0315024, -2.6830294, -5.38626492,
                                    -17.2991605, -44.7586581, -63.9201063};
    const double th = 1.0 - T / kTc;
    const double s = std::cbrt(th);
    const double s2 = s * s;
    const double s4 = s2 * s2;
    const double s9 = s4 * s4 * s;
    const double sum = c[0] * s + c[1] * s2 + c[2] * s4 + c[3] * s9
                       + c[4] * std::pow(th, 37.0 / 6.0) + c[5] * std::pow(th, 71.0 / 6.0);
    return kRhoc * std::exp(sum);
}

double waterSaturationPressureFit(double T)
{
    const double u = 1.0 / T;
    double x;
    if (T < 500.0)
        x = 12.6128685686687 + u * (-5274.80105363517 + u * (673674.49480338
            + u * (-226506723.493847 + u * 20510547127.869)));
    else if (T < 600.0)
        x = 177.854834078459 + u * (-453783.001957213 + u * (488546524.714547
            + u * (-265944332990.696 + u * (72451458829702.0 + u * -7902202051194120.0))));
    else
        x = 48.7916680302499 + u * (-70231.701649971 + u * (39607731.4290644 + u * -7980077565.67183));
    return std::exp(x) * 1e5;
}

bool waterSaturationStartVolumesFromT(double T, double& Vl, double& Vv)
{
    if (!(T < kTc))
        return false;
    double vL;  // cm3/mol
    if (T < 600.0)
        vL = 61.8953451076571 + T * (-0.461105828768715 + T * (0.00178411253819542
             + T * (-3.08395023457826e-6 + T * (2.18615503269769e-9 + T * -2.20077769957778e-13))));
    else
        vL = -975115.019876792 + T * (6276.98487131013 + T * (-15.1469189976997
             + T * (0.016239065540392 + T * -6.52620182706526e-6)))
             + 133.766897264824 / ((T - 650.0) * (T - 650.0));
    double y;  // ln of the vapour volume in cm3/mol
    if (T < 610.0)
        y = 90.3595616255677 + T * (-0.672782727977937 + T * (0.00243251424969566
            + T * (-4.74504036633278e-6 + T * (4.81488840943257e-9 + T * -2.0057968675343e-12))));
    else
        y = -39584.7024219309 + T * (257.133676317291 + T * (-0.626212130722159
            + T * (0.000677785343333696 + T * -2.751177878479e-7)))
            - 143.602990365362 / std::pow(T - 650.0, 8.0);
    Vl = vL * 1e-6;
    Vv = std::exp(y) * 1e-6;
    if (T > 646.75) {  // the fits leave the two branches crossing: take a near-critical pair
        Vl = 4.5e-05;
        Vv = 7e-05;
    }
    return true;
}

void waterSaturationStartFromP(double P, double& T, double& Vl, double& Vv)
{
    const double L = std::log(P);
    T = 372.722156272888 + L * (27.8739796982385 + L * (2.41364824420266
        + L * (0.226842575564745 + L * (0.0180634696400786 + L * 0.000707001486840854))));

    double vV;  // cm3/mol
    if (P > 8.0) {
        vV = 1.0 / (-1.19315451779924e-5 + P * (3.39219139408898e-5 + P * (-3.70479133007088e-7
                    + P * (6.86773609442658e-9 + P * (-4.54357223431962e-11 + P * 1.10411946929151e-13))))
                    - 0.00167676872076518 / (P - 221.0));
        if (vV < 0.0)
            vV = 2328.0152 / (P * 1e5) * 1e6;  // ideal gas at 280 K
    } else {
        // The ideal-gas volume at the start temperature: the vapour is nearly
        // ideal up to 8 bar (Z > 0.95).  The polynomial density fit published
        // for this range tends to a constant at low pressure and misses the
        // saturated vapour volume by a factor of 3 at 0.035 bar and 13 at
        // 1 bar, too far for the saturation solvers to start from.
        vV = 8.31434 * T / (P * 1e5) * 1e6;
    }
    const double vL = 18.3548744008117 + P * (0.217993776149354 + P * (-0.00442660159052204
                      + P * (5.22877767835403e-5 + P * (-2.7503656275317e-7 + P * 5.42233507519529e-10))))
                      - 4.11105104527194 / (P - 221.0);
    Vl = vL * 1e-6;
    Vv = vV * 1e-6;
    if (P > 0.02 && P < 0.024) {
        T = 291.0;
        Vl = 1.804e-05;
        Vv = 1.8;
    }
    if (P >= 220.57) {
        Vl = 4.5e-05;
        Vv = 7e-05;
    }
}

double waterSurfaceTension(double T)
{
    if (std::isnan(T))
        return T;
    if (T >= kTc)
        return 0.0;
    const double tau = 1.0 - T / kTc;
    return 0.2358 * std::pow(tau, 1.256) * (1.0 - 0.625 * tau);
}

double getVapourSpinodalVolume(double T)
{
    const double x = std::log(1.0 / T - kInverseTc);
    double q;
    if (T > 547.0)
        q = -2.3118 + 0.17066 * x - 0.0075733 * x * x;
    else if (T > 298.0)
        q = -0.29376 + x * (1.9373 + x * (0.33197 + x * 0.018813));
    else
        q = -4.3074 - 0.095165 * x - 0.0079994 * x * x;
    return 1e-6 / (kInverseVc - std::exp(q));
}

double getLiquidSpinodalVolume(double T)
{
    const double x = std::log(1.0 / T - kInverseTc);
    const double q = -2.875 + x * (-0.1086 + x * (-0.03716 + x * -0.00088774));
    return 1e-6 / (std::exp(q) + kInverseVc);
}

void waterSpinodalBand(double T, double& vL, double& vV)
{
    if (T > 633.6 && T <= 646.6) {
        // The published polynomial fits of this band lose their precision to
        // cancellation (the liquid one turns negative above 636.6 K, the vapour
        // one gives 1-2 cm3/mol), so they would call every state stable. The logarithmic spinodal fits follow the
        // reference equation's spinodal there to within about 1 %.
        vL = getLiquidSpinodalVolume(T) * 1e6;
        vV = getVapourSpinodalVolume(T) * 1e6;
        return;
    }
    if (T <= 610.6)
        vL = -12.191 + T * (0.37602 + T * (-0.0018954 + T * (4.9901e-6 + T * (-6.5488e-9 + T * 3.4853e-12))));
    else if (T <= 633.6)
        vL = -36693.0 + T * (180.07 + T * (-0.29453 + T * 0.00016071));
    else if (T < 647.1)
        vL = 13.098 * T - 8420.0;
    else
        vL = 18.0;

    if (T <= 633.6)
        vV = std::pow(10.0, 40.216 + T * (-0.31077 + T * (0.00095567 + T * (-8.5928e-7
                      + T * (-1.5619e-9 + T * (3.7697e-12 + T * -2.1582e-15))))));
    else if (T <= 647.1)
        vV = std::pow(10.0, 83.114 - 0.12574 * T);
    else
        vV = 10000.0;
}

bool waterStateIsUnstable(double T, double V)
{
    if (std::isnan(T) || std::isnan(V))
        return false;
    if (T < 230.0)
        return true;
    if (T <= 230.0 || T >= 647.13)
        return false;
    double vL, vV;
    waterSpinodalBand(T, vL, vV);
    return vL * 1e-6 < V && V < vV * 1e-6;
}
