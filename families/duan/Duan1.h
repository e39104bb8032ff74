#pragma once
// Duan1: the Duan term of one pure fluid, from the fluid's critical
// temperature and pressure and its fifteen parameters a1 .. a12, alpha, beta,
// gamma.  With Tr = T/Tc and the reference volume Vc = R Tc/Pc,
//     Bd = Vc (a1 + a2/Tr^2 + a3/Tr^3),     Cd = Vc^2 (a4 + a5/Tr^2 + a6/Tr^3),
//     Dd = Vc^4 (a7 + a8/Tr^2 + a9/Tr^3),   Ed = Vc^5 (a10 + a11/Tr^2 + a12/Tr^3),
//     Fd = Vc^2 alpha/Tr^3,  beta1 = 1 + beta,  gama = Vc^2 gamma.
// The coefficient nodes are leaves loaded with their T-derivatives.
#include "families/duan/Duan.h"

class Duan1 : public Duan {
public:
    Duan1();
    ~Duan1() override;

    // One component only: any other count ends the process with status 1.
    void number_of_components(int n) override;
    void specify_dependencies() override;
    // Fails the evaluation (termError) while no parameter set is loaded.
    void calculate_fixed_parameters() override;
    // Values and first and second V-derivatives of the volume leaves.
    void calculate_volume_dependent_parameters() override;
    // Their third and fourth V-derivatives.
    void calculate_high_order_parameters() override;

    // Tc in K, Pc in bar, a[15] = a1 .. a12, alpha, beta, gamma (copied).
    void set_parameters(double Tc, double Pc, const double* a);

    double Tc = 0.0;  // K
    double Pc = 0.0;  // Pa
    double Vc = 0.0, Vc2 = 0.0, Vc4 = 0.0, Vc5 = 0.0;  // m3/mol and its powers
    double a[15] = {};
};
