#include "hornwall/view/summary.hpp"

#include <algorithm>
#include <string>

namespace hornwall {
namespace {

std::string ranges(const EvaluatedProfile& profile) {
  const Node* first = nullptr;
  double z_low = 0.0, z_high = 0.0, rho_low = 0.0, rho_high = 0.0;
  for (const Node& node : profile.nodes) {
    if (!node.ok) continue;
    if (first == nullptr) {
      first = &node;
      z_low = z_high = node.z;
      rho_low = rho_high = node.rho;
    }
    z_low = std::min(z_low, node.z);
    z_high = std::max(z_high, node.z);
    rho_low = std::min(rho_low, node.rho);
    rho_high = std::max(rho_high, node.rho);
  }
  if (first == nullptr) return "no nodes to draw";
  return "z " + short_number(z_low) + " to " + short_number(z_high) + ", rho " +
         short_number(rho_low) + " to " + short_number(rho_high);
}

std::string_view ending(ProfileEnd end) {
  switch (end) {
    case ProfileEnd::closed: return "closed";
    case ProfileEnd::open_at_end: return "open at the end of the file";
    case ProfileEnd::cut: break;
  }
  return "cut short";
}

}  // namespace

void write_summary(const ObjectFile& file, const EvaluatedFile& evaluated,
                   const Diagnostics& diagnostics, std::ostream& out) {
  std::string text;
  for (std::size_t p = 0; p < file.profiles.size(); ++p) {
    const ProfileBlock& profile = file.profiles[p];
    const EvaluatedProfile& nodes = evaluated.profiles[p];
    text += "profile ";
    text.append(profile.name);
    text += ": unit ";
    text.append(profile.unit.empty() ? std::string_view("(none)") : profile.unit);
    text +=
        ", " + std::to_string(nodes.nodes.size()) + (nodes.nodes.size() == 1 ? " node" : " nodes");
    if (nodes.missing > 0) text += " (" + std::to_string(nodes.missing) + " not evaluated)";
    text += ", " + ranges(nodes) + ", ";
    text.append(ending(profile.end));
    text += '\n';
  }
  text += "variables: " + std::to_string(file.variables.size()) + '\n';
  text += "errors: " + std::to_string(diagnostics.error_count()) +
          ", warnings: " + std::to_string(diagnostics.warning_count()) + '\n';
  out << text;
}

}  // namespace hornwall
