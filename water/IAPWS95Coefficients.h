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

#include "fluid/ReferenceTerms.h"

namespace iapws95 {

// Term i (1-based) is entry i-1. c = 0 for the terms without a damping factor,
// d = t = 0 for the non-analytic terms 55 and 56.
struct ResidualTerm {
    int c;
    int d;
    double t;
    double n;
};

inline constexpr ResidualTerm residualTerms[56] = {
    {0, 1, -0.5, 0.012533547935523},  // 1
    {0, 1, 0.875, 7.8957634722828},  // 2
    {0, 1, 1.0, -8.7803203303561},  // 3
    {0, 2, 0.5, 0.31802509345418},  // 4
    {0, 2, 0.75, -0.26145533859358},  // 5
    {0, 3, 0.375, -0.0078199751687981},  // 6
    {0, 4, 1.0, 0.0088089493102134},  // 7
    {1, 1, 4.0, -0.66856572307965},  // 8
    {1, 1, 6.0, 0.20433810950965},  // 9
    {1, 1, 12.0, -6.6212605039687e-05},  // 10
    {1, 2, 1.0, -0.19232721156002},  // 11
    {1, 2, 5.0, -0.25709043003438},  // 12
    {1, 3, 4.0, 0.16074868486251},  // 13
    {1, 4, 2.0, -0.04009282892587},  // 14
    {1, 4, 13.0, 3.9343422603254e-07},  // 15
    {1, 5, 9.0, -7.5941377088144e-06},  // 16
    {1, 7, 3.0, 0.00056250979351888},  // 17
    {1, 9, 4.0, -1.5608652257135e-05},  // 18
    {1, 10, 11.0, 1.1537996422951e-09},  // 19
    {1, 11, 4.0, 3.6582165144204e-07},  // 20
    {1, 13, 13.0, -1.3251180074668e-12},  // 21
    {1, 15, 1.0, -6.2639586912454e-10},  // 22
    {2, 1, 7.0, -0.10793600908932},  // 23
    {2, 2, 1.0, 0.017611491008752},  // 24
    {2, 2, 9.0, 0.22132295167546},  // 25
    {2, 2, 10.0, -0.40247669763528},  // 26
    {2, 3, 10.0, 0.58083399985759},  // 27
    {2, 4, 3.0, 0.0049969146990806},  // 28
    {2, 4, 7.0, -0.031358700712549},  // 29
    {2, 4, 10.0, -0.74315929710341},  // 30
    {2, 5, 10.0, 0.4780732991548},  // 31
    {2, 6, 6.0, 0.020527940895948},  // 32
    {2, 6, 10.0, -0.13636435110343},  // 33
    {2, 7, 10.0, 0.014180634400617},  // 34
    {2, 9, 1.0, 0.0083326504880713},  // 35
    {2, 9, 2.0, -0.029052336009585},  // 36
    {2, 9, 3.0, 0.038615085574206},  // 37
    {2, 9, 4.0, -0.020393486513704},  // 38
    {2, 9, 8.0, -0.0016554050063734},  // 39
    {2, 10, 6.0, 0.0019955571979541},  // 40
    {2, 10, 9.0, 0.00015870308324157},  // 41
    {2, 12, 8.0, -1.638856834253e-05},  // 42
    {3, 3, 16.0, 0.043613615723811},  // 43
    {3, 4, 22.0, 0.034994005463765},  // 44
    {3, 4, 23.0, -0.076788197844621},  // 45
    {3, 5, 23.0, 0.022446277332006},  // 46
    {4, 14, 10.0, -6.2689710414685e-05},  // 47
    {6, 3, 50.0, -5.5711118565645e-10},  // 48
    {6, 6, 44.0, -0.19905718354408},  // 49
    {6, 6, 46.0, 0.31777497330738},  // 50
    {6, 6, 50.0, -0.11841182425981},  // 51
    {0, 3, 0.0, -31.306260323435},  // 52
    {0, 3, 1.0, 31.546140237781},  // 53
    {0, 3, 4.0, -2521.3154341695},  // 54
    {0, 0, 0.0, -0.14874640856724},  // 55
    {0, 0, 0.0, 0.31806110878444},  // 56
};

// Gaussian bell-shaped terms 52 to 54.
inline constexpr double gaussAlpha[3] = {20.0, 20.0, 20.0};
inline constexpr double gaussBeta[3] = {150.0, 150.0, 250.0};
inline constexpr double gaussGamma[3] = {1.21, 1.21, 1.25};
inline constexpr double gaussEpsilon[3] = {1.0, 1.0, 1.0};

// Non-analytic terms 55 and 56.
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
inline constexpr double Tc = 647.096;                       // K
inline constexpr double rhoc = 322.0;                       // kg/m3
inline constexpr double pc = 2.2064e7;                      // Pa
inline constexpr double molarMass = 0.018015268;            // kg/mol
inline constexpr double Vc = 5.5948037267080745e-05;        // m3/mol, molarMass / rhoc

// The terms 1 to 54 in the form of the reference terms.
constexpr std::array<reference_terms::Term, 54> separableTerms()
{
    std::array<reference_terms::Term, 54> t{};
    for (int i = 0; i < 54; ++i) {
        const ResidualTerm& r = residualTerms[i];
        t[i] = {r.n, r.t, r.d, r.c};
        if (i >= 51) {
            const int k = i - 51;
            t[i].alpha = gaussAlpha[k];
            t[i].eps = gaussEpsilon[k];
            t[i].beta = gaussBeta[k];
            t[i].gamma = gaussGamma[k];
        }
    }
    return t;
}
inline constexpr std::array<reference_terms::Term, 54> kSeparableTerms = separableTerms();

}  // namespace iapws95
