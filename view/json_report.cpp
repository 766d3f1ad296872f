#include "hornwall/view/json_report.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "hornwall/text.hpp"
#include "hornwall/view/corrugations.hpp"
#include "hornwall/view/output_text.hpp"

namespace hornwall::view {
namespace {

// The least and the most of the values given to add().
struct Range {
  std::optional<double> low, high;
  void add(double value) {
    low = low ? std::min(*low, value) : value;
    high = high ? std::max(*high, value) : value;
  }
};

// {"low": L, "high": H} of `range`, or null for no values.
void write_range(JsonWriter& json, const Range& range) {
  if (!range.low) {
    json.null();
    return;
  }
  json.open('{', true);
  json.key("low").number(*range.low);
  json.key("high").number(*range.high);
  json.close('}');
}

std::string_view end_name(ProfileEnd end) {
  switch (end) {
    case ProfileEnd::closed: return "closed";
    case ProfileEnd::open_at_end: return "open";
    case ProfileEnd::cut: break;
  }
  return "cut";
}

std::string_view corrugated_name(Corrugated corrugated) {
  switch (corrugated) {
    case Corrugated::faced: return "faced";
    case Corrugated::smooth: return "smooth";
    case Corrugated::none: break;
  }
  return "none";
}

void write_corrugations(JsonWriter& json, const Profile& profile) {
  Range heights, far_heights, thicknesses, pitches;
  for (const Corrugation& c : profile.corrugations) {
    heights.add(c.height);
    far_heights.add(c.far_height);
    thicknesses.add(c.thickness);
    if (c.pitch) pitches.add(*c.pitch);
  }
  json.open('{');
  json.key("count").count(profile.corrugations.size());
  json.key("kind").string(corrugated_name(profile.corrugated));
  json.key("height");
  write_range(json, heights);
  json.key("far_height");
  write_range(json, far_heights);
  json.key("thickness");
  write_range(json, thicknesses);
  json.key("pitch");
  write_range(json, pitches);
  json.close('}');
}

void write_profile(JsonWriter& json, const Profile& profile, std::span<const FrequencyBand> bands) {
  Range z, rho;
  for (const Node& node : profile.nodes) {
    if (!node.ok) continue;
    z.add(node.z);
    rho.add(node.rho);
  }
  json.open('{');
  json.key("name").string(profile.name);
  json.key("line").count(profile.line);
  json.key("unit");
  if (profile.unit.empty()) {
    json.null();
  } else {
    json.string(profile.unit);
  }
  json.key("nodes").count(profile.nodes.size());
  json.key("not_evaluated").count(profile.missing);
  json.key("z");
  write_range(json, z);
  json.key("rho");
  write_range(json, rho);
  json.key("end").string(end_name(profile.end));
  json.key("corrugations");
  write_corrugations(json, profile);
  json.key("bands");
  json.open('[');
  if (profile.bands.size() == bands.size()) {
    const std::optional<double> pitch = widest_pitch_metres(profile);
    for (std::size_t b = 0; b < bands.size(); ++b) {
      write_band_figures(json, b, bands[b], profile.bands[b], pitch);
    }
  }
  json.close(']');
  json.close('}');
}

void write_findings(JsonWriter& json, const Diagnostics& diagnostics, std::string_view file) {
  json.key("findings");
  json.open('[');
  for (const Diagnostic& found : diagnostics.sorted()) {
    const FindingRow& row = finding_row(found.kind);
    json.open('{');
    json.key("file").string(file);
    json.key("line").count(found.line);
    json.key("kind").string(row.name);
    json.key("severity").string(severity_name(row.severity));
    json.key("text").string(found.text);
    json.close('}');
  }
  json.close(']');
  json.key("not_shown");
  json.open('[');
  for (const FindingRow& row : finding_table) {
    const std::uint64_t found = diagnostics.count_of(row.kind);
    if (found <= Diagnostics::shown_per_kind) continue;
    json.open('{');
    json.key("kind").string(row.name);
    json.key("severity").string(severity_name(row.severity));
    json.key("count").count(found - Diagnostics::shown_per_kind);
    json.close('}');
  }
  json.close(']');
}

}  // namespace

void write_json_report(const Examined& examined, const ViewOptions& options, std::ostream& out) {
  const Wall& wall = examined.wall;
  const Diagnostics& diagnostics = examined.diagnostics;
  std::string text;
  JsonWriter json(text);
  json.open('{');
  json.key("version").count(json_version);
  json.key("program").string("hornwall_view");
  json.key("hornwall").string(HORNWALL_VERSION);
  json.key("file").string(options.file);
  write_bands(json, options.bands);
  json.key("min_coverage").number(options.min_coverage);
  json.key("strict").boolean(options.strict);
  json.key("profiles");
  json.open('[');
  for (const Profile& profile : wall.profiles) {
    write_profile(json, profile, options.bands);
    write_out_when_large(text, out);
  }
  json.close(']');
  json.key("variables").count(wall.variable_count);
  json.key("errors").count(diagnostics.error_count());
  json.key("warnings").count(diagnostics.warning_count());
  json.key("status").count(fails(diagnostics, options.strict) ? 1 : 0);
  json.key("verdict").string(verdict_text(diagnostics, options.strict));
  write_findings(json, diagnostics, options.file);
  json.key("outputs");
  json.open('[');
  for (std::size_t k = 0; k < output_kinds; ++k) {
    const std::string& path = options.paths[k];
    if (path.empty()) continue;
    json.open('{', true);
    json.key("output").string(output_table[k].name);
    json.key("path").string(path);
    json.close('}');
  }
  json.close(']');
  json.close('}');
  json.end();
  out << text;
}

}  // namespace hornwall::view
