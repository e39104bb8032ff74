#pragma once
// Van der Waals one-fluid mixing of the closed cubics, with two binary
// interaction parameters per pair:
//     a = sum_ij x_i x_j a_ij,  b = sum_ij x_i x_j b_ij,  c = sum_i x_i c_i,
// a_ij = (1 - kaij) sqrt(a_ii a_jj), b_ij = (b_ii + b_jj)(1 - kbij)/2 (set by
// the subclass's pure-component stage).
#include <cstdio>
#include <vector>

#include "families/cubic/ClassicalCubic.h"

class ClassicalQuadraMix : public ClassicalCubic {
public:
    ClassicalQuadraMix() = default;
    ~ClassicalQuadraMix() override = default;

    // Allocates and zeroes kaij and kbij only.
    void number_of_components(int n) override;
    void calculate_mixing_parameters() override;
    // Built-in pairs, run after the last component's data.
    virtual void read_BIP();
    void set_binary_interaction_kaij(int i, int j, double k);
    void set_binary_interaction_kbij(int i, int j, double k);
    void print_parameters(std::FILE* f);

    std::vector<double> kaij, kbij;  // n x n, row-major, symmetric
};
