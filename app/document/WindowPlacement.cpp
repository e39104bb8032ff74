#include "app/document/WindowPlacement.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>

namespace {
bool clearOf(const QRect& r, const std::vector<QRect>& keepClear) {
    return std::none_of(keepClear.begin(), keepClear.end(), [&r](const QRect& k) { return r.intersects(k); });
}

// The lengths of the free stretches along one axis: from a start edge (the
// area's, or just past a rectangle) to an end edge (the area's, or just
// before a rectangle) further on.
std::vector<int> freeLengths(int lo, int hi, const std::vector<std::pair<int, int>>& spans) {
    std::vector<int> starts{lo}, ends{hi};
    for (auto [a, b] : spans) {
        starts.push_back(b + 1);
        ends.push_back(a);
    }
    std::vector<int> lengths;
    for (int s : starts)
        for (int e : ends)
            if (e > s && s >= lo && e <= hi) lengths.push_back(e - s);
    return lengths;
}

// The clear position of a window of size `size` nearest to `preferred`: the
// positions tried are those against the area's edges and against the edges
// of the rectangles kept clear, and the preferred one.
std::optional<QRect> nearestClear(const QRect& area, QSize size, const std::vector<QRect>& keepClear,
                                  QPoint preferred) {
    std::vector<int> xs{preferred.x(), area.left(), area.right() + 1 - size.width()};
    std::vector<int> ys{preferred.y(), area.top(), area.bottom() + 1 - size.height()};
    for (const QRect& k : keepClear) {
        xs.insert(xs.end(), {k.right() + 1, k.left() - size.width()});
        ys.insert(ys.end(), {k.bottom() + 1, k.top() - size.height()});
    }
    std::optional<QRect> best;
    long bestDistance = LONG_MAX;
    for (int x : xs) {
        for (int y : ys) {
            const int cx = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
            const int cy = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
            const QRect r(QPoint(cx, cy), size);
            if (!area.contains(r) || !clearOf(r, keepClear)) continue;
            const long d = std::labs(long(cx) - preferred.x()) + std::labs(long(cy) - preferred.y());
            if (d < bestDistance) {
                bestDistance = d;
                best = r;
            }
        }
    }
    return best;
}
}  // namespace

QRect placementClearOf(const QRect& area, QSize outer, QSize minimum, const std::vector<QRect>& keepClear,
                       QPoint preferred) {
    if (area.isEmpty() || outer.isEmpty()) return {};
    std::vector<QRect> clear;
    for (const QRect& k : keepClear)
        if (!k.isEmpty()) clear.push_back(k.intersected(area));
    clear.erase(std::remove_if(clear.begin(), clear.end(), [](const QRect& k) { return k.isEmpty(); }), clear.end());
    // The whole window first, then smaller ones that fill a free stretch of
    // the screen, the largest first.
    std::vector<std::pair<int, int>> xSpans, ySpans;
    for (const QRect& k : clear) {
        xSpans.emplace_back(k.left(), k.right());
        ySpans.emplace_back(k.top(), k.bottom());
    }
    std::vector<int> widths = freeLengths(area.left(), area.right() + 1, xSpans);
    std::vector<int> heights = freeLengths(area.top(), area.bottom() + 1, ySpans);
    widths.push_back(outer.width());
    heights.push_back(outer.height());
    std::vector<QSize> sizes;
    for (int w : widths)
        for (int h : heights) {
            const QSize s = QSize(w, h).boundedTo(outer);
            if (s.width() >= minimum.width() && s.height() >= minimum.height()) sizes.push_back(s);
        }
    std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) {
        return long(a.width()) * a.height() > long(b.width()) * b.height();
    });
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    for (QSize s : sizes)
        if (std::optional<QRect> r = nearestClear(area, s, clear, preferred)) return *r;
    return {};
}
