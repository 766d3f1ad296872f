#include "hornwall/band_figures.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "hornwall/number_text.hpp"
#include "hornwall/text.hpp"

namespace hornwall {
namespace {

// The lowest frequency, to the last bit, at which half the electrical depth of a
// corrugation `height` metres high passes `threshold` (or reaches it, when `reached`).
// Half the depth never falls as the frequency rises, so the frequencies past it are
// one run, whose first a step or two from the rule's c / 4h multiple finds.
double first_past(double height, double threshold, bool reached) {
  const auto past = [&](double frequency) {
    return half_depth_past(height, frequency, threshold, reached);
  };
  double frequency = threshold * speed_of_light / (2.0 * height);
  if (past(frequency)) {
    for (double below = std::nextafter(frequency, 0.0); past(below);
         below = std::nextafter(frequency, 0.0)) {
      frequency = below;
    }
    return frequency;
  }
  while (!past(frequency)) {
    frequency = std::nextafter(frequency, std::numeric_limits<double>::infinity());
  }
  return frequency;
}

// Window `window` of a corrugation `height` metres high: it is capacitive at the
// frequencies from `open` (included) to `close` (excluded), exactly as is_capacitive says.
double window_open(double height, double window) { return first_past(height, window + 0.5, false); }
double window_close(double height, double window) { return first_past(height, window + 1.0, true); }

}  // namespace

Result<double> parse_min_coverage(std::string_view text) {
  const std::string shown = quoted_printable(text);
  const NumberReading<double> read = read_double(text);
  const double value = read.value;
  if (read.status != NumberRead::ok) {
    return Reason{"invalid minimum coverage " + shown +
                  ": write a percentage from 0 to 100, a number alone (25, 12.5)"};
  }
  if (!(value >= 0.0 && value <= 100.0)) {
    return Reason{"invalid minimum coverage " + shown + ": it must lie from 0 to 100 percent"};
  }
  return value + 0.0;  // never -0
}

bool meets_percent(std::uint64_t count, std::uint64_t total, double percent) {
  // percent * total is `wanted` plus `error`, exactly. Where `have` and `wanted` lie within
  // a factor of two of each other their difference is exact; elsewhere it is far larger
  // than `error` and its sign decides.
  const double wanted = percent * static_cast<double>(total);
  const double error = std::fma(percent, static_cast<double>(total), -wanted);
  const double have = 100.0 * static_cast<double>(count);
  return have - wanted >= error;
}

std::uint64_t needed_count(std::uint64_t total, double percent) {
  const double estimate = std::ceil(percent * static_cast<double>(total) / 100.0);
  std::uint64_t needed =
      std::min(total, static_cast<std::uint64_t>(std::clamp(estimate, 0.0, 0x1p63)));
  while (needed > 0 && meets_percent(needed - 1, total, percent)) --needed;
  while (needed < total && !meets_percent(needed, total, percent)) ++needed;
  return needed;
}

double BandFigures::worst() const {
  return coverage.corrugations == 0
             ? 0.0
             : static_cast<double>(coverage.fewest) / static_cast<double>(coverage.corrugations);
}

double BandFigures::mean() const {
  return coverage.corrugations == 0
             ? 0.0
             : static_cast<double>(capacitive) /
                   (static_cast<double>(band_samples) * static_cast<double>(coverage.corrugations));
}

BandJudge::BandJudge(const FrequencyBand& band, double min_coverage)
    : counter_(band), min_coverage_(min_coverage) {}

std::size_t BandJudge::add(double height, std::uint32_t count) {
  const bool judged = height > 0.0 && std::isfinite(height);
  if (count == 0) return 0;
  // A height that is no positive number is judged as nothing: capacitive nowhere.
  const std::size_t samples =
      counter_.add_samples(judged ? height : std::numeric_limits<double>::quiet_NaN(), count);
  capacitive_ += static_cast<std::uint64_t>(samples) * count;
  if (judged) heights_.emplace_back(height, count);
  return samples;
}

void BandJudge::reset() {
  counter_.reset();
  capacitive_ = 0;
  heights_.clear();
}

// The sweep from the band outwards, upwards in frequency or downwards. Along it, a
// position is the frequency (upwards) or the frequency with its sign turned (downwards),
// so that it always rises; each height's windows become stretches of positions, and an
// edge is where one begins or ends. The coverage is constant between edges: where it is
// below the threshold, every frequency of the band met before that stretch would land in
// it shifted by (stretch - frequency) / |frequency|, and the last of them needs the least.
double BandJudge::margin(bool up, std::uint64_t needed) {
  const FrequencyBand& band = counter_.band();
  const auto sample = [&](std::size_t i) {
    return up ? band.sample(i) : -band.sample(band_samples - 1 - i);
  };
  const double lowest = (1.0 - most_shift) * band.low;    // the least frequency searched
  const double highest = (1.0 + most_shift) * band.high;  // the most
  const double end = up ? highest : -lowest;
  const auto shift_to = [](double at, double from) { return (at - from) / std::abs(from); };
  // The next edge of a height after the edge `edge`, which it replaces; false for none.
  const auto next_edge = [&](Edge& edge) {
    const double height = heights_[edge.height].first;
    if (up) {
      if (!edge.entering) edge.window += 1.0;
      edge.at =
          edge.entering ? window_close(height, edge.window) : window_open(height, edge.window);
    } else {
      if (!edge.entering && edge.window == 0.0) return false;
      if (!edge.entering) edge.window -= 1.0;
      edge.at =
          edge.entering ? -window_open(height, edge.window) : -window_close(height, edge.window);
    }
    edge.entering = !edge.entering;
    return edge.at <= end;
  };
  const auto later = [](const Edge& a, const Edge& b) { return a.at > b.at; };

  std::uint64_t value = 0;  // the corrugations capacitive from the start to the first edge
  edges_.clear();
  const double start = sample(0);
  for (std::size_t i = 0; i < heights_.size(); ++i) {
    const double height = heights_[i].first;
    const double quarter = quarter_wave_frequency(height);
    const double windows = (highest - lowest) / (2.0 * quarter) + 1.0;
    if (!(quarter < highest) || !(windows <= most_margin_windows)) continue;
    Edge edge{0.0, i, 0.0, false};
    if (up) {
      // The first window that closes above the band's bottom.
      double window = std::max(std::floor(start / (2.0 * quarter)) - 1.0, 0.0);
      while (window_close(height, window) <= start) window += 1.0;
      edge.window = window;
      if (window_open(height, window) <= start) {
        value += heights_[i].second;
        edge.at = window_close(height, window);
      } else {
        edge.at = window_open(height, window);
        edge.entering = true;
      }
    } else {
      // The last window that opens at or below the band's top.
      const double top = -start;
      double window = std::floor((top / quarter - 1.0) / 2.0) + 1.0;
      while (window >= 0.0 && window_open(height, window) > top) window -= 1.0;
      if (window < 0.0) continue;
      edge.window = window;
      if (top < window_close(height, window)) {
        value += heights_[i].second;
        edge.at = -window_open(height, window);
      } else {
        edge.at = -window_close(height, window);
        edge.entering = true;
      }
    }
    if (edge.at <= end) edges_.push_back(edge);
  }
  std::make_heap(edges_.begin(), edges_.end(), later);

  double best = most_shift;
  std::size_t placed = 0;  // the band's frequencies before this one have met their stretch
  const double last = sample(band_samples - 1);
  for (double from = start;;) {
    const double to = edges_.empty() ? std::numeric_limits<double>::infinity() : edges_.front().at;
    if (value < needed) {
      std::size_t j = placed;
      while (j < band_samples && sample(j) <= from) ++j;
      if (j > placed) best = std::min(best, std::max(shift_to(from, sample(j - 1)), 0.0));
      if (j < band_samples && sample(j) < to) best = 0.0;  // the band itself, never here
      placed = j;
    }
    if (edges_.empty() || best == 0.0 || placed == band_samples || shift_to(to, last) >= best) {
      break;
    }
    from = to;
    while (!edges_.empty() && edges_.front().at == to) {
      std::pop_heap(edges_.begin(), edges_.end(), later);
      Edge& edge = edges_.back();
      const std::uint64_t count = heights_[edge.height].second;
      if (edge.entering) {
        value += count;
      } else {
        value -= count;
      }
      if (next_edge(edge)) {
        std::push_heap(edges_.begin(), edges_.end(), later);
      } else {
        edges_.pop_back();
      }
    }
  }
  return best;
}

BandFigures BandJudge::figures() {
  BandFigures figures;
  figures.coverage = counter_.summary();
  figures.capacitive = capacitive_;
  figures.min_coverage = min_coverage_;
  const std::uint64_t total = figures.coverage.corrugations;
  figures.meets = total > 0 && meets_percent(figures.coverage.fewest, total, min_coverage_);
  if (!figures.meets) return figures;
  const std::uint64_t needed = needed_count(total, min_coverage_);
  if (needed == 0) {
    figures.down = figures.up = most_shift;
    return figures;
  }
  // Equal heights move together: one entry each.
  std::sort(heights_.begin(), heights_.end());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < heights_.size(); ++i) {
    if (kept > 0 && heights_[kept - 1].first == heights_[i].first) {
      heights_[kept - 1].second += heights_[i].second;
    } else {
      heights_[kept++] = heights_[i];
    }
  }
  heights_.resize(kept);
  figures.down = margin(false, needed);
  figures.up = margin(true, needed);
  return figures;
}

BandFigures band_figures(const FrequencyBand& band, const std::vector<double>& heights,
                         double min_coverage) {
  BandJudge judge(band, min_coverage);
  for (const double height : heights) judge.add(height);
  return judge.figures();
}

std::string percent_text(std::uint64_t count, std::uint64_t total,
                         std::optional<double> threshold) {
  if (total == 0) return "0%";
  const double value = 100.0 * static_cast<double>(count) / static_cast<double>(total);
  const bool meets = threshold && meets_percent(count, total, *threshold);
  constexpr int most_decimals = 6;
  std::string text;
  for (int decimals = 0; decimals <= most_decimals; ++decimals) {
    text = fixed_text(value, decimals);
    const double shown = read_double(text).value;
    const bool honest = (shown != 100.0 || count == total) && (shown != 0.0 || count == 0) &&
                        (!threshold || (shown >= *threshold) == meets);
    if (honest) break;
  }
  return text + "%";
}

std::string shift_text(double shift, bool up) {
  // Rounded down, forgiving the last bits of a shift that is a whole tenth of a percent.
  const double tenths = std::floor(shift * 1000.0 + 1e-9);
  std::string text(1, up ? '+' : '-');
  text += fixed_text(tenths / 10.0, 1);
  text += '%';
  return text;
}

std::string figures_text(const FrequencyBand& band, const BandFigures& figures,
                         std::optional<double> pitch) {
  const CoverageSummary& coverage = figures.coverage;
  const std::uint64_t total = coverage.corrugations;
  std::string text = "band " + band.label() + ": worst " + std::to_string(coverage.fewest) +
                     " of " + std::to_string(total) + " capacitive (" +
                     percent_text(coverage.fewest, total, figures.min_coverage) + ") at " +
                     band.frequency_text(band.sample(coverage.fewest_at)) + " GHz, mean " +
                     percent_text(figures.capacitive, band_samples * total) + ", ";
  text += figures.meets
              ? "margin " + shift_text(figures.down, false) + " / " + shift_text(figures.up, true)
              : std::string("no margin");
  text += " at " + shortest_text(figures.min_coverage) + "%";
  if (pitch && *pitch > 0.0) {
    text += "; " + density_number(*pitch, band) + " per wavelength at " +
            band.frequency_text(band.high) + " GHz";
  }
  return text;
}

void write_band_figures(JsonWriter& json, std::size_t b, const FrequencyBand& band,
                        const BandFigures& figures, std::optional<double> pitch) {
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
  json.key("per_wavelength");
  if (pitch && *pitch > 0.0) {
    json.number(per_wavelength(*pitch, band.high));
  } else {
    json.null();
  }
  json.close('}');
}

void write_bands(JsonWriter& json, std::span<const FrequencyBand> bands) {
  json.key("bands");
  json.open('[');
  for (const FrequencyBand& band : bands) {
    json.open('{', true);
    json.key("low_hz").number(band.low);
    json.key("high_hz").number(band.high);
    json.key("label").string(band.label());
    json.close('}');
  }
  json.close(']');
}

}  // namespace hornwall
