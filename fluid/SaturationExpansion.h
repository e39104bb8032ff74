#pragma once
// Piecewise Chebyshev expansions of a pure fluid's saturation curve, fitted to
// the model's own liquid-vapour equilibrium (the superancillary equations of
// Bell & Deiters, Ind. Eng. Chem. Res. 60 (2021) 9983, here for any model
// whose equilibrium converges to rounding).
//
// The expansions run in u = sqrt(Tc - T), Tc being the model's own critical
// temperature: along the coexistence curve of an analytic equation of state
// the densities go as rho_c +- a (Tc - T)^(1/2) + ..., which is analytic in
// u; the pieces are halved towards the critical point until each reproduces
// the equilibrium, and end where the equilibrium itself can no longer be
// solved to rounding (1e-4 K below Tc).  Each piece holds ln psat,
// the liquid's and the vapour's molar densities (mol/m3) as Chebyshev series
// on its interval of u.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class SaturationExpansion {
public:
    struct Piece {
        double u0 = 0.0, u1 = 0.0;              // interval of u = sqrt(Tc - T), K^(1/2)
        std::vector<double> lnP, rhoL, rhoV;    // Chebyshev coefficients (P in Pa, rho in mol/m3)
    };
    // One saturation state of the model: P (Pa) and the two molar volumes (m3/mol); false when none.
    using Solver = std::function<bool(double T, double& P, double& Vl, double& Vv)>;

    std::string model;         // the model's class name
    double Tc = 0.0;           // the model's own critical temperature, K
    double Pc = 0.0;           // and pressure, Pa
    double rhoc = 0.0;         // and molar density, mol/m3
    double Tmin = 0.0;         // the lowest temperature of the expansions, K
    double Tmax = 0.0;         // and the highest, just below Tc
    std::vector<Piece> pieces; // ascending in u (descending in T)

    bool empty() const { return pieces.empty(); }
    // psat (Pa) and the saturated molar volumes (m3/mol) at T; false outside
    // [Tmin, Tmax].
    bool evaluate(double T, double& P, double& Vl, double& Vv) const;
    // The index of the piece that holds T; -1 outside [Tmin, Tmax].
    int pieceAt(double T) const;

    // Fits the expansions from Tmin_ to Tmax_ < Tc_ with `solve`: each piece's series of
    // degree `degree` on Chebyshev-Lobatto nodes, checked at the midpoints
    // between them against the solver and halved until every value agrees to
    // `tol` relative (`tolNearTc` within 0.1 K of Tc).  False, with a message
    // in `why`, when the solver fails at a node.
    bool fit(const Solver& solve, double Tmin_, double Tmax_, double Tc_, double Pc_, double rhoc_, int degree, double tol,
             double tolNearTc, std::string& why);

    // The text form: one value a line per field, every number to 17 digits
    // (it reads back to the bit).
    bool write(std::FILE* f) const;
    // Reads what write wrote; false (and the expansion left empty) for
    // anything else.
    bool read(std::FILE* f);

    // Sum of c_k T_k(x) for x in [-1, 1] (Clenshaw's recurrence).
    static double chebyshev(const std::vector<double>& c, double x);
};
