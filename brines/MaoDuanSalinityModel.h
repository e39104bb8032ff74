#pragma once
// Mao & Duan (2008) volumetric model of chloride solutions: the solution
// volume per kg of water is that of a reference solution of molality mref,
// corrected by a Debye-Hueckel term and second and third virial terms
// (Pitzer's form), on the volume of pure water.
#include <memory>

#include "brines/DensityModel.h"

class WagnerPruss;

class MaoDuanSalinityModel : public DensityModel {
public:
    // waterSource 0: pure water from the owned reference model (IAPWS-95);
    // 1: Spivey's pure-water correlation.
    explicit MaoDuanSalinityModel(int waterSource);
    ~MaoDuanSalinityModel() override;

    // Salt constants, then the coefficient block of types 0..6 (other types
    // keep the block already loaded).
    void setSystemType(DM_SystemType type);
    double calculate_density() override;
    // Mean deviation from the Potter-Brown table, printed on standard output.
    void compare_with_Potter_Brown();

    std::unique_ptr<WagnerPruss> water;
    double c[24] = {};  // c[1]..c[23]
    double mref = 0.0;
    int waterSource = 0;
};
