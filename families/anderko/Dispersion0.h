#pragma once
// Dispersion (perturbation) attraction of the Anderko equation of state
// (Anderko & Pitzer 1993) for a mixture of any number of components:
//
//   A_disp/(RT) = -(1/(RT)) [ a/V + acb/(4V^2) + adb2/(16V^3) + aeb3/(64V^4) ]
//
// with the mixing sums over all ordered index tuples
//   a    = sum x_i x_j a_ij,                 a_ij = kA_ij (a_i a_j)^(1/2)
//   acb  = sum x_i x_j x_k q3_ijk,           q3 = b_ijk kC_ijk ((ac)_i (ac)_j (ac)_k)^(1/3)
//   adb2 = sum x_i x_j x_k x_l q4_ijkl,      q4 = b_ijkl^2 kD_ijkl (prod (ad))^(1/4)
//   aeb3 = sum x_i .. x_m q5_ijklm,          q5 = b_ijklm^3 kE_ijklm (prod (ae))^(1/5)
// and the combined covolumes b_ij.. = (mean of the cube roots of b_i ..)^3.
// The pure-component parameters a_i, c_i, d_i, e_i (functions of T) and the
// interaction parameters kA .. kE come from a subclass (AnderkoDispersion).
//
// Calling order: construct; preAllocateComponentsNumber(n); the subclass fills
// the tables; number_of_components(n) (covolumes and mixing-rule graph); the
// subclass sizes the root for n + 2 variables.
//
// Ownership: the leaves, mixing sums and the products and sum above them are
// members; the root "A" and every parameter and mixing-rule node are created
// separately and released by their parents.  Nodes a subclass stored in the
// tables that never got a parent are deleted by this term.
#include <vector>

#include "expressions/ExpressionArrays.h"
#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/SumX2.h"
#include "fluid/Attraction.h"

class Dispersion0 : public Attraction {
public:
    Dispersion0();
    ~Dispersion0() override;

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;

    void preAllocateComponentsNumber(int n);
    void calculate_covolumes();
    // Links the mixing rules to the parameter tables; false (with a message)
    // when an entry the rules need is empty.
    bool build_parse_graph();
    void specify_dependencies();

    int allocatedComponents() const { return nalloc; }
    bool graphBuilt() const { return built; }

    // Combined covolumes (indices in any order).
    double covolume3(int i, int j, int k) const;
    double covolume4(int i, int j, int k, int l) const;
    double covolume5(int i, int j, int k, int l, int m) const;

    // ---- tables filled by the subclass
    std::vector<double> b;  // b_i, m3/mol
    Expr1 ai, ci, di, ei;   // pure-component parameters
    Expr1 aci, adi, aei;    // their products with a_i (built here when empty)
    Expr2 kA;
    Expr3 kC;
    Expr4 kD;
    Expr5 kE;

protected:
    void writeTemperatureLeaf();
    void writeVolumeLeaves();
    void releaseUnlinkedTableNodes();

    int nalloc = 0;
    bool built = false;
    std::vector<double> b2, b3, b4, b5;  // combined covolumes at the sorted-tuple offsets

    Leaf K, d, d2, d3, d4;
    SumX2 a;
    SumX3 acb;
    SumX4 adb2;
    SumX5 aeb3;
    Product A1, A2, A3, A4;
    Sum A0;
};
