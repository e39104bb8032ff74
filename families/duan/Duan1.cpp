#include "families/duan/Duan1.h"


namespace {

// Value and first to fourth T-derivatives of c0 + c2 (Tc/T)^2 + c3 (Tc/T)^3.
void bracket(double T, double Tc, double c0, double c2, double c3, double s, double* d)
{
    const double Tc2 = Tc * Tc, Tc3 = Tc2 * Tc;
    const double iT = 1.0 / T;
    const double iT2 = iT * iT, iT3 = iT2 * iT, iT4 = iT3 * iT, iT5 = iT4 * iT, iT6 = iT5 * iT, iT7 = iT6 * iT;
    d[0] = s * (c0 + c2 * Tc2 * iT2 + c3 * Tc3 * iT3);
    d[1] = s * (-2.0 * c2 * Tc2 * iT3 - 3.0 * c3 * Tc3 * iT4);
    d[2] = s * (6.0 * c2 * Tc2 * iT4 + 12.0 * c3 * Tc3 * iT5);
    d[3] = s * (-24.0 * c2 * Tc2 * iT5 - 60.0 * c3 * Tc3 * iT6);
    d[4] = s * (120.0 * c2 * Tc2 * iT6 + 360.0 * c3 * Tc3 * iT7);
}

void loadT(Expression* e, const double* d)
{
    auto* l = static_cast<Leaf*>(e);
    l->value = d[0];
    if (!l->d1) return;
    l->d1[0] = d[1];
    l->d2[0][0] = d[2];
    l->d3[0][0][0] = d[3];
    l->d4[0][0][0][0] = d[4];
}

}  // namespace

Duan1::Duan1()
{
    setModelName("Duan Interaction");
    Bd = new Leaf();
    Cd = new Leaf();
    Dd = new Leaf();
    Ed = new Leaf();
    Fd = new Leaf();
    beta1 = new Leaf();
    gama = new Leaf();
    build_parse_graph();
}

Duan1::~Duan1() { releaseTree(); }

void Duan1::set_parameters(double Tc_, double Pc_bar, const double* a_)
{
    Tc = Tc_;
    Pc = Pc_bar * 100000.0;
    if (a_)
        for (int i = 0; i < 15; ++i) a[i] = a_[i];
    Vc = R * Tc / Pc;
    Vc2 = Vc * Vc;
    Vc4 = Vc2 * Vc2;
    Vc5 = Vc4 * Vc;
}

void Duan1::number_of_components(int n) { sizeDuanTerm(n, 1); }

void Duan1::specify_dependencies()
{
    for (Expression* e : {Bd, Cd, Dd, Ed, Fd, gama}) dependsOnlyOn(*static_cast<Leaf*>(e), 0, 3);
    if (form == ExponentialForm::ZhangDuan)
        dependsOnlyOn(*static_cast<Leaf*>(beta1), 0, 3);
    else
        dependsOnNothing(*static_cast<Leaf*>(beta1), 3);
}

void Duan1::calculate_fixed_parameters()
{
    // Without a parameter set (no fluid loaded) the term has no value: every
    // evaluation fails instead of leaving the ideal gas.
    if (!(Tc > 0.0) || !(Pc > 0.0)) termError = 1;
    double d[5];
    bracket(T, Tc, a[0], a[1], a[2], Vc, d);
    loadT(Bd, d);
    bracket(T, Tc, a[3], a[4], a[5], Vc2, d);
    loadT(Cd, d);
    bracket(T, Tc, a[6], a[7], a[8], Vc4, d);
    loadT(Dd, d);
    bracket(T, Tc, a[9], a[10], a[11], Vc5, d);
    loadT(Ed, d);
    if (form == ExponentialForm::ZhangDuan) {
        // Fd = Vc^2 (a14/a15) Tr, beta1 = 1 + (a13 a15/a14)/Tr^2.
        const double s = Vc2 * a[13] / (a[14] * Tc);
        const double f[5] = {s * T, s, 0.0, 0.0, 0.0};
        loadT(Fd, f);
        bracket(T, Tc, 1.0, a[12] * a[14] / a[13], 0.0, 1.0, d);
        loadT(beta1, d);
    } else {
        bracket(T, Tc, 0.0, 0.0, a[12], Vc2, d);
        loadT(Fd, d);
        beta1->value = 1.0 + a[13];
    }
    const double g[5] = {Vc2 * a[14], 0.0, 0.0, 0.0, 0.0};
    loadT(gama, g);
}

void Duan1::calculate_volume_dependent_parameters() { loadVolumeLeaves(2); }

void Duan1::calculate_high_order_parameters() { loadHighOrderVolumeLeaves(); }
