#include "app/plot/PlotViewPanels.h"

namespace {
PlotViewPanels*& installedPanels() {
    static PlotViewPanels* panels = nullptr;
    return panels;
}
}  // namespace

void setPlotViewPanels(PlotViewPanels* panels) { installedPanels() = panels; }
PlotViewPanels* plotViewPanels() { return installedPanels(); }
