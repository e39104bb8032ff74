// Entry point of every test program.  Tests never start external programs,
// find data files in the source tree and draw Qt widgets offscreen; the
// variables are set here (unless the caller set them) so that a test binary run
// by hand behaves as under CTest.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("VARNOK_NO_EXTERNAL", "1", 0);
    ::setenv("VARNOK_DATA_DIR", VARNOK_TEST_SOURCE_DIR, 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
