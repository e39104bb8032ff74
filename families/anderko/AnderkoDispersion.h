#pragma once
// Dispersion term of the Anderko & Pitzer (1993) equation of state for the
// systems of H2O, NaCl, KCl, CO2 and CH4: the multicomponent term Dispersion0
// with the covolumes, the temperature functions of the pure-component
// parameters a, c, d, e and the interaction parameters of the pairs and
// triples of the system chosen by its system code.  Components are ordered
// water, salts, gas.
//
// Ownership: the parameter nodes are created separately and linked into the
// tables of Dispersion0; the branches and conditions of the piecewise
// (Selector) nodes, which their selector does not count, are kept in a list
// and deleted by this term.
#include <vector>

#include "families/anderko/Dispersion0.h"
#include "fluid/SystemTypeCode.h"

class AnderkoDispersion : public Dispersion0 {
public:
    AnderkoDispersion();
    ~AnderkoDispersion() override;

    void number_of_components(int n) override;
    // Prepares the tables of the system; returns the number of components it
    // prepared (0 for a code it does not know, which changes nothing).  A
    // second call is refused with a message and returns 0.
    int setSystemCode(char code);
    // True when every parameter of the system's mixing rules is known.
    bool complete() const { return complete_; }

    void setExpressionsForH2O(int i);
    void setExpressionsForCO2(int i);
    void setExpressionsForCH4(int i);
    void setExpressionsForNaCl(int i);
    void setExpressionsForKCl(int i);
    void setExpressionsForH2ONaCl(int i, int j);
    void setExpressionsForH2OKCl(int i, int j);
    void setExpressionsForNaClKCl(int i, int j);
    void setExpressionsForH2OCO2(int i, int j);
    void setExpressionsForH2OCH4(int i, int j);
    void setExpressionsForNaClCO2(int i, int j);
    void setExpressionsForNaClCH4(int i, int j);
    void setExpressionsForH2ONaClCO2(int i, int j, int k);
    void setExpressionsForH2ONaClCH4(int i, int j, int k);

private:
    Expression* selector(Expression* first, Expression* second, Expression* x, const char* name);
    void setGasPair(int i, int j, Expression* ka, Expression* kc, Expression* kd, Expression* ke);
    void setSaltPair(int i, int j, Expression* ka, Expression* kc112, Expression* kc122, Expression* kd1112,
                     Expression* kd1122, Expression* kd1222, Expression* ke);
    Expression* waterSaltTau();
    void setCubicParameters(int i, double Tc, double bcov, const double* pa, double acs, double act, double ads,
                            double adt, double ae, const char* gas);

    std::vector<Expression*> selectorChildren_;
    char code_ = 0;
    bool complete_ = false;
};
