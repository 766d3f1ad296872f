#include "hornwall/view/summary.hpp"

#include <algorithm>
#include <string>

#include "hornwall/text.hpp"

namespace hornwall::view {
namespace {

std::string ranges(const Profile& profile) {
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

void write_summary(const Wall& wall, const Diagnostics& diagnostics, std::ostream& out) {
  std::string text;
  for (const Profile& profile : wall.profiles) {
    text += "profile ";
    append_printable(text, cut_to_shown(profile.name));
    text += ": unit ";
    append_printable(
        text, profile.unit.empty() ? std::string_view("(none)") : std::string_view(profile.unit));
    const std::size_t count = profile.nodes.size();
    text += ", " + std::to_string(count) + (count == 1 ? " node" : " nodes");
    if (profile.missing > 0) text += " (" + std::to_string(profile.missing) + " not evaluated)";
    text += ", " + ranges(profile) + ", ";
    text.append(ending(profile.end));
    text += '\n';
  }
  text += "variables: " + std::to_string(wall.variable_count) + '\n';
  text += "errors: " + std::to_string(diagnostics.error_count()) +
          ", warnings: " + std::to_string(diagnostics.warning_count()) + '\n';
  out << text;
}

}  // namespace hornwall::view
