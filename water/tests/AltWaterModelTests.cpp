// The checks every alternative water model passes: each derivative of every
// tree against central differences, and (where the model's terms give the
// fugacity coefficient) the fugacity against the model's own pressure.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <type_traits>

#include "water/HGK.h"
#include "water/Hill.h"
#include "water/Keenan.h"
#include "water/Saul.h"
#include "water/tests/AltWaterChecks.h"

using namespace altwater;

namespace {

// Temperatures (K) of the derivative checks, with the volumes of
// expectConsistentDerivativesOfEveryTree.
template <class Model>
struct TreeCheckTemperatures {
    static constexpr std::array<double, 4> T = {300.0, 500.0, 647.0, 1000.0};
};
template <>
struct TreeCheckTemperatures<HGK> {
    static constexpr std::array<double, 4> T = {300.0, 450.0, 640.0, 900.0};
};

struct ModelNames {
    template <class Model>
    static std::string GetName(int)
    {
        if (std::is_same_v<Model, HGK>)
            return "HGK";
        if (std::is_same_v<Model, Hill>)
            return "Hill";
        if (std::is_same_v<Model, Keenan>)
            return "Keenan";
        return "Saul";
    }
};

template <class Model>
class AltWaterTrees : public testing::Test {};
using TreeModels = testing::Types<HGK, Hill, Keenan, Saul>;
TYPED_TEST_SUITE(AltWaterTrees, TreeModels, ModelNames);

template <class Model>
class AltWaterFugacity : public testing::Test {};
using FugacityModels = testing::Types<HGK, Hill, Keenan>;
TYPED_TEST_SUITE(AltWaterFugacity, FugacityModels, ModelNames);

}  // namespace

TYPED_TEST(AltWaterTrees, DerivativesOfEveryTree)
{
    TypeParam m(2);
    const auto& T = TreeCheckTemperatures<TypeParam>::T;
    expectConsistentDerivativesOfEveryTree(m, {T[0], T[1], T[2], T[3]});
}

TYPED_TEST(AltWaterFugacity, FugacityFromThePressure)
{
    TypeParam m(2);
    expectFugacitiesFromPressure(m);
}
