#pragma once
// A reference equation of state in the reduced Helmholtz energy
// phi(delta, tau) = phi0 + phir, delta = rho/rhoc, tau = Tc/T, evaluated in
// plain arithmetic from its published coefficients: polynomial terms
// n delta^d tau^t, exponential ones n delta^d tau^t exp(-delta^c), Gaussian
// bell-shaped ones n delta^d tau^t exp(-alpha (delta - eps)^2 - beta (tau -
// gamma)^2) and the non-analytic terms n Delta^b delta psi of the critical
// region (Span & Wagner 1996, eq. 6.6; Wagner & Pruss 2002, Table 6.5).
//
// It stands beside the models as the fluid's density where the IUPAC
// equations of CO2 (1976) and CH4 (1978) part from the fluid: near the
// critical point, where their own critical points lie 0.6 K and 0.9 bar
// (CO2) from the fluid's.  The equations here are those later reference
// equations: Span & Wagner (1996) for CO2, Setzmann & Wagner (1991) for CH4,
// each with its own gas constant and molar mass.
//
// Units: T in K, P in Pa, densities in kg/m3, cp in J/(kg K).

struct HelmholtzTerm {
    enum Kind { kPolynomial, kExponential, kGaussian, kNonAnalytic };
    Kind kind = kPolynomial;
    double n = 0.0, d = 0.0, t = 0.0;
    // kExponential: c; kGaussian: alpha, beta, gamma, eps;
    // kNonAnalytic: a, b, beta (B_), A, B, C, D.
    double c = 0.0, alpha = 0.0, beta = 0.0, gamma = 0.0, eps = 0.0;
    double a = 0.0, b = 0.0, A = 0.0, B = 0.0, C = 0.0, D = 0.0;
};

// The reduced residual Helmholtz energy and its derivatives at (delta, tau).
struct HelmholtzDerivatives {
    double f = 0.0, d = 0.0, dd = 0.0, t = 0.0, tt = 0.0, dt = 0.0;
};

struct HelmholtzEquation {
    const char* source;  // "Span & Wagner 1996"
    double Tc, rhoc;     // K, kg/m3
    double R;            // J/(kg K): the equation's own gas constant over its molar mass
    // The ideal part's heat capacity: cv0/R = c + sum a_i (theta_i tau)^2
    // e^(theta_i tau) / (e^(theta_i tau) - 1)^2.
    double c;
    int einsteins;
    double a[6], theta[6];
    const HelmholtzTerm* terms;
    int count;

    HelmholtzDerivatives residual(double delta, double tau) const;
    double pressure(double rho, double T) const;
    // The isobaric heat capacity at (rho, T).
    double isobaricHeatCapacity(double rho, double T) const;
    // The density of the stable state at T and P: of the roots of
    // p(rho) = P on the mechanically stable branches, the one of lowest
    // Gibbs energy (the gas's below the vapour pressure, the liquid's
    // above), found by Newton on the equation from the published ancillary
    // equations of its saturation curve.  NaN where none is found (T or P
    // not positive, or a root beyond 3.5 times the critical density).  With
    // `liquid` set, whether that root is denser than the critical density
    // below the critical temperature.
    double densityFromTP(double T, double P, bool* liquid = nullptr) const;
    // The vapour pressure at T below Tc, where the liquid's and the gas's
    // pressures and Gibbs energies meet (Newton on the two densities from
    // the ancillary ones), within 20 % of `guess` (Pa); NaN where it does
    // not lie there.
    double saturationPressure(double T, double guess) const;
    // g/RT at (delta, tau), less its part in tau alone.
    double gibbs(double delta, double tau) const;
};

// Span & Wagner, J. Phys. Chem. Ref. Data 25 (1996) 1509: CO2, 216.592 to
// 1100 K, up to 800 MPa.
const HelmholtzEquation& spanWagnerCO2();
// Setzmann & Wagner, J. Phys. Chem. Ref. Data 20 (1991) 1061: CH4, 90.6941
// to 625 K, up to 1000 MPa.
const HelmholtzEquation& setzmannWagnerCH4();
