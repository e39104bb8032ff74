#include "water/HGKres.h"

#include <string>

#include "water/LeafDerivatives.h"

using waterleaf::link;

const double HGKres::_GG[40] = {
    -530.62968529023, 2274.4901424408,  787.79333020687,  -69.830527374994, 17863.832875422,
    -39514.731563338, 33803.884280753,  -13855.050202703, -256374.3661326,  482125.75981415,
    -341830.1696966,  122231.56417448,  1179743.3655832,  -2173481.0110373, 1082995.216862,
    -254419.98064049, -3137777.4947767, 5291191.0757704,  -1380257.7177877, -251099.14369001,
    4656182.6115608,  -7275277.3275387, 417742.46148294,  1401635.8244614,  -3155523.1392127,
    4792966.6384584,  409126.64781209,  -1362636.9388386, 696252.20862664,  -1083490.0096447,
    -227228.27401688, 383654.8600066,   6883.3257944332,  21757.245522644,  -2662.794482977,
    -70730.418082074, -0.225,           -1.68,            0.055,            -93.0};

const int HGKres::_kk[40] = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5,
                             6, 6, 6, 6, 7, 7, 7, 7, 9, 9, 9, 9, 3, 3, 1, 5, 0, 0, 0, 0};

const int HGKres::_ll[36] = {1, 2, 4, 6, 1, 2, 4, 6, 1, 2, 4, 6, 1, 2, 4, 6, 1, 2,
                             4, 6, 1, 2, 4, 6, 1, 2, 4, 6, 1, 2, 4, 6, 0, 3, 3, 3};

namespace {

constexpr double kR = 8.31434;          // J/(mol K)
constexpr double kM = 18.015268;        // g/mol, as in the base function
constexpr double kRho = kM * 1e-6;       // rho (g/cm3) = kRho / V (m3/mol)
constexpr double kDelta37 = kRho / 0.319;
constexpr double kDelta40 = kRho / 1.55;
// (T0/T)^n = c_n / T^n with the T0 = 647.073 K of the base function.
constexpr double kC1 = 647.073, kC2 = kC1 * kC1, kC3 = kC2 * kC1, kC4 = kC2 * kC2, kC6 = kC4 * kC2;

}  // namespace

Expression* HGKres::densityPower(int k)
{
    switch (k) {
    case 1: return &K1;
    case 2: return &K2;
    case 3: return &K3;
    case 4: return &K4;
    case 5: return &K5;
    case 6: return &K6;
    case 7: return &K7;
    case 9: return &K9;
    default: return nullptr;
    }
}

Leaf* HGKres::temperaturePower(int l)
{
    switch (l) {
    case 1: return &L1;
    case 2: return &L2;
    case 3: return &L3;
    case 4: return &L4;
    case 6: return &L6;
    default: return nullptr;
    }
}

HGKres::HGKres() : WaterResidualTerm(1)
{
    leavesDependOnlyOn({{&kro, 1}, {&delta37, 1}, {&delta40, 1}, {&L1, 0}, {&L2, 0}, {&L3, 0}, {&L4, 0}, {&L6, 0},
                        {&tau37, 0}, {&tau39, 0}, {&tau40, 0}});
    setModelName("HGKres");
    Product* A = new Product;
    A->setName("A");
    A->tie2(A0, A1);
    A->set_scalars1(1.0);
    root = A;

    A1.setName("A1");
    A1.number_of_terms(40);

    A0.setName("A0");
    kro.setName("kro");
    L1.setName("L1");
    L2.setName("L2");
    L3.setName("L3");
    L4.setName("L4");
    L6.setName("L6");
    tau37.setName("tau37");
    tau39.setName("tau39");
    tau40.setName("tau40");
    delta37.setName("delta37");
    delta40.setName("delta40");

    link(K1, "K1", kro);
    K1.set_scalars3(1.0, -1.0, -1.0);
    link(K2, "K2", K1);
    link(K3, "K3", K1);
    link(K4, "K4", K3, K1);
    link(K5, "K5", K4, K1);
    link(K6, "K6", K5, K1);
    link(K7, "K7", K5, K2);
    link(K9, "K9", K7, K2);

    for (int i = 0; i < 36; ++i) {
        if (_ll[i] == 0) {
            A1.tiei(i, *densityPower(_kk[i]));
            continue;
        }
        link(Bp[i], ("B" + std::to_string(i + 1)).c_str(), *densityPower(_kk[i]), *temperaturePower(_ll[i]));
        Bp[i].set_scalars1(1.0);
        A1.tiei(i, Bp[i]);
    }

    link(tau237, "tau237", tau37);
    link(tau239, "tau239", tau39);
    link(tau240, "tau240", tau40);
    link(delta237, "delta237", delta37);
    link(delta240, "delta240", delta40);
    link(delta440, "delta440", delta240);
    link(u37, "u37", delta237, tau237);
    u37.set_scalars3(-34.0, -20000.0, 0.0);
    link(u38, "u38", delta237, tau237);
    u38.set_scalars3(-40.0, -20000.0, 0.0);
    link(u39, "u39", delta237, tau239);
    u39.set_scalars3(-30.0, -40000.0, 0.0);
    link(u40, "u40", delta440, tau240);
    u40.set_scalars3(-1050.0, -25.0, 0.0);
    link(B37, "B37", u37);
    link(e38, "e38", u38);
    link(B39, "B39", u39);
    link(B40, "B40", u40);
    for (Exponential* e : {&B37, &e38, &B39, &B40})
        e->set_scalars3(0.0, 1.0, 1.0);
    link(B38, "B38", delta237, e38);
    B38.set_scalars1(1.0);
    A1.tiei(36, B37);
    A1.tiei(37, B38);
    A1.tiei(38, B39);
    A1.tiei(39, B40);

    for (int i = 0; i < 36; ++i)
        A1.set_scalar(i, kM * _GG[i] / _kk[i]);
    for (int i = 36; i < 40; ++i)
        A1.set_scalar(i, kM * _GG[i]);
    A1.set_scalar(40, 0.0);
    setDebugLink();
}

void HGKres::calculate_fixed_parameters()
{
    using namespace waterleaf;
    load(A0, 0, power(1.0 / kR, T, -1.0));
    load(L1, 0, power(kC1, T, -1.0));
    load(L2, 0, power(kC2, T, -2.0));
    load(L3, 0, power(kC3, T, -3.0));
    load(L4, 0, power(kC4, T, -4.0));
    load(L6, 0, power(kC6, T, -6.0));
    const double Ti[3] = {640.0, 641.6, 270.0};
    Leaf* taus[3] = {&tau37, &tau39, &tau40};
    for (int i = 0; i < 3; ++i) {
        Jet j;
        j.f[0] = T / Ti[i] - 1.0;
        j.f[1] = 1.0 / Ti[i];
        load(*taus[i], 0, j);
    }
}

void HGKres::calculate_volume_dependent_parameters()
{
    using namespace waterleaf;
    load(kro, 1, power(kRho, V, -1.0));
    Jet d37 = power(kDelta37, V, -1.0);
    d37.f[0] -= 1.0;
    load(delta37, 1, d37);
    Jet d40 = power(kDelta40, V, -1.0);
    d40.f[0] -= 1.0;
    load(delta40, 1, d40);
}
