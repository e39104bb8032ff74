#pragma once
// A gas truncated after the second virial coefficient:
//     A/(RT) = -ln V + B/V,   Z = 1 + B/V.
// Mode 1: a pure gas, B = a T + b T^2 + c (m3/mol, T in K).
// Mode 0: a binary mixture, B = a x1^2 + 2 b x1 x2 + c x2^2 (independent of T).
// The term carries the ideal gas's -ln V.  Any other mode builds no tree.
//
// Ownership: the root "A" and node "B" are created with new ("B" released
// with the root); the other nodes are members.
#include <initializer_list>

#include "expressions/Division.h"
#include "expressions/FVar.h"
#include "expressions/LineaX2.h"
#include "expressions/Logarithm.h"
#include "expressions/Square.h"
#include "expressions/Sum2.h"
#include "fluid/Interaction.h"

class Virial : public Interaction {
public:
    explicit Virial(int mode);
    ~Virial() override;

    // Mode 0 takes 2 components, mode 1 one; any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    // Non-finite coefficients leave a term that fails every evaluation.
    void set_virial_parameters(std::initializer_list<double> abc);
    void calculate_fixed_parameters() override;
    template <typename... Rest>
    void set_virial_parameters(double a, Rest... rest) {
        set_virial_parameters({a, static_cast<double>(rest)...});
    }
    // The term's numeric derivative check at 300 K, 1.8e-5 m3/mol (x = 0.9, 0.1 for mode 0).
    void test();
    // B (m3/mol) at the term's current T and composition.
    double secondVirial();

    int mode = 1;
    double a = 0.0, b = 0.0, c = 0.0;
    Expression* B = nullptr;  // "B": Sum2 (mode 1) or LineaX2 (mode 0); released with the root

    FVar _T, _V;
    Square _T2;
    Logarithm mLogV;  // ln V
    Division Bv;      // B/V
};
