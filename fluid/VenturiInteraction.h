#pragma once
// Flow-energy term of a fluid moving at speed u:
//     a = (u^2/2)/(R T) * (sum_i c_i x_i) * ln V.
// A FluidPhase built with withVenturi set appends one to its terms; `speed`
// and `coefficients` must be given values before the first calculation.
#include <memory>
#include <vector>

#include "expressions/FVar.h"
#include "expressions/LineaX.h"
#include "expressions/Product.h"
#include "expressions/UnaryNodes.h"
#include "fluid/Interaction.h"

class VenturiInteraction : public Interaction {
public:
    VenturiInteraction();
    ~VenturiInteraction() override;

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;

    double speed = 0.0;  // u, m/s
    FVar rtVar;          // R T
    Inverse inverseRT;   // s/(R T), s = u^2/2
    LineaX compositionSum;
    FVar volumeVar;  // V
    Logarithm logV;  // ln V
    Product product;
    std::vector<double> coefficients;  // c_i
};
