#pragma once

#include <QRect>
#include <QtGlobal>

#include <cfenv>
#include <cmath>
#include <limits>

// A rectangle in device pixels. Right and Bottom lie one past the last pixel, so
// Width() = Right - Left; an "inverted" rectangle (Right < Left) keeps its negative width.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// Rounds to the nearest integer in floating point, an exact half going to the even
// neighbour (2.5 -> 2, 3.5 -> 4). std::nearbyint follows the current rounding mode, which
// is ties-to-even unless someone changed it, so the mode is pinned for the call.
inline double RoundHalfEvenF(double value)
{
    const int mode = std::fegetround();
    if (mode == FE_TONEAREST)
        return std::nearbyint(value);
    std::fesetround(FE_TONEAREST);
    const double result = std::nearbyint(value);
    std::fesetround(mode);
    return result;
}

namespace geometry_detail {
template <typename Int>
Int SaturatingRound(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = RoundHalfEvenF(value);
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (rounded >= static_cast<double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(rounded);
}
} // namespace geometry_detail

// The same rounding to an integer; values beyond the type's range saturate, NaN gives 0.
inline int RoundHalfEven(double value)
{
    return geometry_detail::SaturatingRound<int>(value);
}

inline qint64 RoundHalfEven64(double value)
{
    return geometry_detail::SaturatingRound<qint64>(value);
}

// A 64-bit intermediate brought back into int range.
constexpr int ClampToInt(qint64 value)
{
    return value < std::numeric_limits<int>::min() ? std::numeric_limits<int>::min()
        : value > std::numeric_limits<int>::max()  ? std::numeric_limits<int>::max()
                                                    : int(value);
}
