#pragma once
// The stepper beside a form field: two small arrows that add or take away an
// increment, kept within a minimum and a maximum.  The document copies the
// stepper's value into its field when the user steps, and the field's value
// into the stepper after every calculation.
#include <QWidget>

class QToolButton;

class FieldStepper : public QWidget {
    Q_OBJECT
public:
    explicit FieldStepper(QWidget* parent = nullptr);

    double value() const { return mValue; }
    // Sets the value without telling anyone (the field already shows it).
    void setValue(double v) { mValue = v; }
    double increment() const { return mIncrement; }
    void setIncrement(double inc) { mIncrement = inc; }
    double minimum() const { return mMinimum; }
    double maximum() const { return mMaximum; }
    void setMinimum(double v) { mMinimum = v; }
    void setMaximum(double v) { mMaximum = v; }
    void setRange(double lo, double hi) { mMinimum = lo; mMaximum = hi; }

    // One step up or down, clamped to the range; emits valueChanged.
    void stepUp();
    void stepDown();

    QToolButton* downButton() const { return mDown; }

signals:
    void valueChanged(double value);

private:
    void step(double delta);

    double mValue = 0.0;
    double mIncrement = 1.0;
    double mMinimum = 0.0;
    double mMaximum = 100.0;
    QToolButton* mUp = nullptr;
    QToolButton* mDown = nullptr;
};
