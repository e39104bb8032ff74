#include "families/cubic/BWREOS.h"

#include <cstdio>
#include <cstring>

#include "families/cubic/BWR.h"
#include "families/cubic/LeeKeslerConstants.h"
#include "fluid/Ideal.h"
#include "platform/LogSink.h"

BWREOS::BWREOS(int phaseKind) : FluidPhase(1, phaseKind, 0) {
    setModelName("BWR EOS");
    if (interactions.empty()) {
        platform::diagf("You have specified a false interaction index (%d)...\n", 0);
    } else {
        interactions[0] = new BWR();
    }
    // Its temperature and volume are reduced ones: no ideal gas can be given,
    // and the term alone is the residual part, so there are no state
    // functions (pressures, fugacities and saturation are the term's).
    ideal = new NoIdealGas(
        "BWR EOS: the Lee-Kesler fluids are in reduced temperature and volume and have no ideal-gas heat capacity: "
        "no enthalpy, entropy, heat capacities or sound speed");
    Vl0 = 2e-05;
    Vv0 = 0.0002;
}

BWR* BWREOS::term() const { return interactions.empty() ? nullptr : static_cast<BWR*>(interactions[0]); }

void BWREOS::number_of_components(int n) {
    FluidPhase::number_of_components(n);
    if (n != 1) platform::diagf("Can handle only one-component fluid\n");
}

void BWREOS::read_component_data(int i, const char* name) {
    if (i != 0) {
        platform::diagf("Can handle only one-component fluid\n");
        return;
    }
    double mw;
    if (name && std::strcmp(name, "C1") == 0) {
        term()->set_parameters(lee_kesler::kSimpleFluid);
        mw = 0.016;
    } else if (name && std::strcmp(name, "C8") == 0) {
        term()->set_parameters(lee_kesler::kReferenceFluid);
        mw = 0.146;
    } else {
        platform::diagf("Can only be applied to C1 or C8.\n");
        return;
    }
    molar_mass[0] = mw;
    bulk_molar_weight = mw;
}
