#pragma once
// Isopleth of a binary system: the bubble branch (liquid of fixed
// composition x, vapour y following) or the dew branch (vapour of fixed
// composition y, liquid x following) traced in the pressure-temperature
// plane by continuation in temperature.  Each point is predicted along the
// temperature tangent of the branch, from differentiating fl_i = fv_i and
// Pl = Pv at the fixed composition, and corrected by a bubble or dew point;
// where the dew branch is steep in pressure (|dP/dT| > 1e5 Pa/K, near its
// temperature maximum) the step is taken in pressure and solved as a dew
// point at given pressure.
#include <vector>

#include "fluid/CriticalApproach.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"

// One branch of an isopleth traced from its first point: the accepted point,
// the point before it (the way the trace goes in T and in P), the tangent and
// the step factor.  Each step is predicted along the tangent (predict),
// corrected by a bubble or dew point (correct), kept or shortened (the step
// control of run and accept), and the branch closes at the critical point of
// its mixture (closeAtCritical).
class IsoplethTrace {
public:
    // The tangent of a branch at the stored point, in temperature: bubble (the
    // free composition is the vapour's) or dew (the liquid's); false where the
    // model fails there or the system is singular.
    static bool tangent(FluidPhase& p, bool bubble, double& dVl, double& dVv, double& dz, double& dPdT);
    // The isopleth of FluidPhase::calculate_an_isopleth (its arguments),
    // traced on the model p.
    static void traceIsopleth(FluidPhase& p, double T_, double Vl, double Vv, double xl, double yv, double Pmax,
                              double dT, double dP, int type, char mode, const char* suffix,
                              std::vector<double>* array);

    IsoplethTrace(FluidPhase& p, bool bubble, double PmaxPa, double dT, double dP, CurveOutput& out);

    void run();

private:
    void writeRow() {
        const double x1 = p_.x_liquid[1], y1 = p_.x_vapour[1];
        out_.writeRow({p_.T, p_.P * 1e-5, 1.0 - x1, x1, 1.0 - y1, y1, p_.Vl0, p_.Vv0});
    }
    void keepPoint() {
        T0_ = p_.T;
        Vl0a_ = p_.Vl0;
        Vv0a_ = p_.Vv0;
        x0_ = p_.x_liquid[1];
        y0_ = p_.x_vapour[1];
        P0_ = p_.P;
    }
    void predictAndCorrect(double r);
    void accept();
    bool closedAtCritical(bool everyRoot);
    void closeAtCritical(const critical_approach::CriticalPoint& c);

    FluidPhase& p_;
    const bool bubble_;
    const double PmaxPa_;
    double dT_, dP_;
    CurveOutput& out_;
    critical_approach::CriticalSearch critical_;
    // The accepted point, the point before it, the composition held.
    double T0_ = 0, Vl0a_ = 0, Vv0a_ = 0, x0_ = 0, y0_ = 0, P0_ = 0;
    double Tbefore_ = 0, Pbefore_ = 0, z_ = 0;
    double dVl_ = 0, dVv_ = 0, dz_ = 0, dPdT_ = 0;
    bool pressureSteps_ = false;
};
