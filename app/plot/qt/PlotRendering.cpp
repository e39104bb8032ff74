#include "app/plot/qt/PlotRendering.h"

#include <QColor>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "app/plot/CPlotView.h"
#include "app/plot/qt/QtCanvas.h"

QImage renderViewToImage(PlotRect b, qreal scale, const std::function<void(Canvas&)>& draw) {
    const int w = std::max(1, static_cast<int>(std::ceil(b.width * scale)));
    const int h = std::max(1, static_cast<int>(std::ceil(b.height * scale)));
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    // Points on an image: 72 per inch, so that one view unit is one pixel at scale 1.
    const int dotsPerMeter = static_cast<int>(std::lround(72.0 * scale / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    {
        QtCanvas canvas(painter, b.height);
        draw(canvas);
    }
    painter.end();
    return image;
}

QImage renderPlotToImage(CPlotView& view, qreal scale) {
    return renderViewToImage(view.bounds(), scale, [&view](Canvas& canvas) { view.drawRect(canvas); });
}

bool writeViewPdf(PlotRect b, const QString& path, QString* error,
                  const std::function<void(Canvas&)>& draw) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = QStringLiteral("Cannot write the file \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(b.width, b.height), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        if (!painter.isActive()) {
            if (error) *error = QStringLiteral("Cannot draw into the file \"%1\"").arg(path);
            file.cancelWriting();
            return false;
        }
        {
            QtCanvas canvas(painter, b.height);
            draw(canvas);
        }
        painter.end();
    }
    if (!file.commit()) {
        if (error) *error = QStringLiteral("Cannot write the file \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Drawn as for print: light grey grid, no selection marker.
bool writePlotPdf(CPlotView& view, const QString& path, QString* error) {
    return writeViewPdf(view.bounds(), path, error, [&view](Canvas& canvas) {
        view.setPrinting(true);
        view.drawRect(canvas);
        view.setPrinting(false);
    });
}

namespace {
bool colorFrom(const QVariant& v, Color& out) {
    QColor c;
    if (v.canConvert<QColor>() && v.metaType().id() == QMetaType::QColor) c = v.value<QColor>();
    else if (v.canConvert<QString>()) c = QColor::fromString(v.toString());
    if (!c.isValid()) return false;
    out = Color{static_cast<float>(c.redF()), static_cast<float>(c.greenF()), static_cast<float>(c.blueF()),
                static_cast<float>(c.alphaF())};
    return true;
}
}  // namespace

void applyUserDefaultColors(CPlotView& view, const QSettings& settings) {
    Color c;
    if (settings.contains("backColorMarginArea") && colorFrom(settings.value("backColorMarginArea"), c))
        view.setBackColor(c);
    if (settings.contains("backColorPlotArea") && colorFrom(settings.value("backColorPlotArea"), c))
        view.setForeColor(c);
}
