// The figures of merit of a row of corrugations over a band: the rules at their edges,
// margins worked by hand, and the exact margin against a search over a fine grid of shifts.
#include "hornwall/band_figures.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace hornwall {
namespace {

FrequencyBand band_of(std::string_view text) { return parse_band(text).value(); }

// Where the first window of a corrugation `height` metres high opens and closes, in hertz.
double opens(double height) { return speed_of_light / (4.0 * height); }
double closes(double height) { return speed_of_light / (2.0 * height); }

TEST(BandFigures, ACoverageOfExactlyTheThresholdMeetsIt) {
  // 100/3 as a double, 33.333333333333335702, lies above a third: 1 of 3 falls short of it,
  // though 100 * 1 / 3 rounds to that very double. The double below it is met.
  const struct {
    std::uint64_t count, total;
    double percent;
    bool meets;
  } cases[] = {
      {1, 4, 25.0, true},
      {1, 4, std::nextafter(25.0, 100.0), false},
      {1, 4, std::nextafter(25.0, 0.0), true},
      {1, 3, 100.0 / 3.0, false},
      {1, 3, std::nextafter(100.0 / 3.0, 0.0), true},
      {0, 5, 0.0, true},
      {0, 5, 1e-300, false},
      {5, 5, 100.0, true},
      {4, 5, 100.0, false},
      // The double 99.9999999 lies a little above its decimal: 999 999 999 of a billion
      // falls short of it, though their quotient times 100 rounds to it.
      {999'999'999, 1'000'000'000, 99.9999999, false},
      {1'000'000'000, 1'000'000'000, 99.9999999, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(meets_percent(c.count, c.total, c.percent), c.meets)
        << c.count << " of " << c.total << " against " << c.percent;
  }
}

TEST(BandFigures, ReadAThresholdFromZeroToAHundredPercent) {
  const struct {
    std::string_view text;
    double percent;
  } good[] = {{"25", 25.0}, {"0", 0.0}, {"100", 100.0}, {"12.5", 12.5}, {"1e1", 10.0}, {"-0", 0.0}};
  for (const auto& c : good) {
    const Result<double> read = parse_min_coverage(c.text);
    ASSERT_TRUE(read.ok()) << c.text;
    EXPECT_EQ(read.value(), c.percent) << c.text;
    EXPECT_FALSE(std::signbit(read.value())) << c.text;
  }
  const std::string form = ": write a percentage from 0 to 100, a number alone (25, 12.5)";
  const std::string range = ": it must lie from 0 to 100 percent";
  const struct {
    std::string_view text;
    std::string reason;
  } bad[] = {
      {"100.0000001", "invalid minimum coverage '100.0000001'" + range},
      {"-1e-300", "invalid minimum coverage '-1e-300'" + range},
      {"nan", "invalid minimum coverage 'nan'" + range},
      {"inf", "invalid minimum coverage 'inf'" + range},
      {"25%", "invalid minimum coverage '25%'" + form},
      {"", "invalid minimum coverage ''" + form},
      {"abc", "invalid minimum coverage 'abc'" + form},
      {"0x10", "invalid minimum coverage '0x10'" + form},
  };
  for (const auto& c : bad) EXPECT_EQ(parse_min_coverage(c.text).reason(), c.reason);
}

TEST(BandFigures, ShowPercentagesAndShiftsOnTheSideOfTheTruth) {
  const struct {
    std::uint64_t count, total;
    std::optional<double> threshold;
    std::string_view text;
  } percents[] = {
      {47, 47, 25.0, "100%"},
      {43, 85, 25.0, "51%"},
      {399, 400, std::nullopt, "99.8%"},
      {1, 1000, std::nullopt, "0.1%"},
      {0, 9, 25.0, "0%"},
      {249, 1000, 25.0, "24.9%"},
      {250, 1000, 25.0, "25%"},
      {2499, 10000, 25.0, "24.99%"},
      {1, 3, 100.0 / 3.0, "33%"},
      {2, 3, 66.67, "66.667%"},
      {0, 0, 25.0, "0%"},
  };
  for (const auto& c : percents) {
    EXPECT_EQ(percent_text(c.count, c.total, c.threshold), c.text) << c.count << "/" << c.total;
  }
  const struct {
    double shift;
    bool up;
    std::string_view text;
  } shifts[] = {
      {0.0199914, false, "-1.9%"},  {0.5, true, "+50.0%"},   {0.48928, true, "+48.9%"},
      {1.0 - 0.9, false, "-10.0%"}, {0.0999, true, "+9.9%"}, {0.0, true, "+0.0%"},
  };
  for (const auto& c : shifts) EXPECT_EQ(shift_text(c.shift, c.up), c.text) << c.shift;
}

// Margins worked by hand from the windows' edges, c / 4h to c / 2h (and 3c / 4h to c / h):
// - 7.625 mm: 9.829261 to 19.658522 GHz;
// - 12.4914 mm: 5.999977 to 11.999954 GHz, then 17.999931 to 23.999909 GHz;
// - 18.438 mm: 4.064872 to 8.129744 GHz, then 12.194617 to 16.259489 GHz;
// - 8.3 mm: 9.029291 to 18.058582 GHz;
// - 4.7 mm: 15.946407 to 31.892815 GHz.
TEST(BandFigures, MarginsWorkedByHand) {
  const double tall = 7.625e-3, a = 12.4914e-3, b = 18.438e-3, c_fin = 8.3e-3, short_fin = 4.7e-3;
  const struct {
    std::string_view what;
    std::vector<double> heights;
    std::string_view band;
    double percent;
    bool meets;
    double down, up;
  } cases[] = {
      // Down to where the bottom meets the quarter wave; up past the cap.
      {"one fin", {tall}, "10:12", 25.0, true, 1.0 - opens(tall) / 10e9, 0.5},
      // 237 mm opens 17 windows between 5 and 15.15 GHz: the margin counts it capacitive
      // nowhere, though it serves 10-10.1 GHz itself, so 2 of 2 fails at the first shift.
      {"a fin too deep for the margin", {tall, 237e-3}, "10:10.1", 100.0, true, 0.0, 0.0},
      // The top reaches the half wave just before or just after a shift of 50%.
      {"a top that closes inside the cap",
       {tall},
       "10:13.2",
       25.0,
       true,
       1.0 - opens(tall) / 10e9,
       closes(tall) / 13.2e9 - 1.0},
      {"a top that closes past the cap",
       {tall},
       "10:13.1",
       25.0,
       true,
       1.0 - opens(tall) / 10e9,
       0.5},
      // One tall fin of four: 25% exactly meets 25, and the short fins join it above 15.9 GHz.
      {"exactly the threshold",
       {tall, short_fin, short_fin, short_fin},
       "10:12",
       25.0,
       true,
       1.0 - opens(tall) / 10e9,
       0.5},
      {"just above the threshold",
       {tall, short_fin, short_fin, short_fin},
       "10:12",
       std::nextafter(25.0, 100.0),
       false,
       0.0,
       0.0},
      // 12.5-13 GHz has the 8.3 mm fin alone; the 12.4914 mm one holds every frequency
      // down to 6 GHz, below half the band's bottom, and opens its second window above
      // 18 GHz before the 8.3 mm fin closes: both ways reach the cap.
      {"both ways capped", {a, c_fin}, "12.5:13", 25.0, true, 0.5, 0.5},
      // Two of three (60%) hold 10-10.1 GHz; only the 8.3 mm fin holds 12.0-12.19 GHz, and
      // two again from there to 16.26 GHz. The first shift that fails, where the top reaches
      // 12.0 GHz, ends the margin, though shifts from 22% to 50% pass again.
      {"a dip above the band",
       {a, b, c_fin},
       "10:10.1",
       60.0,
       true,
       1.0 - opens(c_fin) / 10e9,
       closes(a) / 10.1e9 - 1.0},
      {"no corrugations", {}, "10:12", 0.0, false, 0.0, 0.0},
      // Capacitive nowhere, but counted.
      {"heights that are no positive numbers",
       {tall, -tall, std::nan("")},
       "10:12",
       33.3,
       true,
       1.0 - opens(tall) / 10e9,
       0.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const BandFigures figures = band_figures(band_of(c.band), c.heights, c.percent);
    EXPECT_EQ(figures.meets, c.meets);
    EXPECT_NEAR(figures.down, c.down, 1e-12);
    EXPECT_NEAR(figures.up, c.up, 1e-12);
    EXPECT_EQ(figures.coverage.corrugations, c.heights.size());
  }
  // The shifts past the dip pass.
  EXPECT_TRUE(band_figures(band_of("13:13.13"), {a, b, c_fin}, 60.0).meets);
  EXPECT_FALSE(band_figures(band_of("12.1:12.221"), {a, b, c_fin}, 60.0).meets);
}

TEST(BandFigures, CountEqualHeightsOnceOrOneByOne) {
  BandJudge judge(band_of("10:12"), 25.0);
  judge.add(7.6477e-3, 40);
  judge.add(4.4986e-3, 42);
  judge.add(7.6477e-3, 3);
  const BandFigures counted = judge.figures();
  std::vector<double> heights(43, 7.6477e-3);
  heights.insert(heights.end(), 42, 4.4986e-3);
  const BandFigures listed = band_figures(band_of("10:12"), heights, 25.0);
  EXPECT_EQ(counted.coverage.fewest, 43u);
  EXPECT_EQ(counted.coverage.corrugations, 85u);
  EXPECT_EQ(counted.capacitive, listed.capacitive);
  EXPECT_EQ(counted.down, listed.down);
  EXPECT_EQ(counted.up, listed.up);
  judge.reset();
  judge.add(7.6477e-3, 0);
  EXPECT_FALSE(judge.figures().meets) << "nothing judged";
}

TEST(BandFigures, TheLineSaysWhatEachFigureIs) {
  const FrequencyBand band = band_of("10:12");
  const std::vector<double> fins(47, 7.6477e-3);
  EXPECT_EQ(figures_text(band, band_figures(band, fins, 25.0), 3.122e-3),
            "band 10-12 GHz: worst 47 of 47 capacitive (100%) at 10.00 GHz, mean 100%, margin "
            "-1.9% / +50.0% at 25%; 8.0 per wavelength at 12.00 GHz");
  // 9 of 100 fins serve the band; the other 91, 6 mm high, open at 12.49 GHz: 9% everywhere,
  // below 12.5%, and no margin. 6 mm is 4.2 to the 24.98 mm wavelength at 12 GHz.
  std::vector<double> few(9, 7.6477e-3);
  few.insert(few.end(), 91, 6.0e-3);
  EXPECT_EQ(figures_text(band, band_figures(band, few, 12.5), 6.0e-3),
            "band 10-12 GHz: worst 9 of 100 capacitive (9%) at 10.00 GHz, mean 9%, no margin at "
            "12.5%; 4.2 per wavelength at 12.00 GHz");
}

// Whether `heights` meet `percent` over `band` shifted by the factor `factor`, judged at the
// shifted band's own frequencies.
bool shifted_meets(const FrequencyBand& band, double factor, const std::vector<double>& heights,
                   double percent) {
  CoverageCounter counter({band.low * factor, band.high * factor});
  for (const double height : heights) counter.add_samples(height);
  return meets_percent(counter.summary().fewest, heights.size(), percent);
}

// The exact margin against a search of every shift a hundredth of a percent apart: every
// shift below the margin passes, and the band shifted a billionth beyond it fails (unless
// the margin is the cap).
TEST(BandFigures, TheMarginIsWhereAFineSearchOfShiftsFirstFails) {
  std::mt19937_64 random(22);
  std::uniform_real_distribution<double> height_mm(3.0, 15.0), bottom(5.0, 20.0), width(0.05, 0.6);
  const double thresholds[] = {10.0, 25.0, 50.0, 75.0};
  int searched = 0;
  for (int trial = 0; trial < 40; ++trial) {
    std::vector<double> heights;
    const int count = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < count; ++i) heights.push_back(height_mm(random) * 1e-3);
    const double low = bottom(random);
    const FrequencyBand band{low * 1e9, low * (1.0 + width(random)) * 1e9};
    const double percent = thresholds[random() % 4];
    const BandFigures figures = band_figures(band, heights, percent);
    if (!figures.meets) continue;
    ++searched;
    SCOPED_TRACE("trial " + std::to_string(trial));
    for (const bool up : {false, true}) {
      const double margin = up ? figures.up : figures.down;
      const double sign = up ? 1.0 : -1.0;
      for (int step = 1; step * 1e-4 < margin - 1e-9; ++step) {
        ASSERT_TRUE(shifted_meets(band, 1.0 + sign * step * 1e-4, heights, percent))
            << (up ? "up " : "down ") << step * 1e-4 << " below the margin " << margin;
      }
      if (margin < most_shift) {
        EXPECT_FALSE(shifted_meets(band, 1.0 + sign * (margin + 1e-9), heights, percent))
            << (up ? "up " : "down ") << "just past the margin " << margin;
      }
    }
  }
  EXPECT_GE(searched, 15);
}

}  // namespace
}  // namespace hornwall
