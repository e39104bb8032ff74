#pragma once
// Base of the closed-form two-parameter cubic equations of state with volume
// translation,
//     P = RT/(V' - b) - a/((V' - d1 b)(V' - d2 b)),  V' = V + c,
// where a, b, c are the mixture's attraction, co-volume and translation at
// the current T and composition (SRK: d1 = 0, d2 = -1; Peng-Robinson:
// d1 = sqrt 2 - 1, d2 = -1 - sqrt 2).  No Interaction terms: the volume comes
// from the roots of the cubic in Z, the fugacities, their derivatives and the
// departure functions from closed forms.  Subclasses fill the pair matrices
// (calculate_parameters_of_pure_components) and the mixture record
// (calculate_mixing_parameters); the two in this order are the parameter
// refresh.  Composition derivatives (abar_i = 2 sum_j x_j a_ij, ...) are taken
// with the mole fractions as independent variables and projected on the mole
// numbers where a partial molar quantity is needed.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "fluid/FluidPhase.h"

class ClassicalCubic : public FluidPhase {
public:
    ClassicalCubic();
    ~ClassicalCubic() override = default;

    // Sizes this class's arrays only; the subclasses call FluidPhase's first.
    void number_of_components(int n) override;
    void calculate_molar_volume() override;
    // The pure fluid's roots from its translated cubic in V' = V + c.
    int closedFormRoots(double T_, double P_bar, ClosedFormRoot roots[2]) override;
    void calculate_pressure() override;
    // The smallest volume of the closed form, b - c (its pressure diverges
    // where the translated volume reaches the co-volume).
    double coVolume() override { return parametersUsable() ? std::max(b - c, 0.0) : 0.0; }
    void calculate_fugacities() override;
    // The departure functions Hdep, Sdep, Adep, Gdep (and the derivatives of
    // Hdep) at the current T and V; the fluid's own A, H, S, G, U, heat
    // capacities and sound speed are not given (NaN): no ideal gas is added.
    void calculate_state_functions() override;
    void calculate_the_pseudo_critical_point(double& Tc, double& Pc, double& Vc) override;
    // The volume and temperature derivatives of A that the critical-point
    // and spinodal searches read, A_V = -P in closed form (A itself and
    // dA/dT are not given: NaN); errorflag at or below the co-volume.
    void calculate_critical_parameters_of_pure_fluid() override;
    // The derivatives of A(T, V, x1) of a binary to the fourth order in V and
    // x1 and the first in T (the critical-point, critical-curve and spinodal
    // sets), from the closed form of A; a pure fluid's from the pure set.
    void calculate_critical_parameters() override;
    void calculate_third_order_critical_parameters() override;
    virtual void calculate_parameters_of_pure_components() {}
    virtual void calculate_mixing_parameters() {}

    // False while a component lacks its data (no state can be computed).
    virtual bool parametersUsable() const { return true; }
    // The count of the mixture record's computations, 0 where the model does
    // not count them (a state's pressure and logarithms are then not kept).
    virtual unsigned long recordComputations() const { return 0; }
    void refresh_parameters() {
        calculate_parameters_of_pure_components();
        calculate_mixing_parameters();
    }
    // The parameters at the current T and composition; false, with errorflag
    // set, while a component lacks its data.
    bool usableParametersRefreshed() {
        if (!parametersUsable()) {
            errorflag = 1;
            return false;
        }
        refresh_parameters();
        return true;
    }
    // Roots of the cubic in Z at the current T and P; selects one by phase kind.
    void resolve_cubic_equation_in_Z();
    // One (c0_i, c1_i) pair per component: c_i = c0_i + c1_i T (m3/mol).
    void set_translation_parameters(std::initializer_list<double> pairs);
    template <typename... Rest>
    void set_translation_parameters(double c0, double c1, Rest... rest) {
        set_translation_parameters({c0, c1, static_cast<double>(rest)...});
    }
    // a/(b T) - R Omega_a/Omega_b at T: zero at the pseudo-critical temperature.
    double equationForPseudoCriticalPoint(double T, void*);
    // Molar volumes of CO2-CH4 mixtures (demonstration).
    void test(int option);

    // Mixture record (d1 ... Omega_b set by the concrete model).
    double d1 = 0.0, d2 = -1.0, Lambda = 0.6931471805599453, Zc = 1.0 / 3.0, Omega_a = 0.0, Omega_b = 0.0;
    double Tc_pc = 0.0, Pc_pc = 0.0, Vc_pc = 0.0;
    double a = 0.0, b = 0.0, a_b = 0.0, c = 0.0, dcdT = 0.0, dadT = 0.0, d2adT2 = 0.0, dadT_b = 0.0;
    // Per component.
    std::vector<double> abar, bbar, abarT, D, DT, c0, c1, ci, vprime, g, dgdT, lngamma, dlngammadT, lnphi;
    // Per pair, row-major i n + j.
    std::vector<double> aij, bij, aij_bij, daijdT, daijdT_bij, d2aijdT2, twobij, twoaij, Q, Hinf, Kinf;
    // The cubic's own volume and its derivatives of the last root selection.
    double Vp = 0.0, dVpdT = 0.0, dVpdP = 0.0;
    double gE = 0.0, dgEdT = 0.0;
    // Departure functions (J/mol, J/(mol K)) and partial molar departure enthalpies.
    double Hdep = 0.0, Sdep = 0.0, Adep = 0.0, Gdep = 0.0, dHdepdT = 0.0, dHdepdP = 0.0;
    std::vector<double> Hdep_i;
    // dV'/dn_j at constant T, P (molar V', total one mole).
    std::vector<double> dVpdn;
    std::vector<double> dlnphidT, dlnphidP;
    std::vector<std::vector<double>> dlnphidn;

protected:
    int n_ = 0;
    // P, Z and their derivatives at the current T and V from the record (the
    // body of calculate_pressure); errorflag at or below the co-volume.
    void pressureFromRecord();
    // What pressureFromRecord last left, kept with the record's count, T, V,
    // d1 and d2 (with its outputs, bit for bit): while they all hold, the
    // state functions and fugacities of the same state take it, and the
    // logarithms their closed forms share, as they stand.
    static constexpr std::size_t kPressureStateScalars = 14;
    struct PressureState {
        unsigned long record = 0;
        double scalars[kPressureStateScalars] = {};
        std::vector<double> vectors;  // vprime, dVdx, dVpdn, dPdx
        bool logs = false;
        double L = 0.0, Lp = 0.0, M = 0.0, lnfree = 0.0;
    };
    PressureState pressureState_;
    bool pressureStateHolds() const;
    void pressureStateScalars(double (&v)[kPressureStateScalars]) const;
    // pressureFromRecord unless its results hold; false with errorflag.
    bool pressureOfState();
    // L = ln(E1/E2)/(d1 - d2), its V' derivative Lp, M and ln(P (V' - b)/RT)
    // of the state held.
    const PressureState& stateLogarithms();
    // Volume derivatives at V': dP/dV, dV'/dT, dV'/dP and v'_i = dV'/dx_i.
    void volumeDerivatives();
    // Van der Waals one-fluid sums over the pair matrices: a, b, c, their
    // temperature derivatives, abar_i, bbar_i, D_i and Q_ij.
    void quadraticMixing();
    // Off-diagonal pairs from the diagonal: a_ij = (1 - kaij) sqrt(a_ii a_jj)
    // with its T derivatives, b_ij = (b_ii + b_jj)(1 - kbij)/2.
    void geometricPairs(const std::vector<double>& kaij, const std::vector<double>& kbij);
    // Excess quantities at infinite pressure.
    void excessAtInfinitePressure();
    // Prints the pair matrices a_ij, b_ij with the pair parameters kaij, kbij
    // (n x n, row-major) and the mixture's a and b, as they stand.
    void printPairs(std::FILE* f, const std::vector<double>& kaij, const std::vector<double>& kbij) const;
};
