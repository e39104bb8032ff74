#pragma once
// Heyen's three-parameter cubic: the Omegas from each component's critical
// compressibility, an exponential temperature function
//     a_i(T) = ac_i exp(m_i (1 - Tr^nn_i)),
// a temperature-dependent co-volume b_i(T) = b_i (1 + m'_i tanh(-theta_i (Tr - 1)/2))
// and a weighted (local) mixing of the attraction with weights l_ij (all 1:
// the quadratic rule).  Component file keywords: "Tc", "Pc", "omega", "Vc",
// "slope" (m_i), "nn", "m" (m'_i), "teta" (theta_i), "mw".
#include "families/cubic/HCubic.h"

class Heyen : public ThreePar {
public:
    explicit Heyen(int phaseKind);

    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    void calculate_parameters_of_pure_components() override;
    void calculate_mixing_parameters() override;
    void read_BIP() { HCubic::read_BIP(); }

    std::vector<double> Vc, nn, mprime, theta;
    std::vector<double> l;  // n x n weights
    std::vector<double> N, M;

protected:
    // 1 + (M_i/N_i + S_i)/A for the weighted mixing.
    double attractionShare(int i) const override;
};
