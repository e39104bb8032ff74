#pragma once
// Closed cubics with the Soave temperature function
//     a_ii(T) = ac_i (1 + m_i (1 - sqrt(T/Tc_i)))^2,  m_i = m0 + m1 w_i + m2 w_i^2,
//     ac_i = Omega_a R^2 Tc_i^2/Pc_i,  b_i = Omega_b R Tc_i/Pc_i,
// and pure-component constants from a built-in table (short names and
// formula names: "C1"/"CH4", "C2"/"C2H6", ...).  A name outside the table is
// reported ("Cannot treat %s component") and leaves the model without usable
// parameters until the components are set again.
#include <cstddef>
#include <vector>

#include "families/cubic/ClassicalQuadraMix.h"
#include "families/cubic/CubicMixture.h"

class ClassicalCubic0 : public ClassicalQuadraMix {
public:
    ClassicalCubic0() = default;
    ~ClassicalCubic0() override = default;

    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    // The pair matrices at T; skipped while they were last computed at the
    // same T (bit for bit) and parameter revision.
    void calculate_parameters_of_pure_components() override;
    // The mixture record; skipped while the pair matrices and the
    // composition it was last computed from hold.
    void calculate_mixing_parameters() override;
    bool parametersUsable() const override;
    unsigned long recordComputations() const override { return recordComputed_; }
    bool trialsFromStateSearch() const override { return true; }
    // A mixture's roots with each component's ln phi from the pair matrices
    // at T, the translation included (cubic::mixtureRoots).
    int closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2],
                               double* lnPhi = nullptr, bool sameT = false) override;
    double closedFormMixturePressure(double T_, double V_, const double* x_) override;

    double m0 = 0.0, m1 = 0.0, m2 = 0.0;
    std::vector<double> Tc, Pc, Vc, omega, m, ac, bi;
    std::vector<char> known;  // 1 once the component's constants are set

protected:
    // The pair matrices at T into mixturePairs_; false where the model has
    // no mixture or lacks a component's data.
    bool mixturePairsAt(double T_);
    cubic::MixturePairs mixturePairs_;
    // What the pair matrices are kept for: T, the count and the parameter
    // revision (the components' constants, translations and pair
    // parameters; their setters count a change, and a caller that writes
    // them directly calls parametersChanged), into `inputs`.
    void pairInputs(double T_, std::vector<double>& inputs) const;
    // The length of those inputs at T_ at the head of `kept` where they are
    // the same bits, else 0.
    std::size_t heldPairInputs(const std::vector<double>& kept, double T_) const;
    // The inputs of the pair matrices held (empty: none), the count of their
    // computations, the count the mixture record and mixturePairs_ were
    // taken from, and the record's composition.
    std::vector<double> pairsFrom_;
    unsigned long pairsComputed_ = 0, recordFromPairs_ = 0, pairsOfMixturePairs_ = 0, recordComputed_ = 0;
    std::vector<double> recordFromX_;
    // The last pressure of closedFormMixturePressure with its inputs (the
    // pairs' at T, V and the composition): the naming of a single root
    // asks it at one state again and again.
    std::vector<double> pressureFrom_;
    double pressureKept_ = 0.0;
    // Sets the constants of component i and its derived parameters.
    void setComponent(int i, double Tc_, double Pc_, double omega_, double mw, double Vc_);
};

// Soave-Redlich-Kwong (Soave 1972) in closed form; "SRK".
class ClassicalSRK : public ClassicalCubic0 {
public:
    explicit ClassicalSRK(int phaseKind);
};

// Hydrocarbon pairs from the critical temperatures: kaij = 1 - (2 sqrt(Tc_i
// Tc_j)/(Tc_i + Tc_j))^((Zc_i + Zc_j)/2), for pairs without CO2, N2 or H2O and
// with both molar masses at most 0.156 kg/mol.  Built with SRK constants.
class ClassicalCubic01 : public ClassicalCubic0 {
public:
    explicit ClassicalCubic01(int phaseKind);
    void read_BIP() override;
};

// Peng-Robinson with volume translation over a fixed list of seventeen
// components and a built-in kaij table; "Montel".  A component is found in
// the list by its name (CH4 for C1 and the other formula aliases of the
// base table too), wherever it stands in the model, and its pairs take the
// table's kaij of the two names; a component not in the list takes the base
// table's constants, no translation and kaij 0.
class Montel : public ClassicalCubic0 {
public:
    explicit Montel(int phaseKind);
    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    void read_BIP() override;
    // Index of component i in the seventeen-component list, -1 when absent.
    std::vector<int> listIndex;

    struct Pseudo {
        double Tc, Pc, omega, Vc, mw, s;
    };
    Pseudo Cn1{713.0, 2e6, 0.6, 0.00104, 200.0, 0.1};
    Pseudo Cn2{903.0, 1.3e6, 0.8, 0.0016, 440.0, 0.2};
};
