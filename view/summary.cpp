#include "hornwall/view/summary.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "hornwall/text.hpp"
#include "hornwall/view/corrugations.hpp"

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

// "height 5 to 7.4 mm", or "height 5 mm" when every value is one.
template <typename Value>
std::string span_of(std::string_view what, const std::vector<Corrugation>& corrugations,
                    std::string_view unit, Value value) {
  std::optional<double> low, high;
  for (const Corrugation& corrugation : corrugations) {
    const std::optional<double> v = value(corrugation);
    if (!v) continue;
    low = low ? std::min(*low, *v) : *v;
    high = high ? std::max(*high, *v) : *v;
  }
  if (!low) return {};
  std::string text(what);
  text += ' ' + short_number(*low);
  if (short_number(*high) != short_number(*low)) text += " to " + short_number(*high);
  if (!unit.empty()) text += ' ' + std::string(unit);
  return text;
}

void append_corrugations(std::string& text, const Profile& profile, double tolerance) {
  const std::vector<Corrugation>& found = profile.corrugations;
  if (found.empty()) {
    text += "  no corrugations\n";
    return;
  }
  std::string unit;
  append_printable(unit, profile.unit);
  text += "  " + std::to_string(found.size()) +
          (found.size() == 1 ? " corrugation: " : " corrugations: ");
  text +=
      span_of("height", found, unit, [](const Corrugation& c) { return std::optional(c.height); });
  const bool faced = profile.corrugated == Corrugated::faced;
  const bool differ = std::any_of(found.begin(), found.end(), [&](const Corrugation& c) {
    return std::abs(c.far_height - c.height) > tolerance;
  });
  if (faced && differ) {
    text +=
        " (falling faces" +
        span_of("", found, unit, [](const Corrugation& c) { return std::optional(c.far_height); }) +
        ")";
  }
  text += ", " + span_of(faced ? "thickness" : "extent", found, unit,
                         [](const Corrugation& c) { return std::optional(c.thickness); });
  const std::string pitch =
      span_of("pitch", found, unit, [](const Corrugation& c) { return c.pitch; });
  if (!pitch.empty()) text += ", " + pitch;
  text += '\n';
}

void append_band(std::string& text, const Profile& profile, const FrequencyBand& band,
                 const BandFigures& figures) {
  text += "  " + figures_text(band, figures, widest_pitch_metres(profile)) + '\n';
}

}  // namespace

void write_summary(const Wall& wall, const Diagnostics& diagnostics, std::ostream& out,
                   std::span<const FrequencyBand> bands) {
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
    append_corrugations(text, profile, wall.tolerance);
    for (std::size_t b = 0; b < profile.bands.size() && b < bands.size(); ++b) {
      append_band(text, profile, bands[b], profile.bands[b]);
    }
  }
  text += "variables: " + std::to_string(wall.variable_count) + '\n';
  text += "errors: " + std::to_string(diagnostics.error_count()) +
          ", warnings: " + std::to_string(diagnostics.warning_count()) + '\n';
  out << text;
}

}  // namespace hornwall::view
