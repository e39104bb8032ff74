// The ideal-gas parts of the reference fluids in their one table form
// (fluid/IdealGasTable.h) against the published ideal-gas heat capacities:
// cp0 = R (cv0/R + 1) at 200 to 1500 K as evaluated from each paper's form
// (IAPWS-95; Span & Wagner 1996 for CO2; Setzmann & Wagner 1991 for CH4;
// Span et al. 2000 for nitrogen), to their three printed decimals, both from
// the closed form of cv0 and from the second derivative the T-leaf carries,
// cv0/R = -(2 T g' + T^2 g'').
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/IdealGasTable.h"
#include "gases/JacobsenId.h"
#include "gases/PlanckEinstein.h"
#include "water/Wagnerid.h"

namespace {

struct Check {
    double T, cp;
};

void expectCp0(const IdealGasForm& form, double R, std::initializer_list<Check> checks)
{
    for (const Check& c : checks) {
        SCOPED_TRACE(::testing::Message() << c.T << " K");
        EXPECT_NEAR(R * (idealGasCv0R(form, c.T) + 1.0), c.cp, 6e-4);
        const univariate::Jet<4> g = idealGasFunction(form, c.T);
        const double cv0R = -(2.0 * c.T * g.f[1] + c.T * c.T * g.f[2]);
        EXPECT_NEAR(R * (cv0R + 1.0), c.cp, 6e-4);
        EXPECT_NEAR(cv0R, idealGasCv0R(form, c.T), 1e-12 * cv0R);
    }
}

}  // namespace

TEST(IdealGasTable, PublishedHeatCapacities)
{
    expectCp0(kSpanWagnerCO2, 8.31451,
              {{200, 32.365}, {300, 37.226}, {500, 44.632}, {1000, 54.313}, {1500, 58.375}});
    expectCp0(kSetzmannWagnerCH4, 8.31451,
              {{200, 33.513}, {300, 35.778}, {500, 46.507}, {1000, 72.805}, {1500, 88.982}});
    expectCp0(JacobsenId::kForm, 8.31451,
              {{200, 29.108}, {300, 29.126}, {500, 29.580}, {1000, 32.700}, {1500, 34.845}});
    expectCp0(iapws95::kIdealGas, 8.314371,
              {{200, 33.350}, {300, 33.596}, {500, 35.226}, {1000, 41.267}, {1500, 47.090}});
}

// The T-leaf's derivatives to the fourth order against central differences
// of the one below (on the scale of both: g' passes through zero).
TEST(IdealGasTable, DerivativesInTemperature)
{
    for (const IdealGasForm* form : {&kSpanWagnerCO2, &kSetzmannWagnerCH4, &JacobsenId::kForm, &iapws95::kIdealGas})
        for (double T : {150.0, 400.0, 1200.0}) {
            const double h = 1e-4 * T;
            const univariate::Jet<4> g = idealGasFunction(*form, T), up = idealGasFunction(*form, T + h),
                                     down = idealGasFunction(*form, T - h);
            for (int k = 1; k <= 4; ++k) {
                const double numeric = (up.f[k - 1] - down.f[k - 1]) / (2.0 * h);
                EXPECT_NEAR(numeric, g.f[k], 1e-7 * (std::fabs(g.f[k]) + std::fabs(g.f[k - 1]) / T)) << T << " K, order " << k;
            }
        }
}
