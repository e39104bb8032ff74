#include "families/duan/Duan2.h"
#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdio>
#include <initializer_list>

namespace {

// Value and first to fourth T-derivatives of c0 + c2 (Tc/T)^2 + c3 (Tc/T)^3
// into a leaf of temperature.
void loadBracket(Leaf& l, double T, double Tc, double c0, double c2, double c3)
{
    const double Tc2 = Tc * Tc, Tc3 = Tc2 * Tc;
    const double iT = 1.0 / T;
    const double iT2 = iT * iT, iT3 = iT2 * iT, iT4 = iT3 * iT, iT5 = iT4 * iT, iT6 = iT5 * iT, iT7 = iT6 * iT;
    l.value = c0 + c2 * Tc2 * iT2 + c3 * Tc3 * iT3;
    if (!l.d1) return;
    l.d1[0] = -2.0 * c2 * Tc2 * iT3 - 3.0 * c3 * Tc3 * iT4;
    l.d2[0][0] = 6.0 * c2 * Tc2 * iT4 + 12.0 * c3 * Tc3 * iT5;
    l.d3[0][0][0] = -24.0 * c2 * Tc2 * iT5 - 60.0 * c3 * Tc3 * iT6;
    l.d4[0][0][0][0] = 120.0 * c2 * Tc2 * iT6 + 360.0 * c3 * Tc3 * iT7;
}

void clearFlags(Leaf& l, std::initializer_list<int> vars)
{
    for (int v : vars)
        if (v < static_cast<int>(l.flags.size())) l.flags[v] = 0;
}

}  // namespace

// The names of the pure-fluid coefficient leaves, the mole-fraction powers
// and the interaction parameters.
void Duan2::nameLeaves()
{
    char buf[32];
    const char* names[7] = {"B", "C", "D", "E", "F", "gamma", "beta"};
    Leaf* per[7] = {Bi, Ci, Di, Ei, Fi, gami, beti};
    for (int k = 0; k < 7; ++k)
        for (int i = 0; i < 2; ++i) {
            std::snprintf(buf, sizeof buf, "%s%d", names[k], i + 1);
            per[k][i].setName(buf);
        }
    for (int m = 0; m < 7; ++m) {
        std::snprintf(buf, sizeof buf, "x1^%dx2^%d", 6 - m, m);
        x6[m].setName(buf);
    }
    k1.setName("k1");
    k2.setName("k2");
    k3.setName("k3");
}

// Combining nodes: cube-root means of the pure fluids' coefficients, a
// coefficient repeated to weight it.
void Duan2::tieCombiningNodes()
{
    char buf[32];
    MB.number_of_terms(2);
    MB.tie_(&Bi[0], &Bi[1]);
    MC112.number_of_terms(3);
    MC112.tie_(&Ci[0], &Ci[0], &Ci[1]);
    MC122.number_of_terms(3);
    MC122.tie_(&Ci[0], &Ci[1], &Ci[1]);
    for (int k = 0; k < 4; ++k) {  // D1 four minus k times, D2 k plus one times
        MD[k].number_of_terms(5);
        for (int t = 0; t < 5; ++t) MD[k].tieip(t, t < 4 - k ? &Di[0] : &Di[1]);
    }
    for (int k = 0; k < 5; ++k) {
        ME[k].number_of_terms(6);
        for (int t = 0; t < 6; ++t) ME[k].tieip(t, t < 5 - k ? &Ei[0] : &Ei[1]);
    }
    MF.number_of_terms(2);
    MF.tie_(&Fi[0], &Fi[1]);
    Mg112.number_of_terms(3);
    Mg112.tie_(&gami[0], &gami[0], &gami[1]);
    Mg122.number_of_terms(3);
    Mg122.tie_(&gami[0], &gami[1], &gami[1]);
    setCombiningScalars();
    MB.setName("MB12");
    MC112.setName("MC112");
    MC122.setName("MC122");
    MF.setName("MF12");
    Mg112.setName("Mg112");
    Mg122.setName("Mg122");
    for (int k = 0; k < 4; ++k) {
        std::snprintf(buf, sizeof buf, "MD%d", k + 1);
        MD[k].setName(buf);
    }
    for (int k = 0; k < 5; ++k) {
        std::snprintf(buf, sizeof buf, "ME%d", k + 1);
        ME[k].setName(buf);
    }
}

// Duan, Moller & Weare (1992): k1 on the mixed second virial coefficient,
// k2 on every mixed third one, k3 on every mixed gamma.
void Duan2::tieInteractionFactors()
{
    kB.tie2(k1, MB);
    kC112.tie2(k2, MC112);
    kC122.tie2(k2, MC122);
    kg112.tie2(k3, Mg112);
    kg122.tie2(k3, Mg122);
    kB.setName("k1MB12");
    kC112.setName("k2MC112");
    kC122.setName("k2MC122");
    kg112.setName("k3Mg112");
    kg122.setName("k3Mg122");
}

// Scale nodes: each term of the mixing sums, and the E sum's terms weighted
// by their mole-fraction powers.
void Duan2::tieScaleNodes()
{
    char buf[32];
    sB[0].tie1(Bi[0]);
    sB[1].tie1(kB);
    sB[2].tie1(Bi[1]);
    sC[0].tie1(Ci[0]);
    sC[1].tie1(kC112);
    sC[2].tie1(kC122);
    sC[3].tie1(Ci[1]);
    sD[0].tie1(Di[0]);
    for (int k = 0; k < 4; ++k) sD[k + 1].tie1(MD[k]);
    sD[5].tie1(Di[1]);
    sE[0].tie1(Ei[0]);
    for (int k = 0; k < 5; ++k) sE[k + 1].tie1(ME[k]);
    sE[6].tie1(Ei[1]);
    sF[0].tie1(Fi[0]);
    sF[1].tie1(MF);
    sF[2].tie1(Fi[1]);
    sg[0].tie1(gami[0]);
    sg[1].tie1(kg112);
    sg[2].tie1(kg122);
    sg[3].tie1(gami[1]);
    struct Group {
        Sum1* s;
        int n;
        const char* name;
    };
    for (const Group& g : {Group{sB, 3, "sB"}, Group{sC, 4, "sC"}, Group{sD, 6, "sD"}, Group{sE, 7, "sE"},
                           Group{sF, 3, "sF"}, Group{sg, 4, "sg"}})
        for (int k = 0; k < g.n; ++k) {
            g.s[k].set_scalars2(1.0, 0.0);
            std::snprintf(buf, sizeof buf, "%s%d", g.name, k);
            g.s[k].setName(buf);
        }
    for (int m = 0; m < 7; ++m) {
        pE[m].tie2(x6[m], sE[m]);
        std::snprintf(buf, sizeof buf, "pE%d", m);
        pE[m].setName(buf);
    }
}

// Coefficient nodes: mixing sums over the two mole fractions (variables 2 and 3).
void Duan2::tieMixingSums()
{
    Bsum = new SumX2();
    Bsum->defineXVariables(2, 2);
    Bsum->tie_ij(0, 0, &sB[0]);
    Bsum->tie_ij(1, 0, &sB[1]);
    Bsum->tie_ij(1, 1, &sB[2]);
    Csum = new SumX3();
    Csum->defineXVariables(2, 2);
    Csum->tie_ijk(0, 0, 0, &sC[0]);
    Csum->tie_ijk(1, 0, 0, &sC[1]);
    Csum->tie_ijk(1, 1, 0, &sC[2]);
    Csum->tie_ijk(1, 1, 1, &sC[3]);
    Dsum = new SumX5();
    Dsum->defineXVariables(2, 2);
    Dsum->tie_ijklm(0, 0, 0, 0, 0, &sD[0]);
    Dsum->tie_ijklm(1, 0, 0, 0, 0, &sD[1]);
    Dsum->tie_ijklm(1, 1, 0, 0, 0, &sD[2]);
    Dsum->tie_ijklm(1, 1, 1, 0, 0, &sD[3]);
    Dsum->tie_ijklm(1, 1, 1, 1, 0, &sD[4]);
    Dsum->tie_ijklm(1, 1, 1, 1, 1, &sD[5]);
    Esum = new Sum();
    Esum->number_of_terms(7);
    Esum->tie_(&pE[0], &pE[1], &pE[2], &pE[3], &pE[4], &pE[5], &pE[6]);
    Esum->set_scalars_(1.0, 6.0, 15.0, 20.0, 15.0, 6.0, 1.0, 0.0);
    Fsum = new SumX2();
    Fsum->defineXVariables(2, 2);
    Fsum->tie_ij(0, 0, &sF[0]);
    Fsum->tie_ij(1, 0, &sF[1]);
    Fsum->tie_ij(1, 1, &sF[2]);
    gsum = new SumX3();
    gsum->defineXVariables(2, 2);
    gsum->tie_ijk(0, 0, 0, &sg[0]);
    gsum->tie_ijk(1, 0, 0, &sg[1]);
    gsum->tie_ijk(1, 1, 0, &sg[2]);
    gsum->tie_ijk(1, 1, 1, &sg[3]);
    beta1Leaf = new Leaf();
}

Duan2::Duan2()
{
    setModelName("Duan2");
    nameLeaves();
    tieCombiningNodes();
    tieInteractionFactors();
    tieScaleNodes();
    tieMixingSums();

    Bd = Bsum;
    Cd = Csum;
    Dd = Dsum;
    Ed = Esum;
    Fd = Fsum;
    gama = gsum;
    beta1 = beta1Leaf;
    build_parse_graph();
}

Duan2::~Duan2()
{
    // The coefficient nodes link member nodes of this class: they go first.
    releaseTree();
    Bsum = Fsum = nullptr;
    Csum = gsum = nullptr;
    Dsum = nullptr;
    Esum = nullptr;
    beta1Leaf = nullptr;
}

void Duan2::setCombiningScalars()
{
    for (Geom* g : {&MB, &MC112, &MC122, &MF, &Mg112, &Mg122}) g->set_scalars3(1.0, 1.0 / 3.0, 0.0);
    for (Geom& g : MD) g.set_scalars3(1.0, 1.0 / 3.0, 0.0);
    for (Geom& g : ME) g.set_scalars3(1.0, 1.0 / 3.0, 0.0);
}

void Duan2::number_of_components(int n)
{
    if (n == 2)
        for (SumF* s : {static_cast<SumF*>(Bsum), static_cast<SumF*>(Csum), static_cast<SumF*>(Dsum),
                        static_cast<SumF*>(Fsum), static_cast<SumF*>(gsum)})
            s->starting_index(2);
    sizeDuanTerm(n, 2);
    x6Kept_ = {};
}

void Duan2::specify_dependencies()
{
    // Variables: 0 T, 1 V, 2 x1, 3 x2.
    for (Leaf* group : {Bi, Ci, Di, Ei, Fi, gami})
        for (int i = 0; i < 2; ++i) clearFlags(group[i], {1, 2, 3});
    for (int i = 0; i < 2; ++i) clearFlags(beti[i], {0, 1, 2, 3});
    for (int m = 0; m < 7; ++m) clearFlags(x6[m], {0, 1});
    clearFlags(x6[0], {3});
    clearFlags(x6[6], {2});
    clearFlags(*beta1Leaf, {0, 1});
}

void Duan2::set_parameters(int i, double Tc_, double Pc_bar, const double* a)
{
    if (i < 0 || i > 1) return;
    ++parameterVersion_;
    Tc[i] = Tc_;
    Pc[i] = Pc_bar * 100000.0;
    if (a)
        for (int k = 0; k < 15; ++k) par[i][k] = a[k];
    Vc[i] = R * Tc[i] / Pc[i];
    if (i == component_count - 1) {
        calculate_pseudo_critical_volumes();
        setScaleFactors();
        setCombiningScalars();
    }
}

void Duan2::calculate_pseudo_critical_volumes()
{
    const double c1 = std::cbrt(Vc[0]), c2 = std::cbrt(Vc[1]);
    auto mean = [&](int n1, int n2) {
        const double m = (n1 * c1 + n2 * c2) / (n1 + n2);
        return m * m * m;
    };
    Vpc[0] = mean(1, 1);
    Vpc[1] = mean(2, 1);
    Vpc[2] = mean(1, 2);
    Vpc[3] = mean(4, 1);
    Vpc[4] = mean(3, 2);
    Vpc[5] = mean(2, 3);
    Vpc[6] = mean(1, 4);
    Vpc[7] = mean(5, 1);
    Vpc[8] = mean(4, 2);
    Vpc[9] = mean(3, 3);
    Vpc[10] = mean(2, 4);
    Vpc[11] = mean(1, 5);
}

void Duan2::setScaleFactors()
{
    auto sq = [](double v) { return v * v; };
    auto p4 = [&](double v) { return sq(sq(v)); };
    auto p5 = [&](double v) { return p4(v) * v; };
    const double V1 = Vc[0], V2 = Vc[1];
    const double sBv[3] = {V1, Vpc[0], V2};
    const double sCv[4] = {sq(V1), sq(Vpc[1]), sq(Vpc[2]), sq(V2)};
    const double sDv[6] = {p4(V1), p4(Vpc[3]), p4(Vpc[4]), p4(Vpc[5]), p4(Vpc[6]), p4(V2)};
    const double sEv[7] = {p5(V1), p5(Vpc[7]), p5(Vpc[8]), p5(Vpc[9]), p5(Vpc[10]), p5(Vpc[11]), p5(V2)};
    const double sFv[3] = {sq(V1), sq(Vpc[0]), sq(V2)};
    for (int k = 0; k < 3; ++k) sB[k].set_scalars2(sBv[k], 0.0);
    for (int k = 0; k < 4; ++k) sC[k].set_scalars2(sCv[k], 0.0);
    for (int k = 0; k < 6; ++k) sD[k].set_scalars2(sDv[k], 0.0);
    for (int k = 0; k < 7; ++k) sE[k].set_scalars2(sEv[k], 0.0);
    for (int k = 0; k < 3; ++k) sF[k].set_scalars2(sFv[k], 0.0);
    for (int k = 0; k < 4; ++k) sg[k].set_scalars2(sCv[k], 0.0);
}

void Duan2::calculate_virial_coefficients(int i)
{
    const double* a = par[i];
    const double t = T, tc = Tc[i];
    loadBracket(Bi[i], t, tc, a[0], a[1], a[2]);
    loadBracket(Ci[i], t, tc, a[3], a[4], a[5]);
    loadBracket(Di[i], t, tc, a[6], a[7], a[8]);
    loadBracket(Ei[i], t, tc, a[9], a[10], a[11]);
    loadBracket(Fi[i], t, tc, 0.0, 0.0, a[12]);
    gami[i].value = a[14];
    beti[i].value = a[13];
}

void Duan2::calculate_volume_dependent_parameters()
{
    loadPendingMonomials();
    Duan::calculate_volume_dependent_parameters();
}

void Duan2::calculate_high_order_parameters()
{
    loadPendingMonomials();
    Duan::calculate_high_order_parameters();
}

void Duan2::loadPendingMonomials()
{
    if (!x6Pending_.pending) return;
    x6Pending_.pending = false;
    calculate_x6_derivatives(x6Pending_.x1, x6Pending_.x2);
}

void Duan2::calculate_x6_derivatives(double x1, double x2)
{
    // The leaves, written by this stage alone, hold the composition they
    // were last loaded with (and the storage they were loaded into).
    if (x6Kept_.storage && x6Kept_.storage == x6[0].d1 && x6Kept_.x1 == x1 && x6Kept_.x2 == x2) return;
    x6Kept_ = {x6[0].d1, x1, x2};
    // Variables 2 (x1) and 3 (x2); a derivative with n1 x1's and n2 x2's of
    // x1^p x2^q is p!/(p-n1)! x1^(p-n1) q!/(q-n2)! x2^(q-n2): n (n - 1) ..
    // (n - k + 1) times x^(n - k), the powers taken once.
    double pw1[7], pw2[7];
    for (int e = 0; e <= 6; ++e) {
        pw1[e] = std::pow(x1, e);
        pw2[e] = std::pow(x2, e);
    }
    auto falling = [](int n, int k, const double* pw) {
        if (k > n) return 0.0;
        double f = 1.0;
        for (int i = 0; i < k; ++i) f *= (n - i);
        return f * pw[n - k];
    };
    auto D = [&](int p, int q, int n1, int n2) { return falling(p, n1, pw1) * falling(q, n2, pw2); };
    for (int m = 0; m < 7; ++m) {
        Leaf& l = x6[m];
        const int p = 6 - m, q = m;
        l.value = D(p, q, 0, 0);
        if (!l.d1) continue;
        // Sorted indices, largest first: n2 threes then n1 twos.
        for (int i = 2; i <= 3; ++i) l.d1[i] = D(p, q, i == 2, i == 3);
        for (int i = 2; i <= 3; ++i)
            for (int j = 2; j <= i; ++j) l.d2[i][j] = D(p, q, (i == 2) + (j == 2), (i == 3) + (j == 3));
        for (int i = 2; i <= 3; ++i)
            for (int j = 2; j <= i; ++j)
                for (int k = 2; k <= j; ++k)
                    l.d3[i][j][k] = D(p, q, (i == 2) + (j == 2) + (k == 2), (i == 3) + (j == 3) + (k == 3));
        for (int i = 2; i <= 3; ++i)
            for (int j = 2; j <= i; ++j)
                for (int k = 2; k <= j; ++k)
                    for (int n = 2; n <= k; ++n)
                        l.d4[i][j][k][n] = D(p, q, (i == 2) + (j == 2) + (k == 2) + (n == 2),
                                             (i == 3) + (j == 3) + (k == 3) + (n == 3));
    }
}

bool Duan2::set_interaction_parameters(double t)
{
    switch (pairType) {
    case kCO2H2O: {
        // Outside 323.15-1273.15 K the pair has no parameters: the nearest
        // range is loaded (so that the nodes hold defined values); from the
        // fluids' 273.15 K to 323.15 K the first row is extrapolated (the
        // mixture's range says so once), elsewhere the caller flags the state.
        const bool inRange = t >= 273.15 && t <= 1273.15;
        if (std::isnan(t)) return false;
        if (t <= 373.15) {
            k1.setCoefficients(0.20611, 0.0006);
            k2.setCoefficients(0.8023278, -0.0022206, 0.0, 184.76824);
            k3.setCoefficients(1.80544, -0.0032605);
        } else if (t <= 495.15) {
            k1.setCoefficients(-10084.5042, -4.27134485, 0.00166997474, 256477.783, 1816.78);
            k2.setCoefficients(9.000263, -0.00623494, 0.0, -2307.7125);
            k3.setCoefficients(-74.1163, 0.1800496, -0.000140904946, 10130.5246);
        } else if (t <= 623.15) {
            k1.setCoefficients(-0.3568, 0.00078888, 0.0, 333.399);
            k2.setCoefficients(-19.97444, 0.0192515, 0.0, 5707.4229);
            k3.setCoefficients(12.1308, -0.0099489, 0.0, -3042.09583);
        } else {
            k1.setCoefficients(-4.53122, 0.0042113, 0.0, 1619.7);
            k2.setCoefficients(-163.4855, 0.190552, -7.228514e-05, 46082.885);
            k3.setCoefficients(1.7137, -0.00067136);
        }
        return inRange;
    }
    case kCH4H2O:
        // Below 311.15 K and above 1273.15 K the nearest range's parameters
        // are used, so that a state does not depend on the states before it.
        if (std::isnan(t)) return true;
        if (t < 363.15) {
            k1.setCoefficients(-0.108948, 0.00035);
            k2.setCoefficients(72992.5023, 41.0912234, -0.020488391, -1532639.28, -13739.4496);
            k3.setCoefficients(16.6726, -0.0215979, 0.0, -2845.934);
        } else if (t < 513.15) {
            k1.setCoefficients(-0.108948, 0.00035);
            k2.setCoefficients(-36.3512, 0.08256278, -6.175e-05, 5515.0249);
            k3.setCoefficients(0.5038515, 0.00102381);
        } else if (!plainRow) {
            k1.setCoefficients(42.1575, -0.05);
            k2.setCoefficients(1.0);
            k3.setCoefficients(1.0);
        } else {
            k1.setCoefficients(1.0);
            k2.setCoefficients(1.0);
            k3.setCoefficients(1.0);
        }
        return true;
    case kCH4CO2:
        if (t >= 273.15 && t <= 305.15) {
            k1.setCoefficients(0.38);
            k2.setCoefficients(1.74094, -0.0058903);
            k3.setCoefficients(1.59);
        } else if (t > 305.15 && t <= 498.15 && !plainRow) {
            k1.setCoefficients(1.1);
            k2.setCoefficients(3.211, -0.00158, 0.0, -537.814);
            k3.setCoefficients(-0.7);
        } else {
            k1.setCoefficients(1.0);
            k2.setCoefficients(1.0);
            k3.setCoefficients(1.0);
        }
        return true;
    default:
        k1.setCoefficients(1.0);
        k2.setCoefficients(1.0);
        k3.setCoefficients(1.0);
        return true;
    }
}

bool Duan2::refuseMixture()
{
    if (!refuseMixtures || !(x.size() > 1 && x[0] > 0.0 && x[1] > 0.0)) return false;
    // The CH4-CO2 row's k3 makes gamma negative near x = 0.5, the CH4-H2O
    // row sets the Henry constant of CH4 in water: their states are given
    // only where a caller says the rows' effect on them
    // (FluidPhase::untracedInteractionHolds).
    int row;
    if (pairType == kCH4CO2 && T > 305.15 && T <= 498.15 && !plainRow && !admitUntracedRow)
        row = 0;
    else if (pairType == kCH4H2O && T >= 513.15 && !plainRow && !admitUntracedRow)
        row = 1;
    else
        return false;
    // Said by every call that meets it, once in its many states (a curve's),
    // and again after a caller that kept its messages to itself (a trial
    // state's search), so that a refusal names its reason.
    if (platform::firstInCall(row == 0 ? "Duan EOS untraced CH4-CO2 row" : "Duan EOS untraced CH4-H2O row")) {
        if (row == 0)
            platform::diagf("Duan EOS: no state of a CH4-CO2 mixture above 305.15 K and up to 498.15 K: the k3 = "
                            "-0.7 of its interaction row there, which makes the mixture's gamma negative near x = "
                            "0.5, could not be traced to Duan, Moller & Weare (1992)\n");
        else
            platform::diagf("Duan EOS: no state of a CH4-H2O mixture at or above 513.15 K: its interaction row "
                            "there (k1 = 42.1575 - 0.05 T, k2 = k3 = 1) could not be traced to Duan, Moller & Weare "
                            "(1992); with it the Henry constant of CH4 in liquid water lies 1e-6 to 0.3 times "
                            "IAPWS G7-04\n");
    }
    return true;
}

double Duan2::cubeRootPoleShare(double t, double v, double x1, double x2, int& component, char& coefficient,
                                double* poleTemperature) const
{
    component = -1;
    coefficient = ' ';
    if (poleTemperature) *poleTemperature = std::nan("");
    if (!(x1 > 0.0) || !(x2 > 0.0) || !(t > 0.0) || !(v > 0.0) || !(Vpc[0] > 0.0)) return 0.0;
    // The coefficients' brackets c0 + c2 (Tc/T)^2 + c3 (Tc/T)^3 and the
    // power n of the reduced density each enters the reduced Helmholtz
    // energy with, a = B/Vr + C/(2 Vr^2) + D/(4 Vr^4) + E/(5 Vr^5) + (about)
    // F/(2 Vr^2).
    struct Bracket {
        int c0, c2, c3;  // indices into par; -1 for a zero coefficient
        int n;
        char name;
    };
    const Bracket groups[] = {
        {0, 1, 2, 1, 'B'}, {3, 4, 5, 2, 'C'}, {6, 7, 8, 4, 'D'}, {9, 10, 11, 5, 'E'}, {-1, -1, 12, 2, 'F'}};
    const double rho = Vpc[0] / v;  // the reduced density of the pair's mean critical volume
    double worst = 0.0;
    auto coef = [&](int k, int idx) { return idx < 0 ? 0.0 : par[k][idx]; };
    // The bracket of component i at temperature T.
    auto bracket = [&](const Bracket& g, int i, double T) {
        const double r = Tc[i] / T;
        return coef(i, g.c0) + coef(i, g.c2) * r * r + coef(i, g.c3) * r * r * r;
    };
    struct Share {
        const Bracket* g;
        int i;
        double share;
    };
    Share shares[10] = {};
    int counted = 0;
    for (const Bracket& g : groups) {
        for (int i = 0; i < 2; ++i) {
            const int j = 1 - i;
            const double ri = Tc[i] / t, rj = Tc[j] / t;
            const double a2 = coef(i, g.c2) * ri * ri, a3 = coef(i, g.c3) * ri * ri * ri;
            const double Q = bracket(g, i, t);
            const double dQ = (-2.0 * a2 - 3.0 * a3) / t;
            // The other component's coefficient at the size of its terms (it
            // may pass through zero itself).
            const double size = std::fabs(coef(j, g.c0)) + std::fabs(coef(j, g.c2)) * rj * rj +
                                std::fabs(coef(j, g.c3)) * rj * rj * rj;
            if (!(size > 0.0) || dQ == 0.0) continue;
            // The cross coefficient ((Q_i^(1/3) + Q_j^(1/3)) / 2)^3, weighted
            // about 2 x1 x2 in the mixture's: the singular part of the cube
            // root's second derivative times 3/8 Q_j^(2/3), and its share of
            // -T^2 d2a/dT2, cv/R.
            const double singular = 2.0 * dQ * dQ / (9.0 * std::pow(std::fabs(Q), 5.0 / 3.0));
            const double share =
                2.0 * x1 * x2 * 0.375 * std::pow(size, 2.0 / 3.0) * singular * t * t * std::pow(rho, g.n) / g.n;
            shares[counted++] = {&g, i, share};
            if (share > worst) {
                worst = share;
                component = i;
                coefficient = g.name;
            }
        }
    }
    if (!poleTemperature || !(worst > 0.0)) return worst;
    // The pole named: of the coefficients whose estimates lie within the
    // factor 8 of the largest, the one whose zero lies nearest to T (found
    // by its sign in steps of 1 K out to 1000 K either side, then halved).
    double nearest = std::numeric_limits<double>::infinity();
    for (int k = 0; k < counted; ++k) {
        const Share& c = shares[k];
        if (!(c.share >= worst / 8.0)) continue;
        for (double d = 1.0; d <= 1000.0 && d < nearest; d += 1.0) {
            for (double side : {-1.0, 1.0}) {
                double lo = t + side * (d - 1.0), hi = t + side * d;
                if (!(hi > 0.0) || !((bracket(*c.g, c.i, lo) > 0.0) != (bracket(*c.g, c.i, hi) > 0.0))) continue;
                for (int n = 0; n < 40; ++n) {
                    const double mid = 0.5 * (lo + hi);
                    ((bracket(*c.g, c.i, mid) > 0.0) == (bracket(*c.g, c.i, lo) > 0.0) ? lo : hi) = mid;
                }
                if (std::fabs(lo - t) < nearest) {
                    nearest = std::fabs(lo - t);
                    *poleTemperature = lo;
                    component = c.i;
                    coefficient = c.g->name;
                }
            }
        }
    }
    return worst;
}

void Duan2::calculate_fixed_parameters()
{
    k1.T = k2.T = k3.T = T;
    // A pair without parameters at T refuses the states it governs: those
    // holding both of its components (at a pure end the pair is absent).
    const bool both = x.size() > 1 && x[0] > 0.0 && x[1] > 0.0;
    if (!set_interaction_parameters(T) && both) termError = 1;
    if (!(Pc[0] > 0.0) || !(Pc[1] > 0.0)) termError = 1;  // a component without its parameter set
    if (refuseMixture()) termError = 1;
    // The monomials, which only the tree reads, are loaded by the stage
    // that precedes each of its evaluations (a volume search or a
    // fugacity pass answered in closed form needs none).
    x6Pending_ = {true, x.size() > 0 ? x[0] : 0.0, x.size() > 1 ? x[1] : 0.0};
    calculate_virial_coefficients(0);
    calculate_virial_coefficients(1);
    double xs[2] = {x.size() > 0 ? x[0] : 0.0, x.size() > 1 ? x[1] : 0.0};
    // Re-initialised before they take the composition (see Dispersion0): an
    // unmarked sum would keep the next initialize_the_graph() from its
    // coefficients, which hold the previous temperature's values.
    for (SumF* s : {static_cast<SumF*>(Bsum), static_cast<SumF*>(Csum), static_cast<SumF*>(Dsum),
                    static_cast<SumF*>(Fsum), static_cast<SumF*>(gsum)}) {
        s->initialize_the_graph();
        s->set_xvariables(xs);
    }
    beta1Leaf->value = 1.0 + xs[0] * par[0][13] + xs[1] * par[1][13];
    if (beta1Leaf->d1) {
        beta1Leaf->d1[2] = par[0][13];
        beta1Leaf->d1[3] = par[1][13];
    }
}

// ---- the closed form at one temperature

namespace {

// The coefficient families of the mixing rule: the order n of their
// composition monomials, the power of the pseudo-critical volume that
// scales them, the bracket of par (c0, c2, c3; -1 a zero coefficient), and
// the first of their patterns in KeptAtTemperature::g.
struct Family {
    int n, volumePower, c0, c2, c3, first;
};
constexpr Family famB{2, 1, 0, 1, 2, 0}, famC{3, 2, 3, 4, 5, 3}, famD{5, 4, 6, 7, 8, 7}, famE{6, 5, 9, 10, 11, 13},
    famF{2, 2, -1, -1, 12, 20}, famGamma{3, 2, -1, -1, -1, 23};

// A function of (T, V, x1, x2) with its first and second derivatives.
struct Jet2 {
    double v = 0.0;
    double g[4] = {};
    double h[4][4] = {};

    static Jet2 constant(double c)
    {
        Jet2 j;
        j.v = c;
        return j;
    }
    Jet2& operator+=(const Jet2& o)
    {
        v += o.v;
        for (int i = 0; i < 4; ++i) {
            g[i] += o.g[i];
            for (int k = 0; k < 4; ++k) h[i][k] += o.h[i][k];
        }
        return *this;
    }
    Jet2& operator*=(double c)
    {
        v *= c;
        for (int i = 0; i < 4; ++i) {
            g[i] *= c;
            for (int k = 0; k < 4; ++k) h[i][k] *= c;
        }
        return *this;
    }
    friend Jet2 operator+(Jet2 a, const Jet2& b) { return a += b; }
    friend Jet2 operator*(double c, Jet2 a) { return a *= c; }
    friend Jet2 operator*(const Jet2& a, const Jet2& b)
    {
        Jet2 r;
        r.v = a.v * b.v;
        for (int i = 0; i < 4; ++i) {
            r.g[i] = a.g[i] * b.v + a.v * b.g[i];
            for (int k = 0; k <= i; ++k)
                r.h[i][k] = r.h[k][i] = a.h[i][k] * b.v + a.g[i] * b.g[k] + a.g[k] * b.g[i] + a.v * b.h[i][k];
        }
        return r;
    }
    // f(a) from f, f' and f'' at a.v.
    Jet2 through(double f0, double f1, double f2) const
    {
        Jet2 r;
        r.v = f0;
        for (int i = 0; i < 4; ++i) {
            r.g[i] = f1 * g[i];
            for (int k = 0; k <= i; ++k) r.h[i][k] = r.h[k][i] = f1 * h[i][k] + f2 * g[i] * g[k];
        }
        return r;
    }
    Jet2 reciprocal() const
    {
        const double r = 1.0 / v;
        return through(r, -r * r, 2.0 * r * r * r);
    }
};

double power(double x, int k)
{
    double r = 1.0;
    for (int i = 0; i < k; ++i) r *= x;
    return r;
}

}  // namespace

bool Duan2::fixedStageRefuses()
{
    const bool both = x.size() > 1 && x[0] > 0.0 && x[1] > 0.0;
    return (both && !keptT_.inRange) || !(Pc[0] > 0.0) || !(Pc[1] > 0.0) || refuseMixture();
}

// The patterns of each family at the term's T: a component's own
// coefficient c0 + c2 (Tc/T)^2 + c3 (Tc/T)^3 (its first two T-derivatives
// as loadBracket gives them), a mixed one the cube of the mean of the
// components' cube roots, signs kept, times its interaction parameter
// (k1 on B, k2 on C, k3 on gamma), each times its multiplicity n!/(n1! n2!)
// and the power of its pseudo-critical volume.
bool Duan2::keepTemperature()
{
    KeptAtTemperature& k = keptT_;
    if (k.T == T && k.version == parameterVersion_ && k.pair == pairType && k.plain == plainRow) return k.finite;
    k.T = T;
    k.version = parameterVersion_;
    k.pair = pairType;
    k.plain = plainRow;
    k.inRange = set_interaction_parameters(T);
    const double t = T, it = 1.0 / t;
    auto bracket = [&](int i, const Family& f, double (&q)[3]) {
        const double* a = par[i];
        const double r = Tc[i] * it, r2 = r * r, r3 = r2 * r;
        const double c0 = f.c0 < 0 ? 0.0 : a[f.c0], c2 = f.c2 < 0 ? 0.0 : a[f.c2], c3 = f.c3 < 0 ? 0.0 : a[f.c3];
        if (&f == &famGamma) {
            q[0] = a[14];
            q[1] = q[2] = 0.0;
            return;
        }
        q[0] = c0 + c2 * r2 + c3 * r3;
        q[1] = (-2.0 * c2 * r2 - 3.0 * c3 * r3) * it;
        q[2] = (6.0 * c2 * r2 + 12.0 * c3 * r3) * it * it;
    };
    auto bip = [&](const BIPDuan& b, double (&q)[3]) {
        const double* c = b.c;
        q[0] = b.at(t);
        q[1] = c[1] + 2.0 * c[2] * t - c[3] * it * it + c[4] * it;
        q[2] = 2.0 * c[2] + 2.0 * c[3] * it * it * it - c[4] * it * it;
    };
    bool finite = true;
    for (const Family* f : {&famB, &famC, &famD, &famE, &famF, &famGamma}) {
        double q[2][3], kk[3] = {1.0, 0.0, 0.0};
        bracket(0, *f, q[0]);
        bracket(1, *f, q[1]);
        if (f == &famB) bip(k1, kk);
        if (f == &famC) bip(k2, kk);
        if (f == &famGamma) bip(k3, kk);
        // The cube roots s_i = Q_i^(1/3) with their T-derivatives.
        double s[2][3];
        for (int i = 0; i < 2; ++i) {
            const double c = std::cbrt(q[i][0]);
            s[i][0] = c;
            s[i][1] = q[i][1] / (3.0 * c * c);
            s[i][2] = q[i][2] / (3.0 * c * c) - 2.0 * q[i][1] * q[i][1] / (9.0 * c * c * c * c * c);
        }
        const int n = f->n;
        double binom = 1.0;
        for (int n2 = 0; n2 <= n; ++n2) {
            const int n1 = n - n2;
            double* g = k.g[f->first + n2];
            double scale;
            if (n2 == 0 || n1 == 0) {
                const int i = n2 == 0 ? 0 : 1;
                scale = power(Vc[i], f->volumePower);
                for (int d = 0; d < 3; ++d) g[d] = q[i][d];
            } else {
                // The pseudo-critical volume of the pattern (Vpc: V12,
                // V112, V122, V11112 .. V12222, V111112 .. V122222).
                const int index = n == 2 ? 0 : n == 3 ? n2 : n == 5 ? 2 + n2 : 6 + n2;
                scale = power(Vpc[index], f->volumePower);
                double m[3];
                for (int d = 0; d < 3; ++d) m[d] = (n1 * s[0][d] + n2 * s[1][d]) / n;
                const double M[3] = {m[0] * m[0] * m[0], 3.0 * m[0] * m[0] * m[1],
                                     6.0 * m[0] * m[1] * m[1] + 3.0 * m[0] * m[0] * m[2]};
                g[0] = kk[0] * M[0];
                g[1] = kk[1] * M[0] + kk[0] * M[1];
                g[2] = kk[2] * M[0] + 2.0 * kk[1] * M[1] + kk[0] * M[2];
            }
            for (int d = 0; d < 3; ++d) g[d] *= binom * scale;
            finite = finite && std::isfinite(g[0]);
            binom = binom * (n - n2) / (n2 + 1);
        }
    }
    k.finite = finite;
    return finite;
}

bool Duan2::mixedCoefficients(Mixed& m)
{
    if (x.size() < 2 || !keepTemperature() || fixedStageRefuses()) return false;
    const double x1 = x[0], x2 = x[1];
    // (A volume search or scan asks at one composition many times.)
    KeptMixed& kept = keptMixed_;
    if (kept.T == T && kept.x1 == x1 && kept.x2 == x2 && kept.version == parameterVersion_ &&
        kept.pair == pairType && kept.plain == plainRow) {
        m = kept.m;
        return kept.usable;
    }
    auto family = [&](const Family& f) {
        double sum = 0.0;
        for (int n2 = 0; n2 <= f.n; ++n2)
            sum += power(x1, f.n - n2) * power(x2, n2) * keptT_.g[f.first + n2][0];
        return sum;
    };
    m.B = family(famB);
    m.C = family(famC);
    m.D = family(famD);
    m.E = family(famE);
    m.F = family(famF);
    m.gamma = family(famGamma);
    m.beta = 1.0 + x1 * par[0][13] + x2 * par[1][13];
    const bool usable = std::isfinite(m.B + m.C + m.D + m.E + m.F + m.gamma + m.beta) && m.gamma != 0.0;
    kept = {T, x1, x2, parameterVersion_, pairType, plainRow, usable, m};
    return usable;
}

// A/(RT) = -ln V + B/V + C/(2 V^2) + D/(4 V^4) + E/(5 V^5) + F beta/(2 gama)
//          + h(1/V^2),  h(u) = -(F beta/gama + F u) exp(-gama u)/2.
bool Duan2::volumeSearchAnswer(double& a, double& aV, double& aVV)
{
    Mixed m;
    if (!(V > 0.0) || !mixedCoefficients(m)) return false;
    const double iV = 1.0 / V, iV2 = iV * iV, iV3 = iV2 * iV, iV4 = iV2 * iV2;
    const double e = std::exp(-m.gamma * iV2);
    const double Fb = m.F * m.beta;
    const double hu = -0.5 * e * (m.F - Fb - m.gamma * m.F * iV2);
    const double huu = 0.5 * m.gamma * e * (2.0 * m.F - Fb - m.gamma * m.F * iV2);
    const double du = -2.0 * iV3, duu = 6.0 * iV4;
    a = -std::log(V) + m.B * iV + 0.5 * m.C * iV2 + 0.25 * m.D * iV4 + 0.2 * m.E * iV4 * iV + 0.5 * Fb / m.gamma -
        0.5 * (Fb / m.gamma + m.F * iV2) * e;
    aV = -iV - m.B * iV2 - m.C * iV3 - m.D * iV4 * iV - m.E * iV3 * iV3 + hu * du;
    aVV = iV2 + 2.0 * m.B * iV3 + 3.0 * m.C * iV4 + 5.0 * m.D * iV3 * iV3 + 6.0 * m.E * iV4 * iV3 +
          huu * du * du + hu * duu;
    return std::isfinite(a) && std::isfinite(aV) && std::isfinite(aVV);
}

bool Duan2::secondOrderAnswer()
{
    if (component_count != 2 || !(V > 0.0) || !(T > 0.0) || x.size() < 2 || !keepTemperature() ||
        fixedStageRefuses())
        return false;
    // The state functions and the fugacity pass of one state ask twice.
    KeptSecondOrder& kept = keptSecondOrder_;
    if (kept.T == T && kept.V == V && kept.x[0] == x[0] && kept.x[1] == x[1] && kept.version == parameterVersion_ &&
        kept.pair == pairType && kept.plain == plainRow) {
        A = kept.a[0];
        aT = kept.a[1];
        aV = kept.a[2];
        ATT = kept.a[3];
        aTV = kept.a[4];
        aVV = kept.a[5];
        for (int i = 0; i < 2; ++i) {
            dadx[i] = kept.ax[i][0];
            dadxdT[i] = kept.ax[i][1];
            dadxdV[i] = kept.ax[i][2];
            dadxdx[i][0] = kept.ax[i][3];
            dadxdx[i][1] = kept.ax[i][4];
        }
        return true;
    }
    // The coefficients as functions of (T, V, x1, x2): sums over their
    // patterns of x1^n1 x2^n2 times the pattern's function of T.
    const double xs[2] = {x[0], x[1]};
    // x_i^k for k = -2 .. 6 (the negative powers multiplied by zero).
    double pw[2][9];
    for (int i = 0; i < 2; ++i) {
        pw[i][0] = pw[i][1] = 0.0;
        for (int k = 0; k <= 6; ++k) pw[i][2 + k] = power(xs[i], k);
    }
    auto family = [&](const Family& f) {
        Jet2 c;
        for (int n2 = 0; n2 <= f.n; ++n2) {
            const int n1 = f.n - n2;
            const double* g = keptT_.g[f.first + n2];
            const double* w1 = pw[0] + 2 + n1;
            const double* w2 = pw[1] + 2 + n2;
            const double p = w1[0] * w2[0];
            const double p1 = n1 * w1[-1] * w2[0];
            const double p2 = n2 * w1[0] * w2[-1];
            const double p11 = n1 * (n1 - 1) * w1[-2] * w2[0];
            const double p22 = n2 * (n2 - 1) * w1[0] * w2[-2];
            const double p12 = n1 * n2 * w1[-1] * w2[-1];
            c.v += p * g[0];
            c.g[0] += p * g[1];
            c.h[0][0] += p * g[2];
            c.g[2] += p1 * g[0];
            c.g[3] += p2 * g[0];
            c.h[2][0] += p1 * g[1];
            c.h[3][0] += p2 * g[1];
            c.h[2][2] += p11 * g[0];
            c.h[3][3] += p22 * g[0];
            c.h[2][3] += p12 * g[0];
        }
        c.h[0][2] = c.h[2][0];
        c.h[0][3] = c.h[3][0];
        c.h[3][2] = c.h[2][3];
        return c;
    };
    const Jet2 B = family(famB), C = family(famC), D = family(famD), E = family(famE), F = family(famF),
               g = family(famGamma);
    Jet2 beta = Jet2::constant(1.0 + xs[0] * par[0][13] + xs[1] * par[1][13]);
    beta.g[2] = par[0][13];
    beta.g[3] = par[1][13];
    // The powers of 1/V.
    auto inverse = [&](int k) {
        Jet2 u;
        const double w = std::pow(V, -k);
        u.v = w;
        u.g[1] = -k * w / V;
        u.h[1][1] = k * (k + 1) * w / (V * V);
        return u;
    };
    const Jet2 u1 = inverse(1), u2 = inverse(2), u4 = inverse(4), u5 = inverse(5);
    Jet2 lnV = Jet2::constant(-std::log(V));
    lnV.g[1] = -1.0 / V;
    lnV.h[1][1] = 1.0 / (V * V);
    const Jet2 Fbg = F * beta * g.reciprocal();
    const Jet2 gu = g * u2;
    const double ex = std::exp(-gu.v);
    const Jet2 e = gu.through(ex, -ex, ex);
    const Jet2 a = lnV + B * u1 + 0.5 * (C * u2) + 0.25 * (D * u4) + 0.2 * (E * u5) + 0.5 * Fbg +
                   (-0.5) * ((Fbg + F * u2) * e);
    // (A cube root through zero leaves its T-derivatives infinite: the tree
    // says so.)
    bool finite = std::isfinite(a.v);
    for (int i = 0; i < 4; ++i) {
        finite = finite && std::isfinite(a.g[i]);
        for (int k = 0; k < 4; ++k) finite = finite && std::isfinite(a.h[i][k]);
    }
    if (!finite) return false;
    A = a.v;
    aT = a.g[0];
    aV = a.g[1];
    ATT = a.h[0][0];
    aTV = a.h[1][0];
    aVV = a.h[1][1];
    for (int i = 0; i < 2; ++i) {
        dadx[i] = a.g[2 + i];
        dadxdV[i] = a.h[2 + i][1];
        dadxdT[i] = a.h[2 + i][0];
        for (int j = 0; j < 2; ++j) dadxdx[i][j] = a.h[2 + i][2 + j];
    }
    kept = {T, V, {x[0], x[1]}, parameterVersion_, pairType, plainRow, {A, aT, aV, ATT, aTV, aVV}, {}};
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 5; ++k)
            kept.ax[i][k] = k == 0 ? dadx[i] : k == 1 ? dadxdT[i] : k == 2 ? dadxdV[i] : dadxdx[i][k - 3];
    return true;
}
