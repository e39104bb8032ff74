#pragma once
// DuanCH4: methane from the Duan equation of state (Duan, Moller & Weare
// 1992), one Duan1 term on the methane base and the ideal gas of methane
// (Setzmann & Wagner 1991); complete after construction.
#include "gases/CH4EOS.h"

class DuanCH4 : public CH4EOS {
public:
    // The methane parameter set: Tc, Pc and a1 .. a12, alpha, beta, gamma
    // are loaded from duan::kCH4; this is its parameter part.
    static const double* const CH4_constants;

    explicit DuanCH4(int phaseKind);
    ~DuanCH4() override;

    // mode 1: molar volumes against the tabulated methane data (standard output).
    void test(char mode);
};
