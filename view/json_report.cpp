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

// Composes indented JSON: a member per line, two spaces a level, but for the small
// objects opened on one line.
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  void open(char bracket, bool one_line = false) {
    separate();
    out_ += bracket;
    levels_.push_back({true, one_line});
  }
  void close(char bracket) {
    const Level level = levels_.back();
    levels_.pop_back();
    if (!level.empty && !level.one_line) new_line();
    out_ += bracket;
  }
  // The name of the member whose value comes next.
  JsonWriter& key(std::string_view name) {
    separate();
    append_json_string(out_, name);
    out_ += ": ";
    after_key_ = true;
    return *this;
  }
  void string(std::string_view text) {
    separate();
    append_json_string(out_, text);
  }
  void number(double value) {
    separate();
    append_json_number(out_, value);
  }
  void count(std::uint64_t value) {
    separate();
    out_ += std::to_string(value);
  }
  void boolean(bool value) {
    separate();
    out_ += value ? "true" : "false";
  }
  void null() {
    separate();
    out_ += "null";
  }
  void end() { out_ += '\n'; }

 private:
  struct Level {
    bool empty;     // nothing in it yet
    bool one_line;  // its members on the line it opens
  };

  void separate() {
    if (after_key_) {
      after_key_ = false;
      return;
    }
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (!level.empty) out_ += ',';
    if (level.one_line) {
      if (!level.empty) out_ += ' ';
    } else {
      new_line();
    }
    level.empty = false;
  }
  void new_line() {
    out_ += '\n';
    out_.append(2 * levels_.size(), ' ');
  }

  std::string& out_;
  std::vector<Level> levels_;  // the objects and arrays open, outermost first
  bool after_key_ = false;
};

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

void write_band(JsonWriter& json, const Profile& profile, const FrequencyBand& band,
                std::size_t b) {
  const BandFigures& figures = profile.bands[b];
  const CoverageSummary& coverage = figures.coverage;
  json.open('{');
  json.key("band").count(b);
  json.key("corrugations").count(coverage.corrugations);
  json.key("worst");
  json.open('{', true);
  json.key("count").count(coverage.fewest);
  json.key("coverage").number(figures.worst());
  json.key("at_hz").number(band.sample(coverage.fewest_at));
  json.close('}');
  json.key("most");
  json.open('{', true);
  json.key("count").count(coverage.most);
  json.key("at_hz").number(band.sample(coverage.most_at));
  json.close('}');
  json.key("mean").number(figures.mean());
  json.key("meets").boolean(figures.meets);
  json.key("margin");
  if (figures.meets) {
    json.open('{', true);
    json.key("down").number(figures.down);
    json.key("up").number(figures.up);
    json.close('}');
  } else {
    json.null();
  }
  const std::optional<double> widest = widest_pitch(profile);
  const std::optional<double> metres = metres_per_unit(profile.unit);
  json.key("per_wavelength");
  if (widest && metres && *widest > 0.0) {
    json.number(per_wavelength(*widest * *metres, band.high));
  } else {
    json.null();
  }
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
    for (std::size_t b = 0; b < bands.size(); ++b) write_band(json, profile, bands[b], b);
  }
  json.close(']');
  json.close('}');
}

void write_findings(JsonWriter& json, const Diagnostics& diagnostics, std::string_view file) {
  json.key("findings");
  json.open('[');
  for (const Diagnostic& found : diagnostics.sorted()) {
    const FindingSpec& spec = finding_spec(found.kind);
    json.open('{');
    json.key("file").string(file);
    json.key("line").count(found.line);
    json.key("kind").string(spec.name);
    json.key("severity").string(spec.severity == Severity::error ? "error" : "warning");
    json.key("text").string(found.text);
    json.close('}');
  }
  json.close(']');
  json.key("not_shown");
  json.open('[');
  for (const FindingSpec& spec : finding_table) {
    const std::uint64_t found = diagnostics.count_of(spec.kind);
    if (found <= Diagnostics::shown_per_kind) continue;
    json.open('{');
    json.key("kind").string(spec.name);
    json.key("severity").string(spec.severity == Severity::error ? "error" : "warning");
    json.key("count").count(found - Diagnostics::shown_per_kind);
    json.close('}');
  }
  json.close(']');
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  constexpr std::string_view hex = "0123456789abcdef";
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
      out += "\\u00";
      out += hex[byte >> 4];
      out += hex[byte & 0xf];
    } else {
      out += c;
    }
  }
  out += '"';
}

void append_json_number(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  out += shortest_text(value);
}

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
  json.key("bands");
  json.open('[');
  for (const FrequencyBand& band : options.bands) {
    json.open('{', true);
    json.key("low_hz").number(band.low);
    json.key("high_hz").number(band.high);
    json.key("label").string(band.label());
    json.close('}');
  }
  json.close(']');
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
  const bool failed =
      diagnostics.error_count() > 0 || (options.strict && diagnostics.warning_count() > 0);
  json.key("status").count(failed ? 1 : 0);
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
