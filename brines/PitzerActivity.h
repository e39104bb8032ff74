#pragma once
// The activities of an NaCl brine from Pitzer's model (Pitzer et al. 1984),
// evaluated on the reference water model at (T, P) with the volume of pure
// water from Spivey et al. (2004).
#include "water/WaterEOS.h"

// Returns the water activity aw and sets the salt's activity coefficient and
// the osmotic coefficient at molality ms (mol/kg).  aw is not finite outside
// the activity model's range (the model says so).
inline double pitzerWaterActivity(WaterEOS& water, double T, double P_Pa, double ms, double& saltActivity,
                                  double& osmoticCoefficient) {
    water.temperature(T);
    water.pressure(P_Pa / 1e5);
    water.V = WaterEOS::calculateSpiveyVolume(T, P_Pa / 1e5);
    double aw = 1.0;
    saltActivity = 0.0;
    water.calculatePitzer84(ms, aw, saltActivity, osmoticCoefficient);
    return aw;
}
