#pragma once
// Co-volume repulsion of a binary mixture whose kbij steps smoothly with T:
//     kb(T) = (c0 + c1)/2 + ((c1 - c0)/2) tanh((T - c2)/(2 c3)),
//     b = x0^2 b_0 + 2 x0 x1 ((b_0 + b_1)/2)(1 - kb(T)) + x1^2 b_1.
// The step is a tree of nodes, (e^L - 1)/(e^L + 1) = tanh(L/2) with the leaf
// L = (T - c2)/c3, so that b carries its temperature derivatives.
#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Sum1.h"
#include "expressions/SumX2.h"
#include "families/cubic/VdWr.h"

class VdWr2 : public VdWr {
public:
    VdWr2();
    ~VdWr2() override;

    // Two components only; any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    double getVolumeMinimum() override;
    // kbij at low T (c0), at high T (c1), centre c2 (K) and width c3 (K) of
    // the step; the indices are not used (the one pair of a binary).
    void set_binary_interaction_kbij(int i, int j, double c0, double c1, double c2, double c3);
    // kb at the temperature T.
    double kbAt(double T) const;

    double c0 = 0.0, c1 = 0.0, c2 = 300.0, c3 = 10.0;

private:
    SumX2* bsum = nullptr;  // "b"
    Leaf* B00 = nullptr;
    Leaf* B11 = nullptr;
    Sum1* B10 = nullptr;
    Sum1* K = nullptr;
    Division* D = nullptr;
    Exponential* E = nullptr;
    Sum1* Em1 = nullptr;
    Sum1* Ep1 = nullptr;
    Leaf* L = nullptr;
};
