#pragma once
// Rendering a plot view through the Qt adapter: into an image, into a PDF
// file, and the user-default background colours.
#include <QImage>
#include <QSettings>
#include <QString>
#include <functional>

#include "app/plot/PlotGeometry.h"

class Canvas;
class CPlotView;

// Any view of the given bounds, drawn by `draw` on the canvas it is handed:
// into an image of its size (times `scale` pixels per view unit) on white,
// and into a one-page PDF of its size in points (false, with a message in
// `error`, when the file cannot be written; an existing file is replaced only
// once the new one is complete).
QImage renderViewToImage(PlotRect bounds, qreal scale, const std::function<void(Canvas&)>& draw);
bool writeViewPdf(PlotRect bounds, const QString& path, QString* error,
                  const std::function<void(Canvas&)>& draw);

// The whole view drawn into an image of its size (times `scale` pixels per
// view unit).
QImage renderPlotToImage(CPlotView& view, qreal scale = 1.0);

// The whole view as a one-page PDF of its size in points, drawn as for print
// (light grey grid, no selection marker).  False, with a message in `error`,
// when the file cannot be written; an existing file is replaced only once the
// new one is complete.
bool writePlotPdf(CPlotView& view, const QString& path, QString* error = nullptr);

// The margin and plot-area colours from the settings keys
// "backColorMarginArea" and "backColorPlotArea" (a colour, or a colour name
// such as "#ffffb3"), when present and valid.
void applyUserDefaultColors(CPlotView& view, const QSettings& settings);
