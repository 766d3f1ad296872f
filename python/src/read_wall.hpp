#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/band_figures.hpp"
#include "hornwall/bands.hpp"
#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/wall.hpp"

// An object file read once into a script: the wall evaluated and its corrugations found as
// hornwall_view finds them, and checked again for each set of bands the script asks about.
namespace hornwall::python {

// What one check of a wall is asked, as hornwall_view's options give it.
struct CheckRequest {
  std::vector<FrequencyBand> bands;            // --band, none, one or two
  double min_coverage = default_min_coverage;  // --min-coverage
  bool strict = false;                         // --strict
  bool mirror = false;                         // --mirror
};

// The request of `bands` (each written as --band takes it) and `min_coverage` (as
// --min-coverage takes it, or empty for its default). Throws CallError with
// "hornwall_view: REASON" and status 2 for what hornwall_view's command line refuses: a
// band that is none, a third band, a coverage that is no percentage.
CheckRequest check_request(std::span<const std::string> bands, std::string_view min_coverage,
                           bool strict, bool mirror);

// A wall read from an object file.
class ReadWall {
 public:
  // Reads the object file at `path`, evaluates its wall, finds its corrugations and checks
  // it without bands, as hornwall_view does; a node that could not be evaluated keeps NaN
  // for both its coordinates. Throws CallError with hornwall_view's line and status 2 for a
  // file that cannot be opened or read ("hornwall_view: cannot open 'x.zul': No such file
  // or directory").
  explicit ReadWall(std::string path);

  // The path as it was given.
  const std::string& file() const { return file_; }
  const view::Wall& wall() const { return wall_; }
  // The findings of the check without bands.
  const view::Diagnostics& diagnostics() const { return checked_; }

  // Measures the corrugations against the bands of `request` and checks the wall again as
  // hornwall_view does with those options; returns every finding, those of the reading
  // included. The profiles keep the band figures of the latest measure.
  view::Diagnostics check(const CheckRequest& request);
  // Measures the corrugations against `bands` judged against `min_coverage` percent,
  // without a check: for a table of the corrugations.
  void measure(const std::vector<FrequencyBand>& bands, double min_coverage = default_min_coverage);

 private:
  std::string file_;
  view::Wall wall_;
  view::Diagnostics evaluated_;  // the findings of the reading and the evaluation
  view::Diagnostics checked_;
};

}  // namespace hornwall::python
