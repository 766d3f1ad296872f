#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hornwall/view/wall.hpp"

// Where the wall of one profile crosses or overlaps itself.
namespace hornwall::view {

// How two segments of one profile meet.
enum class Meeting {
  crosses,     // they cross, or one ends on the other
  overlaps,    // they run along each other for a stretch
  folds_back,  // consecutive segments: the second runs back along the first
};

// A segment of a profile's wall: from node `from` to node `to` (0-based rows of its
// table), and the line of the row of `from`.
struct WallSegment {
  std::size_t from = 0;
  std::size_t to = 0;
  std::uint64_t line = 0;
};

// Two segments of a profile that meet: `later` further along the wall than `earlier`.
struct Crossing {
  WallSegment later;
  WallSegment earlier;
  Meeting how;
};

// The pairs of segments of `profile` that meet other than consecutive segments at their
// shared node, in order along the wall; nodes that could not be evaluated break the wall,
// and nodes within `tolerance` of each other count as one. Every pair found is a real
// meeting, each segment is in at most one pair, and a profile that meets itself anywhere
// gives at least one pair. Takes time near n log n for n nodes.
std::vector<Crossing> find_crossings(const Profile& profile, double tolerance);

}  // namespace hornwall::view
