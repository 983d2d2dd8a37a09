#pragma once
#include <algorithm>
#include <cstdint>

namespace forms {

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPoint& o) const { return X == o.X && Y == o.Y; }
};

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const TSize& o) const { return cx == o.cx && cy == o.cy; }
};

// Half-open: covers columns Left..Right-1 and rows Top..Bottom-1.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int32_t x, int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    TRect Offset(int32_t dx, int32_t dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    TRect Intersect(const TRect& o) const {
        TRect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right), std::min(Bottom, o.Bottom)};
        if (r.IsEmpty()) return {};
        return r;
    }
    TRect Union(const TRect& o) const {
        if (IsEmpty()) return o;
        if (o.IsEmpty()) return *this;
        return {std::min(Left, o.Left), std::min(Top, o.Top), std::max(Right, o.Right), std::max(Bottom, o.Bottom)};
    }
    bool operator==(const TRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool operator!=(const TRect& o) const { return !(*this == o); }
};

inline TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return {l, t, r, b}; }
inline TRect Bounds(int32_t l, int32_t t, int32_t w, int32_t h) { return {l, t, l + w, t + h}; }

// The half-open rectangle (l, t, r, b), given in 64 bits, cut to clip; empty when
// nothing is left.
inline TRect CutRect(const TRect& clip, int64_t l, int64_t t, int64_t r, int64_t b) {
    const TRect out{static_cast<int32_t>(std::max<int64_t>(l, clip.Left)),
                    static_cast<int32_t>(std::max<int64_t>(t, clip.Top)),
                    static_cast<int32_t>(std::min<int64_t>(r, clip.Right)),
                    static_cast<int32_t>(std::min<int64_t>(b, clip.Bottom))};
    return out.IsEmpty() ? TRect{} : out;
}

}  // namespace forms
