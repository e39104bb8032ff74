#pragma once
// Coefficients of the residual part of the 1995 reference formulation for the
// thermodynamic properties of ordinary water substance (IAPWS-95; Wagner & Pruss,
// J. Phys. Chem. Ref. Data 31, 387 (2002), Table 6.2; IAPWS Revised Release 2014,
// Table 2). Verification: phi_r = -3.4269320568 at 500 K and 838.025 kg/m3.
//
// phi_r = sum_{1..7}   n d^d t^t
//       + sum_{8..51}  n d^d t^t exp(-d^c)
//       + sum_{52..54} n d^d t^t exp(-alpha (d - eps)^2 - beta (t - gamma)^2)
//       + sum_{55,56}  n Delta^b d psi
// with Delta = theta^2 + B [(d-1)^2]^a, theta = (1 - t) + A [(d-1)^2]^(1/(2 beta_nonanalytic)),
// psi = exp(-C (d-1)^2 - D (t-1)^2).
#include <array>

#include "fluid/CriticalPoints.h"
#include "fluid/ReferenceTerms.h"

namespace iapws95 {

// Terms 1 to 54 (term i is entry i-1): n delta^d tau^t, damped by
// exp(-delta^c) for the terms 8 to 51, and the Gaussian bell-shaped terms 52
// to 54, n delta^d tau^t exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2).
inline constexpr std::array<reference_terms::Term, 54> kTerms = {{
    {.n = 0.012533547935523, .t = -0.5, .d = 1},  // 1
    {.n = 7.8957634722828, .t = 0.875, .d = 1},  // 2
    {.n = -8.7803203303561, .t = 1.0, .d = 1},  // 3
    {.n = 0.31802509345418, .t = 0.5, .d = 2},  // 4
    {.n = -0.26145533859358, .t = 0.75, .d = 2},  // 5
    {.n = -0.0078199751687981, .t = 0.375, .d = 3},  // 6
    {.n = 0.0088089493102134, .t = 1.0, .d = 4},  // 7
    {.n = -0.66856572307965, .t = 4.0, .d = 1, .c = 1},  // 8
    {.n = 0.20433810950965, .t = 6.0, .d = 1, .c = 1},  // 9
    {.n = -6.6212605039687e-05, .t = 12.0, .d = 1, .c = 1},  // 10
    {.n = -0.19232721156002, .t = 1.0, .d = 2, .c = 1},  // 11
    {.n = -0.25709043003438, .t = 5.0, .d = 2, .c = 1},  // 12
    {.n = 0.16074868486251, .t = 4.0, .d = 3, .c = 1},  // 13
    {.n = -0.04009282892587, .t = 2.0, .d = 4, .c = 1},  // 14
    {.n = 3.9343422603254e-07, .t = 13.0, .d = 4, .c = 1},  // 15
    {.n = -7.5941377088144e-06, .t = 9.0, .d = 5, .c = 1},  // 16
    {.n = 0.00056250979351888, .t = 3.0, .d = 7, .c = 1},  // 17
    {.n = -1.5608652257135e-05, .t = 4.0, .d = 9, .c = 1},  // 18
    {.n = 1.1537996422951e-09, .t = 11.0, .d = 10, .c = 1},  // 19
    {.n = 3.6582165144204e-07, .t = 4.0, .d = 11, .c = 1},  // 20
    {.n = -1.3251180074668e-12, .t = 13.0, .d = 13, .c = 1},  // 21
    {.n = -6.2639586912454e-10, .t = 1.0, .d = 15, .c = 1},  // 22
    {.n = -0.10793600908932, .t = 7.0, .d = 1, .c = 2},  // 23
    {.n = 0.017611491008752, .t = 1.0, .d = 2, .c = 2},  // 24
    {.n = 0.22132295167546, .t = 9.0, .d = 2, .c = 2},  // 25
    {.n = -0.40247669763528, .t = 10.0, .d = 2, .c = 2},  // 26
    {.n = 0.58083399985759, .t = 10.0, .d = 3, .c = 2},  // 27
    {.n = 0.0049969146990806, .t = 3.0, .d = 4, .c = 2},  // 28
    {.n = -0.031358700712549, .t = 7.0, .d = 4, .c = 2},  // 29
    {.n = -0.74315929710341, .t = 10.0, .d = 4, .c = 2},  // 30
    {.n = 0.4780732991548, .t = 10.0, .d = 5, .c = 2},  // 31
    {.n = 0.020527940895948, .t = 6.0, .d = 6, .c = 2},  // 32
    {.n = -0.13636435110343, .t = 10.0, .d = 6, .c = 2},  // 33
    {.n = 0.014180634400617, .t = 10.0, .d = 7, .c = 2},  // 34
    {.n = 0.0083326504880713, .t = 1.0, .d = 9, .c = 2},  // 35
    {.n = -0.029052336009585, .t = 2.0, .d = 9, .c = 2},  // 36
    {.n = 0.038615085574206, .t = 3.0, .d = 9, .c = 2},  // 37
    {.n = -0.020393486513704, .t = 4.0, .d = 9, .c = 2},  // 38
    {.n = -0.0016554050063734, .t = 8.0, .d = 9, .c = 2},  // 39
    {.n = 0.0019955571979541, .t = 6.0, .d = 10, .c = 2},  // 40
    {.n = 0.00015870308324157, .t = 9.0, .d = 10, .c = 2},  // 41
    {.n = -1.638856834253e-05, .t = 8.0, .d = 12, .c = 2},  // 42
    {.n = 0.043613615723811, .t = 16.0, .d = 3, .c = 3},  // 43
    {.n = 0.034994005463765, .t = 22.0, .d = 4, .c = 3},  // 44
    {.n = -0.076788197844621, .t = 23.0, .d = 4, .c = 3},  // 45
    {.n = 0.022446277332006, .t = 23.0, .d = 5, .c = 3},  // 46
    {.n = -6.2689710414685e-05, .t = 10.0, .d = 14, .c = 4},  // 47
    {.n = -5.5711118565645e-10, .t = 50.0, .d = 3, .c = 6},  // 48
    {.n = -0.19905718354408, .t = 44.0, .d = 6, .c = 6},  // 49
    {.n = 0.31777497330738, .t = 46.0, .d = 6, .c = 6},  // 50
    {.n = -0.11841182425981, .t = 50.0, .d = 6, .c = 6},  // 51
    {.n = -31.306260323435, .t = 0.0, .d = 3, .alpha = 20.0, .eps = 1.0, .beta = 150.0, .gamma = 1.21},  // 52
    {.n = 31.546140237781, .t = 1.0, .d = 3, .alpha = 20.0, .eps = 1.0, .beta = 150.0, .gamma = 1.21},  // 53
    {.n = -2521.3154341695, .t = 4.0, .d = 3, .alpha = 20.0, .eps = 1.0, .beta = 250.0, .gamma = 1.25},  // 54
}};

// Non-analytic terms 55 and 56, n Delta^b delta psi.
inline constexpr double nonAnalyticN[2] = {-0.14874640856724, 0.31806110878444};
inline constexpr double nonAnalyticA = 0.32;
inline constexpr double nonAnalyticBeta = 0.3;
inline constexpr double nonAnalyticSmallA = 3.5;
inline constexpr double nonAnalyticB = 0.2;
inline constexpr double nonAnalyticSmallB[2] = {0.85, 0.95};
inline constexpr double nonAnalyticC[2] = {28.0, 32.0};
inline constexpr double nonAnalyticD[2] = {700.0, 800.0};

// Ideal-gas part: phi0 = ln d + n1 + n2 t + n3 ln t + sum_{4..8} n_k ln(1 - exp(-gamma_k t)).
// n1 and n2 as revised in 2009 (IAPWS R6-95(2018), Table 1; Wagner & Pruss
// 2002, Table 6.1), which make the internal energy and entropy of the
// saturated liquid at the triple point zero; the 1995 values (-8.32044648201,
// 6.6832105268) give phi0 = 2.0479773355 at 500 K and 838.025 kg/m3, against
// the release's 2.04797733 (Table 6), and entropies 8e-10 kJ/(kg K) low.
inline constexpr double idealN1 = -8.3204464837497;
inline constexpr double idealN2 = 6.6832105275932;
inline constexpr double idealN3 = 3.00632;
inline constexpr double idealN[5] = {0.012436, 0.97315, 1.2795, 0.96956, 0.24873};
inline constexpr double idealGamma[5] = {1.28728967, 3.53734222, 7.74073708, 9.24437796, 27.5075105};

// Critical constants and molar mass of the formulation.
inline constexpr double Tc = kWaterCritical.T;              // K
inline constexpr double rhoc = kWaterCritical.rho;          // kg/m3
inline constexpr double pc = kWaterCritical.P;              // Pa
inline constexpr double molarMass = 0.018015268;            // kg/mol
inline constexpr double Vc = 5.5948037267080745e-05;        // m3/mol, molarMass / rhoc

}  // namespace iapws95
