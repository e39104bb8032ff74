#pragma once
// One QApplication for the Qt tests of the plotting kit (offscreen platform).
#include <QApplication>
#include <QColor>
#include <QImage>

inline QApplication& qtTestApp() {
    // Headless whatever the environment says (no display in tests and CI).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "chamber_plot_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: objects Qt keeps for the whole run (the test input
    // devices among them) go away at exit after any static of ours would.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The colour of the pixel at view coordinates (x, y) of an image drawn with
// y upwards at one pixel per unit: the pixel whose centre is (x, y).
inline QColor pixelAt(const QImage& img, float x, float y) {
    return img.pixelColor(static_cast<int>(x), img.height() - 1 - static_cast<int>(y));
}

inline bool near(const QColor& c, int r, int g, int b, int tol = 40) {
    return std::abs(c.red() - r) <= tol && std::abs(c.green() - g) <= tol && std::abs(c.blue() - b) <= tol;
}
