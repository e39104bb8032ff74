#pragma once
// Generic ideal-gas part built from standard-state data: heat capacity
// Cp = CpA + CpB T (+ CpC T^2 + CpD T^3), enthalpy and entropy at 298.15 K of
// each component, read from "compo/standard.txt".  The reduced Gibbs energy of
// the ideal-gas mixture, a0(T) = H0(T)/(RT) - S0(T)/R, is computed in closed
// form and written with its temperature and composition derivatives into a
// leaf node; it does not depend on the volume.
//
// File "compo/standard.txt": whitespace-separated words, record after record:
// name, Cp constant a (cal/(mol K)), Cp slope b (0.01 cal/(mol K^2)), H298
// (cal/mol), S298 (cal/(mol K)), second name (formula or alias).  A record may
// begin with the word "#", which is skipped.  A word that begins with "##"
// (any word beginning with "#" other than "#" itself) starts a comment that
// runs to the end of its line.
//
// A component whose record is missing (or that was never read) has no
// standard-state data: hasData() is false while it is present in the
// mixture, which fails the model's state functions instead of giving
// Cv = -R and a sound speed of zero.  Which component lacks its data is told
// by whyNoData and said where the state functions are shown: volumes,
// fugacities and phase equilibria do not need the data.
//
// The residual terms of a fluid model carry the ideal gas's -ln V; this part
// adds ln(R T/P0) - 1 to G0/(RT), with the standard pressure P0 = 1 atm of the
// tabulated data, so that the fluid's ideal-gas limit has H = H0, Cp = Cp0 and
// S = S0 - R ln(P/P0).  Its own results G0, H0, S0, Cp0 are the standard-state
// functions, A0 = G0 - RT, U0 = H0 - RT and Cv0 = Cp0 - R.
//
// Fugacity coefficients are residual properties: during the fugacity pass the
// leaf holds zero, so this part adds nothing to the fugacities (the state
// functions A0 ... Cv0 are still refreshed).
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "fluid/Ideal.h"

class Leaf;

class Standard : public Ideal {
public:
    static constexpr double kCalorie = 4.1855;  // J per cal
    static constexpr double kT0 = 298.15;       // K
    static constexpr double kP0 = 101325.0;     // Pa, standard pressure of the data

    Standard();
    ~Standard() override;

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    // The fugacity pass switches the part off (fugacity coefficients are
    // residual properties): there it is nothing, in closed form, and a pure
    // fluid takes its fugacity from the state functions' evaluation.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override {
        return constantFugacityPass(0.0, 0.0, f, fT, fTT, m);
    }
    // Reads the record of `name` (first or second name) for the next component.
    // A missing file is reported; a component without a record keeps zero
    // data (hasData reports it).
    void read_component_data(const char* name) override;
    bool hasData() override;
    // "Data for component NaCl have not been found in the file
    // compo/standard.txt: h, u, s, ... are not given" for the components
    // present without their record.
    std::string whyNoData() override;

    int componentIndex = 0;
    double S298mix = 0, H298mix = 0, CpAmix = 0, CpBmix = 0, CpCmix = 0, CpDmix = 0;
    std::vector<double> S298, H298, CpA, CpB, CpC, CpD;

private:
    std::unique_ptr<Leaf> leaf;
    // T, pass and composition of the values in the leaf (NaN: none).
    double cachedT_ = std::nan("");
    int cachedPass_ = 0;
    std::vector<double> cachedX_;
    // The part and its first four T-derivatives at those T and composition
    // (the framework's evaluations overwrite A, AT and ATT); at the
    // temperature componentT_, g(T) and, by component, its value and first
    // three T-derivatives per mole (the entries in its mole fraction).
    double a_[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
    double componentT_ = std::nan("");
    double g_ = 0.0;
    std::vector<double> componentParts_;
    std::vector<char> found;     // the component's record was read
    std::vector<char> reported;  // its lack of data has been said
    std::vector<std::string> names;
};
