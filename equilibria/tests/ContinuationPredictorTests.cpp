// The predictors of the isochor (fixed total volume) and of the isopleth at a
// fixed volumetric vapour fraction, on a binary van der Waals mixture: the
// tangent step from a solved state misses the solved state at T + dT by
// O(dT^2), so that halving dT divides the miss of the pressure and of the
// phase compositions by four.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "equilibria/IFP.h"
#include "equilibria/tests/TestBinary.h"
#include "fluid/tests/VdWFluid.h"

namespace {

struct Path {
    std::unique_ptr<VdWFluid> liq, vap;
    std::unique_ptr<IFP> ifp;
    short code = 0;
    Path(short code_, double T0, double fraction) : code(code_) {
        liq = std::make_unique<VdWFluid>(std::vector<double>{kA0, kA1}, std::vector<double>{kB0, kB1}, false, 0.0, 2);
        vap = std::make_unique<VdWFluid>(std::vector<double>{kA0, kA1}, std::vector<double>{kB0, kB1}, false, 0.0, 1);
        liq->liquidStart = 6.5e-5;
        ifp = std::make_unique<IFP>(*liq, *vap);
        IFP& q = *ifp;
        q.number_of_components(2);
        q.add_components("CO2", "C3H8");
        q.bulk_composition(0.7, 0.3);
        q.first_init_flag = 0;
        q.temperature(T0);
        q.pressure(15.0);
        q.xcomposition(0, 0.6);
        q.xcomposition(1, 0.4);
        q.ycomposition(0, 0.85);
        q.ycomposition(1, 0.15);
        q.nL = q.nV = 0.5;
        // The start: a flash at T0 of the molar (isochor) or volumetric
        // (code 15) vapour fraction.
        q.set_type_of_problem(code == 14 ? 13 : 15);
        q.set_the_temperature(T0);
        if (code == 14)
            q.set_the_vaporization_ratio(fraction);
        else
            q.set_the_vaporization_ratio1(fraction);
        q.set_initialization_flag(0);
        q.calculateVLE();
        EXPECT_EQ(q.error, 0);
        if (code == 14) {
            q.set_the_volume(q.nL * liq->V + q.nV * vap->V);
            q.set_type_of_problem(14);
        }
        keep();
    }
    // The solved start, which a solve overwrites in `previous`.
    std::vector<double> x0, y0;
    double P0 = 0.0, T0_ = 0.0;
    void keep() {
        x0 = ifp->previous.x = ifp->x;
        y0 = ifp->previous.y = ifp->y;
        P0 = ifp->previous.P = ifp->P;
        T0_ = ifp->previous.T = ifp->T;
    }
    // Back at the solved start (the tangent is taken at the current state).
    void restart() {
        IFP& q = *ifp;
        q.set_type_of_problem(code);
        q.set_the_temperature(T0_);
        q.estimate.P = P0;
        q.estimate.x = x0;
        q.estimate.y = y0;
        q.calculateVLE();
        ASSERT_EQ(q.error, 0);
        ASSERT_NEAR(q.P, P0, 1e-6 * P0);
        keep();
    }
    // Misses of the prediction over dT: pressure (Pa) and x1.
    std::vector<double> miss(double dT) {
        IFP& q = *ifp;
        q.pass_count = 0;
        if (code == 14)
            q.estimate_next_state4(1.0, dT);
        else
            q.estimate_next_state0a(1.0, dT);
        const double P = q.estimate.P, x1 = q.estimate.x[1], y1 = q.estimate.y[1];
        EXPECT_NEAR(q.spec_T, T0_ + dT, 1e-12);  // a temperature step on this flat path
        q.calculateVLE();
        EXPECT_EQ(q.error, 0);
        EXPECT_NEAR(q.T, T0_ + dT, 1e-9);
        return {std::fabs(q.P - P), std::fabs(q.x[1] - x1), std::fabs(q.y[1] - y1), std::fabs(q.P - P0)};
    }
};

}  // namespace

TEST(ContinuationPredictor, TangentStepsOfTheIsochorAndTheVolumetricIsoplethAreSecondOrder) {
    for (short code : {short(14), short(15)}) {
        SCOPED_TRACE(code);
        Path p(code, 250.0, 0.5);
        const std::vector<double> a = p.miss(2.0);
        p.restart();
        const std::vector<double> b = p.miss(1.0);
        // The step itself is first order, its miss second order.
        EXPECT_LT(a[0], 0.05 * a[3]);
        // Misses at the level of the solver's tolerance (the liquid of the
        // volumetric isopleth hardly moves) carry no order.
        const double noise[3] = {1e-6 * p.P0, 1e-7, 1e-7};
        for (int k = 0; k < 3; ++k) {
            if (b[k] < noise[k]) {
                EXPECT_LT(a[k], 10.0 * noise[k]) << k;
                continue;
            }
            EXPECT_NEAR(a[k] / b[k], 4.0, 0.6) << k << " " << a[k] << " " << b[k];
        }
    }
}
