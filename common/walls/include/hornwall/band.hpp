#pragma once

namespace hornwall {

// The corrugation type of the corrugated walls: one height taper, or two that alternate.
enum class Band { single, dual };

}  // namespace hornwall
