#include "hornwall/bands.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "hornwall/number_text.hpp"
#include "hornwall/text.hpp"

namespace hornwall {
namespace {

constexpr double hertz_per_gigahertz = 1e9;

// The GHz text of `hertz`, in its shortest form: "10", "9.5".
std::string shortest(double hertz) { return shortest_text(hertz / hertz_per_gigahertz); }

// A frequency in hertz from a number in GHz or with a suffix; none when it is no such
// thing.
std::optional<double> frequency(std::string_view text) {
  constexpr std::array<std::pair<std::string_view, double>, 4> suffixes = {
      {{"GHz", 1e9}, {"MHz", 1e6}, {"kHz", 1e3}, {"Hz", 1.0}}};
  double scale = hertz_per_gigahertz;
  for (const auto& [suffix, hertz] : suffixes) {
    if (text.size() > suffix.size() &&
        equal_ignoring_case(text.substr(text.size() - suffix.size()), suffix)) {
      text.remove_suffix(suffix.size());
      scale = hertz;
      break;
    }
  }
  const NumberReading<double> read = read_double(text);
  if (read.status != NumberRead::ok) return std::nullopt;
  return read.value * scale;
}

}  // namespace

std::string FrequencyBand::option() const { return shortest(low) + ":" + shortest(high); }

std::string FrequencyBand::label() const { return shortest(low) + "-" + shortest(high) + " GHz"; }

double FrequencyBand::sample(std::size_t i) const {
  return low + (high - low) * static_cast<double>(i) / static_cast<double>(band_samples - 1);
}

std::string FrequencyBand::frequency_text(double hertz) const {
  const double hundredth = (high - low) / 100.0 / hertz_per_gigahertz;
  const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(hundredth))), 1, 9);
  return fixed_text(hertz / hertz_per_gigahertz, decimals);
}

Result<void> add_band(std::vector<FrequencyBand>& bands, std::string_view text) {
  if (bands.size() == most_bands) {
    return Reason{"option '--band' may be given at most twice, for two bands"};
  }
  Result<FrequencyBand> band = parse_band(text);
  if (!band.ok()) return Reason{band.reason()};
  bands.push_back(band.value());
  return {};
}

Result<FrequencyBand> parse_band(std::string_view text) {
  const std::string shown = quoted_printable(text);
  const std::size_t colon = text.find(':');
  const std::optional<double> low =
      colon == std::string_view::npos ? std::nullopt : frequency(text.substr(0, colon));
  const std::optional<double> high =
      colon == std::string_view::npos ? std::nullopt : frequency(text.substr(colon + 1));
  if (!low || !high) {
    return Reason{"invalid band " + shown +
                  ": write F1:F2, in GHz or with Hz, kHz, MHz or GHz (10:20, 9.5GHz:10.5GHz)"};
  }
  if (!std::isfinite(*low) || !std::isfinite(*high)) {
    return Reason{"invalid band " + shown + ": its frequencies must be finite"};
  }
  if (*low <= 0.0) return Reason{"invalid band " + shown + ": its frequencies must be above zero"};
  if (*low >= *high) {
    return Reason{"invalid band " + shown + ": its first frequency must be below its second"};
  }
  return FrequencyBand{*low, *high};
}

std::optional<double> metres_per_unit(std::string_view unit) {
  if (unit == "in") return 0.0254;
  if (unit == "ft") return 0.3048;
  if (unit == "mm") return 1e-3;
  if (unit == "cm") return 1e-2;
  if (unit == "m") return 1.0;
  return std::nullopt;
}

double quarter_wave_frequency(double height) { return speed_of_light / (4.0 * height); }

CoverageCounter::CoverageCounter(const FrequencyBand& band)
    : band_(band), frequencies_(band_samples) {
  for (std::size_t i = 0; i < band_samples; ++i) frequencies_[i] = band.sample(i);
  coverage_.counts.assign(band_samples, 0);
}

// The band's frequencies rise, and with them half the electrical depth: across each whole
// number k it passes k + 1/2 and then k + 1 once each, so the frequencies of window k are
// one run, whose ends a bisection finds. Below 2^50, k + 1/2 is exact and the fraction of
// the half depth is exactly its distance from k, so the runs hold exactly the frequencies
// is_capacitive accepts. For a height that is no positive number, a half depth too large
// or more windows than bisections would save, each frequency is judged on its own.
template <typename Visit>
void CoverageCounter::for_each_run(double height, Visit visit) const {
  const double bottom = std::floor(half_depth(height, frequencies_.front()));
  const double top = half_depth(height, frequencies_.back());
  constexpr double most_windows = 16.0;
  constexpr double exact_below = 0x1p50;
  if (!(height > 0.0) || !(top < exact_below) || std::floor(top) - bottom > most_windows) {
    std::size_t first = 0;
    for (std::size_t i = 0; i <= band_samples; ++i) {
      const bool capacitive = i < band_samples && is_capacitive(height, frequencies_[i]);
      if (capacitive) continue;
      if (first < i) visit(first, i);
      first = i + 1;
    }
    return;
  }
  // The first frequency from `from` on whose half depth passes `threshold` (or reaches it,
  // when `reached`); band_samples when none does.
  const auto first_past = [&](std::size_t from, double threshold, bool reached) {
    std::size_t low = from, high = band_samples;
    while (low < high) {
      const std::size_t middle = low + (high - low) / 2;
      if (half_depth_past(height, frequencies_[middle], threshold, reached)) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    return low;
  };
  std::size_t from = 0;
  for (double k = bottom; k <= top && from < band_samples; k += 1.0) {
    const std::size_t first = first_past(from, k + 0.5, false);
    const std::size_t end = first_past(first, k + 1.0, true);
    if (first < end) visit(first, end);
    from = end;
  }
}

std::size_t CoverageCounter::add_samples(double height, std::uint32_t count) {
  std::size_t capacitive = 0;
  for_each_run(height, [&](std::size_t first, std::size_t end) {
    for (std::size_t i = first; i < end; ++i) coverage_.counts[i] += count;
    capacitive += end - first;
    touched_from_ = std::min(touched_from_, first);
    touched_to_ = std::max(touched_to_, end);
  });
  coverage_.corrugations += count;
  return capacitive;
}

void CoverageCounter::reset() {
  if (touched_from_ < touched_to_) {
    std::fill(coverage_.counts.begin() + static_cast<std::ptrdiff_t>(touched_from_),
              coverage_.counts.begin() + static_cast<std::ptrdiff_t>(touched_to_), 0);
  }
  touched_from_ = band_samples;
  touched_to_ = 0;
  coverage_.corrugations = 0;
}

CoverageSummary CoverageCounter::summary() const {
  if (touched_from_ == 0 && touched_to_ == band_samples) return summarize(coverage_);
  CoverageSummary summary;
  summary.corrugations = coverage_.corrugations;
  // Some frequency is left at no corrugation: the first of them has the fewest.
  const auto begin = coverage_.counts.begin();
  if (touched_from_ == 0) {
    summary.fewest_at = static_cast<std::uint16_t>(
        std::find(begin, begin + static_cast<std::ptrdiff_t>(touched_to_), 0u) - begin);
  }
  if (touched_from_ < touched_to_) {
    const auto most = std::max_element(begin + static_cast<std::ptrdiff_t>(touched_from_),
                                       begin + static_cast<std::ptrdiff_t>(touched_to_));
    summary.most = *most;
    summary.most_at = static_cast<std::uint16_t>(most - begin);
  }
  return summary;
}

CoverageSummary summarize(const Coverage& coverage) {
  const auto fewest = std::min_element(coverage.counts.begin(), coverage.counts.end());
  const auto most = std::max_element(coverage.counts.begin(), coverage.counts.end());
  CoverageSummary summary;
  summary.corrugations = coverage.corrugations;
  summary.fewest = *fewest;
  summary.most = *most;
  summary.fewest_at = static_cast<std::uint16_t>(fewest - coverage.counts.begin());
  summary.most_at = static_cast<std::uint16_t>(most - coverage.counts.begin());
  return summary;
}

double per_wavelength(double pitch, double frequency) { return speed_of_light / frequency / pitch; }

std::string per_wavelength_text(double pitch, const FrequencyBand& band) {
  return fixed_text(per_wavelength(pitch, band.high), 1) + " corrugations per wavelength at " +
         band.frequency_text(band.high) + " GHz";
}

std::string density_number(double pitch, const FrequencyBand& band) {
  const double density = per_wavelength(pitch, band.high);
  const auto shown_below = [&](const std::string& text) {
    return read_double(text).value < fewest_per_wavelength;
  };
  constexpr int most_decimals = 17;
  int decimals = 1;
  std::string text = fixed_text(density, decimals);
  while (density < fewest_per_wavelength && !shown_below(text) && decimals < most_decimals) {
    text = fixed_text(density, ++decimals);
  }
  return text;
}

std::string density_text(double pitch, const FrequencyBand& band) {
  return density_number(pitch, band) + " corrugations per wavelength at " +
         band.frequency_text(band.high) + " GHz";
}

std::string coverage_text(const FrequencyBand& band, const Coverage& coverage,
                          std::optional<double> pitch) {
  return coverage_text(band, summarize(coverage), pitch);
}

std::string coverage_text(const FrequencyBand& band, const CoverageSummary& summary,
                          std::optional<double> pitch) {
  const auto at = [&](std::uint16_t sample) { return band.frequency_text(band.sample(sample)); };
  const std::size_t count = summary.corrugations;
  const double percent = count == 0 ? 0.0 : 100.0 * summary.fewest / static_cast<double>(count);
  std::string text = "band " + band.label() + ": at " + at(summary.fewest_at) + " GHz " +
                     std::to_string(summary.fewest) + " of " + std::to_string(count) +
                     " corrugations are capacitive (" + fixed_text(percent, 1) + "%), at " +
                     at(summary.most_at) + " GHz " + std::to_string(summary.most) + " of " +
                     std::to_string(count);
  if (pitch && *pitch > 0.0) text += "; " + per_wavelength_text(*pitch, band);
  return text;
}

std::vector<FrequencyRange> capacitive_ranges(double height, double low, double high) {
  std::vector<FrequencyRange> ranges;
  if (!(height > 0.0) || !(low < high)) return ranges;
  // Window k runs from (2k + 1) c / 4h to (2k + 2) c / 4h.
  const double quarter = quarter_wave_frequency(height);
  const double first = std::max(std::floor((low / quarter - 1.0) / 2.0), 0.0);
  if (!std::isfinite(first)) return ranges;
  // Count the windows in an integer: past 2^53 adding one to a double window number
  // changes nothing, and a loop on it would never end.
  constexpr int most_windows = 1000;  // a drawing needs no more
  for (int step = 0; step < most_windows; ++step) {
    const double k = first + step;
    const double open = (2.0 * k + 1.0) * quarter;
    const double close = (2.0 * k + 2.0) * quarter;
    if (open >= high) break;
    if (close > low) ranges.push_back({std::max(open, low), std::min(close, high)});
  }
  return ranges;
}

}  // namespace hornwall
