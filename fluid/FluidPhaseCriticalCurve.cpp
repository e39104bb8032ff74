// Critical curve of a binary mixture: the tracer is CriticalCurveTrace.
#include "fluid/CriticalCurveTrace.h"

#include "fluid/FluidPhase.h"

void FluidPhase::calculate_the_critical_curve(const char* path, CriticalCurveFlag flag, short stopIfUnstable,
                                              double dT, double dx, double dx0, double Pmax, char mode,
                                              const char* suffix, std::vector<double>* array) {
    CriticalCurveTrace::traceCurve(*this, path, flag, stopIfUnstable, dT, dx, dx0, Pmax, mode, suffix, array);
}

void FluidPhase::traceTheCriticalCurveBranches(const char* path, const double (&Tstart)[2], const double (&Vstart)[2],
                                               char mode, const char* suffix, std::vector<double>* array) {
    CriticalCurveTrace::traceBranches(*this, path, Tstart, Vstart, mode, suffix, array);
}
