#include "hornwall/view/checks.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace hornwall {
namespace {

// A point of a join: with 10 digits, so that points apart by more than the tolerance
// show apart.
std::string point(const Node& node) {
  constexpr int digits = 10;
  std::string text = "(";
  text += short_number(node.z, digits) + ", " + short_number(node.rho, digits) + ")";
  return text;
}

std::string node_place(std::size_t index, const ProfileBlock& profile) {
  return "node " + std::to_string(index + 1) + " of " + quoted(profile.name);
}

void check_profile(const ProfileBlock& profile, const EvaluatedProfile& nodes, double tolerance,
                   Diagnostics& diagnostics) {
  if (nodes.nodes.size() < 2) {
    diagnostics.warning(profile.line, "profile " + quoted(profile.name) + " has " +
                                          (nodes.nodes.empty() ? "no nodes" : "only one node"));
  }
  const Node* previous = nullptr;
  for (std::size_t i = 0; i < nodes.nodes.size(); ++i) {
    const Node& node = nodes.nodes[i];
    if (!node.ok) continue;
    const std::size_t line = profile.rows[i].line;
    if (node.rho < -tolerance) {
      diagnostics.warning(
          line, node_place(i, profile) + " has a negative radius (" + short_number(node.rho) + ")");
    }
    if (previous != nullptr && node.z > previous->z + tolerance) {
      diagnostics.warning(line, node_place(i, profile) +
                                    " runs back towards the aperture: z rises from " +
                                    short_number(previous->z) + " to " + short_number(node.z));
    }
    previous = &node;
  }
}

}  // namespace

double geometry_tolerance(const EvaluatedFile& evaluated) {
  double largest = 0.0;
  for (const EvaluatedProfile& profile : evaluated.profiles) {
    for (const Node& node : profile.nodes) {
      if (node.ok) largest = std::max({largest, std::abs(node.z), std::abs(node.rho)});
    }
  }
  return 1e-6 * largest;
}

void check_wall(const ObjectFile& file, const EvaluatedFile& evaluated, Diagnostics& diagnostics) {
  if (file.profiles.empty()) diagnostics.warning(1, "the file holds no profile");
  const double tolerance = geometry_tolerance(evaluated);
  std::size_t previous = file.profiles.size();  // the last profile with nodes so far
  for (std::size_t p = 0; p < file.profiles.size(); ++p) {
    const ProfileBlock& profile = file.profiles[p];
    const EvaluatedProfile& nodes = evaluated.profiles[p];
    check_profile(profile, nodes, tolerance, diagnostics);
    if (nodes.nodes.empty()) continue;
    if (previous < file.profiles.size()) {
      const Node& end = evaluated.profiles[previous].nodes.back();
      const Node& start = nodes.nodes.front();
      if (end.ok && start.ok &&
          (std::abs(start.z - end.z) > tolerance || std::abs(start.rho - end.rho) > tolerance)) {
        const std::string before(file.profiles[previous].name);
        diagnostics.warning(profile.rows.front().line,
                            "profile " + quoted(profile.name) + " does not join " + quoted(before) +
                                ": it starts at " + point(start) + ", " + quoted(before) +
                                " ends at " + point(end));
      }
    }
    previous = p;
  }
}

}  // namespace hornwall
