#pragma once
// A colour well: a button that shows a colour and lets the user pick another
// one in Qt's colour dialog.
#include <QPushButton>
#include <functional>

#include "app/plot/Color.h"

class ColorWell : public QPushButton {
    Q_OBJECT
public:
    explicit ColorWell(QWidget* parent = nullptr);

    const Color& color() const { return mColor; }
    // Shows the colour (does not call `colorChosen`).
    void setColor(const Color& color);
    // Called after the user picked a colour.
    std::function<void()> colorChosen;

private:
    void pick();
    Color mColor = Color::blackColor();
};
