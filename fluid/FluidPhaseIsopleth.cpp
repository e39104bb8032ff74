// Isopleth of a binary system: the tangents of its branches and the entry
// of the tracer (IsoplethTrace).
#include "fluid/IsoplethTrace.h"

#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

namespace {

bool tangentMode(FluidPhase& p, int mode, const char* which) {
    if (mode == 0) return true;
    platform::diagf("Next %s point for isopleth: only the temperature parametrisation (mode 0) is "
                         "available, not mode %d\n", which, mode);
    p.errorflag = 1;
    return false;
}

}  // namespace

void FluidPhase::next_bubble_point_for_isopleth(double& dVl, double& dVv, double& dy, double& dPdT, int mode) {
    dVl = dVv = dy = dPdT = 0.0;
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        errorflag = 1;
        return;
    }
    if (!tangentMode(*this, mode, "bubble")) return;
    if (!IsoplethTrace::tangent(*this, true, dVl, dVv, dy, dPdT)) errorflag = 1;
}

void FluidPhase::next_dew_point_for_isopleth(double& dVl, double& dVv, double& dx, double& dPdT, int mode) {
    dVl = dVv = dx = dPdT = 0.0;
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        errorflag = 1;
        return;
    }
    if (!tangentMode(*this, mode, "dew")) return;
    if (!IsoplethTrace::tangent(*this, false, dVl, dVv, dx, dPdT)) errorflag = 1;
}

void FluidPhase::calculate_an_isopleth(double T_, double Vl, double Vv, double xl, double yv, double Pmax,
                                       double dT, double dP, int type, char mode, const char* suffix,
                                       std::vector<double>* array) {
    IsoplethTrace::traceIsopleth(*this, T_, Vl, Vv, xl, yv, Pmax, dT, dP, type, mode, suffix, array);
}
