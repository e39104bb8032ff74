#pragma once
// Soave-Redlich-Kwong attraction term of a binary mixture whose interaction
// parameters step with temperature:
//     kaij(T) = (ka1 + ka2)/2 + ((ka2 - ka1)/2) tanh((T - T0a)/(2 dTa)),
//     kbij(T) = (kb1 + kb2)/2 + ((kb2 - kb1)/2) tanh((T - T0b)/(2 dTb)),
//     a = x0^2 ai_0 + 2 x0 x1 (1 - kaij(T)) sqrt(ai_0 ai_1) + x1^2 ai_1,
//     b = x0^2 b_0 + 2 x0 x1 ((b_0 + b_1)/2)(1 - kbij(T)) + x1^2 b_1.
// Each step is a node chain (e^tau - 1)/(e^tau + 1) = tanh(tau/2) over a leaf
// tau = (T - T0)/dT, so the parameters carry their temperature derivatives.
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/ExpressionArrays.h"
#include "expressions/Leaf.h"
#include "expressions/Sum1.h"
#include "expressions/SumX2.h"
#include "families/cubic/CovolumeLists.h"
#include "families/cubic/Schmidt0.h"

class Soave2 : public Schmidt0, public CovolumeLists<Soave2> {
public:
    Soave2();
    ~Soave2() override;

    // Two components only; any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void print_parameters(std::FILE* f) override;
    void specify_dependencies() override;
    virtual void apply_mixing_rules() {}
    double getVolumeMinimum() override;

    void set_ai_parameters(int i, double ac, double m, double Tc);
    void set_covolume(int i, double b);
    void set_hard_sphere_diameter(int i, double d);
    // The component indices are not used (the one pair of a binary).
    void set_binary_interaction_kaij(int i, int j, double ka1, double ka2, double T0a, double dTa);
    void set_binary_interaction_kbij(int i, int j, double kb1, double kb2, double T0b, double dTb);
    double kaijAt(double T) const;
    double kbijAt(double T) const;

    double T0a = 300.0, T0b = 300.0, dTa = 10.0, dTb = 10.0;
    double ka1 = 0.0, kb1 = 0.0, ka2 = 0.0, kb2 = 0.0;
    std::vector<double> covolumes, diameters;
    Expr1 ai;

private:
    struct Step {  // tanh(tau/2) over the leaf tau
        Division* D = nullptr;
        Exponential* E = nullptr;
        Sum1* Em1 = nullptr;
        Sum1* Ep1 = nullptr;
        Leaf* tau = nullptr;
        void build(const char* prefix);
    };
    SumX2* asum = nullptr;
    SumX2* bsum = nullptr;
    Step sa, sb;
    Sum1* bpa = nullptr;  // 1 - kaij(T)
    Sum1* bpb = nullptr;  // kbij(T)
    Leaf* b00 = nullptr;
    Leaf* b11 = nullptr;
    Sum1* b10 = nullptr;
    Expression* a10 = nullptr;
};
