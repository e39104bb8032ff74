#pragma once
// Residual term of the IUPAC equation of state of carbon dioxide (Angus,
// Armstrong & de Reuck, International Thermodynamic Tables of the Fluid State:
// Carbon Dioxide, 1976), over W = Vc/V - 1 and Y = Tc/T - 1:
//   A/(RT) = -ln V + sum_ij a_ij/(i+1) W^(i+1) Y^j     (50 pairs i, j),
// the Helmholtz energy of the published pressure equation
//   P/(rho R T) = 1 + omega sum_ij a_ij (omega - 1)^i (tau - 1)^j,
// omega = rho/rho_c = delta, tau = Tc/T.
// The -ln V term (V in m3/mol) makes the term carry the volume dependence of
// the ideal gas too; the model's ideal term only supplies, in the fugacity
// pass, the zero-density limit of the sum.
//
// The term is one leaf of T and V (fluid/SeparableResidual.h): its functions
// of delta are the ten powers W^(i+1) and -ln V, their coefficients the
// polynomials sum_j a_ij/(i+1) Y^j (and 1), computed once per temperature.
#include "gases/LeafResidual.h"
#include "fluid/SeparableResidual.h"

namespace iupac_co2 {

// Number of i values in row j.
inline constexpr int kRowLength[7] = {10, 10, 10, 8, 6, 5, 1};
// Coefficients a_ij of the table, by j (rows of 10, 10, 10, 8, 6, 5, 1 values).
inline constexpr double kCoefficients[50] = {
    // j = 0
    -0.725854437, 0.447869183, -0.172011999, 0.00446304911, 0.255491571, 0.0594667298, -0.14796001,
    0.0136710441, 0.0392284575, -0.0119872097,
    // j = 1
    -1.68332974, 1.26050691, -1.83458178, -1.76300541, 2.37414246, 1.16974683, -1.69233071, -0.10049233,
    0.441503812, -0.0846051949,
    // j = 2
    0.259587221, 5.96957049, -4.61487677, -11.1436705, 7.50925141, 7.4370641, -4.68219937, -1.63653806,
    0.88674197, 0.046456437,
    // j = 3
    0.376945574, 15.4645885, -3.82121926, -27.8215446, 6.61133318, 15.0646731, -3.13517448, -1.87082988,
    // j = 4
    -0.67075537, 19.4449475, 3.60171349, -27.168572, -2.4266321, 9.57496845,
    // j = 5
    -0.871456126, 8.64880497, 4.92265552, -6.42177872, -2.57944032,
    // j = 6
    -0.149156928,
};

// The weights a_ij/(i+1) of the terms W^(i+1) Y^j (the quotients in
// double precision), by i and j; zero where the table has no entry.
struct Weights {
    double of[10][7] = {};
};
constexpr Weights weights()
{
    Weights w;
    int k = 0;
    for (int j = 0; j < 7; ++j)
        for (int i = 0; i < kRowLength[j]; ++i)
            w.of[i][j] = kCoefficients[k++] / (i + 1);
    return w;
}
inline constexpr Weights kWeights = weights();

}  // namespace iupac_co2

class IUPAC : public LeafResidual {
public:
    IUPAC();
    ~IUPAC() override { releaseTree(); }

    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;
    // The tables reach 1294 kg/m3 (29.4 mol/dm3, 216.58 K and 1000 bar).
    // Beyond 28 cm3/mol (1572 kg/m3) the polynomial leaves the fluid: from
    // 300 to 400 K its pressure falls through a maximum (7359 bar at 356 K)
    // to large negative values and rises again to a second, spurious dense
    // root (2356 kg/m3 at 356 K and 1000 bar); no state lies there.
    double getVolumeMinimum() override { return 2.8e-5; }

    // The reducing state, which the ideal part shares.
    static constexpr double kVc = 9.407337723424271e-05;  // m3/mol, 1/10630 mol/m3
    static constexpr double kTc = 304.2;                  // K

    // Number of i values in row j, the coefficients a_ij by j, and the
    // weights a_ij/(i+1) by i and j (iupac_co2 above).
    static constexpr const int (&kRowLength)[7] = iupac_co2::kRowLength;
    static constexpr const double (&kCoefficients)[50] = iupac_co2::kCoefficients;
    static constexpr const iupac_co2::Weights& kWeights = iupac_co2::kWeights;

private:
    // The functions of delta: W^1 .. W^10, and -ln V.
    static constexpr int kFunctions = 11;
    SeparableLeaf<kFunctions> terms;
    template <int K>
    void load();
};
