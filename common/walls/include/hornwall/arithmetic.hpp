#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace hornwall {

// The single-precision value nearest to pi, 3.14159274.
inline constexpr float pi = std::numbers::pi_v<float>;

// Derived values are computed in double precision from the stored singles and
// integers, and rounded once, where they are stored.
inline double as_double(float value) { return static_cast<double>(value); }
inline double as_double(std::int32_t value) { return static_cast<double>(value); }
inline double as_double(std::int64_t value) { return static_cast<double>(value); }

// Rounds a derived value to single precision, to nearest, as it is stored. A finite value
// beyond the single-precision range becomes what IEEE rounding gives: FLT_MAX up to the
// halfway point between FLT_MAX and the next power of two, infinity of its sign beyond.
inline float to_single(double value) {
  // 2^128 - 2^103: halfway between FLT_MAX and 2^128; a tie rounds to even, which is 2^128.
  constexpr double halfway = 0x1.ffffffp+127;
  if (std::isfinite(value) && std::fabs(value) >= halfway) {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    return value > 0 ? infinity : -infinity;
  }
  if (std::isfinite(value) && std::fabs(value) > static_cast<double>(FLT_MAX)) {
    return value > 0 ? FLT_MAX : -FLT_MAX;
  }
  return static_cast<float>(value);
}

}  // namespace hornwall
