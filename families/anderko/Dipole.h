#pragma once
// Dipole-dipole attraction of the Anderko equation of state: the Pade
// approximant of the perturbation expansion of a fluid of polar hard spheres
// (Stell, Rasaiah & Narang 1974; as used by Anderko & Pitzer 1993),
//
//   A/(RT) = A2^2 / (A2 - A3),
//   A2 = K2 T^-2 (4V)^-1 I2(eta),   A3 = K3 T^-3 (4V)^-2 I1(eta) I2(eta),
//
// with K2 = sum A_ij x_i x_j, K3 = sum D_ijk x_i x_j x_k, eta = b_mix/(4V),
// b_mix = sum B_ij x_i x_j, and the reduced squared dipole moments
// m_i = (95.59 mu_i)^2 / (b_i in cm3/mol) (mu in debye).
//
// A model whose components all have a zero dipole moment makes A2 = A3 = 0
// and the quotient undefined; the term then contributes nothing (no tree).
//
// Ownership: every node but the root is a member; the root "A" is created
// separately and deleted by this term.
#include <initializer_list>
#include <span>
#include <vector>

#include "expressions/Cube.h"
#include "expressions/Division.h"
#include "expressions/Leaf.h"
#include "expressions/LineaX.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum2.h"
#include "fluid/Attraction.h"

class Dipole : public Attraction {
public:
    Dipole();
    ~Dipole() override;

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;

    // The n covolumes (m3/mol), then the n dipole moments (debye).  A list of
    // another length than 2n is reported on standard error and changes
    // nothing; returns false then.
    bool set_parameters(std::initializer_list<double> values) {
        return set_parameters(std::span<const double>(values.begin(), values.size()));
    }
    bool set_parameters(std::span<const double> values);
    template <typename... Rest>
    bool set_parameters(double v0, Rest... rest) {
        return set_parameters({v0, static_cast<double>(rest)...});
    }

    // True when at least one component has a dipole moment (the term has a tree).
    bool isPolar() const { return root != nullptr; }

    std::vector<double> b, mu, m;
    std::vector<double> B, C, Acoef, D;  // packed lower-triangular tables

private:
    void writeLeaves();

    Leaf d, T2, T3;
    LineaX2 K2, bmix;
    LineaX3 K3;
    Product eta;
    Square eta2;
    Cube eta3;
    Sum I1, I2;
    Product I3;
    Square d2;
    Product K2T2, K3T3, K2d, K3d2, A2, A3;
    Square A2sq;
    Sum2 A2mA3;
    Division* A_ = nullptr;  // the root, owned
};
