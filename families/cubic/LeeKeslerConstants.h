#pragma once
// Constants of the modified Benedict-Webb-Rubin equation of Lee and Kesler
// (AIChE J. 21, 510 (1975)) in reduced variables, in the order
// b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, beta, gamma:
//     Z = 1 + B/Vr + C/Vr^2 + D/Vr^5 + (c4/(Tr^3 Vr^2)) (beta + gamma/Vr^2) exp(-gamma/Vr^2),
//     B = b1 - b2/Tr - b3/Tr^2 - b4/Tr^3,  C = c1 - c2/Tr + c3/Tr^3,  D = d1 + d2/Tr,
// with Vr = Pc V/(R Tc).  The simple fluid (omega = 0) and the reference
// fluid, n-octane (omega = 0.3978).
namespace lee_kesler {

constexpr int kConstants = 12;
constexpr double kSimpleFluid[kConstants] = {0.1181193, 0.265728,    0.15479,  0.030323, 0.0236744, 0.0186984,
                                             0.0,       0.042724,    1.55488e-05, 6.23689e-05, 0.65392, 0.060167};
constexpr double kReferenceFluid[kConstants] = {0.2026579, 0.331511,   0.027655, 0.203488, 0.0313385, 0.0503618,
                                                0.016901,  0.041577,   4.8736e-05, 7.40336e-06, 1.226,   0.03754};
constexpr double kOmegaReference = 0.3978;

}  // namespace lee_kesler
