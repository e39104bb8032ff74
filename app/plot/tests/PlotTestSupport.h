#pragma once
// Helpers of the plotting-kit tests.
#include <memory>

#include "app/plot/CPlotView.h"

// A view whose plot rectangle is (0, 0, w, h) with data ranges 0..w and 0..h:
// data units and view coordinates coincide.
inline std::unique_ptr<CPlotView> makeOneToOneView(float w = 200.0f, float h = 200.0f) {
    auto v = std::make_unique<CPlotView>(PlotRect{0, 0, w + 110.0f, h + 75.0f});
    v->setBounds({-80.0f, -60.0f, w + 110.0f, h + 75.0f});
    v->setDefaultXYRange(0.0f, w, 0.0f, h);
    v->calculateCoefficients();
    return v;
}
