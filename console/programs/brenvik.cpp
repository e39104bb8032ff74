// Brenvik: energetics of magma-water systems on the reference water model.
//
//     brenvik                 the banner and the list of options
//     brenvik pv m 0.5 d 200  one option word with its arguments
#include "console/WaterMagmaModel.h"

int main(int argc, char** argv) {
    WaterMagmaModel water(2);
    return water.doWaterMagmaCommand(argc, const_cast<const char**>(argv));
}
