#pragma once
// Helpers of the plotting-kit tests.
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/plot/CPlotView.h"
#include "app/plot/Path.h"

// A view whose plot rectangle is (0, 0, w, h) with data ranges 0..w and 0..h:
// data units and view coordinates coincide.
inline std::unique_ptr<CPlotView> makeOneToOneView(float w = 200.0f, float h = 200.0f) {
    auto v = std::make_unique<CPlotView>(PlotRect{0, 0, w + 110.0f, h + 75.0f});
    v->setBounds({-80.0f, -60.0f, w + 110.0f, h + 75.0f});
    v->setDefaultXYRange(0.0f, w, 0.0f, h);
    v->calculateCoefficients();
    return v;
}

// The points a path moves and draws lines to, in order.
inline std::vector<PlotPoint> vertices(const Path& p) {
    std::vector<PlotPoint> out;
    for (const auto& e : p.elements())
        if (e.op == Path::Op::MoveTo || e.op == Path::Op::LineTo) out.push_back(e.points[0]);
    return out;
}

// The whole content of a file (empty when it cannot be read).
inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
