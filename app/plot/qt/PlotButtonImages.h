#pragma once
// The images of the plot container's buttons, drawn by the program itself:
// "biggerUp" (zoom in), "smallerUp" (zoom out), "grid", "resetOff" (axis
// ranges by default) and "axis" (axis-range panel).  22 x 22 pixels.
#include <QIcon>
#include <QImage>
#include <QString>

// The image of that name (a blank image for an unknown name).
QImage plotButtonImage(const QString& name, int side = 22);
QIcon plotButtonIcon(const QString& name);
