#include "python_values.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "hornwall/view/corrugations.hpp"
#include "hornwall/view/json_report.hpp"

namespace hornwall::python {
namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();

// The least and the most of the values given to add().
struct Range {
  std::optional<double> low, high;
  void add(double value) {
    low = low ? std::min(*low, value) : value;
    high = high ? std::max(*high, value) : value;
  }
};

// {"low": L, "high": H}, or None for no values.
py::object range_of(const Range& range) {
  if (!range.low) return py::none();
  py::dict pair;
  pair["low"] = number(*range.low);
  pair["high"] = number(*range.high);
  return pair;
}

const char* end_name(view::ProfileEnd end) {
  switch (end) {
    case view::ProfileEnd::closed: return "closed";
    case view::ProfileEnd::open_at_end: return "open";
    case view::ProfileEnd::cut: break;
  }
  return "cut";
}

const char* corrugated_name(view::Corrugated corrugated) {
  switch (corrugated) {
    case view::Corrugated::faced: return "faced";
    case view::Corrugated::smooth: return "smooth";
    case view::Corrugated::none: break;
  }
  return "none";
}

py::dict corrugation_figures(const view::Profile& profile) {
  Range heights, far_heights, thicknesses, pitches;
  for (const view::Corrugation& c : profile.corrugations) {
    heights.add(c.height);
    far_heights.add(c.far_height);
    thicknesses.add(c.thickness);
    if (c.pitch) pitches.add(*c.pitch);
  }
  py::dict figures;
  figures["count"] = profile.corrugations.size();
  figures["kind"] = corrugated_name(profile.corrugated);
  figures["height"] = range_of(heights);
  figures["far_height"] = range_of(far_heights);
  figures["thickness"] = range_of(thicknesses);
  figures["pitch"] = range_of(pitches);
  return figures;
}

py::dict band_figures(const view::Profile& profile, const FrequencyBand& band, std::size_t b) {
  const BandFigures& figures = profile.bands[b];
  const CoverageSummary& coverage = figures.coverage;
  py::dict worst;
  worst["count"] = coverage.fewest;
  worst["coverage"] = number(figures.worst());
  worst["at_hz"] = number(band.sample(coverage.fewest_at));
  py::dict most;
  most["count"] = coverage.most;
  most["at_hz"] = number(band.sample(coverage.most_at));
  py::dict result;
  result["band"] = b;
  result["corrugations"] = coverage.corrugations;
  result["worst"] = worst;
  result["most"] = most;
  result["mean"] = number(figures.mean());
  result["meets"] = figures.meets;
  if (figures.meets) {
    py::dict margin;
    margin["down"] = number(figures.down);
    margin["up"] = number(figures.up);
    result["margin"] = margin;
  } else {
    result["margin"] = py::none();
  }
  const std::optional<double> pitch = view::widest_pitch_metres(profile);
  result["per_wavelength"] =
      pitch && *pitch > 0.0 ? number(per_wavelength(*pitch, band.high)) : py::none();
  return result;
}

py::dict profile_figures(const view::Profile& profile, std::span<const FrequencyBand> bands) {
  Range z, rho;
  for (const view::Node& node : profile.nodes) {
    if (!node.ok) continue;
    z.add(node.z);
    rho.add(node.rho);
  }
  py::dict result;
  result["name"] = text(profile.name);
  result["line"] = profile.line;
  result["unit"] = profile.unit.empty() ? py::object(py::none()) : text(profile.unit);
  result["nodes"] = profile.nodes.size();
  result["not_evaluated"] = profile.missing;
  result["z"] = range_of(z);
  result["rho"] = range_of(rho);
  result["end"] = end_name(profile.end);
  result["corrugations"] = corrugation_figures(profile);
  py::list measured;
  if (profile.bands.size() == bands.size()) {
    for (std::size_t b = 0; b < bands.size(); ++b) {
      measured.append(band_figures(profile, bands[b], b));
    }
  }
  result["bands"] = measured;
  return result;
}

// A column of `count` doubles, each `value(i)`.
template <typename Value>
py::array_t<double> column(std::size_t count, const Value& value) {
  py::array_t<double> values(static_cast<py::ssize_t>(count));
  auto cells = values.mutable_unchecked<1>();
  for (std::size_t i = 0; i < count; ++i) cells(static_cast<py::ssize_t>(i)) = value(i);
  return values;
}

// The rows of the table of corrugations over the profiles of `wall`: which profile and
// which of its corrugations.
struct Row {
  const view::Profile* profile;
  std::size_t index;
  const view::Corrugation& corrugation() const { return profile->corrugations[index]; }
};

// The columns the table and a profile's corrugations share, over `rows`.
void add_shape_columns(py::dict& columns, const std::vector<Row>& rows) {
  const auto of = [&](auto field) {
    return column(rows.size(), [&](std::size_t i) { return field(rows[i].corrugation()); });
  };
  py::array_t<std::int64_t> index(static_cast<py::ssize_t>(rows.size()));
  auto cells = index.mutable_unchecked<1>();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    cells(static_cast<py::ssize_t>(i)) = static_cast<std::int64_t>(rows[i].index + 1);
  }
  columns["index"] = index;
  columns["z_near"] = of([](const view::Corrugation& c) { return c.z_near; });
  columns["z_far"] = of([](const view::Corrugation& c) { return c.z_far; });
  columns["height"] = of([](const view::Corrugation& c) { return c.height; });
  columns["thickness"] = of([](const view::Corrugation& c) { return c.thickness; });
  columns["gap"] = of([](const view::Corrugation& c) { return c.gap.value_or(none); });
  columns["pitch"] = of([](const view::Corrugation& c) { return c.pitch.value_or(none); });
}

std::vector<Row> rows_of(const view::Profile& profile) {
  std::vector<Row> rows;
  rows.reserve(profile.corrugations.size());
  for (std::size_t i = 0; i < profile.corrugations.size(); ++i) rows.push_back({&profile, i});
  return rows;
}

}  // namespace

py::str text(std::string_view bytes) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(bytes.data(), static_cast<py::ssize_t>(bytes.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

py::object number(double value) {
  if (!std::isfinite(value)) return py::none();
  return py::float_(value);
}

py::list findings(const view::Diagnostics& found, std::string_view file) {
  py::list list;
  for (const view::Diagnostic& finding : found.sorted()) {
    py::dict entry;
    entry["file"] = text(file);
    entry["line"] = finding.line;
    entry["kind"] = view::finding_row(finding.kind).name;
    entry["severity"] = text(view::severity_name(view::severity_of(finding.kind)));
    entry["text"] = text(finding.text);
    list.append(entry);
  }
  return list;
}

py::dict report(const ReadWall& examined, const CheckRequest& request,
                const view::Diagnostics& found) {
  const view::Wall& wall = examined.wall();
  py::dict result;
  result["version"] = view::json_version;
  result["program"] = "hornwall_view";
  result["hornwall"] = HORNWALL_VERSION;
  result["file"] = text(examined.file());
  py::list bands;
  for (const FrequencyBand& band : request.bands) {
    py::dict entry;
    entry["low_hz"] = number(band.low);
    entry["high_hz"] = number(band.high);
    entry["label"] = band.label();
    bands.append(entry);
  }
  result["bands"] = bands;
  result["min_coverage"] = number(request.min_coverage);
  result["strict"] = request.strict;
  py::list profiles;
  for (const view::Profile& profile : wall.profiles) {
    profiles.append(profile_figures(profile, request.bands));
  }
  result["profiles"] = profiles;
  result["variables"] = wall.variable_count;
  result["errors"] = found.error_count();
  result["warnings"] = found.warning_count();
  result["status"] = view::fails(found, request.strict) ? 1 : 0;
  result["verdict"] = view::verdict_text(found, request.strict);
  result["findings"] = findings(found, examined.file());
  py::list not_shown;
  for (const view::FindingRow& row : view::finding_table) {
    const std::uint64_t count = found.count_of(row.kind);
    if (count <= view::Diagnostics::shown_per_kind) continue;
    py::dict entry;
    entry["kind"] = row.name;
    entry["severity"] = text(view::severity_name(row.severity));
    entry["count"] = count - view::Diagnostics::shown_per_kind;
    not_shown.append(entry);
  }
  result["not_shown"] = not_shown;
  result["outputs"] = py::list();
  return result;
}

py::dict variables(const view::Wall& wall) {
  py::dict values;
  for (std::size_t id = 0; id < wall.values.size(); ++id) {
    const double value = wall.values[id];
    if (std::isnan(value)) continue;
    values[text(wall.names.name(static_cast<std::uint32_t>(id)))] = value;
  }
  return values;
}

py::array node_column(const std::shared_ptr<ReadWall>& holder, std::size_t p, bool z) {
  const std::vector<view::Node>& nodes = holder->wall().profiles[p].nodes;
  if (nodes.empty()) return py::array_t<double>(0);
  py::capsule keeper(new std::shared_ptr<ReadWall>(holder),
                     [](void* kept) { delete static_cast<std::shared_ptr<ReadWall>*>(kept); });
  const double* first = z ? &nodes.front().z : &nodes.front().rho;
  py::array values(py::dtype::of<double>(), {static_cast<py::ssize_t>(nodes.size())},
                   {static_cast<py::ssize_t>(sizeof(view::Node))}, first, keeper);
  values.attr("setflags")(py::arg("write") = false);
  return values;
}

py::list profile_list(const std::shared_ptr<ReadWall>& holder) {
  py::list list;
  const std::vector<view::Profile>& all = holder->wall().profiles;
  for (std::size_t p = 0; p < all.size(); ++p) {
    const view::Profile& profile = all[p];
    py::dict entry;
    entry["name"] = text(profile.name);
    entry["line"] = profile.line;
    entry["unit"] = profile.unit.empty() ? py::object(py::none()) : text(profile.unit);
    entry["end"] = end_name(profile.end);
    entry["not_evaluated"] = profile.missing;
    entry["z"] = node_column(holder, p, true);
    entry["rho"] = node_column(holder, p, false);
    entry["corrugated"] = corrugated_name(profile.corrugated);
    entry["corrugations"] = corrugation_columns(profile);
    list.append(entry);
  }
  return list;
}

py::dict corrugation_columns(const view::Profile& profile) {
  py::dict columns;
  add_shape_columns(columns, rows_of(profile));
  return columns;
}

py::dict corrugation_table(const view::Wall& wall, std::span<const FrequencyBand> bands) {
  std::vector<Row> rows;
  for (const view::Profile& profile : wall.profiles) {
    for (const Row& row : rows_of(profile)) rows.push_back(row);
  }
  py::dict columns;
  py::list names;
  for (const Row& row : rows) names.append(text(row.profile->name));
  columns["profile"] = names;
  add_shape_columns(columns, rows);
  if (bands.empty()) return columns;
  columns["q_GHz"] = column(rows.size(), [&](std::size_t i) {
    const std::optional<double> metres = metres_per_unit(rows[i].profile->unit);
    if (!metres) return none;
    return quarter_wave_frequency(rows[i].corrugation().height * *metres) / 1e9;
  });
  for (std::size_t b = 0; b < bands.size(); ++b) {
    columns[py::str("capacitive_" + std::to_string(b + 1))] =
        column(rows.size(), [&](std::size_t i) {
          const view::Profile& profile = *rows[i].profile;
          const bool measured = profile.bands.size() == bands.size();
          if (!measured || !metres_per_unit(profile.unit)) return none;
          return capacitive_part(rows[i].corrugation().capacitive[b]);
        });
  }
  return columns;
}

py::list coverage_curves(const view::Wall& wall, std::span<const FrequencyBand> bands) {
  py::list curves;
  for (const view::Profile& profile : wall.profiles) {
    py::list of_profile;
    const std::optional<double> metres = metres_per_unit(profile.unit);
    for (const FrequencyBand& band : bands) {
      if (profile.corrugations.empty() || !metres) break;
      CoverageCounter counter(band);
      view::count_band(counter, profile, *metres);
      const Coverage& coverage = counter.coverage();
      const auto judged = static_cast<double>(coverage.corrugations);
      py::dict curve;
      curve["hz"] = column(band_samples, [&](std::size_t i) { return band.sample(i); });
      curve["coverage"] = column(band_samples, [&](std::size_t i) {
        return static_cast<double>(coverage.counts[i]) / judged;
      });
      curve["corrugations"] = coverage.corrugations;
      of_profile.append(curve);
    }
    curves.append(of_profile);
  }
  return curves;
}

}  // namespace hornwall::python
