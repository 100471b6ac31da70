// Scalar helpers and the process-wide numeric constants of the geometry kit. Pure functions,
// safe from any thread.
#pragma once

#include <limits>

namespace common {

// "Zero within epsilon" throughout the kit means an absolute value below FLOAT_EPSILON.
inline constexpr float FLOAT_EPSILON = 1.1920929e-07f;
inline constexpr double DOUBLE_EPSILON = 2.220446049250313e-16;
inline constexpr float FLOAT_INFINITY = std::numeric_limits<float>::infinity();
inline constexpr double DOUBLE_INFINITY = std::numeric_limits<double>::infinity();

inline bool IsZero(float a) { return (a < 0.0f ? -a : a) < FLOAT_EPSILON; }
inline bool NearlyEqual(float a, float b) { return IsZero(a - b); }

inline float DegToRad(float degrees) { return degrees * 3.1415927f * 0.0055555557f; }

// Written so that a NaN value fails both comparisons and yields low.
inline float Clamp(float value, float low, float high) {
    if (value > high) {
        return high;
    }
    if (value >= low) {
        return value;
    }
    return low;
}

} // namespace common
