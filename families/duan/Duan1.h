#pragma once
// Duan1: the Duan term of one pure fluid, from the fluid's critical
// temperature and pressure and its fifteen parameters a1 .. a12, alpha, beta,
// gamma.  With Tr = T/Tc and the reference volume Vc = R Tc/Pc,
//     Bd = Vc (a1 + a2/Tr^2 + a3/Tr^3),     Cd = Vc^2 (a4 + a5/Tr^2 + a6/Tr^3),
//     Dd = Vc^4 (a7 + a8/Tr^2 + a9/Tr^3),   Ed = Vc^5 (a10 + a11/Tr^2 + a12/Tr^3),
//     Fd = Vc^2 alpha/Tr^3,  beta1 = 1 + beta,  gama = Vc^2 gamma.
// The coefficient nodes are leaves loaded with their T-derivatives.
//
// Zhang & Duan (Phys. Earth Planet. Inter. 149, 335 (2005)) write the
// exponential part of their water equation as (F/Vr^2 + G/Vr^4) exp(-gamma/Vr^2)
// with F = a13/Tr and G = a14 Tr, which the form above (all over Tr^3) cannot
// express.  In the term's coefficients it is Fd = Vc^2 G/gamma and
// beta1 = 1 + F gamma/G (then a function of T), whose Helmholtz energy
//     F/(2 gamma)(1 - e) + G/(2 gamma^2)(1 - (1 + gamma/Vr^2) e),  e = exp(-gamma/Vr^2),
// is that of the published compressibility factor.
#include "families/duan/Duan.h"

class Duan1 : public Duan {
public:
    Duan1();
    ~Duan1() override;

    // One component only: any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    void specify_dependencies() override;
    // Fails the evaluation (termError) while no parameter set is loaded.
    void calculate_fixed_parameters() override;
    // Values and first and second V-derivatives of the volume leaves.
    void calculate_volume_dependent_parameters() override;
    // Their third and fourth V-derivatives.
    void calculate_high_order_parameters() override;

    // The form of the exponential part: alpha/Tr^3 with a constant beta, or
    // Zhang & Duan's a13/Tr and a14 Tr.
    enum class ExponentialForm { DuanMollerWeare, ZhangDuan };

    // Tc in K, Pc in bar, a[15] = a1 .. a12, alpha, beta, gamma (copied), or
    // a1 .. a15 of Zhang & Duan (form ZhangDuan).
    void set_parameters(double Tc, double Pc, const double* a);

    double Tc = 0.0;  // K
    double Pc = 0.0;  // Pa
    double Vc = 0.0, Vc2 = 0.0, Vc4 = 0.0, Vc5 = 0.0;  // m3/mol and its powers
    double a[15] = {};
    // Set before the term is sized (number_of_components): it decides on
    // what beta1 depends.
    ExponentialForm form = ExponentialForm::DuanMollerWeare;
};
