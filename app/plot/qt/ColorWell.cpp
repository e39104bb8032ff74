#include "app/plot/qt/ColorWell.h"

#include <QColorDialog>
#include <QPixmap>

#include "app/plot/qt/PlotPanels.h"
#include "app/plot/qt/QtCanvas.h"

ColorWell::ColorWell(QWidget* parent) : QPushButton(parent) {
    setMinimumSize(44, 24);
    setColor(mColor);
    connect(this, &QPushButton::clicked, this, &ColorWell::pick);
}

void ColorWell::setColor(const Color& color) {
    mColor = color;
    QPixmap swatch(32, 14);
    swatch.fill(QtCanvas::toQColor(color));
    setIcon(QIcon(swatch));
    setIconSize(swatch.size());
}

void ColorWell::pick() {
    const QColor c = QColorDialog::getColor(QtCanvas::toQColor(mColor), this, QStringLiteral("Color"),
                                            QColorDialog::DontUseNativeDialog);
    if (!c.isValid()) return;  // the user cancelled the dialog
    setColor(fromQColor(c));
    if (colorChosen) colorChosen();
}
