#include "app/plot/qt/QtCanvas.h"

#include <QFontMetricsF>
#include <QPainterPath>

namespace {
QPainterPath toQPath(const Path& path) {
    QPainterPath q;
    q.setFillRule(Qt::WindingFill);
    for (const auto& e : path.elements()) {
        switch (e.op) {
        case Path::Op::MoveTo: q.moveTo(e.points[0].x, e.points[0].y); break;
        case Path::Op::LineTo: q.lineTo(e.points[0].x, e.points[0].y); break;
        case Path::Op::CurveTo:
            q.cubicTo(e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x, e.points[2].y);
            break;
        case Path::Op::Close: q.closeSubpath(); break;
        }
    }
    return q;
}
}  // namespace

QtCanvas::QtCanvas(QPainter& painter, float height) : mPainter(painter) {
    mPainter.save();
    ++mBaseSaves;
    // y upwards: the view's origin at the bottom-left of the device.
    mPainter.translate(0.0, height);
    mPainter.scale(1.0, -1.0);
    mPainter.setRenderHint(QPainter::Antialiasing, true);
    mPainter.setRenderHint(QPainter::TextAntialiasing, true);
}

QtCanvas::~QtCanvas() {
    // Unbalanced saves of the drawing code are undone with the adapter's own.
    while (!mStack.empty()) restore();
    while (mBaseSaves-- > 0) mPainter.restore();
}

void QtCanvas::save() {
    mStack.push_back(mState);
    mPainter.save();
}

void QtCanvas::restore() {
    if (mStack.empty()) return;  // never below the adapter's own state
    mState = mStack.back();
    mStack.pop_back();
    mPainter.restore();
}

void QtCanvas::clipToRect(const PlotRect& r) {
    mPainter.setClipRect(QRectF(r.x, r.y, r.width, r.height), Qt::IntersectClip);
}

QColor QtCanvas::toQColor(const Color& c) { return QColor::fromRgbF(c.red, c.green, c.blue, c.alpha); }

void QtCanvas::setColor(const Color& c) { mState.color = toQColor(c); }
void QtCanvas::setLineWidth(float width) { mState.lineWidth = width; }
void QtCanvas::setLineDash(const std::vector<float>& pattern, float phase) {
    mState.dash = pattern;
    mState.dashPhase = phase;
}

QPen QtCanvas::pen() const {
    QPen p(mState.color);
    p.setWidthF(mState.lineWidth);
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::MiterJoin);
    if (!mState.dash.empty()) {
        // Qt measures dashes in line widths; the plot gives them in view units.
        const qreal w = mState.lineWidth > 0.0f ? mState.lineWidth : 1.0;
        QList<qreal> pattern;
        for (float d : mState.dash) pattern.append(std::max<qreal>(d / w, 1e-3));
        if (pattern.size() % 2 == 1) pattern.append(pattern.back());
        p.setDashPattern(pattern);
        p.setDashOffset(mState.dashPhase / w);
    }
    return p;
}

void QtCanvas::stroke(const Path& path) {
    if (path.isEmpty()) return;
    mPainter.strokePath(toQPath(path), pen());
}

void QtCanvas::fill(const Path& path) {
    if (path.isEmpty()) return;
    mPainter.fillPath(toQPath(path), QBrush(mState.color));
}

void QtCanvas::rotateByDegrees(float degrees) {
    // In the y-up system Qt's rotation matrix turns counter-clockwise.
    mPainter.rotate(degrees);
}

QFont QtCanvas::toQFont(const FontDescription& font, const QPaintDevice* device) {
    QFont f;
    if (!font.family.empty()) f.setFamilies({QString::fromStdString(font.family), QStringLiteral("DejaVu Sans")});
    else f.setFamilies({QStringLiteral("DejaVu Sans")});
    // One point is one view unit, whatever the device's resolution.
    const qreal size = font.pointSize > 0.0f ? font.pointSize : 12.0;
    const int dpi = device ? device->logicalDpiY() : 72;
    f.setPointSizeF(dpi > 0 ? size * 72.0 / dpi : size);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

PlotSize QtCanvas::measureText(const std::string& text, const FontDescription& font) {
    QFontMetricsF m(toQFont(font, mPainter.device()), mPainter.device());
    return {static_cast<float>(m.horizontalAdvance(QString::fromStdString(text))), static_cast<float>(m.height())};
}

void QtCanvas::drawText(const std::string& text, const FontDescription& font, PlotPoint origin, const Color& color) {
    if (text.empty()) return;
    QFont f = toQFont(font, mPainter.device());
    QFontMetricsF m(f, mPainter.device());
    mPainter.save();
    // Glyphs are drawn upright: flip back locally, with the line box's
    // lower-left corner at the origin.
    mPainter.translate(origin.x, origin.y);
    mPainter.scale(1.0, -1.0);
    mPainter.setFont(f);
    mPainter.setPen(toQColor(color));
    mPainter.drawText(QPointF(0.0, -m.descent()), QString::fromStdString(text));
    mPainter.restore();
}
