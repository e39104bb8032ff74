#pragma once
// NaCl brine density of Spivey, McCain & North (2004): pure water and brine
// densities at 70 MPa with a compressibility integrated in pressure.
#include "brines/DensityModel.h"

class SpiveyDensityModel : public DensityModel {
public:
    SpiveyDensityModel();
    ~SpiveyDensityModel() override = default;

    double calculate_density() override;
    // which 0: against PotterBrown, 1: against MaoDuanSalinityModel(0); file "res%d.txt".
    void compare_with_model(int which);
    // Pure water against the reference model; file "res.text".
    void compare_with_Wagner_Pruss();
};
