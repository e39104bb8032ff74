#pragma once
// Methane in water and NaCl brine after Spivey, McCain & North (2004): a
// closed correlation of the methane molality of pure water in temperature and
// ln of the pressure above the water vapour pressure, a salting-out factor and
// a closed partial molar volume of dissolved methane.
#include <vector>

#include "brines/SolubilityModel.h"

class SpiveySolubility : public SolubilityModel {
public:
    SpiveySolubility();
    ~SpiveySolubility() override = default;

    void calculate_gas_solubility0() override;
    // mg(P_bar) - *(double*)data.
    double equation_for_bubble_pressure(double P_bar, void* data);
    // Bubble pressure of a liquid of mg at T from the pressure the model holds
    // (P_bar and ms_ are not used: the salt molality is the model's), with
    // the volume of the methane vapour over it from the gas model.
    void calculate_bubble_pressure(double T_, double P_bar, double ms_, double mg_);
    double calculate_gas_partial_volume(double T_, double P_bar, double ms_, double mg_);
    // The closed partial molar volume at the model's T, P and mg.
    void calculate_gas_partial_volume_() override;
    // Bubble points from 273.15 K by 1 K into out (T in K, P in bar), up to
    // 573.15 K or the first temperature without one (the correlation ends at
    // 548.15 K).
    void calculate_isopleth(double mg_, double ms_, char mode, const char* suffix, std::vector<double>* out);
    // Against DMGWwater, file "res5.txt".
    void compare_with_Duan_model();

private:
    double partialVolume(double PM) const;
};
