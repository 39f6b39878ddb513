// The rectangle arithmetic of the damage list: merging near rectangles,
// clipping to the window, collapsing a full list, and the damage of connector
// segments (grown by their thickness, merged into a small last rectangle or
// tiled along the segment).
#include "xkv/window/DamageRects.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool Within(int32_t v, int32_t low, int32_t high)
{
    return low <= v && v <= high;
}

bool Near(int32_t a, int32_t b)
{
    return std::abs(int64_t{a} - b) <= kDamageMergeTolerance;
}

int32_t Sign(int32_t v)
{
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// The rectangle of the box (right and bottom exclusive) as x, y, width, height.
PixelRect FromEdges(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    auto clamp32 = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
    return {clamp32(left), clamp32(top), clamp32(right - left), clamp32(bottom - top)};
}

// Whether the listed rectangle (r*) absorbs the new one (n*); right and bottom
// exclusive.
bool Absorbs(int32_t rx1, int32_t ry1, int32_t rx2, int32_t ry2, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const int32_t t = kDamageMergeTolerance;
    bool l = Near(rx1, x1), tp = Near(ry1, y1), r = Near(rx2, x2), b = Near(ry2, y2);
    if (l && r && (Within(y1 - t, ry1, ry2) || Within(y2 + t, ry1, ry2) || Within(ry2 + t, y1, y2))) {
        return true;
    }
    if (tp && b && (Within(x1 - t, rx1, rx2) || Within(x2 + t, rx1, rx2) || Within(rx2 + t, x1, x2))) {
        return true;
    }
    if (l && tp && (r || b || (x2 >= rx2 && y2 >= ry2) || (x2 <= rx2 && y2 <= ry2))) {
        return true;
    }
    if (r && b && (l || tp || (x1 <= rx1 && y1 <= ry1) || (x1 >= rx1 && y1 >= ry1))) {
        return true;
    }
    if (l && ((x2 >= rx2 && y2 >= ry2 && y1 <= ry1) || (x2 <= rx2 && y2 <= ry2 && y1 >= ry1))) {
        return true;
    }
    if (tp && ((x2 >= rx2 && y2 >= ry2 && x1 <= rx1) || (x2 <= rx2 && y2 <= ry2 && x1 >= rx1))) {
        return true;
    }
    if (r && ((x1 >= rx1 && y1 >= ry1 && y2 <= ry2) || (x1 <= rx1 && y1 <= ry1 && y2 >= ry2))) {
        return true;
    }
    if (b && ((x1 >= rx1 && y1 >= ry1 && x2 <= rx2) || (x1 <= rx1 && y1 <= ry1 && x2 >= rx2))) {
        return true;
    }
    bool newInside = x1 >= rx1 && y1 >= ry1 && x2 <= rx2 && y2 <= ry2;
    bool listedInside = rx1 >= x1 && ry1 >= y1 && rx2 <= x2 && ry2 <= y2;
    return newInside || listedInside;
}

}  // namespace

void DamageRects::Collapse()
{
    collapsed_ = true;
    count_ = 1;
    rects_[0] = {0, 0, width_, height_};
}

bool DamageRects::CollapseIfFull()
{
    if (!collapsed_ && count_ >= kDamageMaxRects) {
        Collapse();
    }
    return collapsed_;
}

void DamageRects::ClipRect(PixelRect* rect) const
{
    int64_t left = std::max<int64_t>(rect->x, 0);
    int64_t top = std::max<int64_t>(rect->y, 0);
    int64_t right = std::min<int64_t>(int64_t{rect->x} + rect->width, width_);
    int64_t bottom = std::min<int64_t>(int64_t{rect->y} + rect->height, height_);
    *rect = FromEdges(left, top, std::max(right, left), std::max(bottom, top));
}

void DamageRects::AddPixelRect(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (CollapseIfFull()) {
        return;
    }
    if (x >= width_ || y >= height_) {
        return;
    }
    PixelRect rect{x, y, width, height};
    ClipRect(&rect);
    if (rect.width < 1 || rect.height < 1) {
        return;
    }
    rects_[count_++] = rect;
}

bool DamageRects::TryMerge(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    for (int i = count_ - 1; i >= 0; --i) {
        PixelRect& listed = rects_[i];
        int32_t rx1 = listed.x, ry1 = listed.y;
        int32_t rx2 = listed.x + listed.width, ry2 = listed.y + listed.height;
        if (!Absorbs(rx1, ry1, rx2, ry2, x1, y1, x2, y2)) {
            continue;
        }
        int64_t left = std::max(std::min(rx1, x1), 0);
        int64_t top = std::max(std::min(ry1, y1), 0);
        int64_t right = std::min(std::max(rx2, x2), width_);
        int64_t bottom = std::min(std::max(ry2, y2), height_);
        listed = FromEdges(left, top, std::max(right, left), std::max(bottom, top));
        return true;
    }
    return false;
}

void DamageRects::AddBox(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (collapsed_) {
        return;
    }
    if (!(left < width_ && top < height_ && right >= 1 && bottom >= 1)) {
        return;
    }
    int64_t right1 = int64_t{right} + 1;
    int64_t bottom1 = int64_t{bottom} + 1;
    PixelRect rect = FromEdges(left, top, right1, bottom1);
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    if (count_ > 0 && rects_[count_ - 1] == rect) {
        return;
    }
    if (count_ > 0 && TryMerge(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height)) {
        return;
    }
    AddPixelRect(rect.x, rect.y, rect.width, rect.height);
}

bool DamageRects::TryExtendLast(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (count_ == 0) {
        return false;
    }
    PixelRect& last = rects_[count_ - 1];
    int32_t lastRight = last.x + last.width, lastBottom = last.y + last.height;
    if (last.width < kDamageSmallRect && last.height < kDamageSmallRect) {
        int32_t ul = std::min(last.x, left), ut = std::min(last.y, top);
        int32_t ur = std::max(lastRight, right), ub = std::max(lastBottom, bottom);
        if (ur - ul < kDamageSmallRect || ub - ut < kDamageSmallRect) {
            PixelRect united = FromEdges(ul, ut, ur, ub);
            ClipRect(&united);
            last = united;
            return true;
        }
    }
    if (last.width < kDamageSmallRect && left >= last.x && right <= lastRight) {
        int32_t newTop = std::max(std::min(last.y, top), 0);
        int32_t newBottom = std::min(std::max(lastBottom, bottom), height_);
        last.y = newTop;
        last.height = std::max(newBottom - newTop, 0);
        return true;
    }
    if (last.width >= kDamageSmallRect && top >= last.y && bottom <= lastBottom) {
        int32_t newLeft = std::max(std::min(last.x, left), 0);
        int32_t newRight = std::min(std::max(lastRight, right), width_);
        last.x = newLeft;
        last.width = std::max(newRight - newLeft, 0);
        return true;
    }
    return false;
}

void DamageRects::AddSegment(PixelPoint p, PixelPoint q, int32_t pad)
{
    if (CollapseIfFull()) {
        return;
    }
    int32_t left = std::min(p.x, q.x), right = std::max(p.x, q.x);
    int32_t top = std::min(p.y, q.y), bottom = std::max(p.y, q.y);
    if (right < 0 || left >= width_ || bottom < 0 || top >= height_) {
        return;
    }
    int64_t dx = int64_t{right} - left, dy = int64_t{bottom} - top;
    int64_t growX = 0, growY = 0;
    if (dx <= dy) {
        growX = pad;
        growY = dx == 0 ? 1 : int64_t{pad} * dy / dx + 1;
    } else {
        growX = dy == 0 ? 1 : int64_t{pad} * dx / dy + 1;
        growY = pad;
    }
    PixelRect grown = FromEdges(left - growX, top - growY, right + growX + 1, bottom + growY + 1);
    int32_t gl = grown.x, gt = grown.y, gr = grown.x + grown.width, gb = grown.y + grown.height;
    if (TryExtendLast(gl, gt, gr, gb)) {
        return;
    }
    // An axis-aligned segment has no shorter extent to tile along, and a pad
    // as wide as a tile would never advance: both take the grown box whole.
    bool oneRect = grown.width < kDamageSmallRect || grown.height < kDamageSmallRect || dx == 0 || dy == 0 ||
                   pad >= kDamageTileSpan;
    if (oneRect) {
        AddPixelRect(grown.x, grown.y, grown.width, grown.height);
        return;
    }
    AddTiles(p, q, pad);
}

void DamageRects::AddTiles(PixelPoint p, PixelPoint q, int32_t pad)
{
    if (q.x < p.x) {
        std::swap(p, q);
    }
    bool shallow = std::abs(int64_t{q.x} - p.x) > std::abs(int64_t{q.y} - p.y);
    // u: the shorter axis, along which the tiles step; v: the longer one.
    int64_t u1 = shallow ? p.y : p.x, v1 = shallow ? p.x : p.y;
    int64_t u2 = shallow ? q.y : q.x, v2 = shallow ? q.x : q.y;
    int64_t su = Sign(static_cast<int32_t>(u2 - u1)), sv = Sign(static_cast<int32_t>(v2 - v1));
    int64_t shorter = std::abs(u2 - u1), longer = std::abs(v2 - v1);
    auto vAt = [&](int64_t u) { return v1 + (u - u1) * (v2 - v1) / (u2 - u1); };

    int64_t start = u1 - su * pad;
    const int64_t end = u2 + su * pad;
    for (;;) {
        int64_t span = kDamageTileSpan;
        int64_t tileEnd = start + su * span;
        bool last = su * (tileEnd - end) >= 0;
        if (last) {
            tileEnd = end;
            span = std::abs(end - start);
        }
        int64_t length = span * longer / shorter + 1;
        int64_t vs = vAt(start);
        int64_t ve = vs + sv * length;
        int64_t uLow = std::min(start, tileEnd), uHigh = std::max(start, tileEnd);
        int64_t vLow = std::min(vs, ve), vHigh = std::max(vs, ve);
        PixelRect tile = shallow ? FromEdges(vLow, uLow, vHigh, uHigh) : FromEdges(uLow, vLow, uHigh, vHigh);
        AddPixelRect(tile.x, tile.y, tile.width, tile.height);
        if (collapsed_ || last) {
            return;
        }
        start = tileEnd - su * pad;
    }
}

void DamageRects::AddPolyline(std::span<const PixelPoint> points, int32_t pad)
{
    for (size_t i = 1; i < points.size(); ++i) {
        if (CollapseIfFull()) {
            return;
        }
        AddSegment(points[i - 1], points[i], pad);
    }
}

void DamageRects::AddConnector(const ConnectorPoints& points, int32_t pad)
{
    AddPolyline(points.startHead, pad);
    AddPolyline(points.path, pad);
    AddPolyline(points.endHead, pad);
}

void DamageRects::AddPolylineChange(std::span<const PixelPoint> before, std::span<const PixelPoint> after,
                                    int32_t pad)
{
    size_t n = before.size(), m = after.size();
    size_t io = 0, in = 0;
    bool flag = false;
    auto oldSegment = [&](size_t i) {
        if (i > 0 && i < n) {
            AddSegment(before[i - 1], before[i], pad);
        }
    };
    auto newSegment = [&](size_t i) {
        if (i > 0 && i < m) {
            AddSegment(after[i - 1], after[i], pad);
        }
    };
    for (size_t i = 0; io < n && in < m; ++i, ++io, ++in) {
        if (CollapseIfFull()) {
            return;
        }
        if (before[io] != after[in]) {
            if (i > 0 || flag) {
                oldSegment(io);
                newSegment(in);
            }
            flag = false;
            if (n > m && io + 1 < n && before[io + 1] == after[in]) {
                oldSegment(io + 1);
                ++io;
                flag = true;
            } else if (m > n && in + 1 < m && after[in + 1] == before[io]) {
                newSegment(in + 1);
                ++in;
                flag = true;
            }
        } else if (i == 0) {
            flag = true;
        } else if (!flag) {
            oldSegment(io);
            newSegment(in);
            flag = true;
        } else {
            oldSegment(io);
        }
    }
    // Points beyond the shorter list: their segments exist in one state only
    // and must be repainted there too.
    for (size_t i = std::max<size_t>(io, 1); i < n; ++i) {
        if (CollapseIfFull()) {
            return;
        }
        oldSegment(i);
    }
    for (size_t i = std::max<size_t>(in, 1); i < m; ++i) {
        if (CollapseIfFull()) {
            return;
        }
        newSegment(i);
    }
}

void DamageRects::AddConnectorChange(const ConnectorPoints& before, const ConnectorPoints& after, int32_t pad)
{
    auto heads = [&](const std::vector<PixelPoint>& a, const std::vector<PixelPoint>& b) {
        if (!a.empty() && !b.empty()) {
            AddPolylineChange(a, b, pad);
        } else {
            // A head that came or went: damage it where it is or was.
            AddPolyline(a, pad);
            AddPolyline(b, pad);
        }
    };
    heads(before.startHead, after.startHead);
    AddPolylineChange(before.path, after.path, pad);
    heads(before.endHead, after.endHead);
}
