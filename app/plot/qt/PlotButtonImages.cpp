#include "app/plot/qt/PlotButtonImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace {
void drawMagnifier(QPainter& p, int s, bool plus) {
    const qreal r = s * 0.28;
    const QPointF c(s * 0.42, s * 0.42);
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    p.setBrush(QColor(220, 235, 250));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(40, 40, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() + r * 0.72, c.y() + r * 0.72), QPointF(s * 0.88, s * 0.88));
    p.setPen(QPen(QColor(20, 60, 140), 1.6));
    p.drawLine(QPointF(c.x() - r * 0.55, c.y()), QPointF(c.x() + r * 0.55, c.y()));
    if (plus) p.drawLine(QPointF(c.x(), c.y() - r * 0.55), QPointF(c.x(), c.y() + r * 0.55));
}

void drawGrid(QPainter& p, int s) {
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(Qt::NoBrush);
    const qreal a = s * 0.15, b = s * 0.85;
    p.drawRect(QRectF(a, a, b - a, b - a));
    QPen dash(QColor(60, 60, 60), 0.9, Qt::DashLine);
    p.setPen(dash);
    for (int k = 1; k <= 2; ++k) {
        qreal t = a + (b - a) * k / 3.0;
        p.drawLine(QPointF(t, a), QPointF(t, b));
        p.drawLine(QPointF(a, t), QPointF(b, t));
    }
}

void drawReset(QPainter& p, int s) {
    // A frame with a curved arrow going back to its corner.
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.drawLine(QPointF(s * 0.15, s * 0.15), QPointF(s * 0.15, s * 0.85));
    p.drawLine(QPointF(s * 0.15, s * 0.85), QPointF(s * 0.85, s * 0.85));
    QPainterPath arc;
    arc.moveTo(s * 0.8, s * 0.6);
    arc.cubicTo(s * 0.8, s * 0.25, s * 0.45, s * 0.2, s * 0.35, s * 0.45);
    p.setPen(QPen(QColor(160, 30, 30), 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    QPainterPath head;
    head.moveTo(s * 0.28, s * 0.52);
    head.lineTo(s * 0.30, s * 0.32);
    head.lineTo(s * 0.47, s * 0.45);
    head.closeSubpath();
    p.setBrush(QColor(160, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawPath(head);
}

void drawAxis(QPainter& p, int s) {
    p.setPen(QPen(QColor(40, 40, 40), 1.4));
    const QPointF o(s * 0.22, s * 0.8);
    p.drawLine(o, QPointF(s * 0.22, s * 0.12));
    p.drawLine(o, QPointF(s * 0.9, s * 0.8));
    p.setBrush(QColor(40, 40, 40));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(s * 0.22, s * 0.06), QPointF(s * 0.15, s * 0.2), QPointF(s * 0.29, s * 0.2)}));
    p.drawPolygon(QPolygonF({QPointF(s * 0.96, s * 0.8), QPointF(s * 0.82, s * 0.73), QPointF(s * 0.82, s * 0.87)}));
    p.setPen(QPen(QColor(20, 60, 140), 1.2));
    for (int k = 1; k <= 3; ++k) {
        qreal x = s * 0.22 + k * s * 0.16;
        p.drawLine(QPointF(x, s * 0.8), QPointF(x, s * 0.86));
        qreal y = s * 0.8 - k * s * 0.16;
        p.drawLine(QPointF(s * 0.16, y), QPointF(s * 0.22, y));
    }
}
}  // namespace

QImage plotButtonImage(const QString& name, int side) {
    QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (name == QLatin1String("biggerUp")) drawMagnifier(p, side, true);
    else if (name == QLatin1String("smallerUp")) drawMagnifier(p, side, false);
    else if (name == QLatin1String("grid")) drawGrid(p, side);
    else if (name == QLatin1String("resetOff")) drawReset(p, side);
    else if (name == QLatin1String("axis")) drawAxis(p, side);
    p.end();
    return img;
}

QIcon plotButtonIcon(const QString& name) { return QIcon(QPixmap::fromImage(plotButtonImage(name))); }
