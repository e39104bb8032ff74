#pragma once
// The fields of a model that its searches change, put back when leaving a
// scope: a rule that tries other states (or another composition) leaves the
// model as it found it.
#include <vector>

#include "fluid/FluidPhase.h"

// What the saturation solve and the critical-point search leave in the model
// (start volumes, saturation volumes and pressures, phase kind, state, error
// flag), put back when leaving the scope: later searches start from them.
class KeptFields {
public:
    explicit KeptFields(FluidPhase& p)
        : p_(p), Vl0_(p.Vl0), Vv0_(p.Vv0), Vl_sat_(p.Vl_sat), Vv_sat_(p.Vv_sat), Pl_sat_(p.Pl_sat),
          Pv_sat_(p.Pv_sat), Hvap_(p.Hvap), stability_(p.critical_stability), T_(p.T), V_(p.V), P_(p.P),
          kind_(p.phase_kind), errorflag_(p.errorflag) {}
    ~KeptFields() {
        p_.Vl0 = Vl0_;
        p_.Vv0 = Vv0_;
        p_.Vl_sat = Vl_sat_;
        p_.Vv_sat = Vv_sat_;
        p_.Pl_sat = Pl_sat_;
        p_.Pv_sat = Pv_sat_;
        p_.Hvap = Hvap_;
        p_.critical_stability = stability_;
        p_.set_the_phase_as(kind_);
        p_.temperature(T_);
        p_.volume(V_);
        p_.P = P_;
        p_.errorflag = errorflag_;
    }
    KeptFields(const KeptFields&) = delete;
    KeptFields& operator=(const KeptFields&) = delete;

private:
    FluidPhase& p_;
    const double Vl0_, Vv0_, Vl_sat_, Vv_sat_, Pl_sat_, Pv_sat_, Hvap_, stability_, T_, V_, P_;
    const int kind_;
    const short errorflag_;
};

// KeptFields and the composition: the composition is put back first.
class KeptFieldsAndComposition {
public:
    explicit KeptFieldsAndComposition(FluidPhase& p) : p_(p), x_(p.x), fields_(p) {}
    ~KeptFieldsAndComposition() { p_.composition(x_.data()); }
    KeptFieldsAndComposition(const KeptFieldsAndComposition&) = delete;
    KeptFieldsAndComposition& operator=(const KeptFieldsAndComposition&) = delete;

private:
    FluidPhase& p_;
    const std::vector<double> x_;
    const KeptFields fields_;
};
