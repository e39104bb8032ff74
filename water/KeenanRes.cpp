#include "water/KeenanRes.h"

#include <cmath>
#include <string>

#include "water/LeafDerivatives.h"

const double KeenanRes::coefficients[10][7] = {
    {29.492937, -5.198586, 6.8335354, -0.1564104, -6.3972405, -3.9661401, -0.69048554},
    {-132.13917, 7.7779182, -26.149751, -0.72546108, 26.409282, 15.453061, 2.7407416},
    {274.64632, -33.301902, 65.326396, -9.2734289, -47.740374, -29.14247, -5.102807},
    {-360.93828, -16.254622, -26.181978, 4.312584, 56.32313, 29.568796, 3.9636085},
    {342.18431, -177.31074, 0, 0, 0, 0, 0},
    {-244.50042, 127.48742, 0, 0, 0, 0, 0},
    {155.18535, 137.46153, 0, 0, 0, 0, 0},
    {5.9728487, 155.97836, 0, 0, 0, 0, 0},
    {-410.30848, 337.3118, -137.46618, 6.7874983, 136.87317, 79.84797, 13.041253},
    {-416.0586, -209.88866, -733.96848, 10.401717, 645.8188, 399.1757, 71.531353}};

KeenanRes::KeenanRes()
{
    leavesDependOnlyOn({{&lnrho, 1}, {&rho, 1}, {&tau, 0}});
    setModelName("KeenanRes");
    lnrho.setName("lnrho");
    rho.setName("rho");
    tau.setName("tau");
    const auto& A = coefficients;

    tmc.tie1(tau);
    tmc.set_scalars2(1.0, -tauc);
    tma.tie1(tau);
    tma.set_scalars2(1.0, -taua);
    tma2.tie1(tma);
    tma3.tie2(tma2, tma);
    tma4.tie1(tma2);
    tma5.tie2(tma4, tma);

    r1.tie1(rho);
    r1.set_scalars2(1.0, -0.634);
    r2.tie1(rho);
    r2.set_scalars2(1.0, -1.0);
    r1p2.tie1(r1);
    r2p2.tie1(r2);
    r1p3.tie2(r1p2, r1);
    r2p3.tie2(r2p2, r2);
    r1p4.tie1(r1p2);
    r2p4.tie1(r2p2);
    r1p5.tie2(r1p4, r1);
    r2p5.tie2(r2p4, r2);
    r1p6.tie1(r1p3);
    r2p6.tie1(r2p3);
    r1p7.tie2(r1p6, r1);
    r2p7.tie2(r2p6, r2);

    ex.tie1(rho);
    ex.set_scalars3(0.0, 1.0, -4.8);
    Expression* p1[7] = {&r1, &r1p2, &r1p3, &r1p4, &r1p5, &r1p6, &r1p7};
    Expression* p2[7] = {&r2, &r2p2, &r2p3, &r2p4, &r2p5, &r2p6, &r2p7};
    for (int j = 0; j < 7; ++j) {
        lin[j].tie1(rho);
        lin[j].set_scalars2(A[9][j], A[8][j]);
        exlin[j].tie2(ex, lin[j]);
        const int n = j < 2 ? 7 : 3;  // powers of (rho - rho_j)
        Expression** p = j == 0 ? p1 : p2;
        S[j].setName(("S" + std::to_string(j + 1)).c_str());
        S[j].number_of_terms(n + 1);
        for (int i = 0; i < n; ++i) {
            S[j].tiei(i, *p[i]);
            S[j].set_scalar(i, A[i + 1][j]);
        }
        S[j].tiei(n, exlin[j]);
        S[j].set_scalar(n, 1.0);
        S[j].set_scalar(n + 1, A[0][j]);
    }
    Expression* taup[5] = {&tma, &tma2, &tma3, &tma4, &tma5};
    for (int j = 0; j < 5; ++j)
        PS[j].tie2(*taup[j], S[j + 2]);
    sigma.number_of_terms(6);
    sigma.tie_(&S[1], &PS[0], &PS[1], &PS[2], &PS[3], &PS[4]);
    sigma.set_scalars_(1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 0.0);
    tmcSigma.tie2(tmc, sigma);
    Q.setName("Q");
    Q.tie2(S[0], tmcSigma);
    Q.set_scalars3(1.0, 1.0, 0.0);
    rhoQ.tie2(rho, Q);

    Sum2* root2 = new Sum2;
    root2->setName("F");
    root2->tie2(lnrho, rhoQ);
    root2->set_scalars3(1.0, 1.0, 0.0);
    root = root2;
    setDebugLink();
}

void KeenanRes::calculate_fixed_parameters()
{
    waterleaf::load(tau, 0, waterleaf::power(1000.0, T, -1.0));
}

void KeenanRes::calculate_volume_dependent_parameters()
{
    using namespace waterleaf;
    load(rho, 1, power(rho0, V, -1.0));
    Jet l = logarithm(-1.0, V);
    l.f[0] = std::log(rho0 / V);
    load(lnrho, 1, l);
}
