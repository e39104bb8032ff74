#pragma once
// The isotherm of a fluid built from the co-volume repulsion (term 0,
// R T / (V - b_r)) and a two-parameter cubic attraction (term 1, Schmidt0:
// a / (V^2 + u b V + w b^2)), the Peng-Robinson and Soave-Redlich-Kwong
// fluids of terms:
//     P(V) = R T / (V - b_r) - a / q(V),   q(V) = V^2 + u b V + w b^2,
// times the positive (V - b_r) q(V) above the co-volume, P(V) = P is the cubic
//     g(V) = P (V - b_r) q(V) - R T q(V) + a (V - b_r) = 0,
// and P(V) - P = -g(V) / ((V - b_r) q(V)): a root is mechanically stable
// (dP/dV < 0) where g rises.  g(b_r) = -R T q(b_r) < 0 and g rises without
// bound, so the isotherm has one root above b_r or three, the outer two
// stable.
class FluidPhase;
class Interaction;
class Schmidt0;

namespace cubic {

// The number of mechanically stable roots above b_r (1 or 2) of the cubic
// of R T (J/mol), P (Pa), a (Pa m6/mol2), b and b_r (m3/mol), u and w; 0
// where the rounding of g at its turning points leaves it undecided (close
// to a spinodal or the critical point) or the parameters give no such
// isotherm.  Their volumes (m3/mol, ascending) into roots[] if given: the
// largest real root of g (g(b_r) < 0: it lies above b_r) and, where there
// are three, the smallest, in closed form (Cardano's, or the trigonometric
// form where g has three real roots) and polished by Newton's steps on g.
int stableRootCount(double RT, double P, double a, double b, double u, double w, double br,
                    double* roots = nullptr);
// The same for the phase f, whose term 0 is the repulsion and term 1 the
// attraction t (and no other term), at T (K), P (bar) and its composition:
// a and b are the attraction's at that state (its tree evaluated there);
// 0 where f is not such a fluid.
int stableRootCountOfTerms(FluidPhase& f, Schmidt0& t, double T_, double P_bar, double* roots = nullptr);
// Evaluates the attraction t's tree at T (K) and P (bar), its a and b free
// of V: the whole tree, as a part of it evaluated alone would leave the
// tree's evaluation plan behind the state its later evaluations assume.  The
// term holds the phase's composition from the moment it is set, not the
// values of its tree.  Both the mixture's root count and the pure fluid's
// closed-form roots take a and b from here; a cubic mixture's pairs, its
// repulsion's co-volume node among them (any term).
// order: the derivatives taken (0 the values alone).
void evaluateAttractionAt(Interaction& t, double T_, double P_bar, int order = 0);

}  // namespace cubic
