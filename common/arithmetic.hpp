#pragma once

#include <cstdint>

namespace hornwall {

// Derived values are computed in double precision from the stored singles and
// integers, and rounded once, where they are stored.
inline double as_double(float value) { return static_cast<double>(value); }
inline double as_double(std::int32_t value) { return static_cast<double>(value); }
inline double as_double(std::int64_t value) { return static_cast<double>(value); }

}  // namespace hornwall
