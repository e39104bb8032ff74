#pragma once
// Three-parameter cubic equation of state
//     P = RT/(V - b) - a/(V^2 + (b + c) V - b c),
// solved in reduced form A = a P/(RT)^2, B = b P/(RT), C = c P/(RT) (the
// Patel-Teja form; c = 0 gives the Soave-Redlich-Kwong form).  No Interaction
// terms: the volume comes from the roots of the cubic in Z and the fugacities
// from their closed form.  TwoPar takes Omega_a, Omega_b, Omega_c from the
// model; ThreePar derives them for each component from its acentric factor
// (Patel and Teja, Chem. Eng. Sci. 37 (1982) 463).  Components come from
// their files "compo/<name>" ("Tc" K, "Pc" Pa, "omega", "mw" kg/mol).
#include <initializer_list>
#include <vector>

#include "fluid/FluidPhase.h"
#include "numerics/Secant.h"

class HCubic : public FluidPhase {
public:
    HCubic();
    ~HCubic() override = default;

    void number_of_components(int n) override;
    void calculate_molar_volume() override;
    void calculate_pressure() override;
    // The fugacities in closed form; their derivatives are not given (NaN).
    void calculate_fugacities() override;
    // Volumes, pressures and fugacities only: the pressure at the current V,
    // and no state functions or pressure derivatives (NaN).
    void calculate_state_functions() override;
    void calculate_the_pseudo_critical_point(double& Tc, double& Pc, double& Vc) override;
    virtual void calculate_parameters_of_pure_components();
    virtual void calculate_mixing_parameters();

    // A/B - Omega_a/Omega_b at T (the pseudo-critical residual).
    double equation(double T, void* = nullptr);
    void resolve_cubic_equation_in_Z();
    void read_BIP();
    void set_binary_interaction_kaij(int i, int j, double k);
    // kaij of the pairs (0,1), (0,2), ..., (0,n-1), (1,2), ... in this order.
    void set_binary_interaction_a_parameters(std::initializer_list<double> ks);
    template <typename... Rest>
    void set_binary_interaction_a_parameters(double k01, Rest... rest) {
        set_binary_interaction_a_parameters({k01, static_cast<double>(rest)...});
    }
    // Mixture a, b, c (SI) at the current T and composition.
    double amix() const { return A_ * aScale(); }

    Secant secant;
    std::vector<double> m, Tc, Pc, omega, ac, b, c, aT, bT, cT, Ai, Bi, Ci, Si;
    double A_ = 0.0, B_ = 0.0, C_ = 0.0;
    double m0 = 0.0, m1 = 0.0, m2 = 0.0, Omega_a = 0.0, Omega_b = 0.0, Omega_c = 0.0;
    std::vector<double> kaij;  // n x n
    std::vector<double> lnphi;
    std::vector<char> known;

protected:
    bool usable() const;
    // The attraction's share of ln phi_i, the factor of (A/D) L in it:
    // 2 S_i / A for the quadratic mixing.
    virtual double attractionShare(int i) const { return 2.0 * Si[i] / A_; }
    // Reduced parameters at P = 1 Pa scale: A = aScale() a etc.
    double aScale() const;
    // Keywords common to TwoPar and ThreePar; false when the file is missing.
    bool readCommon(int i, const char* name);
    int n_ = 0;
    // The reduced parameters are formed at this pressure (the model's P, or
    // 1 bar while it has none) and scaled back where a is needed.
    double Pref() const { return P > 0.0 ? P : 1e5; }
};

class TwoPar : public HCubic {
public:
    // Constants of the form; the defaults are those of Soave-Redlich-Kwong.
    explicit TwoPar(int phaseKind, double Omega_a = 0.427480234, double Omega_b = 0.08664034996495773,
                    double Omega_c = 0.0, double m0 = 0.48, double m1 = 1.574, double m2 = -0.176);
    void read_component_data(int i, const char* name) override;
};

class ThreePar : public HCubic {
public:
    // m(omega) = m0 + m1 omega + m2 omega^2; the defaults are Patel and Teja's F.
    explicit ThreePar(int phaseKind, double m0 = 0.452413, double m1 = 1.30982, double m2 = -0.295937);
    void read_component_data(int i, const char* name) override;

protected:
    ThreePar() = default;
    // Omega_a, Omega_b, Omega_c from the critical compressibility zeta.
    void omegasFromZeta(double zeta);
};
