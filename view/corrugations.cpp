#include "hornwall/view/corrugations.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace hornwall::view {
namespace {

// A radial face: a step between nodes of equal z, from rho `from` to rho `to`.
struct Face {
  double z;
  double from;
  double to;
  std::uint64_t line;
  bool rim;  // it starts at the profile's first node
  bool rising() const { return to > from; }
};

// How far apart two z may lie and still be one: the z of a sound wall's nodes are written
// from the same expressions over the same variables, so the two ends of a radial face
// agree to the last digits of z itself, however large the radii beside them.
double z_tolerance(const Profile& profile) {
  double largest = 0.0;
  for (const Node& node : profile.nodes) {
    if (node.ok) largest = std::max(largest, std::abs(node.z));
  }
  return relative_tolerance * largest;
}

// The radial faces of `profile`, in order; consecutive steps at one z in one direction
// make one face, except the step from the profile's first node, its rim, which stays a
// face of its own: the wall's base begins where it ends.
std::vector<Face> radial_faces(const Profile& profile, double tolerance) {
  std::vector<Face> faces;
  const std::vector<Node>& nodes = profile.nodes;
  const double z_within = z_tolerance(profile);
  bool joined = false;  // the last face ends at the node before this one
  for (std::size_t i = 1; i < nodes.size(); ++i) {
    const Node& a = nodes[i - 1];
    const Node& b = nodes[i];
    const bool face =
        a.ok && b.ok && std::abs(b.z - a.z) <= z_within && std::abs(b.rho - a.rho) > tolerance;
    if (!face) {
      joined = false;
      continue;
    }
    const bool rim = i == 1;
    if (joined && !faces.back().rim && faces.back().rising() == (b.rho > a.rho)) {
      faces.back().to = b.rho;
    } else {
      faces.push_back({a.z, a.rho, b.rho, a.line, rim});
    }
    joined = true;
  }
  return faces;
}

void find_faced(Profile& profile, const std::vector<Face>& faces) {
  for (std::size_t f = 0; f + 1 < faces.size(); ++f) {
    const Face& rising = faces[f];
    const Face& falling = faces[f + 1];
    if (rising.rim || !rising.rising() || falling.rising()) continue;
    Corrugation corrugation;
    corrugation.z_near = rising.z;
    corrugation.z_far = falling.z;
    corrugation.height = rising.to - rising.from;
    corrugation.far_height = falling.from - falling.to;
    corrugation.thickness = std::abs(rising.z - falling.z);
    corrugation.peak_z = rising.z;
    corrugation.line = rising.line;
    profile.corrugations.push_back(corrugation);
    ++f;
  }
  std::vector<Corrugation>& found = profile.corrugations;
  for (std::size_t i = 0; i + 1 < found.size(); ++i) {
    found[i].gap = std::abs(found[i].z_far - found[i + 1].z_near);
  }
}

// The lower convex hull of the evaluated nodes, by z from low to high.
std::vector<const Node*> lower_hull(const Profile& profile) {
  std::vector<const Node*> points;
  for (const Node& node : profile.nodes) {
    if (node.ok) points.push_back(&node);
  }
  std::sort(points.begin(), points.end(), [](const Node* a, const Node* b) {
    return a->z != b->z ? a->z < b->z : a->rho < b->rho;
  });
  std::vector<const Node*> hull;
  for (const Node* p : points) {
    while (hull.size() >= 2) {
      const Node& a = *hull[hull.size() - 2];
      const Node& b = *hull.back();
      // b lies on or above the line from a to p: it is no corner of the lower hull.
      if ((b.z - a.z) * (p->rho - a.rho) - (b.rho - a.rho) * (p->z - a.z) > 0.0) break;
      hull.pop_back();
    }
    hull.push_back(p);
  }
  return hull;
}

// The rho of the hull at `z`, which lies within its z range.
double base_at(const std::vector<const Node*>& hull, double z) {
  auto after = std::lower_bound(hull.begin(), hull.end(), z,
                                [](const Node* node, double at) { return node->z < at; });
  if (after == hull.end()) return hull.back()->rho;
  if (after == hull.begin() || (*after)->z == z) return (*after)->rho;
  const Node& a = **(after - 1);
  const Node& b = **after;
  return a.rho + (b.rho - a.rho) * ((z - a.z) / (b.z - a.z));
}

void find_smooth(Profile& profile, double tolerance) {
  const std::vector<const Node*> hull = lower_hull(profile);
  if (hull.size() < 2) return;
  const std::vector<Node>& nodes = profile.nodes;
  // The node just before, when it is evaluated and at the base; a bump next to a node
  // that could not be evaluated begins (or ends) at its own outermost node.
  std::optional<std::size_t> before;
  for (std::size_t i = 0; i < nodes.size();) {
    if (!nodes[i].ok) {
      before.reset();
      ++i;
      continue;
    }
    if (nodes[i].rho - base_at(hull, nodes[i].z) <= tolerance) {
      before = i++;
      continue;
    }
    Corrugation bump;
    bump.line = nodes[i].line;
    bump.z_near = nodes[before ? *before : i].z;
    std::size_t end = i;
    for (; end < nodes.size() && nodes[end].ok; ++end) {
      const double height = nodes[end].rho - base_at(hull, nodes[end].z);
      if (height <= tolerance) break;
      if (height > bump.height) {
        bump.height = height;
        bump.peak_z = nodes[end].z;
      }
    }
    bump.z_far = nodes[end < nodes.size() && nodes[end].ok ? end : end - 1].z;
    bump.far_height = bump.height;
    bump.thickness = std::abs(bump.z_near - bump.z_far);
    profile.corrugations.push_back(bump);
    i = end;
  }
}

}  // namespace

void find_corrugations(Profile& profile, double tolerance) {
  profile.corrugations.clear();
  const std::vector<Face> faces = radial_faces(profile, tolerance);
  if (!faces.empty()) {
    find_faced(profile, faces);
    profile.corrugated = Corrugated::faced;
  } else {
    find_smooth(profile, tolerance);
    profile.corrugated = Corrugated::smooth;
  }
  std::vector<Corrugation>& found = profile.corrugations;
  for (std::size_t i = 0; i + 1 < found.size(); ++i) {
    found[i].pitch = std::abs(found[i].peak_z - found[i + 1].peak_z);
  }
  if (found.empty()) profile.corrugated = Corrugated::none;
}

std::optional<double> widest_pitch(const Profile& profile) {
  std::optional<double> widest;
  for (const Corrugation& corrugation : profile.corrugations) {
    if (corrugation.pitch && (!widest || *corrugation.pitch > *widest)) widest = corrugation.pitch;
  }
  return widest;
}

std::optional<double> widest_pitch_metres(const Profile& profile) {
  const std::optional<double> widest = widest_pitch(profile);
  const std::optional<double> metres = metres_per_unit(profile.unit);
  if (!widest || !metres) return std::nullopt;
  return *widest * *metres;
}

void count_band(CoverageCounter& counter, const Profile& profile, double metres) {
  counter.reset();
  for (const Corrugation& corrugation : profile.corrugations) {
    counter.add_samples(corrugation.height * metres);
  }
}

void measure_bands(Wall& wall, const std::vector<FrequencyBand>& bands, double min_coverage) {
  std::vector<BandJudge> judges;
  judges.reserve(bands.size());
  for (const FrequencyBand& band : bands) judges.emplace_back(band, min_coverage);
  for (Profile& profile : wall.profiles) {
    profile.bands.clear();
    const std::optional<double> metres = metres_per_unit(profile.unit);
    if (profile.corrugations.empty() || !metres) continue;
    profile.bands.reserve(std::min(bands.size(), most_bands));
    for (std::size_t b = 0; b < judges.size() && b < most_bands; ++b) {
      judges[b].reset();
      for (Corrugation& corrugation : profile.corrugations) {
        corrugation.capacitive[b] =
            static_cast<std::uint16_t>(judges[b].add(corrugation.height * *metres));
      }
      profile.bands.push_back(judges[b].figures());
    }
  }
}

}  // namespace hornwall::view
