// The rectangle arithmetic of the damage list: the pixel rectangles of one
// window, merged, bounded at 100 and clipped to the window, and connector
// segments grown by their thickness and tiled. Pure arithmetic on 32-bit
// pixel coordinates; the X side lives in WindowDamage.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// The pixel points of a connector or line: its path and the two arrow heads.
// A head holds the path's end point, the head's points and that end point again.
struct ConnectorPoints {
    std::vector<PixelPoint> path;
    std::vector<PixelPoint> startHead;
    std::vector<PixelPoint> endHead;

    size_t Total() const { return path.size() + startHead.size() + endHead.size(); }
    void Clear()
    {
        path.clear();
        startHead.clear();
        endHead.clear();
    }
};

inline constexpr int kDamageMaxRects = 100;
inline constexpr int32_t kDamageMergeTolerance = 5;
inline constexpr int32_t kDamageTileSpan = 35;
inline constexpr int32_t kDamageSmallRect = 36;

class DamageRects {
public:
    // Forgets the rectangles and the collapse; the window size stays.
    void Reset()
    {
        count_ = 0;
        collapsed_ = false;
    }
    void SetSize(int32_t width, int32_t height)
    {
        width_ = width;
        height_ = height;
    }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    int Count() const { return count_; }
    bool Collapsed() const { return collapsed_; }
    bool Empty() const { return count_ == 0; }
    std::span<const PixelRect> Rects() const { return {rects_.data(), static_cast<size_t>(count_)}; }

    // Makes the list one rectangle covering the window.
    void Collapse();
    // Collapses a full list; true when the list is (now) collapsed.
    bool CollapseIfFull();

    // Adds a pixel rectangle, clipped to the window; collapses a full list.
    void AddPixelRect(int32_t x, int32_t y, int32_t width, int32_t height);
    // Damages the pixel box of a page rectangle (corners already mapped;
    // right and bottom inclusive): merged into a near rectangle when one
    // absorbs it, else added.
    void AddBox(int32_t left, int32_t top, int32_t right, int32_t bottom);

    // One connector segment grown by the pad: extends the last rectangle, or
    // adds one rectangle, or a run of tiles along the segment.
    void AddSegment(PixelPoint p, PixelPoint q, int32_t pad);
    // Every segment of the heads and the path.
    void AddConnector(const ConnectorPoints& points, int32_t pad);
    // The segments that differ between an old and a new state of one
    // connector: unchanged segments once, changed ones in both places.
    void AddConnectorChange(const ConnectorPoints& before, const ConnectorPoints& after, int32_t pad);

private:
    bool TryMerge(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    bool TryExtendLast(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void AddTiles(PixelPoint p, PixelPoint q, int32_t pad);
    void AddPolyline(std::span<const PixelPoint> points, int32_t pad);
    void AddPolylineChange(std::span<const PixelPoint> before, std::span<const PixelPoint> after, int32_t pad);
    void ClipRect(PixelRect* rect) const;

    std::array<PixelRect, kDamageMaxRects> rects_{};
    int count_ = 0;
    bool collapsed_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
};
