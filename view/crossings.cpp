#include "hornwall/view/crossings.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace hornwall::view {
namespace {

struct Point {
  double z = 0.0;
  double rho = 0.0;
  std::size_t node = 0;    // its row in the profile's table
  std::uint64_t line = 0;  // the line of that row
  std::size_t piece = 0;   // the unbroken stretch of wall it belongs to
};

// The wall as points in order, nodes that could not be evaluated leaving a break, and
// points within the tolerance of the previous one dropped.
std::vector<Point> wall_points(const Profile& profile, double tolerance) {
  std::vector<Point> points;
  std::size_t piece = 0;
  bool broken = false;
  for (std::size_t i = 0; i < profile.nodes.size(); ++i) {
    const Node& node = profile.nodes[i];
    if (!node.ok) {
      broken = true;
      continue;
    }
    if (broken && !points.empty()) ++piece;
    broken = false;
    if (!points.empty() && points.back().piece == piece &&
        std::abs(node.z - points.back().z) <= tolerance &&
        std::abs(node.rho - points.back().rho) <= tolerance) {
      continue;
    }
    points.push_back({node.z, node.rho, i, node.line, piece});
  }
  return points;
}

WallSegment segment_of(const std::vector<Point>& points, std::size_t k) {
  return {points[k].node, points[k + 1].node, points[k].line};
}

// A wall whose z never rises (or never falls) can only meet itself where it runs along
// one z: there, a rho that turns back folds the wall onto itself.
bool is_monotone(const std::vector<Point>& points) {
  bool falls = true, rises = true;
  for (std::size_t k = 0; k + 1 < points.size(); ++k) {
    if (points[k + 1].piece != points[k].piece) return false;
    falls = falls && points[k + 1].z <= points[k].z;
    rises = rises && points[k + 1].z >= points[k].z;
  }
  return falls || rises;
}

void find_folds(const std::vector<Point>& points, std::vector<Crossing>& found) {
  for (std::size_t k = 1; k + 1 < points.size(); ++k) {
    const Point& before = points[k - 1];
    const Point& at = points[k];
    const Point& after = points[k + 1];
    if (before.z != at.z || after.z != at.z) continue;
    if ((at.rho - before.rho > 0) != (after.rho - at.rho > 0)) {
      found.push_back({segment_of(points, k), segment_of(points, k - 1), Meeting::folds_back});
      ++k;  // each segment in one pair at most
    }
  }
}

// The general case: a sweep along z over the segments, ordered by rho (Shamos and Hoey),
// in which a pair found is taken out, so that the sweep goes on over a wall that does not
// meet itself behind it.
class Sweep {
 public:
  Sweep(const std::vector<Point>& points, double tolerance) : tolerance_(tolerance) {
    // Coordinates are scaled by a power of two into [-1, 1], so that no product below
    // can overflow or lose its exactness to the scaling.
    double largest = 0.0;
    for (const Point& p : points) largest = std::max({largest, std::abs(p.z), std::abs(p.rho)});
    int exponent = 0;
    std::frexp(largest, &exponent);
    const auto scaled = [&](double value) { return std::ldexp(value, -exponent); };
    tolerance_ = scaled(tolerance);
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
      if (points[k + 1].piece != points[k].piece) continue;
      Segment s;
      s.index = k;
      s.a = {scaled(points[k].z), scaled(points[k].rho)};
      s.b = {scaled(points[k + 1].z), scaled(points[k + 1].rho)};
      s.left = s.a;
      s.right = s.b;
      if (s.b.x < s.a.x || (s.b.x == s.a.x && s.b.y < s.a.y)) std::swap(s.left, s.right);
      segments_.push_back(s);
    }
  }

  void run(const std::vector<Point>& points, std::vector<Crossing>& found) {
    struct Event {
      double x, y;
      bool ends;
      std::uint32_t segment;
    };
    std::vector<Event> events;
    events.reserve(2 * segments_.size());
    for (std::uint32_t s = 0; s < segments_.size(); ++s) {
      events.push_back({segments_[s].left.x, segments_[s].left.y, false, s});
      events.push_back({segments_[s].right.x, segments_[s].right.y, true, s});
    }
    // At one point, segments that begin there are taken in before those that end there
    // leave, so that walls touching at a node are compared.
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
      if (a.x != b.x) return a.x < b.x;
      if (a.y != b.y) return a.y < b.y;
      if (a.ends != b.ends) return !a.ends;
      return a.segment < b.segment;
    });
    Status status{Order{this}};
    std::vector<Status::iterator> where(segments_.size(), status.end());
    std::vector<bool> gone(segments_.size(), false);
    const auto report = [&](std::uint32_t s, std::uint32_t t, Meeting how) {
      const std::size_t first = std::min(segments_[s].index, segments_[t].index);
      const std::size_t second = std::max(segments_[s].index, segments_[t].index);
      found.push_back({segment_of(points, second), segment_of(points, first), how});
      for (const std::uint32_t u : {s, t}) {
        gone[u] = true;
        if (where[u] != status.end()) status.erase(where[u]);
        where[u] = status.end();
      }
    };
    // Compares a segment just taken in with its neighbours.
    const auto check_around = [&](Status::iterator at) {
      if (at == status.end()) return;
      const std::uint32_t s = *at;
      if (at != status.begin()) {
        const std::uint32_t below = *std::prev(at);
        if (const auto how = meeting(s, below)) {
          report(s, below, *how);
          return;
        }
      }
      if (const auto next = std::next(at); next != status.end()) {
        if (const auto how = meeting(s, *next)) report(s, *next, *how);
      }
    };
    const auto check_pair = [&](Status::iterator below, Status::iterator above) {
      if (below == status.end() || above == status.end()) return;
      if (const auto how = meeting(*below, *above)) report(*below, *above, *how);
    };
    for (const Event& event : events) {
      const std::uint32_t s = event.segment;
      if (gone[s]) continue;
      if (!event.ends) {
        const auto [at, taken] = status.insert(s);
        if (!taken) continue;
        where[s] = at;
        check_around(where[s]);
        continue;
      }
      const Status::iterator at = where[s];
      if (at == status.end()) continue;
      const Status::iterator below = at == status.begin() ? status.end() : std::prev(at);
      const Status::iterator above = std::next(at);
      status.erase(at);
      where[s] = status.end();
      check_pair(below, above);
    }
  }

 private:
  struct Vector {
    double x = 0.0, y = 0.0;
  };
  struct Segment {
    std::size_t index = 0;  // its place along the wall
    Vector a, b;            // from, to
    Vector left, right;     // the same, in the order of the sweep
  };

  // Orders the segments that the sweep line cuts from low rho to high, compared where
  // the later of the two began; ties by slope, then by place along the wall.
  struct Order {
    const Sweep* sweep;
    bool operator()(std::uint32_t s, std::uint32_t t) const {
      if (s == t) return false;
      const Segment& a = sweep->segments_[s];
      const Segment& b = sweep->segments_[t];
      const double x = std::max(a.left.x, b.left.x);
      const double ya = y_at(a, x), yb = y_at(b, x);
      if (ya != yb) return ya < yb;
      const double sa = slope(a), sb = slope(b);
      if (sa != sb) return sa < sb;
      return a.index < b.index;
    }
  };
  using Status = std::set<std::uint32_t, Order>;

  static double y_at(const Segment& s, double x) {
    if (s.right.x == s.left.x) return s.left.y;
    const double t = std::clamp((x - s.left.x) / (s.right.x - s.left.x), 0.0, 1.0);
    return s.left.y + (s.right.y - s.left.y) * t;
  }
  static double slope(const Segment& s) {
    if (s.right.x == s.left.x) return std::numeric_limits<double>::infinity();
    return (s.right.y - s.left.y) / (s.right.x - s.left.x);
  }

  // The distance of `p` from the segment from `a` to `b`.
  static double distance(Vector p, Vector a, Vector b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
  }
  // The distance of `p` from the line through `a` and `b`, signed by its side.
  static double side(Vector p, Vector a, Vector b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    return (dx * (p.y - a.y) - dy * (p.x - a.x)) / std::hypot(dx, dy);
  }

  std::optional<Meeting> meeting(std::uint32_t s_id, std::uint32_t t_id) const {
    const Segment& s = segments_[s_id];
    const Segment& t = segments_[t_id];
    const Segment& first = s.index < t.index ? s : t;
    const Segment& second = s.index < t.index ? t : s;
    const double tol = tolerance_;
    if (second.index == first.index + 1 && second.a.x == first.b.x && second.a.y == first.b.y) {
      // Consecutive: they meet at their shared node; beyond it only when folded back.
      const bool back = (distance(second.b, first.a, first.b) <= tol &&
                         distance(second.b, first.b, first.b) > tol) ||
                        (distance(first.a, second.a, second.b) <= tol &&
                         distance(first.a, second.a, second.a) > tol);
      if (back) return Meeting::folds_back;
      return std::nullopt;
    }
    const double d1 = side(second.a, first.a, first.b), d2 = side(second.b, first.a, first.b);
    const double d3 = side(first.a, second.a, second.b), d4 = side(first.b, second.a, second.b);
    const bool apart12 = (d1 > tol && d2 < -tol) || (d1 < -tol && d2 > tol);
    const bool apart34 = (d3 > tol && d4 < -tol) || (d3 < -tol && d4 > tol);
    if (apart12 && apart34) return Meeting::crosses;
    const int touching = (distance(second.a, first.a, first.b) <= tol) +
                         (distance(second.b, first.a, first.b) <= tol) +
                         (distance(first.a, second.a, second.b) <= tol) +
                         (distance(first.b, second.a, second.b) <= tol);
    if (touching == 0) return std::nullopt;
    const bool along = std::abs(d1) <= tol && std::abs(d2) <= tol;
    return along && touching >= 2 ? Meeting::overlaps : Meeting::crosses;
  }

  double tolerance_;
  std::vector<Segment> segments_;
};

}  // namespace

std::vector<Crossing> find_crossings(const Profile& profile, double tolerance) {
  std::vector<Crossing> found;
  const std::vector<Point> points = wall_points(profile, tolerance);
  if (points.size() < 3) return found;
  if (is_monotone(points)) {
    find_folds(points, found);
    return found;
  }
  Sweep sweep(points, tolerance);
  sweep.run(points, found);
  // The sweep finds them out of order.
  std::sort(found.begin(), found.end(), [](const Crossing& a, const Crossing& b) {
    return std::pair(a.later.from, a.earlier.from) < std::pair(b.later.from, b.earlier.from);
  });
  return found;
}

}  // namespace hornwall::view
