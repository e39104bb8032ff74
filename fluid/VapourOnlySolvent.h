#pragma once
// A binary whose solvent (its larger share) the model describes as a vapour
// only below a temperature (Duan, Moller & Weare's water below 647.096 K,
// their CO2 below 304.128 K): the mixture's own vapour, and its split into a
// vapour and a liquid, are given at every composition; where the mixture is
// the solvent's liquid, which the model does not describe, the state is
// refused.  Where that liquid forms follows from the solute's physics, the
// same at every share of it:
//  - a solute more volatile than its solvent (CO2 in water) dissolves in
//    the liquid, which the mixture is alone above its bubble pressure,
//    (1 - x) psat + x H by Raoult's and Henry's laws (H at the upper end of
//    its uncertainty, the factor FluidPhase::henryUncertaintyAt(x); the
//    solvent's vapour pressure as x goes to 0), except above the pair's
//    published critical curve, where the mixture is one fluid;
//  - a solute less volatile than its solvent (water in CO2) condenses as
//    its own liquid where its partial pressure passes its vapour pressure,
//    and the solvent-rich fluid holds it up to its published solubility;
//    the solvent itself liquefies at its own vapour pressure.  Beyond that
//    solubility the mixture splits into the solvent's fluid and the
//    solute's liquid at every pressure, which is said, not refused.
#include <string>

class FluidPhase;

namespace vapouronly {

// A binary of two fluids, both present, at T (K) below its solvent's
// vapour-only limit.
bool holdsFor(FluidPhase& m, double T);

// For such a binary at T (K) and P (bar): true where P lies below the
// pressure from which the mixture is its solvent's liquid; else the refusal
// is said once, naming that pressure and the physics it comes from, with P
// written as pText, errorflag is set and false returned.
bool admitsPressure(FluidPhase& m, double T, double P_bar, const std::string& pText);

}  // namespace vapouronly
