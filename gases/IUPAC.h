#pragma once
// Residual term of the IUPAC equation of state of carbon dioxide (Angus,
// Armstrong & de Reuck, International Thermodynamic Tables of the Fluid State:
// Carbon Dioxide, 1976), as an expression tree over W = Vc/V - 1 and
// Y = Tc/T - 1:
//   A/(RT) = -ln V + sum_ij a_ij/(i+1) W^(i+1) Y^j     (50 pairs i, j).
// The -ln V term (V in m3/mol) makes the term carry the volume dependence of
// the ideal gas too; the model's ideal term only supplies, in the fugacity
// pass, the zero-density limit of the sum.
#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "fluid/MultiParInteraction.h"
#include "gases/ReducedDensityPowers.h"

class IUPAC : public MultiParInteraction {
public:
    IUPAC();
    ~IUPAC() override;

    // One component only: any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;
    // The residual part is the same in the fugacity pass.
    bool changesInFugacityPass() const override { return false; }
    // The tables reach 1294 kg/m3 (29.4 mol/dm3, 216.58 K and 1000 bar).
    // Beyond 28 cm3/mol (1572 kg/m3) the polynomial leaves the fluid: from
    // 300 to 400 K its pressure falls through a maximum (7359 bar at 356 K)
    // to large negative values and rises again to a second, spurious dense
    // root (2356 kg/m3 at 356 K and 1000 bar); no state lies there.
    double getVolumeMinimum() override { return 2.8e-5; }

    double Vc = 9.407337723424271e-05;  // m3/mol, 1/10630 mol/m3
    double Tc = 304.2;                  // K

    // Coefficients a_ij of the table, by j (rows of 10, 10, 10, 8, 6, 5, 1 values).
    static const double kCoefficients[50];
    // Number of i values in row j.
    static constexpr int kRowLength[7] = {10, 10, 10, 8, 6, 5, 1};

    ReducedDensityPowers density;  // W^1 .. W^10 and -ln V
    Leaf Y1;
    Square Y2;
    Product Yk[4];  // Y3 .. Y6
    Product products[40];  // "A01" .. "A06": W^(i+1) Y^j for j >= 1

private:
    Expression* Y(int k);  // Y^k, k = 1 .. 6
};
