#include "water/Saul58.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "water/LeafDerivatives.h"

namespace {

struct Term {
    int d, t;
    double n;
};

constexpr Term kPolynomial[9] = {
    {1, 0, 0.8216377478},    {1, 2, -0.2543894379},   {2, 0, -0.08830868648},
    {5, 9, -8.903097248e-07}, {8, 0, -1.241333357e-06}, {11, 0, 2.89559028e-09},
    {11, 12, 1.403610309e-11}, {13, 7, 8.183943371e-13}, {13, 13, -2.397905287e-13}};

constexpr Term kS1[15] = {
    {1, 0, -0.7519743341},   {1, 1, -0.4151278588},  {1, 3, -1.03051374},     {2, 1, -1.648036888},
    {2, 5, -0.4686350251},   {3, 5, 0.3560258142},  {4, 2, -0.6364658294},   {4, 3, 0.2227482363},
    {4, 5, -0.08954849939},  {5, 6, 0.001557686788}, {6, 4, 0.001347719088}, {7, 1, -0.001301353385},
    {8, 8, 9.987368673e-07}, {9, 0, 0.0002263629476}, {11, 1, 2.89330495e-06}};

constexpr Term kS2[20] = {
    {1, 0, 0.1995437169},     {1, 9, -0.02707767662},    {1, 10, 0.01849068216},   {1, 11, -0.004402394357},
    {2, 0, -0.08546876737},   {2, 8, 0.1220538576},      {4, 5, -0.2562237041},   {5, 4, 0.2555034636},
    {6, 2, -0.06323203907},   {6, 12, 3.351397575e-05},  {7, 3, -0.06152834985},   {7, 10, -0.0003533048208},
    {8, 3, 0.03146309259},    {10, 2, -0.002261795983},  {10, 8, 0.00018689702},   {11, 0, -0.001384614556},
    {11, 1, 0.002713160073},  {11, 3, -0.004866118539},  {11, 4, 0.003751789129},  {11, 6, -0.0005692669373}};

constexpr Term kS3[10] = {
    {2, 13, -0.5876414555},  {2, 14, 0.5687838346}, {2, 15, -0.1642158198},  {3, 14, 0.5878635885},
    {3, 16, -0.2844301931}, {4, 13, -0.2049198337}, {4, 26, -0.00403923371}, {5, 15, 0.05459049594},
    {5, 23, -0.008914260146}, {5, 25, 0.004974411254}};

constexpr Term kS4[4] = {{1, 50, -0.00709318338}, {2, 40, 0.01718796342}, {3, 32, -0.01482653038},
                         {4, 26, 0.004517292884}};

constexpr int kDeltaPowers[9] = {4, 5, 6, 7, 8, 9, 10, 11, 13};
constexpr int kTauPowers[19] = {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 23, 25, 26, 32, 40, 50};

}  // namespace

Expression* Saul58::deltaPower(int d)
{
    if (d == 1) return &delta;
    if (d == 2) return &delta2;
    if (d == 3) return &delta3;
    for (int i = 0; i < 9; ++i)
        if (kDeltaPowers[i] == d) return &deltaP[i];
    return nullptr;
}

Expression* Saul58::tauPower(int t)
{
    if (t == 1) return &tau;
    if (t == 2) return &tau2;
    if (t == 3) return &tau3;
    for (int i = 0; i < 19; ++i)
        if (kTauPowers[i] == t) return &tauP[i];
    return nullptr;
}

Saul58::Saul58()
{
    leavesDependOnlyOn({{&mlnV, 1}, {&delta, 1}, {&tau, 0}});
    setModelName("Saul58");
    Sum* A = new Sum;
    root = A;
    A->number_of_terms(14);
    setDebugLink();

    // Powers of delta and tau.
    delta2.tie1(delta);
    delta3.tie1(delta);
    for (int i = 0; i < 9; ++i) {
        deltaP[i].tie1(delta);
        deltaP[i].set_scalars3(1.0, kDeltaPowers[i], 0.0);
    }
    tau2.tie1(tau);
    tau3.tie1(tau);
    for (int i = 0; i < 19; ++i) {
        tauP[i].tie1(tau);
        tauP[i].set_scalars3(1.0, kTauPowers[i], 0.0);
    }
    e1.tie1(delta);
    e1.set_scalars3(0.0, 1.0, -1.0);
    e2.tie1(delta2);
    e2.set_scalars3(0.0, 1.0, -1.0);
    e3.tie1(delta3);
    e3.set_scalars3(0.0, 1.0, -1.0);
    e6a.tie1(*deltaPower(6));
    e6a.set_scalars3(0.0, 1.0, -0.4);
    e6b.tie1(*deltaPower(6));
    e6b.set_scalars3(1.0, -1.0, -1.6);
    g.tie2(e6a, e6b);
    g.set_scalars1(1.0);

    // delta^d tau^t: one product per pair, shared between the sums.
    std::pair<int, int> made[46];
    int nprod = 0;
    auto term = [&](const Term& k) -> Expression* {
        if (k.t == 0) return deltaPower(k.d);
        for (int i = 0; i < nprod; ++i)
            if (made[i] == std::make_pair(k.d, k.t)) return &prod[i];
        prod[nprod].tie2(*deltaPower(k.d), *tauPower(k.t));
        prod[nprod].set_scalars1(1.0);
        made[nprod] = {k.d, k.t};
        return &prod[nprod++];
    };
    auto fill = [&](Sum& s, const Term* ks, int n) {
        s.number_of_terms(n);
        for (int i = 0; i < n; ++i) {
            s.tiei(i, *term(ks[i]));
            s.set_scalar(i, ks[i].n);
        }
        s.set_scalar(n, 0.0);
    };
    A->tiei(0, mlnV);
    A->set_scalar(0, 1.0);
    for (int i = 0; i < 9; ++i) {
        A->tiei(1 + i, *term(kPolynomial[i]));
        A->set_scalar(1 + i, kPolynomial[i].n);
    }
    fill(S1, kS1, 15);
    fill(S2, kS2, 20);
    fill(S3, kS3, 10);
    fill(S4, kS4, 4);
    eS1.tie2(e1, S1);
    eS2.tie2(e2, S2);
    eS3.tie2(e3, S3);
    gS4.tie2(g, S4);
    Expression* damped[4] = {&eS1, &eS2, &eS3, &gS4};
    for (int i = 0; i < 4; ++i) {
        A->tiei(10 + i, *damped[i]);
        A->set_scalar(10 + i, 1.0);
    }
    A->set_scalar(14, 0.0);
    root->check_pointers(stdout);
}

void Saul58::calculate_fixed_parameters()
{
    waterleaf::load(tau, 0, waterleaf::power(Tc, T, -1.0));
}

void Saul58::calculate_volume_dependent_parameters()
{
    using namespace waterleaf;
    Jet l = logarithm(-1.0, V);
    load(mlnV, 1, l);
    load(delta, 1, power(Vc, V, -1.0));
}
