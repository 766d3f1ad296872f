#include "read_wall.hpp"

#include <limits>
#include <utility>

#include "call_error.hpp"
#include "hornwall/text.hpp"
#include "hornwall/view/checks.hpp"
#include "hornwall/view/corrugations.hpp"
#include "hornwall/view/object_file.hpp"
#include "hornwall/view/source.hpp"

namespace hornwall::python {
namespace {

constexpr int usage_status = 2;

[[noreturn]] void refuse(const std::string& reason) {
  throw CallError("hornwall_view: " + reason, usage_status);
}

}  // namespace

CheckRequest check_request(std::span<const std::string> bands, std::string_view min_coverage,
                           bool strict, bool mirror) {
  CheckRequest request;
  for (const std::string& band : bands) {
    if (const Result<void> added = add_band(request.bands, band); !added.ok()) {
      refuse(added.reason());
    }
  }
  if (!min_coverage.empty()) {
    const Result<double> percent = parse_min_coverage(min_coverage);
    if (!percent.ok()) refuse(percent.reason());
    request.min_coverage = percent.value();
  }
  request.strict = strict;
  request.mirror = mirror;
  return request;
}

ReadWall::ReadWall(std::string path) : file_(std::move(path)) {
  view::FileSource source;
  if (const Result<void> opened = source.open(file_); !opened.ok()) refuse(opened.reason());
  try {
    view::ObjectFile file = view::read_object_file(source, evaluated_);
    wall_ = view::evaluate_wall(std::move(file), source, evaluated_);
  } catch (const view::ReadFailure& failure) {
    refuse("cannot read " + quoted_printable(file_) + ": " + failure.what());
  }
  wall_.tolerance = view::geometry_tolerance(wall_);
  for (view::Profile& profile : wall_.profiles) view::find_corrugations(profile, wall_.tolerance);
  checked_ = check({});
  // Every use of a node asks whether it was evaluated; a script sees NaN where it was not.
  constexpr double none = std::numeric_limits<double>::quiet_NaN();
  for (view::Profile& profile : wall_.profiles) {
    for (view::Node& node : profile.nodes) {
      if (node.ok) continue;
      node.z = none;
      node.rho = none;
    }
  }
}

view::Diagnostics ReadWall::check(const CheckRequest& request) {
  view::Diagnostics found = evaluated_;
  measure(request.bands, request.min_coverage);
  view::check_wall(wall_, {wall_.tolerance, request.mirror, request.bands, request.min_coverage},
                   found);
  return found;
}

void ReadWall::measure(const std::vector<FrequencyBand>& bands, double min_coverage) {
  view::measure_bands(wall_, bands, min_coverage);
}

}  // namespace hornwall::python
