#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/result.hpp"

// The quarter-wave rule by which a corrugation works as a choke, and the frequency bands it
// is judged over. A corrugation of height h (a slot h deep, short-circuited at its bottom)
// shows the wave a capacitive surface reactance where its electrical depth 4 f h / c, taken
// modulo 2, lies strictly between 1 and 2: its first window runs from c / 4h (a quarter
// wavelength deep) to c / 2h (half a wavelength), the next from 3c / 4h to c / h, and so on.
namespace hornwall {

// The speed of light in vacuum, in metres per second.
inline constexpr double speed_of_light = 299'792'458.0;

// The least number of frequencies at which a band is judged, equally spaced, both ends
// included.
inline constexpr std::size_t band_samples = 401;

// A band of frequencies, in hertz.
struct FrequencyBand {
  double low = 0.0;
  double high = 0.0;

  // The band as messages name it, in GHz without trailing zeros: "10-20 GHz".
  std::string label() const;
  // The band as --band takes it, in GHz: "10:20", "9.5:10.5".
  std::string option() const;
  // Frequency `i` of the band_samples at which it is judged.
  double sample(std::size_t i) const;
  // A frequency in GHz with as many decimals as tell apart a hundredth of the band: at
  // least one ("10.0", "9.55").
  std::string frequency_text(double hertz) const;
};

// Reads a band written F1:F2, each a frequency in GHz or with the suffix Hz, kHz, MHz or
// GHz (any case): "10:20", "9.5GHz:10.5GHz", "800MHz:1.2GHz". The reason names what is
// wrong: not of that form, not finite, not above zero, or not rising.
Result<FrequencyBand> parse_band(std::string_view text);

// The bands that --band may give: a single band or a dual band.
inline constexpr std::size_t most_bands = 2;

// Reads the value `text` of one --band option into `bands`; the reason when it is no band
// or when `bands` already holds most_bands.
Result<void> add_band(std::vector<FrequencyBand>& bands, std::string_view text);

// How many metres a length unit of an object file is (in, ft, mm, cm, m); none for any
// other.
std::optional<double> metres_per_unit(std::string_view unit);

// Half the electrical depth of a corrugation `height` metres high at `frequency` hertz,
// 2 f h / c: it rises with the frequency, by half a unit from window to window.
inline double half_depth(double height, double frequency) {
  return 2.0 * frequency * height / speed_of_light;
}

// True when half the depth of a corrugation `height` metres high at `frequency` hertz passes
// `threshold`, or reaches it when `reached`: where a window opens (or closes) at that half
// depth.
inline bool half_depth_past(double height, double frequency, double threshold, bool reached) {
  const double half = half_depth(height, frequency);
  return half > threshold || (reached && half == threshold);
}

// True when a corrugation `height` metres high is capacitive at `frequency` hertz. Half
// the electrical depth, 2 f h / c, lies in the second half of a whole number's unit: the
// same as the depth modulo 2 lying strictly between 1 and 2, exactly, and quicker.
inline bool is_capacitive(double height, double frequency) {
  const double half = half_depth(height, frequency);
  return half - std::floor(half) > 0.5;
}

// The frequency at which a corrugation `height` metres high is a quarter wavelength deep,
// c / 4h: where its first capacitive window opens.
double quarter_wave_frequency(double height);

// How one band finds a row of corrugations.
struct Coverage {
  // For each of the band_samples frequencies, how many corrugations are capacitive.
  std::vector<std::uint32_t> counts;
  // How many corrugations were judged.
  std::size_t corrugations = 0;
};

// How one band finds a row of corrugations, in a few numbers whatever their count.
struct CoverageSummary {
  std::size_t corrugations = 0;  // judged
  std::uint32_t fewest = 0;      // the fewest capacitive at any of the band's frequencies
  std::uint32_t most = 0;        // the most
  std::uint16_t fewest_at = 0;   // the first frequency (0 to band_samples - 1) with the fewest
  std::uint16_t most_at = 0;     // the first with the most
};
static_assert(band_samples <= 0xffff, "a frequency's number fits CoverageSummary");

// The part of a band over which a corrugation is capacitive at `samples` of its
// band_samples frequencies.
inline double capacitive_part(std::size_t samples) {
  return static_cast<double>(samples) / static_cast<double>(band_samples);
}

// Judges corrugations one at a time over a band, in a memory that does not grow with them;
// the band's frequencies are worked out once, and one counter serves row after row.
class CoverageCounter {
 public:
  explicit CoverageCounter(const FrequencyBand& band);
  // Judges a corrugation `height` metres high: the part of the band over which it is
  // capacitive.
  double add(double height) { return capacitive_part(add_samples(height)); }
  // Judges `count` corrugations `height` metres high: at how many of the band's
  // frequencies each is capacitive. Each is judged as is_capacitive judges it.
  std::size_t add_samples(double height, std::uint32_t count = 1);
  // Forgets the corrugations judged, to judge another row.
  void reset();
  // The counts at each frequency and the number of corrugations judged.
  const Coverage& coverage() const { return coverage_; }
  // The band judged over.
  const FrequencyBand& band() const { return band_; }
  // The summary of coverage(), as summarize gives it, without going over the frequencies
  // that no corrugation judged since the last reset was capacitive at.
  CoverageSummary summary() const;

 private:
  // Calls `visit(first, end)` for each run of frequencies, from `first` up to `end`
  // (excluded), at which a corrugation `height` metres high is capacitive, in order.
  template <typename Visit>
  void for_each_run(double height, Visit visit) const;

  FrequencyBand band_;
  std::vector<double> frequencies_;
  Coverage coverage_;
  // The frequencies from touched_from up to touched_to (excluded) hold all the counts
  // that are not zero.
  std::size_t touched_from_ = band_samples;
  std::size_t touched_to_ = 0;
};

// The summary of `coverage`, whose counts hold band_samples values.
CoverageSummary summarize(const Coverage& coverage);

// How many corrugations `pitch` metres apart stand in a wavelength at `frequency`.
double per_wavelength(double pitch, double frequency);

// The fewest corrugations per wavelength at a band's top that the band check accepts.
inline constexpr double fewest_per_wavelength = 5.0;

// How many corrugations `pitch` metres apart stand in a wavelength at the top of `band`,
// as the messages say it: "6.2 corrugations per wavelength at 20.0 GHz".
std::string per_wavelength_text(double pitch, const FrequencyBand& band);

// As per_wavelength_text, with as many decimals as show on which side of
// fewest_per_wavelength the number lies: "4.99 corrugations per wavelength at 20.0 GHz",
// never "5.0" for fewer than 5.
std::string density_text(double pitch, const FrequencyBand& band);
// The number of density_text alone: "4.99", "8.0".
std::string density_number(double pitch, const FrequencyBand& band);

// The line that tells how `coverage` finds its corrugations over `band`: at which
// frequency the fewest are capacitive and how many, at which the most, and how many
// corrugations stand per wavelength at the band's top when their widest `pitch` (metres)
// is known: "band 10-20 GHz: at 10.0 GHz 3 of 40 corrugations are capacitive (7.5%), at
// 20.0 GHz 40 of 40; 6.2 corrugations per wavelength at 20.0 GHz".
std::string coverage_text(const FrequencyBand& band, const Coverage& coverage,
                          std::optional<double> pitch);
// The same line from the summary of a coverage.
std::string coverage_text(const FrequencyBand& band, const CoverageSummary& summary,
                          std::optional<double> pitch);

// The stretches of frequency from `low` to `high` hertz in which a corrugation `height`
// metres high is capacitive, in order: each window of the rule cut to that range.
struct FrequencyRange {
  double low;
  double high;
};
std::vector<FrequencyRange> capacitive_ranges(double height, double low, double high);

}  // namespace hornwall
