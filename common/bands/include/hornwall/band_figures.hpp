#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hornwall/bands.hpp"
#include "hornwall/json.hpp"
#include "hornwall/result.hpp"

// The figures of merit of a row of corrugations over a band, which rank and gate a design:
// the worst coverage, the mean coverage and the margin. One implementation serves every
// program that states them (the viewer's summary and JSON report, the design tool).
namespace hornwall {

// The least coverage, in percent, that a band check asks for unless told otherwise.
inline constexpr double default_min_coverage = 25.0;

// Reads the value of --min-coverage: a percentage from 0 to 100, a decimal number alone
// ("25", "12.5", "1e1"). The reason names what is wrong: no number, or out of range.
Result<double> parse_min_coverage(std::string_view text);

// The largest shift of a band, as a part of its frequencies, that a margin states: a band
// that still meets its threshold shifted by half is not searched further.
inline constexpr double most_shift = 0.5;

// A corrugation that opens more windows than this between half the band's bottom and one
// and a half times its top is too deep for its windows to mean anything over a shift:
// the margin counts it capacitive at none of those frequencies (the worst and mean
// coverage, at the band's own frequencies, judge it as any other).
inline constexpr double most_margin_windows = 16.0;

// True when `count` of `total` is at least `percent` percent: 100 count >= percent total,
// decided exactly, whatever the rounding of either product. Every rule on coverage
// compares by it, so that a coverage of exactly P percent meets a threshold of P.
bool meets_percent(std::uint64_t count, std::uint64_t total, double percent);

// The fewest of `total` corrugations that meet `percent` (0 to 100), as meets_percent
// decides: 20 of 79 for 25%.
std::uint64_t needed_count(std::uint64_t total, double percent);

// The figures of merit of a row of corrugations over one band.
struct BandFigures {
  // The fewest and the most corrugations capacitive at any of the band's band_samples
  // frequencies, the first frequency of each, and how many corrugations were judged.
  CoverageSummary coverage;
  // The corrugations capacitive at each of the band's frequencies, summed over them.
  std::uint64_t capacitive = 0;
  // The threshold the figures were judged against, in percent (0 to 100).
  double min_coverage = default_min_coverage;
  // True when the worst coverage is at or above the threshold (never for no corrugations).
  bool meets = false;
  // When it meets: the largest shift of the whole band down and up, each a part of its
  // frequencies from 0 to most_shift, such that every shift from none up to it keeps the
  // worst coverage of the shifted band, judged at its own band_samples frequencies, at or
  // above the threshold. Where the coverage is not monotone in the shift, the first shift
  // that fails ends the margin, even when larger shifts pass again. Zero when it does not
  // meet.
  double down = 0.0;
  double up = 0.0;

  // The worst coverage, fewest / corrugations (0 for none).
  double worst() const;
  // The mean coverage over the band's frequencies (0 for no corrugations).
  double mean() const;
};

// Works out the figures of merit of a row of corrugations over a band: give it the
// corrugations' heights in metres one at a time, or as counts of equal heights, then ask
// for figures(). One judge serves row after row (reset() between them), keeping the band's
// frequencies and its memory; it holds one entry per height given, and nothing per
// frequency beyond one band's counts. This is the one implementation of the figures: the
// viewer and the design tool both state what it finds.
//
// The margin is found exactly, not on a grid of shifts: the capacitive windows of each
// height (the frequencies at which is_capacitive holds, found to the last bit) give the
// coverage as a step function of frequency, and a sweep from the band outwards finds, for
// each of the band's frequencies, the first frequency at which the coverage falls below
// the threshold; the smallest shift that takes any of them there ends the margin. A height
// that is no positive finite number is capacitive nowhere.
class BandJudge {
 public:
  // A judge of `band` against the threshold `min_coverage` (percent, 0 to 100).
  BandJudge(const FrequencyBand& band, double min_coverage);
  // Judges `count` corrugations `height` metres high; returns at how many of the band's
  // frequencies each is capacitive.
  std::size_t add(double height, std::uint32_t count = 1);
  // Forgets the corrugations judged, to judge another row.
  void reset();
  // The figures of the corrugations judged since the last reset.
  BandFigures figures();
  // The counts of the corrugations judged since the last reset at each of the band's
  // frequencies.
  const Coverage& coverage() const { return counter_.coverage(); }
  const FrequencyBand& band() const { return counter_.band(); }

 private:
  // Where the coverage changes along a sweep of the margin: a height's window begins or
  // ends.
  struct Edge {
    double at;           // the position along the sweep
    std::size_t height;  // the entry of heights_
    double window;       // the window's number, from 0
    bool entering;       // the coverage rises past it (else it falls)
  };
  // The margin upwards or downwards, for `needed` corrugations at least.
  double margin(bool up, std::uint64_t needed);

  CoverageCounter counter_;
  double min_coverage_;
  std::uint64_t capacitive_ = 0;
  std::vector<std::pair<double, std::uint64_t>> heights_;  // height and count
  std::vector<Edge> edges_;                                // the sweep's next edges, a heap
};

// The figures of corrugations of the `heights` (in metres) over `band`, against
// `min_coverage` percent.
BandFigures band_figures(const FrequencyBand& band, const std::vector<double>& heights,
                         double min_coverage);

// A percentage as the figures show it: whole when that tells the truth ("100%", "51%"),
// with as many decimals as needed (at most 6) never to show 100 for less, 0 for more, or
// a number on the other side of `threshold` (which `count` of `total` meets or not, as
// meets_percent decides) from the value: "24.9%" for 249 of 1000 against 25.
std::string percent_text(std::uint64_t count, std::uint64_t total,
                         std::optional<double> threshold = std::nullopt);

// A margin as the figures show it: rounded down to a tenth of a percent, with its sign,
// "-1.9%", "+50.0%".
std::string shift_text(double shift, bool up);

// The line that states the figures of `figures` over `band`, with the density at the
// band's top when the widest `pitch` (metres) is known:
// "band 10-12 GHz: worst 47 of 47 capacitive (100%) at 10.00 GHz, mean 100%, margin -1.9% /
// +50.0% at 25%; 8.0 per wavelength at 12.00 GHz". A band whose worst coverage is below the
// threshold has "no margin at 25%".
std::string figures_text(const FrequencyBand& band, const BandFigures& figures,
                         std::optional<double> pitch);

// Writes the figures of band `b` (its place in the report's bands, from 0), `band`, as one
// object of a JSON report: "band", "corrugations" (judged), "worst" (count, coverage from 0
// to 1, at_hz), "most" (count, at_hz), "mean" (0 to 1), "meets", "margin" ({"down", "up"},
// parts of the band's frequencies, exact; null when it does not meet) and "per_wavelength"
// (at the band's top, by the widest `pitch` in metres; null without one). Every report
// that states a band's figures writes them so.
void write_band_figures(JsonWriter& json, std::size_t b, const FrequencyBand& band,
                        const BandFigures& figures, std::optional<double> pitch);

// Writes "bands": the bands as asked, each its "low_hz", "high_hz" and "label".
void write_bands(JsonWriter& json, std::span<const FrequencyBand> bands);

}  // namespace hornwall
