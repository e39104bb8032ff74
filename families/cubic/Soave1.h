#pragma once
// Soave-Redlich-Kwong attraction term of any number of components with
// constant interaction parameters: Schmidt0 with u = 1, w = 0,
//     A/(RT) = (a/(b R T)) ln(V/(V + b)),
//     a = sum_i sum_j x_i x_j (1 - kaij) sqrt(ai_i ai_j),  ai_i = Soave72 of component i,
//     b = sum_i sum_j x_i x_j (b_i + b_j)(1 - kbij)/2.
#include "families/cubic/QuadraticCubic.h"

class Soave1 : public QuadraticCubic {
public:
    Soave1();
    ~Soave1() override;

    void number_of_components(int n) override;
    // Passes T to the Soave72 nodes, then as QuadraticCubic.
    void calculate_fixed_parameters() override;

    void set_ai_parameters(int i, double ac, double m, double Tc);
};
