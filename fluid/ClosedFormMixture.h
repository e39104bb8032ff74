#pragma once
// A mixture whose model gives its isotherm's roots in closed form (a cubic
// with its mixing rule, FluidPhase::closedFormMixtureRoots): its stable state
// from T and P, and the trial phases of a binary's tangent-plane test and
// tie line, from those roots and each component's ln phi at them, in place
// of the volume searches and the scan of the isotherm.  Every function
// declines (false, or a negative count) where the model has no closed form
// or the shortcuts are off (FluidPhase::usePureFluidShortcuts), and the
// caller then searches as for any model.
//
// The model's hook, FluidPhase::closedFormMixtureRoots(T, P_bar, x, roots,
// lnPhi, sameT): the mechanically stable roots at T (K), P (bar) and the
// mole fractions x (every one positive), ascending in volume into roots[]
// (two where the isotherm's loop spans P, else one), each with the
// fluid's ln phi at P (sum_i x_i ln phi_i: the roots' Gibbs energies differ
// by R T times its difference); with lnPhi given, each component's ln phi
// of root k at lnPhi[k n + i].  Their number; 0 where the model gives none
// there, -1 where it has no closed form (the default) or its terms do not
// mix as its closed form assumes.  `sameT`: the caller made no call at
// another temperature nor changed the model's parameters since its last
// call (the pairs the model keeps for T hold; the model need not check
// them).  FluidPhase::closedFormMixturePressure(T, V, x): P (Pa) of the same
// closed form (NaN where none), for the naming of a single root.
#include "fluid/FluidPhase.h"

namespace closed_form_mixture {

// The stable state of the phase's composition (every component present) at
// T (K) and P (bar): the root of lower Gibbs energy, named as the roots the
// searches find are (two roots: the denser the liquid; one root by the
// model's own start), the other root beside it; the model left in the root
// with its state functions, from its residual terms in closed form where the
// model gives them (FluidPhase::setStateFromClosedFormMixture), else from
// its terms' evaluation.  False, the state not given, where the closed
// form does not give it (nor where the searches would look further: a root
// above the ideal gas in Gibbs energy far below its volume).
bool stableState(FluidPhase& p, double T_, double P_bar, FluidPhase::StableState& s);

// The mechanically stable roots of a binary of component 1's fraction w1 at
// T and P, ascending in volume, with both components' ln phi at P.
struct BinaryRoots {
    int n = 0;
    double V[2] = {0.0, 0.0};
    double lnPhi[2][2] = {{0.0, 0.0}, {0.0, 0.0}};
    // The tangent-plane distance sum_i w_i (ln(w_i P) + ln phi_i - lnfRef_i)
    // of root k at w1 and P (Pa) to the plane of ln f lnfRef.
    double distance(int k, double w1, double P_Pa, const double (&lnfRef)[2]) const;
    // Of the roots the one of lower Gibbs energy at w1; where they tie the
    // vapour's if `vapourOnTie`, else the liquid's.
    int lower(double w1, bool vapourOnTie = false) const;
};
// Their number (1 or 2); 0 or less where the closed form does not give them
// (the caller searches).  `sameT`: no call at another temperature nor a
// change of the model's parameters since the last call (its pairs at T are
// read again otherwise).
int binaryRoots(FluidPhase& p, double T_, double P_bar, double w1, BinaryRoots& r, bool sameT);

}  // namespace closed_form_mixture
