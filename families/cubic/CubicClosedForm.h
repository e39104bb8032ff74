#pragma once
// The closed-form roots of a pure fluid's cubic isotherm, which the stable
// state from T and P takes in place of a saturation solve and a scan of the
// isotherm (FluidPhase::closedFormRoots):
//     P = RT/(V - br) - a/(V^2 + u ba V + w ba^2),
// a two-parameter cubic whose repulsion may take a co-volume br of its own
// beside the attraction's ba (Peng-Robinson u = 2, w = -1; SRK u = 1, w = 0).
// Multiplied out it is a cubic in Z = PV/(RT); with A = aP/(RT)^2,
// Ba = ba P/(RT), Br = br P/(RT),
//     Z^3 + (u Ba - Br - 1) Z^2 + (w Ba^2 - u Ba Br - u Ba + A) Z
//         - (w Ba^2 Br + w Ba^2 + A Br) = 0,
// and the fugacity coefficient of a root, with delta1,2 = (u +- sqrt(u^2 - 4w))/2,
//     ln phi = Z - 1 - ln(Z - Br) - A/(Ba (delta1 - delta2)) ln((Z + delta1 Ba)/(Z + delta2 Ba)).
#include "fluid/FluidPhase.h"

class Schmidt0;
class VdWr1;

namespace cubic {

// The stable roots Z (ascending) of the cubic in Z of A = a P/(RT)^2,
// Ba = ba P/(RT), Br = br P/(RT), u, w, at RT (J/mol) and P (Pa), as the
// isotherm's count gives them (stableRootCount: Cardano's or the
// trigonometric form), polished by Newton's steps on the cubic in Z until
// they stand to rounding; 0 where the count is undecided (beside a spinodal
// or the critical point) or the steps do not settle.
int polishedRoots(double A, double Ba, double Br, double u, double w, double RT, double P, double a, double ba,
                  double br, double (&Z)[2]);

// The mechanically stable roots at T (K) and P (Pa): of the real roots above
// br, the outer two where there are three (the middle one lies where
// dP/dV > 0), else the one; ascending in volume into `roots` with ln phi at
// P.  Their number, 0 where no root lies above br.
int stableCubicRoots(double a, double ba, double br, double u, double w, double T, double P,
                     FluidPhase::ClosedFormRoot roots[2]);

// The same for a one-component model built of the co-volume repulsion
// `repulsion` (its term 0) and the cubic attraction `attraction` (its term
// 1) and nothing else, a and the co-volumes evaluated at T; -1 for any other
// model (a mixture, a further term).
int termCubicRoots(FluidPhase& f, Schmidt0& attraction, VdWr1& repulsion, double T, double P_bar,
                   FluidPhase::ClosedFormRoot roots[2]);

// The residual terms of that model in closed form at T (K) and V (m3/mol),
// reduced by RT: the repulsion -ln(V - br) and the attraction
//     a/(ba R T sqrt(delta)) ln[(2V + (u - sqrt(delta)) ba)/(2V + (u + sqrt(delta)) ba)],
// delta = u^2 - 4w, with their T and V derivatives to the second order, from
// a(T) and its T derivatives kept for the isotherm (the tree evaluated at a
// new one); 2, or 0 for any other model or where the co-volumes depend on T.
int termResidualInClosedForm(FluidPhase& f, Schmidt0& attraction, VdWr1& repulsion, double T, double V,
                             FluidPhase::TermInClosedForm terms[2]);

}  // namespace cubic
