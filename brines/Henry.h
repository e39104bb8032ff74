#pragma once
// Henry's law on the mole-fraction scale, f = H x gamma, with H a per-gas
// temperature correlation (three sets, chosen by the model version), a
// Poynting factor in some sets and a salting-out coefficient gamma in brines;
// the vapour is a closed-form SRK model.
#include "brines/SolubilityModel.h"

class Henry : public SolubilityModel {
public:
    Henry();
    ~Henry() override = default;

    void read_remaining_component_data() override;
    void calculate_aqueous_fugacities() override;
    // H (Pa) of component i at the model's T and the pressure P (Pa); sets its
    // activity coefficient (1, or the salting-out factor in a brine).
    double calculateHenryConstant(int i, double P_Pa);
    // The dissolved gas's partial molar volume: 3.2e-5 m3/mol in the
    // Wilhelm, Battino & Wilcock set (version 1), none (0) in the others.
    void calculate_gas_partial_volume_() override;
    // 1: water and NaCl activities of a 1 mol/kg solution at 25 °C, printed.
    void test(int which);
};
