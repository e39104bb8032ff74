#pragma once
// Where a window that opens beside a document window goes so that it covers
// none of the document's parts the user works with (the eruption controls
// that opened it, the document's title bar and menus): the geometry alone,
// in screen coordinates, so that the decision is made, and can be checked,
// before the window is shown at its final position.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

// The frame rectangle (title bar and borders included) of a window of outer
// size `outer` inside `area` (the screen's part that windows may cover) that
// intersects none of `keepClear`: at `preferred` (its frame's top left) when
// that is clear, else at the clear position nearest to it.  Where no position
// has room for the whole window, the largest size down to `minimum` that has
// one is taken.  An empty rectangle when not even `minimum` fits anywhere.
QRect placementClearOf(const QRect& area, QSize outer, QSize minimum, const std::vector<QRect>& keepClear,
                       QPoint preferred);
