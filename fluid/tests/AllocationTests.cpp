// The state path allocates nothing: every global operator new of this test
// program is counted while states are solved from (T, P), (T, V) and (V, P).
#include <gtest/gtest.h>

#include "fluid/tests/TestDataDir.h"
#include "fluid/tests/VdWFluid.h"
#include "platform/tests/CountedAllocations.h"

TEST(Allocation, FluidStatesAllocateNothing) {
    TestDataDir data("alloc");
    data.write("compo/standard.txt", "GasA 5.0 0 0 40.0 A\nGasB 7.0 0.5 -1000 50.0 B\n");
    VdWFluid f({0.3658, 0.5537}, {4.286e-5, 3.049e-5}, true, 0.08);
    f.add_components("GasA", "GasB");
    f.composition(0.35, 0.65);
    f.calculateFromTP(420.0, 60.0, 0);  // warm-up
    const long before = gAllocations;
    for (int rep = 0; rep < 3; rep++) {
        f.calculateFromTP(420.0 + rep, 60.0, 0);
        f.calculateFromTV(400.0, 2e-4, 0);
        f.temperature(390.0);
        f.calculateFromVP(2e-4, 50.0, 0);
        f.calculate_expansivity_derivative();
        f.calculate_critical_parameters();
    }
    EXPECT_EQ(gAllocations - before, 0);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_GT(before, 0);
}
