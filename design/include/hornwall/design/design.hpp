#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "hornwall/band_figures.hpp"
#include "hornwall/bands.hpp"
#include "hornwall/questions.hpp"
#include "hornwall/result.hpp"

// hornwall_design: a starting answers file for a corrugated wall, designed from the
// frequency band or bands it must serve by the quarter-wave rule that hornwall_view checks.
namespace hornwall::design {

// A designable wall and its rules (wall_rules.hpp).
struct WallRule;

// What the user asks for, from the command line.
struct Request {
  const WallRule* wall = nullptr;    // the generator whose answers are written
  std::vector<FrequencyBand> bands;  // one, or two (the lower first)
  double aperture_radius = 0.0;      // RW1, or thickcorr's RA
  double final_radius = 0.0;         // RW2
  double length = 0.0;               // how far the corrugations may reach behind the aperture
  // thickcorr: the wall's thickness under the first corrugation and behind the last.
  double wall_thickness = 0.0;
  double last_wall_thickness = 0.0;
  std::string unit = "mm";
  double margin = 0.02;         // the lowest frequency's quarter wave lies this much below it
  bool taper = false;           // one band: heights taper from its bottom to its top
  bool one_set = false;         // two bands that fit one window: one set of corrugations
  double per_wavelength = 8.0;  // corrugations per wavelength at the top frequency
  double slot_ratio = 0.8;      // corr: the slot's part of the pitch
  std::optional<double> min_thickness;  // corr: default 0.5 mm in the unit
  std::optional<double> first;          // the first corrugation's distance; default a pitch
  int variable = 2;                     // the variable corrugations
  int points = 12;                      // sinecorr, spline: points per corrugation
  std::string output;                   // -o: the answers file; empty: standard output
  // The least coverage of every band, in percent, that the wall as written must meet.
  double min_coverage = default_min_coverage;
  std::string json;  // --json: the JSON report; empty: none; "-": standard output
};

// The corrugations that hornwall_view finds on the wall that the generator writes from a
// design's answers, measured from the numbers as written, one corrugation at a time.
struct WallMeasure {
  // The figures of merit of each band of the design, in its order, against the request's
  // least coverage, as hornwall_view states them.
  std::vector<BandFigures> figures;
  std::size_t corrugations = 0;  // how many corrugations are found
  double lowest = 0.0;           // the lowest and highest of their heights, in the unit
  double highest = 0.0;
  std::optional<double> widest_pitch;  // in the unit; none with fewer than two corrugations
  // The largest coordinate of a node, in the unit, and what hornwall_view tells apart, a
  // millionth of it.
  double largest = 0.0;
  double tolerance = 0.0;
  // A corrugation whose height would be measured further than the tolerance from the
  // height written: from 0, with both heights in the unit.
  struct Misread {
    std::size_t corrugation;
    double measured;
    double written;
  };
  std::optional<Misread> misread;  // the furthest
  // For each band of a dual design, the first run of two or more consecutive corrugations
  // (from 0, first and last) that serve none of it between corrugations that do.
  std::vector<std::optional<std::pair<std::size_t, std::size_t>>> interleave_breaks;
};

// A wall designed for a request, its lengths in the request's unit as the answers file
// gives them.
struct Design {
  Request request;
  std::vector<FrequencyBand> bands;  // the bands served: one (one_set joins two), or two
  double pitch = 0.0;
  double wanted_pitch = 0.0;         // the pitch per wavelength asked for, before it grew
  double thickness = 0.0;            // of each corrugation, for a wall whose have one
  double first = 0.0;                // the aperture plane to the first corrugation
  double end = 0.0;                  // where the last corrugation ends
  int count = 0;                     // the corrugations
  int variable = 0;                  // of them, the variable corrugations (NVAR)
  std::vector<double> band_heights;  // the height each band's corrugations start from
  // The heights the report states, in the unit: each band's, or, tapered, the deepest and
  // the shallowest that hornwall_view measures, to 5 significant digits.
  std::vector<double> heights;
  bool one_window = false;  // two bands that one set of corrugations could serve
  SymbolValues values;      // every answer of the file, by its symbol
  std::string shape;        // the report's words on each corrugation
  std::string extent;       // the report's line on the count and the ends
  WallMeasure measured;     // the written wall as hornwall_view will find it
};

// The most corrugations a design may have: far more than any horn's, few enough to judge
// each against the bands in a moment.
inline constexpr int most_corrugations = 1'000'000;

// The quarter wave of `frequency` hertz lowered by `margin`, as a height in metres:
// c / (4 f (1 - m)).
double quarter_wave_height(double frequency, double margin);

// The heights, in metres, between which the corrugations of a wall tapered over `band`
// run linearly, the deepest at the aperture. The shallowest is the quarter wave of the
// band's top lowered by `margin`, c / (4 fmax (1 - m)); the deepest lies as far beyond the
// quarter wave of the band's bottom, c / 4 fmin, as the shallowest lies within the half
// wave of its top, c / 2 fmax: deepest = c / 4 fmin + c / 2 fmax - shallowest. The
// corrugations deeper than c / 4 fmin serve the band's bottom and those shallower than
// c / 2 fmax its top, and a linear taper then serves both with the same share of its
// corrugations, the most that it can give both: about fmin / fmax of them for a band more
// than twice as wide as its bottom, all of them for a band within one window. Never
// shallower at the aperture than at the end.
struct TaperHeights {
  double deepest = 0.0;
  double shallowest = 0.0;
};
TaperHeights taper_heights(const FrequencyBand& band, double margin);

// The bands from the lowest up.
std::vector<FrequencyBand> bands_by_frequency(std::span<const FrequencyBand> bands);

// The largest length or height that an answers file may give: the generators read it as
// the largest single-precision number, and stop at anything larger.
inline constexpr double largest_readable = 3.4028235e38;

// Lays out the wall of `request` and measures it as written, without judging it. The
// reason names what makes it impossible: no room for one corrugation, no pitch up to a
// fifth of the top wavelength that leaves a slot of half the pitch beside the minimum
// thickness, overlapping or touching bands, a band wider than one window without --taper,
// --one-set for bands that do not fit one window, a number of the answers file beyond
// largest_readable, or a wall too fine beside its size for hornwall_view to measure.
Result<Design> lay_out_wall(const Request& request);

// Judges the wall of `design` as written as hornwall_view --strict will, with the design's
// bands and the request's least coverage. The reason names the first thing it would not
// pass: other corrugations than those designed or other heights, a band whose worst
// coverage is below the least coverage (the figure, where, and the count it needs), fewer
// than 5 corrugations per wavelength at a band's top, or a broken interleave of two bands.
Result<void> judge_wall(const Design& design);

// Designs the wall of `request`: lays it out, then judges it. The reason is the first of
// either.
Result<Design> design_wall(const Request& request);

// The answers file of `design`, in the form of the shipped templates, from its generator's
// questions: every numeric line commented with its question, symbol and unit; the first
// numeric line's comment goes on to state the bands and the rule. `object_file` names the
// object file it asks for. The reason names an answer that the design lacks.
Result<std::string> answers_text(const Design& design, std::string_view object_file);

// The short report of `design`: its heights (in the unit and in wavelengths), pitch,
// each corrugation's shape, count, and each band's figures of merit as hornwall_view
// states them, line for line as its summary gives them.
std::string report_text(const Design& design);

// The version of the JSON report's form: a reader that knows this version reads every
// report that carries it. A member added keeps it; one renamed, removed or changed in
// meaning raises it.
inline constexpr int json_version = 1;

// What a run of hornwall_design did, for its JSON report.
struct RunAccount {
  const Request* request = nullptr;
  const Design* design = nullptr;  // none when the request could not be laid out
  std::string refusal;             // why the request is refused; empty when it is designed
  std::string object_file;         // the object file that the answers ask for
  // Where the answers file goes ("-": standard output); empty when it is not written.
  std::string answers;
  std::string report;  // where the JSON report goes
};

// The JSON report of the run `account`, in the form hornwall_design(1) describes: the
// version, the wall and its generator, the unit, the bands judged and the least coverage,
// the rule's numbers, the answers by symbol, each band's figures of merit (as
// hornwall_view's report gives them), the exit status with the refusal, and the outputs.
std::string json_report(const RunAccount& account);

}  // namespace hornwall::design
