#pragma once
// Rendering a plot view through the Qt adapter: into an image, into a PDF
// file, and the user-default background colours.
#include <QImage>
#include <QSettings>
#include <QString>

class CPlotView;

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
