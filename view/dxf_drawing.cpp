#include "hornwall/view/dxf_drawing.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "hornwall/number_text.hpp"
#include "hornwall/view/node_table.hpp"
#include "hornwall/view/output_text.hpp"

namespace hornwall::view {
namespace {

// The colours of the profiles' layers, in turn (AutoCAD's colour numbers: red, blue,
// green, magenta, cyan, yellow); the axis and the aperture plane are grey.
constexpr std::array<int, 6> profile_colours = {1, 5, 3, 6, 4, 2};
constexpr int axis_colour = 8;
constexpr int aperture_colour = 9;

// The names a profile's layer may not take: layer 0 and DEFPOINTS, which every drawing
// has (DEFPOINTS is never plotted), and the layers of the axis and the aperture plane.
constexpr std::array<std::string_view, 4> reserved_layers = {"0", "DEFPOINTS", axis_layer,
                                                             aperture_layer};

// Appends the line of a group's code, right-aligned in three columns.
void code_line(std::string& text, int code) {
  std::array<char, 8> digits{};
  const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), code);
  const auto width = static_cast<std::size_t>(written.ptr - digits.data());
  if (width < 3) text.append(3 - width, ' ');
  text.append(digits.data(), width);
  text += '\n';
}

// Appends one group: the line of its code, then the line of its value.
void group(std::string& text, int code, std::string_view value) {
  code_line(text, code);
  text += value;
  text += '\n';
}

void group(std::string& text, int code, int value) { group(text, code, std::to_string(value)); }

// A coordinate, in the shortest form that reads back to the same double.
void coordinate(std::string& text, int code, double value) {
  code_line(text, code);
  append_shortest(text, value);
  text += '\n';
}

// A point of the plane as groups `code`, `code` + 10 and `code` + 20 (x, y and z = 0).
void point(std::string& text, int code, double x, double y) {
  coordinate(text, code, x);
  coordinate(text, code + 10, y);
  group(text, code + 20, "0");
}

void write_header(std::string& text, const Wall& wall, const Extent& extent) {
  group(text, 0, "SECTION");
  group(text, 2, "HEADER");
  group(text, 9, "$ACADVER");
  group(text, 1, "AC1009");
  group(text, 9, "$INSUNITS");
  group(text, 70, drawing_unit_code(wall));
  group(text, 9, "$EXTMIN");
  point(text, 10, extent.z_low, extent.rho_low);
  group(text, 9, "$EXTMAX");
  point(text, 10, extent.z_high, extent.rho_high);
  group(text, 0, "ENDSEC");
}

void layer(std::string& text, std::string_view name, int colour) {
  group(text, 0, "LAYER");
  group(text, 2, name);
  group(text, 70, 0);
  group(text, 62, colour);
  group(text, 6, "CONTINUOUS");
}

void write_tables(std::string& text, const std::vector<std::string>& layers) {
  group(text, 0, "SECTION");
  group(text, 2, "TABLES");
  group(text, 0, "TABLE");
  group(text, 2, "LTYPE");
  group(text, 70, 1);
  group(text, 0, "LTYPE");
  group(text, 2, "CONTINUOUS");
  group(text, 70, 0);
  group(text, 3, "Solid line");
  group(text, 72, 65);
  group(text, 73, 0);
  group(text, 40, "0.0");
  group(text, 0, "ENDTAB");
  group(text, 0, "TABLE");
  group(text, 2, "LAYER");
  group(text, 70, std::to_string(layers.size() + 3));
  layer(text, "0", 7);
  layer(text, axis_layer, axis_colour);
  layer(text, aperture_layer, aperture_colour);
  for (std::size_t p = 0; p < layers.size(); ++p) {
    layer(text, layers[p], profile_colours[p % profile_colours.size()]);
  }
  group(text, 0, "ENDTAB");
  group(text, 0, "ENDSEC");
}

// The nodes of `profile` on `layer`, with rho negated when `mirrored`: a polyline through
// each run of consecutive evaluated nodes, a point for a run of one.
void write_profile(std::string& text, const Profile& profile, std::string_view layer, bool mirrored,
                   std::ostream& out) {
  const std::vector<Node>& nodes = profile.nodes;
  // Negated as 0 - rho, so that a node on the axis stays at 0 rather than -0.
  const auto rho = [&](const Node& node) { return mirrored ? 0.0 - node.rho : node.rho; };
  for (std::size_t first = 0; first < nodes.size();) {
    if (!nodes[first].ok) {
      ++first;
      continue;
    }
    std::size_t end = first + 1;
    while (end < nodes.size() && nodes[end].ok) ++end;
    if (end - first == 1) {
      group(text, 0, "POINT");
      group(text, 8, layer);
      point(text, 10, nodes[first].z, rho(nodes[first]));
    } else {
      group(text, 0, "POLYLINE");
      group(text, 8, layer);
      group(text, 66, 1);
      point(text, 10, 0.0, 0.0);
      group(text, 70, 0);
      for (std::size_t i = first; i < end; ++i) {
        group(text, 0, "VERTEX");
        group(text, 8, layer);
        point(text, 10, nodes[i].z, rho(nodes[i]));
        group(text, 70, 0);
        write_out_when_large(text, out);
      }
      group(text, 0, "SEQEND");
      group(text, 8, layer);
    }
    write_out_when_large(text, out);
    first = end;
  }
}

void line(std::string& text, std::string_view layer, double x1, double y1, double x2, double y2) {
  group(text, 0, "LINE");
  group(text, 8, layer);
  point(text, 10, x1, y1);
  point(text, 11, x2, y2);
}

}  // namespace

std::optional<int> dxf_unit_code(std::string_view unit) {
  if (unit == "in") return 1;
  if (unit == "ft") return 2;
  if (unit == "mm") return 4;
  if (unit == "cm") return 5;
  if (unit == "m") return 6;
  return std::nullopt;
}

std::optional<std::size_t> drawing_unit_profile(const Wall& wall) {
  for (std::size_t p = 0; p < wall.profiles.size(); ++p) {
    if (dxf_unit_code(wall.profiles[p].unit)) return p;
  }
  return std::nullopt;
}

int drawing_unit_code(const Wall& wall) {
  const std::optional<std::size_t> from = drawing_unit_profile(wall);
  if (!from) return 0;
  const std::string& unit = wall.profiles[*from].unit;
  for (const Profile& profile : wall.profiles) {
    if (profile.unit != unit) return 0;
  }
  return *dxf_unit_code(unit);
}

std::vector<std::string> layer_names(std::span<const std::string_view> names) {
  std::unordered_set<std::string> taken;
  for (const std::string_view reserved : reserved_layers) taken.emplace(reserved);
  // For each name that was taken, the suffix to try first the next time it comes.
  std::unordered_map<std::string, std::size_t> next_suffix;
  std::vector<std::string> layers;
  layers.reserve(names.size());
  for (const std::string_view name : names) {
    std::string base;
    for (const char c : name.substr(0, most_layer_bytes)) {
      const bool kept =
          (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' || c == '-' || c == '_';
      if (c >= 'a' && c <= 'z') {
        base += static_cast<char>(c - 'a' + 'A');
      } else {
        base += kept ? c : '_';
      }
    }
    std::string layer = base;
    if (taken.contains(layer)) {
      std::size_t& suffix = next_suffix.try_emplace(base, 2).first->second;
      do {
        std::string ending(1, '_');
        ending += std::to_string(suffix++);
        layer = base.substr(0, most_layer_bytes - ending.size()) + ending;
      } while (taken.contains(layer));
    }
    taken.insert(layer);
    layers.push_back(std::move(layer));
  }
  return layers;
}

void write_dxf(const Wall& wall, bool mirror, std::ostream& out) {
  std::vector<std::string_view> names;
  names.reserve(wall.profiles.size());
  for (const Profile& profile : wall.profiles) names.emplace_back(profile.name);
  const std::vector<std::string> layers = layer_names(names);
  const Extent extent = extent_of(wall, mirror);

  std::string text;
  write_header(text, wall, extent);
  write_tables(text, layers);
  group(text, 0, "SECTION");
  group(text, 2, "ENTITIES");
  if (extent.z_low < extent.z_high) line(text, axis_layer, extent.z_low, 0.0, extent.z_high, 0.0);
  if (extent.rho_low < extent.rho_high) {
    line(text, aperture_layer, 0.0, extent.rho_low, 0.0, extent.rho_high);
  }
  for (std::size_t p = 0; p < wall.profiles.size(); ++p) {
    write_profile(text, wall.profiles[p], layers[p], false, out);
    if (mirror) write_profile(text, wall.profiles[p], layers[p], true, out);
  }
  group(text, 0, "ENDSEC");
  group(text, 0, "EOF");
  out << text;
}

}  // namespace hornwall::view
