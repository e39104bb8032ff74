#include "app/document/FieldStepper.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

FieldStepper::FieldStepper(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto arrow = [this](Qt::ArrowType type) {
        auto* b = new QToolButton(this);
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
        return b;
    };
    mUp = arrow(Qt::UpArrow);
    mDown = arrow(Qt::DownArrow);
    layout->addWidget(mUp);
    layout->addWidget(mDown);
    setFixedSize(16, 22);
    connect(mUp, &QToolButton::clicked, this, &FieldStepper::stepUp);
    connect(mDown, &QToolButton::clicked, this, &FieldStepper::stepDown);
}

void FieldStepper::stepUp() { step(mIncrement); }
void FieldStepper::stepDown() { step(-mIncrement); }

void FieldStepper::step(double delta) {
    double v = mValue + delta;
    if (!std::isfinite(v)) return;
    // Kept within the range; a value typed outside it is never carried further
    // out, nor pulled back over the range against the arrow pressed (up from a
    // modulus above the maximum would otherwise lower it to the maximum).
    const double lo = std::min(mMinimum, mValue);
    const double hi = std::max({mMinimum, mMaximum, mValue});
    v = std::clamp(v, lo, hi);
    if (v == mValue) return;
    // Steps of a decimal increment are kept free of binary round-off (0.1 + 0.2).
    if (mIncrement > 0.0 && std::isfinite(mIncrement)) {
        const double digits = std::pow(10.0, 12.0 - std::ceil(std::log10(std::max(std::fabs(v), mIncrement))));
        if (std::isfinite(digits) && digits > 0.0) v = std::round(v * digits) / digits;
    }
    mValue = v;
    emit valueChanged(mValue);
}
