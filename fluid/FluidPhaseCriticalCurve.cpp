// Critical curve of a binary mixture: the tracer is CriticalCurveTrace.
#include "fluid/CriticalCurveTrace.h"

#include "fluid/FluidPhase.h"

void FluidPhase::calculate_the_critical_curve(const char* path, CriticalCurveFlag flag, short stopIfUnstable,
                                              double dT, double dx, double dx0, double Pmax, char mode,
                                              const char* suffix, std::vector<double>* array) {
    CriticalCurveTrace::traceCurve(*this, path, flag, stopIfUnstable, dT, dx, dx0, Pmax, mode, suffix, array);
}
