#pragma once
// The Qt adapter of the drawing seam: draws on a QPainter (a widget, a QImage
// or a QPdfWriter) in the plot's view coordinates, origin at the bottom-left
// and y upwards, over a device `height` units high.
#include <QFont>
#include <QPainter>

#include "app/plot/Canvas.h"

class QtCanvas : public Canvas {
public:
    // The painter must be active; its current transformation is taken as the
    // device's (scaled, for instance, for a PDF page).
    QtCanvas(QPainter& painter, float height);
    ~QtCanvas() override;

    void save() override;
    void restore() override;
    void clipToRect(const PlotRect& r) override;
    void setColor(const Color& c) override;
    void setLineWidth(float width) override;
    void setLineDash(const std::vector<float>& pattern, float phase) override;
    void stroke(const Path& path) override;
    void fill(const Path& path) override;
    void rotateByDegrees(float degrees) override;
    PlotSize measureText(const std::string& text, const FontDescription& font) override;
    void drawText(const std::string& text, const FontDescription& font, PlotPoint origin,
                  const Color& color) override;

    // The font with its size in view units (points at 72 per inch) on the device.
    static QFont toQFont(const FontDescription& font, const QPaintDevice* device);
    static QColor toQColor(const Color& c);

private:
    struct State {
        QColor color = Qt::black;
        float lineWidth = 1.0f;
        std::vector<float> dash;
        float dashPhase = 0.0f;
    };
    QPen pen() const;

    QPainter& mPainter;
    State mState;
    std::vector<State> mStack;
    int mBaseSaves = 0;
};
