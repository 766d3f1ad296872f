// The corrugations the viewer measures and how it judges them against bands, from walls
// written node by node: each case pins a measure or a message at its edge.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hornwall/bands.hpp"
#include "hornwall/text.hpp"
#include "hornwall/view/checks.hpp"
#include "hornwall/view/summary.hpp"
#include "hornwall/view/view.hpp"

namespace hornwall::view {
namespace {

using Nodes = std::vector<std::pair<double, double>>;

// A closed profile 'f' in `unit` with these (z, rho) nodes, each written in full.
std::string wall_text(const Nodes& nodes, std::string_view unit = "mm") {
  std::string text =
      "f   circular_symmetric_horn_exterior\n(\n  length_unit      : " + std::string(unit) +
      ",\n  nodes             : table\n    (\n";
  for (const auto& [z, rho] : nodes) {
    text += "        " + short_number(z, 17) + "   " + short_number(rho, 17) + "\n";
  }
  return text + "    )\n)\n";
}

// The wall of `nodes` examined against `bands`: its one profile and its messages.
struct Viewed {
  Profile profile;
  std::string messages;
};

Viewed view_nodes(const Nodes& nodes, const std::vector<std::string_view>& bands = {},
                  std::string_view unit = "mm", double min_coverage = default_min_coverage) {
  const std::string text = wall_text(nodes, unit);
  TextSource source(text);
  CheckSettings settings;
  settings.min_coverage = min_coverage;
  for (const std::string_view band : bands) settings.bands.push_back(parse_band(band).value());
  Examined examined = examine(source, settings);
  std::ostringstream messages;
  write_diagnostics(examined.diagnostics, "t.zul", messages);
  return {std::move(examined.wall.profiles.at(0)), messages.str()};
}

// What a corrugation measures, as the table lists it.
struct Measured {
  double z_near, z_far, height, thickness;
};

void expect_measures(const Profile& profile, const std::vector<Measured>& expected) {
  ASSERT_EQ(profile.corrugations.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("corrugation " + std::to_string(i + 1));
    const Corrugation& found = profile.corrugations[i];
    const double near = 1e-9 * std::max(1.0, std::abs(expected[i].height));
    EXPECT_NEAR(found.z_near, expected[i].z_near, near);
    EXPECT_NEAR(found.z_far, expected[i].z_far, near);
    EXPECT_NEAR(found.height, expected[i].height, near);
    EXPECT_NEAR(found.thickness, expected[i].thickness, near);
  }
}

// Raised-cosine bumps on a flat base at `radius`, as hornwall_sinecorr writes them: the
// aperture node, the first bump's base node `lengths[0]` behind it, then for each bump
// `points` points, the last back on the base.
Nodes sine_bumps(double radius, double height, const std::vector<double>& lengths,
                 int points = 12) {
  Nodes nodes = {{0.0, radius}};
  double start = lengths.front();
  nodes.emplace_back(-start, radius);
  for (const double length : lengths) {
    for (int j = 1; j <= points; ++j) {
      const double angle = 2.0 * std::numbers::pi / points * j;
      nodes.emplace_back(-(start + length / points * j),
                         radius + height / 2.0 * (1.0 - std::cos(angle)));
    }
    start += length;
  }
  return nodes;
}

TEST(ViewCorrugations, JudgeAFaceInZByTheDigitsOfZNotByTheRadii) {
  // Bumps 0.01577 long, their points 0.0013 apart in z: a tolerance taken from radii of
  // 20 000 (0.02) would see each step between points as a radial face.
  for (const double radius : {20.0, 20000.0}) {
    SCOPED_TRACE(radius);
    const Viewed viewed = view_nodes(sine_bumps(radius, 7.6477, {0.01577, 0.01577, 0.01577}));
    EXPECT_EQ(viewed.profile.corrugated, Corrugated::smooth);
    expect_measures(viewed.profile, {{-0.01577, -0.03154, 7.6477, 0.01577},
                                     {-0.03154, -0.04731, 7.6477, 0.01577},
                                     {-0.04731, -0.06308, 7.6477, 0.01577}});
    EXPECT_NEAR(viewed.profile.corrugations.at(0).pitch.value_or(0.0), 0.01577, 1e-12);
    EXPECT_EQ(viewed.messages, "");
  }
  // A fin on rho 20 000 in a wall 100 long: its faces may lean by a millionth of the
  // largest z (1e-4), not by a millionth of the radii (0.02); leaning more, it is a bump.
  const auto leaning = [](double lean) {
    return Nodes{{0, 20000},   {-10, 20000},        {-10 - lean, 20008},
                 {-11, 20008}, {-11 - lean, 20000}, {-100, 20000}};
  };
  const struct {
    double lean;
    Corrugated corrugated;
  } leans[] = {{0.0, Corrugated::faced},
               {0.9e-4, Corrugated::faced},
               {1.1e-4, Corrugated::smooth},
               {1e-2, Corrugated::smooth}};
  for (const auto& c : leans) {
    const Viewed viewed = view_nodes(leaning(c.lean));
    EXPECT_EQ(viewed.profile.corrugated, c.corrugated) << c.lean;
    EXPECT_EQ(viewed.profile.corrugations.size(), 1u) << c.lean;
  }
}

TEST(ViewCorrugations, MeasureTheFirstFinFromTheWallsBaseNotItsRim) {
  // hornwall_thickcorr's first rows: the aperture wall's rim at rho 57 (RA 55 + AT 2), the
  // base under the first fin at 55 + WT1, the fin 7.6477 high and 0.6244 thick, ZI behind
  // the aperture; then a second fin, 3.122 behind the first.
  const auto thickcorr = [](double zi, double base) {
    Nodes nodes = {{0.0, 57.0}};
    for (const double z : {-zi, -zi - 3.122}) {
      nodes.insert(
          nodes.end(),
          {{z, base}, {z, base + 7.6477}, {z - 0.6244, base + 7.6477}, {z - 0.6244, base}});
    }
    nodes.emplace_back(-zi - 10.0, base);
    return nodes;
  };
  const auto fins_at = [](double zi) {
    return std::vector<Measured>{{-zi, -zi - 0.6244, 7.6477, 0.6244},
                                 {-zi - 3.122, -zi - 3.7464, 7.6477, 0.6244}};
  };
  const struct {
    std::string_view what;
    Nodes nodes;
    std::vector<Measured> fins;
    std::string messages;
  } cases[] = {
      {"ZI 0 on a wall thicker than the rim", thickcorr(0.0, 59.0), fins_at(0.0), ""},
      {"ZI 0 on a wall as thick as the rim", thickcorr(0.0, 57.0), fins_at(0.0), ""},
      {"ZI 0 on a wall thinner than the rim, which goes back down its own rim",
       thickcorr(0.0, 56.0), fins_at(0.0),
       "t.zul:7: error: the segment from node 2 to node 3 of 'f' folds back over the segment "
       "from node 1 to node 2 (line 6)\n"},
      {"ZI 3.122 on a wall thicker than the rim", thickcorr(3.122, 59.0), fins_at(3.122), ""},
      {"a rim and a step down", {{0, 50}, {0, 60}, {-1, 60}, {-1, 50}, {-3, 50}}, {}, ""},
      {"two steps up behind the aperture",
       {{0, 50}, {-1, 50}, {-1, 52}, {-1, 58}, {-2, 58}, {-2, 50}, {-3, 50}},
       {{-1, -2, 8, 1}},
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Viewed viewed = view_nodes(c.nodes);
    expect_measures(viewed.profile, c.fins);
    EXPECT_EQ(viewed.messages, c.messages);
  }
}

TEST(ViewCorrugations, PairEachFallingFaceWithTheRisingFaceJustBeforeIt) {
  const struct {
    std::string_view what;
    Nodes nodes;
    std::vector<Measured> fins;
    std::vector<std::optional<double>> gaps, pitches;
  } cases[] = {
      {"a step up, then a fin",
       {{0, 50}, {-2, 50}, {-2, 52}, {-4, 52}, {-4, 60}, {-5, 60}, {-5, 52}, {-8, 52}},
       {{-4, -5, 8, 1}},
       {std::nullopt},
       {std::nullopt}},
      {"a fin, a step down, a fin",
       {{0, 50},
        {-1, 50},
        {-1, 58},
        {-2, 58},
        {-2, 50},
        {-3, 50},
        {-3, 48},
        {-5, 48},
        {-5, 56},
        {-6, 56},
        {-6, 48},
        {-8, 48}},
       {{-1, -2, 8, 1}, {-5, -6, 8, 1}},
       {3.0, std::nullopt},
       {4.0, std::nullopt}},
      {"a fin whose falling face lands higher than it rose",
       {{0, 50}, {-1, 50}, {-1, 58}, {-2, 58}, {-2, 51}, {-4, 51}},
       {{-1, -2, 8, 1}},
       {std::nullopt},
       {std::nullopt}},
      {"a falling face alone", {{0, 50}, {-1, 50}, {-1, 45}, {-3, 45}}, {}, {}, {}},
      {"a fin with its top corner written twice",
       {{0, 50}, {-1, 50}, {-1, 58}, {-2, 58}, {-2, 58}, {-2, 50}, {-3, 50}},
       {{-1, -2, 8, 1}},
       {std::nullopt},
       {std::nullopt}},
      {"a fin with a step of a millionth of its radius",
       {{0, 50}, {-1, 50}, {-1, 58}, {-1, 58.00005}, {-2, 58.00005}, {-2, 50}, {-3, 50}},
       {{-1, -2, 8, 1}},
       {std::nullopt},
       {std::nullopt}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Viewed viewed = view_nodes(c.nodes);
    const Profile& profile = viewed.profile;
    expect_measures(profile, c.fins);
    EXPECT_EQ(profile.corrugated, c.fins.empty() ? Corrugated::none : Corrugated::faced);
    EXPECT_EQ(viewed.messages, "");
    for (std::size_t i = 0; i < c.fins.size() && i < profile.corrugations.size(); ++i) {
      EXPECT_EQ(profile.corrugations[i].gap, c.gaps[i]) << i;
      EXPECT_EQ(profile.corrugations[i].pitch, c.pitches[i]) << i;
    }
  }
  const Profile landing = view_nodes(cases[2].nodes).profile;
  EXPECT_EQ(landing.corrugations.at(0).far_height, 7.0);
  const Profile twice = view_nodes(cases[4].nodes).profile;
  EXPECT_EQ(twice.corrugations.at(0).far_height, 8.0);
}

TEST(ViewCorrugations, ABumpReachesFromTheBaseNodeBeforeItToTheOneAfter) {
  // Each bump's extent is the length it was given, whatever its points; its peak is
  // halfway when the points reach the crest, and the pitch runs from peak to peak.
  const struct {
    std::string_view what;
    std::vector<double> lengths;
    int points;
    std::vector<Measured> bumps;
    double pitch;
  } cases[] = {
      {"lengths 2.5 and 3", {2.5, 3.0}, 12, {{-2.5, -5.0, 4.0, 2.5}, {-5.0, -8.0, 4.0, 3.0}}, 2.75},
      {"four points, one on each crest",
       {2.0, 2.0, 2.0},
       4,
       {{-2.0, -4.0, 4.0, 2.0}, {-4.0, -6.0, 4.0, 2.0}, {-6.0, -8.0, 4.0, 2.0}},
       2.0},
      {"three points, none on a crest",
       {3.0, 3.0},
       3,
       {{-3.0, -6.0, 3.0, 3.0}, {-6.0, -9.0, 3.0, 3.0}},
       3.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Viewed viewed = view_nodes(sine_bumps(50.0, 4.0, c.lengths, c.points));
    EXPECT_EQ(viewed.profile.corrugated, Corrugated::smooth);
    expect_measures(viewed.profile, c.bumps);
    ASSERT_FALSE(viewed.profile.corrugations.empty());
    EXPECT_NEAR(viewed.profile.corrugations[0].pitch.value_or(0.0), c.pitch, 1e-9);
    EXPECT_EQ(viewed.profile.corrugations.back().pitch, std::nullopt);
  }
}

TEST(Bands, OpenTheirWindowsAtOddQuarterWavesAndCloseThemAtHalfWaves) {
  // A corrugation a metre high: c/4 to c/2, then 3c/4 to c, each cut to the range asked.
  const double c = speed_of_light;
  const struct {
    double low, high;
    std::vector<std::pair<double, double>> ranges;
  } cases[] = {
      {1.0, 1.2 * c, {{c / 4, c / 2}, {3 * c / 4, c}}},
      {c / 4, c, {{c / 4, c / 2}, {3 * c / 4, c}}},
      {c / 3, 0.8 * c, {{c / 3, c / 2}, {3 * c / 4, 0.8 * c}}},
      {c / 2, 3 * c / 4, {}},
      {0.6 * c, 0.7 * c, {}},
  };
  for (const auto& range : cases) {
    const std::vector<FrequencyRange> found = capacitive_ranges(1.0, range.low, range.high);
    ASSERT_EQ(found.size(), range.ranges.size()) << range.low;
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].low, range.ranges[i].first) << range.low << " window " << i;
      EXPECT_EQ(found[i].high, range.ranges[i].second) << range.low << " window " << i;
    }
  }
  // The same edges for a 7.6477 mm corrugation, in GHz as the README works them out.
  const std::vector<FrequencyRange> fin = capacitive_ranges(7.6477e-3, 1e9, 40e9);
  ASSERT_EQ(fin.size(), 2u);
  EXPECT_EQ(fixed_text(fin[0].low / 1e9, 2) + " " + fixed_text(fin[0].high / 1e9, 2), "9.80 19.60");
  EXPECT_EQ(fixed_text(fin[1].low / 1e9, 2) + " " + fixed_text(fin[1].high / 1e9, 2),
            "29.40 39.20");
}

// The frequencies of `band` at which a corrugation `height` metres high is capacitive, one
// by one.
std::vector<std::uint32_t> judged_one_by_one(double height, const FrequencyBand& band) {
  std::vector<std::uint32_t> counts(band_samples, 0);
  for (std::size_t i = 0; i < band_samples; ++i) counts[i] = is_capacitive(height, band.sample(i));
  return counts;
}

TEST(Bands, CountEveryFrequencyAsItIsJudgedOnItsOwn) {
  const FrequencyBand band = parse_band("10:20").value();
  const double quarter_at = speed_of_light / 4.0;  // height x quarter_at / f: quarter wave at f
  std::vector<double> heights = {
      quarter_at / 10e9,              // a quarter wave at the band's bottom
      quarter_at / 20e9,              // at its top
      quarter_at / band.sample(200),  // at its middle frequency, exactly
      std::nextafter(quarter_at / band.sample(200), 0.0),
      2.0 * quarter_at / band.sample(37),  // half a wave at a frequency: a window closes
      3.0 * quarter_at / band.sample(1),   // three quarters: the next opens
      7.6477e-3,
      0.24,    // 16 windows, each bisected
      0.3,     // 20, too many to bisect
      1e3,     // more windows than frequencies
      1e-300,  // none
      1e300,   // half depths past 2^50
      0.0,
      -7.6477e-3,
      std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(),
      std::numeric_limits<double>::denorm_min(),
  };
  std::mt19937_64 random(401);
  std::uniform_real_distribution<double> exponent(-4.0, 0.0);
  for (int i = 0; i < 2000; ++i) heights.push_back(std::pow(10.0, exponent(random)));
  CoverageCounter counter(band);
  for (const double height : heights) {
    counter.reset();
    const std::vector<std::uint32_t> expected = judged_one_by_one(height, band);
    const std::size_t samples = counter.add_samples(height);
    ASSERT_EQ(counter.coverage().counts, expected) << height;
    std::size_t capacitive = 0;
    for (const std::uint32_t count : expected) capacitive += count;
    EXPECT_EQ(samples, capacitive) << height;
    EXPECT_EQ(counter.coverage().corrugations, 1u);
  }
}

TEST(Bands, SummariseARowAsItsCountsDoWhicheverFrequenciesItTouched) {
  // Rows of heights (mm) over 10-20 GHz: none capacitive, some, every frequency, and
  // windows with frequencies between them that none serves.
  const FrequencyBand band = parse_band("10:20").value();
  const std::vector<std::vector<double>> rows = {
      {},       {1.0},          {1.0, 1.0}, {7.6477},     {7.6477, 5.0},       {5.0, 3.9},
      {14, 14}, {14, 7.6, 4.0}, {40.0},     {40.0, 41.0}, {7.6477, 1.0, 40.0},
  };
  CoverageCounter counter(band);
  for (const auto& row : rows) {
    counter.reset();
    for (const double height : row) counter.add_samples(height * 1e-3);
    Coverage whole;
    whole.counts.assign(band_samples, 0);
    for (const double height : row) {
      const std::vector<std::uint32_t> one = judged_one_by_one(height * 1e-3, band);
      for (std::size_t i = 0; i < band_samples; ++i) whole.counts[i] += one[i];
    }
    whole.corrugations = row.size();
    const CoverageSummary expected = summarize(whole), found = counter.summary();
    SCOPED_TRACE(testing::PrintToString(row));
    EXPECT_EQ(counter.coverage().counts, whole.counts);
    EXPECT_EQ(found.corrugations, expected.corrugations);
    EXPECT_EQ(found.fewest, expected.fewest);
    EXPECT_EQ(found.fewest_at, expected.fewest_at);
    EXPECT_EQ(found.most, expected.most);
    EXPECT_EQ(found.most_at, expected.most_at);
    EXPECT_EQ(coverage_text(band, found, std::nullopt), coverage_text(band, whole, std::nullopt));
  }
}

TEST(Bands, ShowADensityBelowFiveBelowFive) {
  // 299792458 Hz is a wavelength of exactly one metre.
  const FrequencyBand band = parse_band("200MHz:299792458Hz").value();
  const struct {
    double pitch;
    std::string text;
  } cases[] = {
      {0.2, "5.0 corrugations per wavelength at 0.2998 GHz"},
      {1.0 / 4.99, "4.99 corrugations per wavelength at 0.2998 GHz"},
      {1.0 / 4.9999, "4.9999 corrugations per wavelength at 0.2998 GHz"},
      {std::nextafter(0.2, 1.0), "4.999999999999999 corrugations per wavelength at 0.2998 GHz"},
      {1.0 / 4.96, "4.96 corrugations per wavelength at 0.2998 GHz"},
      {1.0 / 4.94, "4.9 corrugations per wavelength at 0.2998 GHz"},
      {1.0 / 5.04, "5.0 corrugations per wavelength at 0.2998 GHz"},
      {0.125, "8.0 corrugations per wavelength at 0.2998 GHz"},
  };
  for (const auto& c : cases) EXPECT_EQ(density_text(c.pitch, band), c.text) << c.pitch;
}

// Fins 0.05 m thick and 0.4 m high on rho 1, in metres, their rising faces at these z: each
// capacitive over the whole of 200 to 300 MHz, from its quarter wave at 187 MHz.
Nodes fins_at(std::initializer_list<double> zs) {
  Nodes nodes = {{0.0, 1.0}};
  for (const double z : zs) {
    nodes.insert(nodes.end(), {{z, 1.0}, {z, 1.4}, {z - 0.05, 1.4}, {z - 0.05, 1.0}});
  }
  nodes.emplace_back(nodes.back().first - 0.1, 1.0);
  return nodes;
}

TEST(ViewBands, WarnOfTooFewCorrugationsPerWavelengthByTheWidestPitch) {
  // Pitches of 0.25 m to a top frequency whose wavelength is exactly 1.25 m: 5 per
  // wavelength, just enough.
  const std::string_view top = "239833966.4Hz";
  const std::string enough = "200MHz:" + std::string(top);
  const struct {
    std::string_view what;
    Nodes nodes;
    std::string band;
    std::string messages;
  } cases[] = {
      {"exactly 5", fins_at({-0.25, -0.5, -0.75}), enough, ""},
      {"4.99", fins_at({-0.25, -0.5, -0.75}), "200MHz:240314595.9Hz",
       "t.zul:6: warning: profile 'f' has 4.99 corrugations per wavelength at 0.2403 GHz (at "
       "least 5 are needed)\n"},
      {"one pitch too wide among narrow ones", fins_at({-0.25, -0.5, -0.75, -1.0625}), enough,
       "t.zul:6: warning: profile 'f' has 4.0 corrugations per wavelength at 0.2398 GHz (at "
       "least 5 are needed)\n"},
      {"one pitch narrower among just enough", fins_at({-0.25, -0.5, -0.625, -0.875}), enough, ""},
      {"a single fin has no pitch", fins_at({-0.25}), enough, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(view_nodes(c.nodes, {c.band}, "m").messages, c.messages);
  }
}

// A wall in mm of fins 1 thick and these heights, 2.5 apart, on rho 50.
Nodes fins_of(std::initializer_list<double> heights) {
  Nodes nodes = {{0.0, 50.0}};
  double z = -2.0;
  for (const double height : heights) {
    nodes.insert(nodes.end(),
                 {{z, 50.0}, {z, 50.0 + height}, {z - 1.0, 50.0 + height}, {z - 1.0, 50.0}});
    z -= 2.5;
  }
  nodes.emplace_back(z, 50.0);
  return nodes;
}

TEST(ViewBands, SummariseABandByWhereTheFewestAndTheMostAreCapacitive) {
  // Over 10-20 GHz the 7.625 mm fin serves from c / 4h = 9.829 GHz to 19.659 GHz, the
  // 4.5 mm one from 16.655 GHz: one of two at 10 GHz. Of the 401 frequencies, 0.025 GHz
  // apart, the tall fin serves 387 (up to 19.650), the short one 134 (from 16.675): a mean
  // of 521 / 802 = 65%. One of two meets 25% from 9.829 GHz up, past 30 GHz: the band may
  // fall by 1 - 9.829 / 10 = 1.7% and rise by the whole 50%. 2.5 mm is 6.0 to the 15 mm
  // wavelength at 20 GHz.
  const std::string text = wall_text(fins_of({7.625, 4.5}));
  TextSource source(text);
  CheckSettings settings;
  settings.bands = {parse_band("10:20").value()};
  const Examined examined = examine(source, settings);
  std::ostringstream summary;
  write_summary(examined.wall, examined.diagnostics, summary, settings.bands);
  EXPECT_EQ(summary.str(),
            "profile f: unit mm, 10 nodes, z -7 to 0, rho 50 to 57.625, closed\n"
            "  2 corrugations: height 4.5 to 7.625 mm, thickness 1 mm, pitch 2.5 mm\n"
            "  band 10-20 GHz: worst 1 of 2 capacitive (50%) at 10.0 GHz, mean 65%, margin -1.7% "
            "/ +50.0% at 25%; 6.0 per wavelength at 20.0 GHz\n"
            "variables: 0\n"
            "errors: 0, warnings: 0\n");
  const std::string one = wall_text(fins_of({7.625}));
  TextSource one_source(one);
  std::ostringstream one_summary;
  write_summary(examine(one_source, {}).wall, {}, one_summary);
  EXPECT_NE(one_summary.str().find("\n  1 corrugation: height 7.625 mm, thickness 1 mm\n"),
            std::string::npos)
      << one_summary.str();
}

TEST(ViewBands, WarnOfARunThatServesNothingOnlyWhereItBreaksAnInterleave) {
  // Tall fins serve 10-12 GHz and 17-19 GHz, short ones 17-19 GHz only, dead ones (1 mm)
  // neither.
  const double tall = 7.625, short_fin = 4.5, dead = 1.0;
  const std::vector<std::string_view> dual = {"10:12", "17:19"};
  const struct {
    std::string_view what;
    Nodes nodes;
    std::vector<std::string_view> bands;
    std::string messages;
  } cases[] = {
      {"a dual wall ending in two dead fins",
       fins_of({tall, short_fin, tall, short_fin, dead, dead}), dual, ""},
      {"a dual wall starting with two dead fins",
       fins_of({dead, dead, tall, short_fin, tall, short_fin}), dual, ""},
      {"a dual wall starting with three dead fins",
       fins_of({dead, dead, dead, tall, short_fin, tall}), dual, ""},
      {"a dual wall with a dead fin for a short one",
       fins_of({tall, short_fin, tall, dead, tall, short_fin}), dual, ""},
      {"a dual wall with two dead fins inside",
       fins_of({tall, short_fin, dead, dead, tall, short_fin}), dual,
       "t.zul:6: warning: the interleave for band 10-12 GHz breaks at corrugations 2 to 4 (z "
       "-4.5 to -10.5 mm)\n"
       "t.zul:6: warning: the interleave for band 17-19 GHz breaks at corrugations 3 and 4 (z "
       "-7.0 to -10.5 mm)\n"},
      {"a single band with two dead fins inside",
       fins_of({tall, tall, dead, dead, tall, tall}),
       {"10:12"},
       ""},
      {"a single band served by none",
       fins_of({dead, dead}),
       {"10:12"},
       "t.zul:6: warning: fewer than 25% of the corrugations of 'f' are capacitive from 10.00 to "
       "12.00 GHz (at worst 0 of 2, at 10.00 GHz)\n"},
      {"a band the fins serve up to 19.65 GHz",
       fins_of({tall, tall}),
       {"10:20"},
       "t.zul:6: warning: fewer than 25% of the corrugations of 'f' are capacitive from 19.7 to "
       "20.0 GHz (at worst 0 of 2, at 19.7 GHz)\n"},
      {"a band the fins serve from 9.83 GHz",
       fins_of({tall, tall}),
       {"9:12"},
       "t.zul:6: warning: fewer than 25% of the corrugations of 'f' are capacitive from 9.00 to "
       "9.82 GHz (at worst 0 of 2, at 9.00 GHz)\n"},
      {"two stretches no fin serves",
       fins_of({tall, tall}),
       {"5:30"},
       "t.zul:6: warning: fewer than 25% of the corrugations of 'f' are capacitive from 5.0 to "
       "9.8 GHz (at worst 0 of 2, at 5.0 GHz)\n"
       "t.zul:6: warning: fewer than 25% of the corrugations of 'f' are capacitive from 19.7 to "
       "29.4 GHz (at worst 0 of 2, at 19.7 GHz)\n"
       "t.zul:6: warning: profile 'f' has 4.0 corrugations per wavelength at 30.0 GHz (at least 5 "
       "are needed)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(view_nodes(c.nodes, c.bands).messages, c.messages);
  }
}

// The warning names each stretch of a band where fewer than the threshold of the fins are
// capacitive, and the worst frequency in it. The fins' windows: 7.625 mm, 9.829 to 19.659
// GHz; 4.7 mm, 15.946 to 31.893 GHz; 10.7 mm, 7.004 to 14.009 GHz; 1 mm, from 75 GHz.
TEST(ViewBands, WarnWhereTheCoverageFallsBelowTheThreshold) {
  const double tall = 7.625, short_fin = 4.7, deep = 10.7, dead = 1.0;
  const std::string below = "t.zul:6: warning: fewer than ";
  const struct {
    std::string_view what;
    Nodes nodes;
    std::string_view band;
    double percent;
    std::string messages;
  } cases[] = {
      {"one of four, exactly 25%", fins_of({tall, short_fin, short_fin, short_fin}), "10:12", 25.0,
       ""},
      {"one of four, short of 25.1%", fins_of({tall, short_fin, short_fin, short_fin}), "10:12",
       25.1,
       below + "25.1% of the corrugations of 'f' are capacitive from 10.00 to 12.00 GHz (at worst "
               "1 of 4, at 10.00 GHz)\n"},
      {"none, against no threshold", fins_of({dead, dead}), "10:12", 0.0, ""},
      {"none, against the smallest threshold", fins_of({dead, dead}), "10:12", 1e-9,
       below + "1e-09% of the corrugations of 'f' are capacitive from 10.00 to 12.00 GHz (at "
               "worst 0 of 2, at 10.00 GHz)\n"},
      // 10.7 mm serves the band up to 14.009 GHz, 4.7 mm from 15.946 GHz: none between.
      {"a dip in the middle", fins_of({deep, short_fin}), "10:20", 25.0,
       below + "25% of the corrugations of 'f' are capacitive from 14.0 to 15.9 GHz (at worst 0 "
               "of 2, at 14.0 GHz)\n"},
      // One of two nowhere meets 60%: one stretch, the band, whose worst is the dip.
      {"the whole band, worst in the middle", fins_of({deep, short_fin}), "10:20", 60.0,
       below + "60% of the corrugations of 'f' are capacitive from 10.0 to 20.0 GHz (at worst 0 "
               "of 2, at 14.0 GHz)\n"},
      // 10-19.66 GHz is judged every 0.02415 GHz: only its top lies above 19.659 GHz.
      {"one frequency", fins_of({tall, tall}), "10:19.66", 25.0,
       below + "25% of the corrugations of 'f' are capacitive at 19.66 GHz (0 of 2)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(view_nodes(c.nodes, {c.band}, "mm", c.percent).messages, c.messages);
  }
}

}  // namespace
}  // namespace hornwall::view
