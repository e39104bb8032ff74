#pragma once
// The van der Waals binary of the equilibrium tests: component 0 like CO2
// (Tc 304.1 K), component 1 a heavier gas (Tc 392 K).  Its closed forms
// (mix), and its model in the fluid framework (makeMixture; molar masses of
// CO2 and propane).
#include <memory>
#include <vector>

#include "equilibria/tests/VdWMixture.h"
#include "fluid/tests/RelativeError.h"
#include "fluid/tests/VdWFluid.h"

inline constexpr double kA0 = 0.3658, kB0 = 4.286e-5, kA1 = 0.55, kB1 = 5.0e-5;
inline const VdWMixture mix{kA0, kA1, kB0, kB1};

inline std::unique_ptr<VdWFluid> makeMixture(bool withIdeal = false) {
    auto f = std::make_unique<VdWFluid>(std::vector<double>{kA0, kA1}, std::vector<double>{kB0, kB1}, withIdeal);
    f->molar_mass = {0.044, 0.058};
    return f;
}
