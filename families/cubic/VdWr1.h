#pragma once
// Co-volume repulsion with b quadratic in the mole fractions:
//     b = sum_i sum_j x_i x_j b_ij,  b_ij = ((b_i + b_j)/2)(1 - kbij),
// so that with every kbij = 0, b = sum_i x_i b_i.
#include "expressions/LineaX2.h"
#include "families/cubic/VdWr.h"

class VdWr1 : public VdWr {
public:
    VdWr1();
    ~VdWr1() override;

    void number_of_components(int n) override;
    // Each new temperature: the mixing rules.
    void calculate_fixed_parameters() override { apply_mixing_rules(); }
    void apply_mixing_rules() override;
    // Mixture co-volume at the current composition (m3/mol).
    double getVolumeMinimum() override;

    // Lower triangles, element (i, j), j <= i, at i(i+1)/2 + j.  The models
    // write kbij and bij directly; "b" follows at the next mixing.
    std::vector<double> bij;
    std::vector<double> kbij;
    static int at(int i, int j) { return i >= j ? i * (i + 1) / 2 + j : j * (j + 1) / 2 + i; }

private:
    LineaX2* bq = nullptr;  // node "b"
};
