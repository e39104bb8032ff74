#include "gases/IUPAC1ID.h"

namespace {

// -(s0 D0 + s1 D2 + ... + s5 D10) as a polynomial in tau.
struct MinusLimit {
    double c[7] = {};
    constexpr MinusLimit()
    {
        const double s[6] = {IUPAC1ID::s0, IUPAC1ID::s1, IUPAC1ID::s2, IUPAC1ID::s3, IUPAC1ID::s4, IUPAC1ID::s5};
        for (int k = 0; k < 6; ++k)
            for (int p = 0; p < 3; ++p)
                c[3 + p] -= s[k] * IUPAC1::kD[k][p];
    }
};

constexpr MinusLimit kMinusLimit;

}  // namespace

IUPAC1ID::IUPAC1ID()
    : IUPACIdeal(kSetzmannWagnerCH4, kMinusLimit.c, IUPAC1::kTc, 0.0, 0.0, -IUPAC1::kFugacityConstant)
{
    setModelName("IUPAC CH4 ideal");
}
