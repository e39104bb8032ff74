#pragma once
// Peng-Robinson attraction term (Schmidt0 with u = 2, w = -1) with the
// Stryjek-Vera temperature function (Stryjek and Vera, Can. J. Chem. Eng. 64
// (1986) 323):
//     alpha_i = (1 + kappa_i (1 - sqrt Tr))^2,
//     kappa_i = kappa0_i + kappa1_i (1 + sqrt Tr)(0.7 - Tr),
// mixed quadratically like Nirma.
#include <cstdio>
#include <initializer_list>

#include "families/cubic/CubicPairs.h"
#include "families/cubic/Schmidt0.h"

class StryjekVera : public Schmidt0 {
public:
    StryjekVera();
    ~StryjekVera() override;

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void print_parameters(std::FILE* f) override;
    void specify_dependencies() override;
    virtual void apply_mixing_rules();
    double getVolumeMinimum() override { return pairs.mixtureCovolume(x); }

    void set_ai_parameters(int i, double ac, double Tc, double kappa0, double kappa1);
    void set_covolume(int i, double b);
    void set_hard_sphere_diameter(int i, double sigma);
    void set_covolumes(std::initializer_list<double> b);
    void set_hard_sphere_diameters(std::initializer_list<double> sigma);
    template <typename... Rest>
    void set_covolumes(double b0, Rest... rest) {
        set_covolumes({b0, static_cast<double>(rest)...});
    }
    template <typename... Rest>
    void set_hard_sphere_diameters(double s0, Rest... rest) {
        set_hard_sphere_diameters({s0, static_cast<double>(rest)...});
    }
    void set_binary_interaction_kaij(int i, int j, double k) { pairs.setKaij(i, j, k); }
    void set_binary_interaction_kbij(int i, int j, double k) { pairs.setKbij(i, j, k); }
    // The term's own derivative check on a binary at 373.15 K (printed).
    static void test();

    Expr1 Ti, Tri, Tri1, Tri2, Ti2, Tip, Ki, KTi, ali, alpi, ai;
    CubicPairs pairs;

private:
    SumX2* asum = nullptr;
    LineaX2* bq = nullptr;
};
