#include "magma/Holloway.h"

#include <cmath>
#include <cstdio>

#include "platform/LogSink.h"

namespace {
// a1 = sum c[k] t^k (t in degrees C, a1 in Pa m6 K^0.5 mol^-2): the fits of
// Holloway (1977, 1981) and Flowers (1979) in atm cm6 K^0.5 mol^-2, times
// 1.01325e-7, each over its own range of t:
//   below 600 C: 4.221e9 - 3.1227e7 t + 8.7485e4 t^2 - 107.295 t^3 + 4.86111e-2 t^4
//   from  600 C: 166.8e6 - 193080 t + 186.4 t^2 - 0.071288 t^3
// The two meet at 600 C (1.036e8 and 1.027e8; at 600 K they lie 38 % apart),
// which is where the equation switches.  Against IAPWS-95 the quartic puts
// water within 0.5 % at 400 C from 500 to 2000 bar and within 5 % up to 600 C
// away from the critical region, where the cubic is up to 15 % too dense;
// below 400 C it puts the liquid 10 to 40 % too dense and no a1 is given, so
// no state holding water is evaluated there.
constexpr double kA1Low[5] = {427.692825, -3.164075775, 0.008864417624999999, -1.0871665874999999e-05,
                              4.9255197075e-09};
constexpr double kA1High[4] = {16.90101, -0.019563830999999997, 1.888698e-05, -7.2232565999999995e-09};
constexpr double kA1SwitchT = Holloway::kQuarticUpperTemperature;  // K, t = 600 C
}  // namespace

double Holloway::waterAttraction(double T, double* d) {
    const double t = T - 273.15;
    const double* c = T - kA1SwitchT < 0.0 ? kA1Low : kA1High;
    const int n = T - kA1SwitchT < 0.0 ? 5 : 4;
    // Value and the first four derivatives of the polynomial (Horner on each).
    double v[5] = {0, 0, 0, 0, 0};
    for (int order = 0; order <= 4; ++order) {
        double s = 0.0;
        for (int k = n - 1; k >= order; --k) {
            double f = c[k];
            for (int j = 0; j < order; ++j) f *= static_cast<double>(k - j);
            s = s * t + f;
        }
        v[order] = s;
    }
    if (d)
        for (int i = 0; i < 4; ++i) d[i] = v[i + 1];
    return v[0];
}

double Holloway::carbonDioxideAttraction(double T) {
    const double t = T - 273.15;
    return 7.39976475 - 0.007234605 * t + 2.18558025e-06 * t * t;
}

double Holloway::crossAttraction(double T) {
    const double lnK = -11.071 + 5953.0 / T - 2746000.0 / (T * T) + 464600000.0 / (T * T * T);
    return 4.065544035 + 1.01325 * 3.3665918122297107e-06 * std::pow(T, 2.5) * std::exp(lnK);
}

Holloway::Holloway() {
    setModelName("Holloway");
    _T.index = 0;
    _V.index = 1;
    _x1.index = 2;
    _x2.index = 3;

    Sum2* A = new Sum2();
    A->setName("A");
    _T.setName("_T");
    _V.setName("_V");
    _x1.setName("_x1");
    _x2.setName("_x2");
    b.setName("b");
    A1.setName("A1");
    lA1.setName("lA1");
    vb.setName("vb");
    vvb.setName("vvb");
    lvvb.setName("lvvb");
    Tc1.setName("Tc1");
    Tc2.setName("Tc2");
    Tc3.setName("Tc3");
    Tc4.setName("Tc4");
    T600.setName("T600");
    a1_600.setName("a1_600");
    a1_600_1200.setName("a1_600_1200");
    a1.setName("a1");
    a2.setName("a2");
    inT.setName("inT");
    inT2.setName("inT2");
    inT3.setName("inT3");
    sa12.setName("sa12");
    ea12.setName("ea12");
    T25.setName("T25");
    ad12.setName("ad12");
    a12.setName("a12");
    x1sq.setName("x1sq");
    x2sq.setName("x2sq");
    x1x2.setName("x1x2");
    a1x1sq.setName("a1x1sq");
    a2x2sq.setName("a2x2sq");
    a12x1x2.setName("a12x1x2");
    a.setName("a");
    ab.setName("ab");
    Ts.setName("Ts");
    abTs.setName("abTs");
    A2.setName("A2");

    // Co-volume and the repulsive logarithm.
    b.tie2(_x1, _x2);
    b.set_scalars3(kbH2O, kbCO2, 0.0);
    A1.tie2(_V, b);
    A1.set_scalars3(1.0, -1.0, 0.0);
    lA1.tie1(A1);
    lA1.set_scalars3(-1.0, 0.0, 0.0);
    vb.tie2(_V, b);
    vb.set_scalars3(1.0, 1.0, 0.0);
    vvb.tie2(_V, vb);
    lvvb.tie1(vvb);
    lvvb.set_scalars3(1.0, 0.0, 0.0);

    // Attraction parameters.
    Tc1.tie1(_T);
    Tc1.set_scalars2(1.0, -273.15);
    Tc2.tie1(Tc1);
    Tc3.tie1(Tc1);
    Tc4.tie1(Tc2);
    T600.tie1(_T);
    T600.set_scalars2(1.0, -kA1SwitchT);
    a1_600.number_of_terms(4);
    a1_600.tie_(&Tc1, &Tc2, &Tc3, &Tc4);
    a1_600.set_scalars_(kA1Low[1], kA1Low[2], kA1Low[3], kA1Low[4], kA1Low[0]);
    a1_600_1200.number_of_terms(3);
    a1_600_1200.tie_(&Tc1, &Tc2, &Tc3);
    a1_600_1200.set_scalars_(kA1High[1], kA1High[2], kA1High[3], kA1High[0]);
    // The H2O parameter switches polynomial at t = 600 C.
    a1.tie3(T600, a1_600, a1_600_1200);
    a2.tie2(Tc1, Tc2);
    a2.set_scalars3(-0.007234605, 2.18558025e-06, 7.39976475);
    inT.tie1(_T);
    inT2.tie1(inT);
    inT3.tie1(inT);
    sa12.number_of_terms(3);
    sa12.tie_(&inT, &inT2, &inT3);
    sa12.set_scalars_(5953.0, -2746000.0, 464600000.0, -11.071);
    ea12.tie1(sa12);
    ea12.set_scalars3(0.0, 3.3665918122297107e-06, 1.0);
    T25.tie1(_T);
    T25.set_scalars3(1.0, 2.5, 0.0);
    ad12.tie2(ea12, T25);
    a12.tie1(ad12);
    a12.set_scalars2(1.01325, 4.065544035);

    // Mixing rule.
    x1sq.tie1(_x1);
    x2sq.tie1(_x2);
    x1x2.tie2(_x1, _x2);
    a1x1sq.tie2(x1sq, a1);
    a2x2sq.tie2(x2sq, a2);
    a12x1x2.tie2(x1x2, a12);
    a.number_of_terms(3);
    a.tie_(&a1x1sq, &a12x1x2, &a2x2sq);
    a.set_scalars_(1.0, 2.0, 1.0, 0.0);

    // Attractive part a / (b R T^1.5) ln(V / (V + b)).
    ab.tie2(a, b);
    Ts.tie1(_T);
    Ts.set_scalars3(8.31434, 1.5, 0.0);
    abTs.tie2(ab, Ts);
    A2.tie2(abTs, lvvb);

    A->tie2(lA1, A2);
    A->set_scalars3(1.0, 1.0, 0.0);
    root = A;
    root->number_of_variables(4);
    root->analyze_dependencies();
}

Holloway::~Holloway() {
    delete root;
    root = nullptr;
}

bool Holloway::refuseColdWater() {
    if (!(T < kMinimumWaterTemperature) || component_count < 1 || !(x[0] > 0.0)) return false;
    if (T != refusedTemperature) {
        refusedTemperature = T;
        platform::diagf("Holloway EOS: the H2O parameter of the modified Redlich-Kwong equation holds from %g K "
                        "up; no state of a fluid holding water at %g K\n",
                        kMinimumWaterTemperature, T);
    }
    Expression::sError = 1;
    return true;
}

void Holloway::calculate_volume_dependent_parameters() { refuseColdWater(); }

void Holloway::calculate_high_order_parameters() { refuseColdWater(); }

double Holloway::getVolumeMinimum() {
    if (component_count < 2) return 0.0;
    return kbH2O * x[0] + kbCO2 * x[1];
}

void Holloway::test(int check) {
    Interaction::number_of_components(2);
    if (check != 1) return;
    T = 1073.0;
    calculated = 0;
    V = 0.000123;
    x[0] = 1.0;
    x[1] = 0.0;
    checkInteraction();
}
