#pragma once
// Temperature function node of the cubic attraction terms: a function of
// variable 0 (T) only, with the component's critical temperature Tc, the
// attraction parameter at the critical point ac and the slope m.
#include "expressions/PolyVar.h"

class Alpha : public PolyVar {
public:
    ~Alpha() override = default;
    const char* getType() const override { return "Alpha"; }
    int isDependent(int i) override { return i == 0 ? 1 : 0; }
    void set_variable_values(double* v) override {
        PolyVar::set_variable_values(v);
        if (v) T = v[0];
        calculated = false;
    }

    // The component's parameters, and the temperature of the next evaluation.
    void setParameters(double ac_, double m_, double Tc_) {
        ac = ac_;
        m = m_;
        Tc = Tc_;
        calculated = false;
    }
    void setTemperature(double T_) {
        T = T_;
        calculated = false;
    }

    double T = 0.0;   // K
    double Tc = 1.0;  // K
    double ac = 0.0;  // Pa m6/mol2
    double m = 0.0;
};
