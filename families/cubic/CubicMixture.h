#pragma once
// The closed-form roots of a cubic mixture's isotherm and each component's
// fugacity coefficient at them, for the fluids built of the co-volume
// repulsion (term 0) and a quadratically mixed cubic attraction (term 1),
// Peng-Robinson, PRSV, SRK1 and SRK2 of terms (SRK2's pair parameters
// stepping with T), and for
// the closed cubics of van der Waals one-fluid mixing (ClassicalCubic0:
// SRK, Montel's translated Peng-Robinson), br = ba there.
//     P = RT/(V - br) - a/(V^2 + u ba V + w ba^2),
//     a = sum_ij x_i x_j a_ij,  ba = sum_ij x_i x_j ba_ij,  br = sum_ij x_i x_j br_ij,
// with the pair matrices of the model at T (a_ij of the attraction's own
// nodes, its co-volume pairs ba_ij and the repulsion's br_ij).  With
// delta1,2 = (u +- sqrt(u^2 - 4w))/2, A = aP/(RT)^2, Ba = ba P/(RT),
// Br = br P/(RT) and the partial quantities a'_i = 2 sum_j x_j a_ij,
// ba'_i = 2 sum_j x_j ba_ij - ba, br'_i = 2 sum_j x_j br_ij - br (the
// derivatives of n a, n ba, n br in the moles of i), the derivative of the
// residual Helmholtz energy in the moles gives
//     ln phi_i = -ln(Z - Br) + Br'_i/(Z - Br)
//                - A/(Ba (delta1 - delta2)) (a'_i/a - ba'_i/ba) ln((Z + delta1 Ba)/(Z + delta2 Ba))
//                - (ba'_i/ba) A Z/((Z + delta1 Ba)(Z + delta2 Ba)),
// which for br = ba and linear co-volumes is Peng & Robinson's (1976)
// eq. 15, and sums (sum_i x_i ln phi_i) to the fluid's ln phi at its
// composition (Michelsen & Mollerup 2007, ch. 5).
#include <initializer_list>
#include <span>
#include <vector>

#include "fluid/FluidPhase.h"

class QuadraticCubic;
class Schmidt0;
class VdWr;
class VdWr1;

namespace cubic {

// The most components the closed form takes (its sums on the stack).
constexpr int kMaxMixtureComponents = 16;

// The pair matrices of a mixture at one temperature (n x n, full), kept by
// the model they were read from.
struct MixturePairs {
    double T = 0.0;
    int n = 0;  // 0: none read
    double u = 0.0, w = 0.0;
    std::vector<double> a, ba, br;
    std::vector<double> c;  // the volume translation of each component (m3/mol; empty: none)
    // What they were read from besides T: the model's parameter revision
    // (its components' constants) and the pair parameters it may set
    // without a new revision (Sources).
    unsigned long revision = 0;
    std::vector<double> sources;
    // The first and second T derivatives of a_ij, ba_ij and br_ij, read from
    // the trees where a state's functions are asked for, and whether the
    // terms' trees were then found to be the closed form's (1), not (-1), or
    // not yet read (0) at T; a pair of them empty where those pairs do not
    // depend on T.
    std::vector<double> aT, aTT, baT, baTT, brT, brTT;
    int derivatives = 0;
};

// The parameters a model's pairs are read from besides its components'
// constants and T (its pair parameters), compared before the pairs kept are
// taken again.
using Sources = std::initializer_list<std::span<const double>>;

// The mechanically stable roots of the mixture at T (K), P (bar) and the
// mole fractions x (all positive) as FluidPhase::closedFormMixtureRoots
// gives them, for a fluid of the repulsion (term 0, a co-volume node
// quadratic in the mole fractions) and the cubic attraction (term 1, its
// "a" and "b" quadratic) alone; the pairs read from the terms' trees into
// `kept` unless they were read at T from the same sources (or `sameT`
// says they still hold); -1 where f is not such a fluid (another term, a
// pure fluid) or its terms do not evaluate to the quadratic rule.
int termMixtureRoots(FluidPhase& f, Schmidt0& attraction, VdWr& repulsion, MixturePairs& kept, Sources sources,
                     double T, double P_bar, const double* x, FluidPhase::ClosedFormRoot roots[2], double* lnPhi,
                     bool sameT);

// The same from the pairs m read at T, for any model that fills them.
int mixtureRoots(const MixturePairs& m, double T, double P_bar, const double* x, FluidPhase::ClosedFormRoot roots[2],
                 double* lnPhi);
// The pressure (Pa) of the pairs m read at T, at V (m3/mol) and x; NaN at or
// below the co-volume.
double mixturePressure(const MixturePairs& m, double T, double V, const double* x);

// The mixture's pressure (Pa) at T (K), V (m3/mol) and x from the pairs read
// at T into `kept` (as termMixtureRoots reads them); NaN where the closed
// form does not apply.
double termMixturePressure(FluidPhase& f, Schmidt0& attraction, VdWr& repulsion, MixturePairs& kept, Sources sources,
                           double T, double V, const double* x);

// The residual terms of that fluid at T (K), V (m3/mol) and its composition
// in closed form: the repulsion -ln(V - br) and the attraction
//     a/(ba R T sqrt(delta)) ln[(2V + (u - sqrt(delta)) ba)/(2V + (u + sqrt(delta)) ba)]
// with a, ba and br the quadratic forms of the pairs at T (the mole
// fractions independent, as the trees take them), each term's a with its
// first and second derivatives in T, V and the mole fractions written into
// the term (Interaction::takeAnswerInClosedForm).  The pairs' T derivatives
// are read from the trees once at T, where the trees' own a and derivatives
// at the state are checked against the closed form's; false, nothing
// written, where f is not such a fluid or they differ.  `sameT` as for
// termMixtureRoots.
bool termMixtureResidual(FluidPhase& f, Schmidt0& attraction, VdWr& repulsion, MixturePairs& kept, Sources sources,
                         double T, double V, bool sameT);

// The same two for the attraction mixed by its pair nodes (QuadraticCubic)
// and the repulsion VdWr1, their sources the pairs' kaij and both terms'
// co-volume pairs.
int quadraticMixtureRoots(FluidPhase& f, QuadraticCubic& attraction, VdWr1& repulsion, MixturePairs& kept, double T,
                          double P_bar, const double* x, FluidPhase::ClosedFormRoot roots[2], double* lnPhi,
                          bool sameT);
double quadraticMixturePressure(FluidPhase& f, QuadraticCubic& attraction, VdWr1& repulsion, MixturePairs& kept,
                                double T, double V, const double* x);
bool quadraticMixtureResidual(FluidPhase& f, QuadraticCubic& attraction, VdWr1& repulsion, MixturePairs& kept,
                              double T, double V, bool sameT);

}  // namespace cubic
