// IAPWS G7-04 (2004), Henry's constants of gases in H2O, against the
// guideline's equation evaluated independently for its check values: ln(kH /
// 1 Pa) at 400 and 550 K for every row of its Table 2 (at 550 K for the rows
// whose fit reaches it), and each row's range of fit.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "brines/HenryCorrelations.h"

TEST(HenryCorrelations, IapwsG704MeetsTheGuidelinesCheckValuesInEachRowsRange) {
    struct Row {
        const char* gas;
        double Tmin, Tmax;       // K, the range of the fit
        double ln400, ln550;     // ln(kH / 1 Pa); NaN: 550 K lies outside the range
    };
    const double none = std::nan("");
    const Row rows[] = {
        {"He", 273.21, 553.18, 22.889306536, 21.314600092},  {"Ne", 273.2, 543.36, 23.074510388, none},
        {"Ar", 273.19, 568.36, 22.531152933, 21.385374567},  {"Kr", 273.19, 525.56, 22.213425862, none},
        {"Xe", 273.22, 574.85, 21.866255455, 20.688137638},  {"H2", 273.15, 636.09, 22.569696441, 21.239320992},
        {"N2", 278.12, 636.46, 23.074192513, 21.614179496},  {"O2", 274.15, 616.52, 22.606420923, 21.356779040},
        {"CO", 278.15, 588.67, 22.717134161, 21.240348819},  {"CO2", 274.19, 642.66, 20.178247122, 19.797155575},
        {"H2S", 273.15, 533.09, 19.014997526, none},         {"CH4", 275.46, 633.11, 22.517844299, 21.199299266},
        {"C2H6", 275.44, 473.46, 22.572773172, none},        {"SF6", 283.14, 505.55, 24.415209941, none},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.gas);
        // Every printed digit (nine decimals of the logarithm).
        EXPECT_NEAR(std::log(henry::fernandezPrini(r.gas, 400.0)), r.ln400, 5e-10);
        if (!std::isnan(r.ln550)) {
            EXPECT_NEAR(std::log(henry::fernandezPrini(r.gas, 550.0)), r.ln550, 5e-10);
        }
        EXPECT_TRUE(std::isfinite(henry::fernandezPrini(r.gas, r.Tmin)));
        EXPECT_TRUE(std::isfinite(henry::fernandezPrini(r.gas, r.Tmax)));
        for (double T : {r.Tmin - 0.01, r.Tmax + 0.01}) {
            testing::internal::CaptureStderr();
            const double H = henry::fernandezPrini(r.gas, T);
            const std::string said = testing::internal::GetCapturedStderr();
            EXPECT_TRUE(std::isnan(H)) << T;
            EXPECT_NE(said.find(std::string("IAPWS G7-04: the Henry constant of ") + r.gas + " holds from"),
                      std::string::npos)
                << said;
        }
    }
    // Aliases of the hydrocarbons; a gas the guideline has no row for.
    EXPECT_EQ(henry::fernandezPrini("C1", 400.0), henry::fernandezPrini("CH4", 400.0));
    EXPECT_EQ(henry::fernandezPrini("C2", 400.0), henry::fernandezPrini("C2H6", 400.0));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(std::isnan(henry::fernandezPrini("C3H8", 400.0)));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("IAPWS G7-04: no Henry constant of C3H8"), std::string::npos);
}
