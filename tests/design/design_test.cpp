#include "hornwall/design/design.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "hornwall/design/command_line.hpp"
#include "hornwall/view/corrugations.hpp"
#include "hornwall/view/view.hpp"
#include "test_support.hpp"
#include "wall_rules.hpp"
#include "written_wall.hpp"

namespace hornwall::design {
namespace {

struct DesignRun {
  int status = 0;
  std::string out;
  std::string err;
};

DesignRun design(std::vector<std::string> arguments) {
  std::ostringstream out, err;
  DesignRun run;
  run.status = run_design(arguments, {out, err});
  run.out = out.str();
  run.err = err.str();
  return run;
}

// The request of a 150 mm wall of 60 to 20 mm radius, and `more`, which may repeat an
// option to change it.
std::vector<std::string> wall(std::string_view program, std::vector<std::string> more) {
  std::vector<std::string> arguments{
      std::string(program), "--aperture-radius", "60", "--final-radius", "20", "--length", "150"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

// The lines of `text` that state a band's coverage, as hornwall_view's summary has them.
std::string band_lines(const std::string& text) {
  std::istringstream lines(text);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("  band ")) kept += line + "\n";
  }
  return kept;
}

// The request of `arguments` (after the wall's name), as the command line reads it.
Request request_of(std::vector<std::string> arguments) {
  const Result<Invocation> read = parse_design_command_line(arguments);
  EXPECT_TRUE(read.ok()) << read.reason();
  return read.ok() ? read.value().request : Request{};
}

TEST(Design, WorksTheTenToTwelveGigahertzWallByHand) {
  // h = c / (4 x 10 GHz x 0.98) = 7.64777 mm, rounded up to 7.6478; p = (c / 12 GHz) / 8 =
  // 3.1228 mm, to 3.122; CT = p / 5 = 0.6244 mm; (150 - 3.122 - 0.6244) / 3.122 + 1 = 47
  // corrugations.
  const DesignRun run = design(wall("corr", {"--band", "10:12"}));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "1                corrugation type, single band: --band 10:12 (quarter wave, 2% "
            "margin)\n"
            "horn.zul\n"
            "60.0             horn aperture outer radius RW1 (mm)\n"
            "3                units: 1 in, 2 ft, 3 mm, 4 m\n"
            "0.0              initial outer Z position ZW1, behind the aperture plane (mm)\n"
            "20.0             radius of final corrugation RW2 (mm)\n"
            "147.35           end of corrugations Z position ZW2, far face of the last one (mm)\n"
            "47               number of corrugations NCORR, variable and remaining together\n"
            "0.6244           corrugation thickness CT, axial (mm)\n"
            "3.122            Z distance to first corrugation D1, to its near face (mm)\n"
            "2                number of variable corrugations NVAR (at most 7)\n"
            "7.6478           variable corrugation 1: height C1 (mm)\n"
            "2.4976           variable corrugation 2: gap D2 from the far face of 1 (mm)\n"
            "7.6478           variable corrugation 2: height C2 (mm)\n"
            "7.6478 7.6478    remaining corrugation heights: first CD1, last CD2 (mm)\n");
  EXPECT_NE(run.err.find("  height 7.6478 mm (0.255 wavelengths at 10.0 GHz)\n"
                         "  pitch 3.122 mm, thickness 0.6244 mm, slot 2.4976 mm\n"),
            std::string::npos)
      << run.err;
}

TEST(Design, GivesOddCorrugationsToTheLowerBandAndGrowsAPitchTooNarrowForItsSlot) {
  // Both walls, bands given upper first: C1, C3 and the first taper serve 10-12 GHz
  // (7.6478 mm), C2, C4 and the second 17-20 GHz (c / (4 x 17 GHz x 0.98) = 4.49869 mm, up).
  for (const std::string_view program : {"corr", "sinecorr"}) {
    const DesignRun dual =
        design(wall(program, {"--band", "17:20", "--band", "10:12", "--variable", "4"}));
    EXPECT_EQ(dual.status, 0) << dual.err;
    for (const std::string_view line : {
             "2                corrugation type, dual band: --band 10:12 --band 17:20 (quarter "
             "waves, 2% margin)\n",
             "7.6478           variable corrugation 1: height C1 (mm)\n",
             "4.4987           variable corrugation 2: height C2 (mm)\n",
             "7.6478           variable corrugation 3: height C3 (mm)\n",
             "4.4987           variable corrugation 4: height C4 (mm)\n",
             "7.6478 7.6478    first band (odd) remaining heights: first CD1, last CD2 (mm)\n",
             "4.4987 4.4987    second band (even) remaining heights: first CD3, last CD4 (mm)\n",
         }) {
      EXPECT_NE(dual.out.find(line), std::string::npos) << program << ": " << line;
    }
  }
  const DesignRun grown = design(wall("corr", {"--band", "30:40"}));
  EXPECT_NE(grown.err.find("  pitch 1.0 mm (grown from 0.9368 mm so that the slot beside the "
                           "minimum thickness is half the pitch), thickness 0.5 mm"),
            std::string::npos)
      << grown.err;
  const DesignRun fits = design(wall("corr", {"--band", "10:12", "--band", "13:14"}));
  EXPECT_NE(fits.err.find("both bands fit one window"), std::string::npos);
}

// The request of a ridged wall of 55 mm aperture radius, 2 mm thick under its first ridge
// and 4 mm behind its last, 120 mm long, and `more`.
std::vector<std::string> ridges(std::vector<std::string> more) {
  std::vector<std::string> arguments{"thickcorr", "--aperture-radius", "55", "--length",
                                     "120",       "--wall-thickness",  "2:4"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST(Design, WorksTheRidgedWallAndTheRippleByHand) {
  // Ridges as corr's fins, 7.6478 mm high, 3.122 mm apart and 0.6244 mm thick; a ridge a
  // pitch apart, and after the last a slot before the wall ends: (120 - 3.122 - 3.122) /
  // 3.122 + 1 = 37 ridges, NC = 36; LC = 36 x 3.122 = 112.392, cut to 112.39; the wall ends
  // 120 - 3.122 = 116.878 behind ridge 0's front face, cut to 116.87: FL = 116.87 - 112.39
  // - 0.6244 = 3.8556. AT is WT1 and FT is WT2.
  const DesignRun thick = design(ridges({"--band", "10:12"}));
  EXPECT_EQ(thick.status, 0) << thick.err;
  EXPECT_EQ(thick.out,
            "1                corrugation type, single band: --band 10:12 (quarter wave, 2% "
            "margin)\n"
            "horn.zul\n"
            "55.0             horn aperture radius RA (mm)\n"
            "3                units: 1 in, 2 ft, 3 mm, 4 m\n"
            "2.0              aperture wall thickness AT (mm)\n"
            "3.122            distance ZI to the front face of corrugation 0 (mm)\n"
            "2.0 4.0          wall thicknesses: WT1 under the first, WT2 behind the last "
            "corrugation (mm)\n"
            "112.39 36        length of corrugations LC (mm), number NC after corrugation 0\n"
            "0.6244           corrugation thickness CT, axial (mm)\n"
            "7.6478 7.6478    corrugation heights: first CD1, last CD2 (mm)\n"
            "3.8556 4.0       final wall: length FL behind the last corrugation, thickness FT "
            "(mm)\n");
  EXPECT_NE(thick.err.find("  pitch 3.122 mm, thickness 0.6244 mm, slot 2.4976 mm\n"
                           "  37 corrugations, the first at 3.122 mm, the last ending at 116.136 "
                           "mm, the final wall at 119.992 mm\n"),
            std::string::npos)
      << thick.err;

  // A period of the ripple to a pitch: (150 - 3.122 - 3.122) / 3.122 + 1 = 47 periods of
  // 12 points, NPTS = 47 x 12 + 1 = 565; SPL = 47 x 3.122 = 146.734, cut to 146.73; the
  // wall ends at the length, ZW2. A ripple's peak-to-trough height HT is the quarter wave.
  // The first line is the object file's name: the band goes on RW1's line.
  const DesignRun ripple = design(
      wall("spline", {"--band", "10:12", "--aperture-radius", "60", "--final-radius", "20"}));
  EXPECT_EQ(ripple.status, 0) << ripple.err;
  EXPECT_EQ(ripple.out,
            "horn.zul\n"
            "60.0             horn aperture outer radius RW1 (mm), single band: --band 10:12 "
            "(quarter wave, 2% margin)\n"
            "3                units: 1 in, 2 ft, 3 mm, 4 cm, 5 m\n"
            "0.0              initial outer Z position ZW1, behind the aperture plane (mm)\n"
            "20.0             radius of final outer wall RW2 (mm)\n"
            "150.0            end of outer wall Z position ZW2, positive (mm)\n"
            "47 565           number of sinusoids NSIN (whole periods), total number of points "
            "NPTS\n"
            "7.6478           sinusoid total height HT, peak to trough (mm)\n"
            "3.122            Z distance to sinusoid D1, where the ripple starts (mm)\n"
            "146.73           Z length of sinusoid SPL, axial length of the ripple (mm)\n");
  EXPECT_NE(ripple.err.find("  47 ripple periods (NSIN), the first at 3.122 mm, the last ending "
                            "at 149.852 mm, the wall at 150.0 mm (ZW2)\n"),
            std::string::npos)
      << ripple.err;
}

TEST(Design, StandsASecondRowOfRidgesHalfTheFirstRowsSpacingBehindIt) {
  // The second row stands H behind each first-row ridge's back face: ridges alternately
  // H - CT and H + CT apart, the narrower slot H - 2 CT. At 20 GHz the pitch, the wider,
  // is 1.873 mm, and a fifth of it is below the minimum thickness of 0.5 mm; a slot of
  // half its pitch beside 0.5 mm ridges needs H = 3 CT: the pitch grows to 4 CT = 2.0 mm,
  // H = 1.5 mm. Pairs of ridges 2 H = 3.0 mm apart, the last pair taking 2 pitches (its
  // ridges and a slot of H): (150 - 2 - 4) / 3 + 1 = 49 pairs, NC = 48, LC = 144; FL =
  // 150 - 2 - 144 - 0.5.
  const DesignRun dual =
      design({"thickcorr", "--band", "17:20", "--band", "10:12", "--aperture-radius", "60",
              "--wall-thickness", "2:3.5", "--length", "150"});
  EXPECT_EQ(dual.status, 0) << dual.err;
  for (const std::string_view line : {
           "2                corrugation type, dual band: --band 10:12 --band 17:20 (quarter "
           "waves, 2% margin)\n",
           "2.0              distance ZI to the front face of corrugation 0 (mm)\n",
           "144.0 48         length of corrugations LC (mm), number NC after corrugation 0\n",
           "0.5              corrugation thickness CT, axial (mm)\n",
           "7.6478 7.6478    first row heights: first CD1, last CD2 (mm)\n",
           "4.4987 4.4987    second row heights: first CD3, last CD4 (mm)\n",
           "3.5 3.5          final wall: length FL behind the last corrugation, thickness FT "
           "(mm)\n",
       }) {
    EXPECT_NE(dual.out.find(line), std::string::npos) << line << dual.out;
  }
  EXPECT_NE(dual.err.find("  pitch 2.0 mm (grown from 1.873 mm so that the slot beside the "
                          "minimum thickness is half the pitch), thickness 0.5 mm, slots 1.5 "
                          "and 0.5 mm, each row's ridges 3.0 mm apart\n"
                          "  98 corrugations, the first at 2.0 mm, the last ending at 148.5 mm, "
                          "the final wall at 150.0 mm\n"),
            std::string::npos)
      << dual.err;
}

// Each rule of the ridged wall and the ripple at its edge: the limit accepted and one past
// it refused.
TEST(Design, HoldsTheRidgesAndTheRippleToTheirEdges) {
  const std::vector<std::string> dual = {
      "thickcorr", "--band",           "10:12", "--band", "17:20", "--aperture-radius",
      "60",        "--wall-thickness", "2"};
  const auto with = [](std::vector<std::string> arguments, std::vector<std::string> more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  };
  const struct {
    std::vector<std::string> arguments;
    std::string answer_line;  // of a design
    std::string refusal;      // of a request refused
  } cases[] = {
      // Two rows need two first-row ridges, for H: a pair takes 2 pitches (4 mm) after the
      // first distance (2 mm), a second pair 3 mm more.
      {with(dual, {"--length", "9"}),
       "3.0 1            length of corrugations LC (mm), number NC after corrugation 0\n", ""},
      {with(dual, {"--length", "8.99"}), "",
       "hornwall_design: no room for the four corrugations of two rows of ridges: the wall is "
       "8.99 mm long\n"},
      // Two rows need a pitch of 4 CT within a fifth of the wavelength at 20 GHz, 2.9979 mm;
      // one row, 2 CT. Lengths take 4 digits, the pitch rounded up: 4 x 0.7495 = 2.998.
      {with(dual, {"--length", "100", "--min-thickness", "0.749"}),
       "0.749            corrugation thickness CT, axial (mm)\n", ""},
      {with(dual, {"--length", "100", "--min-thickness", "0.7495"}), "",
       "hornwall_design: no pitch up to a fifth of the wavelength at 20 GHz (2.997 mm) leaves "
       "a slot of half the pitch beside the minimum thickness of 0.7495 mm\n"},
      {ridges({"--band", "17:20", "--min-thickness", "0.7495"}),
       "0.7495           corrugation thickness CT, axial (mm)\n", ""},
      // The wall thickens by (WT2 - WT1) / 36 behind each ridge: by 7.6478 mm, as high as
      // the ridges stand, their back faces would not come down.
      {ridges({"--band", "10:12", "--wall-thickness", "1:275.96"}),
       "1.0 275.96       wall thicknesses: WT1 under the first, WT2 behind the last corrugation "
       "(mm)\n",
       ""},
      {ridges({"--band", "10:12", "--wall-thickness", "1:276.3208"}), "",
       "hornwall_design: the wall thickens by 7.6478 mm behind each corrugation, at least the "
       "height of the lowest of them, 7.6478 mm: their back faces would not come down; give "
       "wall thicknesses nearer each other or a longer wall\n"},
      // The ripple ends, with the 5 digits of SPL, at or before the wall's end, which the
      // object file holds with 5: 3.122 + 146.73 = 149.852 mm is beyond 149.85, the end of
      // a wall 149.856 mm long, which takes 46 periods.
      {wall("spline", {"--band", "10:12", "--length", "149.86"}),
       "47 565           number of sinusoids NSIN (whole periods), total number of points "
       "NPTS\n",
       ""},
      {wall("spline", {"--band", "10:12", "--length", "149.856"}),
       "46 553           number of sinusoids NSIN (whole periods), total number of points "
       "NPTS\n",
       ""},
      {wall("spline", {"--band", "10:12", "--length", "6.244"}),
       "1 13             number of sinusoids NSIN (whole periods), total number of points "
       "NPTS\n",
       ""},
      // A million points, as many as corrugations, at most: 250 000 periods of 4 from 10 mm
      // on take one more; 249 999, whose points the 6 digits of ZS cannot tell apart, are
      // refused for that.
      {wall("spline", {"--band", "10:12", "--points", "4", "--first", "10", "--length", "780510"}),
       "",
       "hornwall_design: the ripple takes 1000001 points (NPTS), more than the 1000000 a design "
       "may have: shorten the wall or lower --per-wavelength or --points\n"},
      {wall("spline", {"--band", "10:12", "--points", "4", "--first", "10", "--length", "780507"}),
       "",
       "hornwall_design: hornwall_view would find 36108 corrugations on the wall as written, not "
       "the 249999 designed: it tells apart only what lies more than 0.7805 mm apart, a millionth "
       "of the wall's largest coordinate, 780500 mm\n"},
      {wall("spline", {"--band", "10:12", "--length", "6.2439"}), "",
       "hornwall_design: no room for one corrugation: the first stands 3.122 mm behind the "
       "aperture and takes 3.122 mm, but the wall is 6.2439 mm long\n"},
  };
  for (const auto& c : cases) {
    const DesignRun run = design(c.arguments);
    if (c.refusal.empty()) {
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_NE(run.out.find(c.answer_line), std::string::npos) << c.answer_line << run.out;
    } else {
      EXPECT_EQ(run.status, 1) << c.refusal;
      EXPECT_EQ(run.err, c.refusal);
    }
  }
}

TEST(Design, RefusesWhatCannotBeBuiltAndWhatIsMistyped) {
  const std::string usage = std::string(design_usage());
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string err;
  } cases[] = {
      {wall("corr", {"--band", "10:12", "--length", "2"}), 1,
       "hornwall_design: no room for one corrugation: the first stands 3.122 mm behind the "
       "aperture and takes 0.6244 mm, but the wall is 2 mm long\n"},
      // 3.122 + 0.6244 + 1 000 000 x 3.122: one pitch more than a million corrugations take.
      {wall("corr", {"--band", "10:12", "--length", "3122003.7464"}), 1,
       "hornwall_design: the wall holds 1000001 corrugations at the pitch of 3.122 mm, more "
       "than the 1000000 a design may have: shorten the wall or lower --per-wavelength\n"},
      {wall("corr", {"--band", "10:12", "--length", "3.2e6"}), 1,
       "hornwall_design: the wall holds 1024983 corrugations at the pitch of 3.122 mm, more "
       "than the 1000000 a design may have: shorten the wall or lower --per-wavelength\n"},
      {wall("sinecorr", {"--band", "10:12", "--band", "17:20", "--length", "1e12"}), 1,
       "hornwall_design: the wall holds 533902829683 corrugations at the pitch of 1.873 mm, more "
       "than the 1000000 a design may have: shorten the wall or lower --per-wavelength\n"},
      {wall("sinecorr", {"--band", "10:12", "--per-wavelength", "1e308"}), 1,
       "hornwall_design: the wall holds more than 1.8e308 corrugations at the pitch of "
       "2.498e-307 mm, more than the 1000000 a design may have: shorten the wall or "
       "lower --per-wavelength\n"},
      {wall("corr", {"--band", "38:40", "--min-thickness", "1"}), 1,
       "hornwall_design: no pitch up to a fifth of the wavelength at 40 GHz (1.498 mm) leaves a "
       "slot of half the pitch beside the minimum thickness of 1 mm\n"},
      {wall("corr", {"--band", "10:12", "--band", "11:13"}), 1,
       "hornwall_design: bands 10-12 GHz and 11-13 GHz overlap: a dual band needs two bands "
       "apart\n"},
      {wall("corr", {"--band", "10:12", "--band", "12:14"}), 1,
       "hornwall_design: bands 10-12 GHz and 12-14 GHz overlap: a dual band needs two bands "
       "apart\n"},
      {wall("corr", {"--band", "10:25"}), 1,
       "hornwall_design: band 10-25 GHz is wider than one capacitive window: corrugations a "
       "quarter wave deep at 9.8 GHz serve up to twice that, 19.6 GHz, below the band's top; "
       "use --taper to taper the heights over the band\n"},
      // Exactly the window's 2:1: its top is where the window closes.
      {wall("sinecorr", {"--band", "10:19.6"}), 1,
       "hornwall_design: band 10-19.6 GHz is wider than one capacitive window: corrugations a "
       "quarter wave deep at 9.8 GHz serve up to twice that, 19.6 GHz, below the band's top; "
       "use --taper to taper the heights over the band\n"},
      // Below the window's top as the quarter wave gives it, above it as the height,
      // rounded up to 7.6478 mm, gives it: c / (2 x 7.6478 mm) = 19.59991 GHz.
      {wall("corr", {"--band", "10:19.59995"}), 1,
       "hornwall_design: band 10-19.59995 GHz: worst 0 of 78 capacitive (0%) at 19.60 GHz on "
       "the wall as written, below --min-coverage 25%, which needs 20 of 78: the band reaches "
       "too near the top of their window; narrow the band or lower --margin\n"},
      {wall("corr", {"--band", "10:12", "--band", "17:20", "--one-set"}), 1,
       "hornwall_design: bands 10-12 GHz and 17-20 GHz do not fit one window: corrugations for "
       "10-12 GHz serve up to 19.6 GHz\n"},
      // A taper over a decade serves its ends with (c / 2 fmax - h2) / (h1 - h2) of its
      // corrugations, h2 = c / (4 x 10 GHz x 0.98) = 7.64777 mm and h1 = c / 4 GHz +
      // c / 20 GHz - h2 = 82.2900 mm: (14.9896 - 7.64777) / 74.6422 = 9.8%, however many.
      {wall("corr", {"--band", "1:10", "--taper", "--length", "20"}), 1,
       "hornwall_design: band 1-10 GHz: worst 0 of 5 capacitive (0%) at 7.30 GHz on the wall as "
       "written, below --min-coverage 25%, which needs 2 of 5: a taper over this band serves "
       "each of its ends with about 9.8% of its corrugations; narrow the band or lower "
       "--min-coverage\n"},
      {wall("corr", {"--band", "1:10", "--taper", "--length", "2000"}), 1,
       "hornwall_design: band 1-10 GHz: worst 53 of 533 capacitive (10%) at 1.00 GHz on the "
       "wall as written, below --min-coverage 25%, which needs 134 of 533: a taper over this "
       "band serves each of its ends with about 9.8% of its corrugations; narrow the band or "
       "lower --min-coverage\n"},
      // Two corrugations 13.61 and 6.373 mm high leave 11.02 to 11.76 GHz to none: more
      // would share the taper.
      {wall("corr", {"--band", "10:12", "--taper", "--length", "8"}), 1,
       "hornwall_design: band 10-12 GHz: worst 0 of 2 capacitive (0%) at 11.02 GHz on the wall "
       "as written, below --min-coverage 25%, which needs 1 of 2: too few corrugations share "
       "the taper to serve every frequency between its ends; lengthen the wall or raise "
       "--per-wavelength\n"},
      // A quarter wave at 1e-37 GHz is beyond single precision in millimetres.
      {wall("corr", {"--band", "1e-37:1.1e-37", "--band", "1:1.1"}), 1,
       "hornwall_design: C1 would be 7.6478e+38 mm, more than the generators read, "
       "3.4028235e+38\n"},
      // The largest radius that reads is read; beside it the corrugations vanish.
      {wall("sinecorr", {"--band", "10:12", "--aperture-radius", "3.4028235e38"}), 1,
       "hornwall_design: hornwall_view would find 0 corrugations on the wall as written, not "
       "the 47 designed: it tells apart only what lies more than 3.4028e+32 mm "
       "apart, a millionth of the wall's largest coordinate, 3.4028e+38 mm\n"},
      // 100 m of sine corrugations of 98 points: the points lie closer in z than a
      // millionth of the wall's length, the viewer takes their steps for radial faces, and
      // a rising face ends where the steps near the crest grow smaller than it tells apart.
      {wall("sinecorr", {"--band", "10:12", "--points", "98", "--length", "1e5"}), 1,
       "hornwall_design: hornwall_view would measure corrugation 2 of the wall as written "
       "6.88998 mm high, not 7.6478 mm: it tells apart only what lies more than 0.099997 mm "
       "apart, a millionth of the wall's largest coordinate, 99997 mm\n"},
      // The viewer's tolerance comes from the whole file: a ripple beside a wall that
      // starts at a radius of 1e7 mm is too low for it to see.
      {wall("spline", {"--band", "10:12", "--aperture-radius", "1e7", "--final-radius", "1",
                       "--length", "1000", "--first", "980"}),
       1,
       "hornwall_design: hornwall_view would find 0 corrugations on the wall as written, not "
       "the 6 designed: it tells apart only what lies more than 10 mm apart, a millionth of the "
       "wall's largest coordinate, 1e+07 mm\n"},
      {wall("corr", {"--band", "10:12", "--aperture-radius", "3.4028236e38"}), 2,
       usage + "hornwall_design: invalid value '3.4028236e38' for option '--aperture-radius': a "
               "length of at most 3.4028235e+38, the largest the generators read\n"},
      {wall("sinecorr", {"--band", "10:12", "--first", "3.5e38"}), 2,
       usage + "hornwall_design: invalid value '3.5e38' for option '--first': a length of at "
               "most 3.4028235e+38, the largest the generators read\n"},
      {wall("corr", {"--band", "10:12", "--unit", "cm"}), 2,
       usage + "hornwall_design: hornwall_corr has no unit 'cm': its units are in, ft, mm and m\n"},
      {wall("flat", {"--band", "10:12"}), 2,
       usage + "hornwall_design: unknown wall 'flat': corr, sinecorr, thickcorr or spline\n"},
      // The object file's name is one line of the answers: a line end would split it.
      {wall("corr", {"--band", "10:12", "-o", "a\nb.answers"}), 2,
       usage + "hornwall_design: the answers would name the object file 'a\\x0ab.zul', and a "
               "name in an answers file ends at the line's end: give -o a name without a line "
               "end\n"},
      {wall("corr", {"--band", "10:12", "-o", "a\rb.answers"}), 2,
       usage + "hornwall_design: the answers would name the object file 'a\\x0db.zul', and a "
               "name in an answers file ends at the line's end: give -o a name without a line "
               "end\n"},
      // The generators read the name without the blanks that begin it.
      {wall("corr", {"--band", "10:12", "-o", " lead.answers"}), 2,
       usage + "hornwall_design: the answers would name the object file ' lead.zul', and the "
               "generators read a name without the blanks that begin it: give -o a name that "
               "begins with no blank\n"},
      {wall("sinecorr", {"--band", "10:12", "--points", "2"}), 2,
       usage + "hornwall_design: invalid value '2' for option '--points': an even number from 4 "
               "to 98, so that a point stands on every crest\n"},
      {wall("sinecorr", {"--band", "10:12", "--points", "100"}), 2,
       usage + "hornwall_design: invalid value '100' for option '--points': an even number from "
               "4 to 98, so that a point stands on every crest\n"},
      {wall("corr", {"--band", "10:12", "--slot-ratio", "0"}), 2,
       usage + "hornwall_design: invalid value '0' for option '--slot-ratio': a part above 0 and "
               "below 1\n"},
      {wall("corr", {"--band", "10:12", "--slot-ratio", "1"}), 2,
       usage + "hornwall_design: invalid value '1' for option '--slot-ratio': a part above 0 and "
               "below 1\n"},
      {wall("corr", {"--band", "10:12", "--margin", "0"}), 2,
       usage + "hornwall_design: invalid value '0' for option '--margin': a part above 0 and "
               "below 0.5\n"},
      {wall("corr", {"--band", "10:12", "--margin", "0.5"}), 2,
       usage + "hornwall_design: invalid value '0.5' for option '--margin': a part above 0 and "
               "below 0.5\n"},
      {wall("corr", {"--band", "10:12", "--one-set"}), 2,
       usage + "hornwall_design: option '--one-set' goes with two bands\n"},
      {wall("corr", {"--band", "10:12", "--band", "17:20", "--taper"}), 2,
       usage + "hornwall_design: option '--taper' goes with one band\n"},
      {{"corr", "--band", "10:12"},
       2,
       usage + "hornwall_design: option '--aperture-radius' is needed\n"},
      {wall("corr", {}), 2,
       usage + "hornwall_design: no band given: --band F1:F2 (GHz), once or twice\n"},
      {wall("corr", {"--band", "1:2", "--band", "3:4", "--band", "5:6"}), 2,
       usage + "hornwall_design: option '--band' may be given at most twice, for two bands\n"},
      {wall("corr", {"--band", "10:12", "--band", "17:20", "--variable", "3"}), 2,
       usage + "hornwall_design: option '--variable' must be even with two bands, so that the "
               "corrugations keep alternating\n"},
      {wall("corr", {"--band", "10:12", "--variable", "8"}), 2,
       usage + "hornwall_design: invalid value '8' for option '--variable': from 1 to 7\n"},
      {wall("corr", {"--band", "10:12", "--variable", "0"}), 2,
       usage + "hornwall_design: invalid value '0' for option '--variable': from 1 to 7\n"},
      {wall("corr", {"--band", "10:12", "--min-coverage", "100.5"}), 2,
       usage + "hornwall_design: invalid minimum coverage '100.5': it must lie from 0 to 100 "
               "percent\n"},
      {wall("corr", {"--band", "10:12", "--min-coverage", "25%"}), 2,
       usage + "hornwall_design: invalid minimum coverage '25%': write a percentage from 0 to "
               "100, a number alone (25, 12.5)\n"},
      {wall("corr", {"--band", "10:12", "--per-wavelength", "4"}), 2,
       usage + "hornwall_design: invalid value '4' for option '--per-wavelength': at least 5 "
               "(the band check warns below 5)\n"},
      {wall("sinecorr", {"--band", "10:12", "--points", "7"}), 2,
       usage + "hornwall_design: invalid value '7' for option '--points': an even number from 4 "
               "to 98, so that a point stands on every crest\n"},
      {wall("corr", {"--band", "10:12", "--length", "-5"}), 2,
       usage + "hornwall_design: invalid value '-5' for option '--length': a length above zero\n"},
      // Each wall takes the options its generator has a question for.
      {wall("spline", {"--band", "10:12", "--band", "17:20"}), 2,
       usage + "hornwall_design: hornwall_spline has no dual band: give one band, or two that "
               "one set of corrugations serves with --one-set\n"},
      {wall("spline", {"--band", "10:25", "--taper"}), 2,
       usage + "hornwall_design: option '--taper' is for corr, sinecorr and thickcorr only\n"},
      {wall("sinecorr", {"--band", "10:12", "--wall-thickness", "2"}), 2,
       usage + "hornwall_design: option '--wall-thickness' is for thickcorr only\n"},
      {ridges({"--band", "10:12", "--final-radius", "20"}), 2,
       usage + "hornwall_design: option '--final-radius' is for corr, sinecorr and spline only\n"},
      {ridges({"--band", "10:12", "--variable", "2"}), 2,
       usage + "hornwall_design: option '--variable' is for corr and sinecorr only\n"},
      {ridges({"--band", "10:12", "--points", "12"}), 2,
       usage + "hornwall_design: option '--points' is for sinecorr and spline only\n"},
      {{"thickcorr", "--band", "10:12", "--aperture-radius", "55", "--length", "120"},
       2,
       usage + "hornwall_design: option '--wall-thickness' is needed for thickcorr\n"},
      {{"spline", "--band", "10:12", "--aperture-radius", "55", "--length", "120"},
       2,
       usage + "hornwall_design: option '--final-radius' is needed for spline\n"},
      {ridges({"--band", "10:12", "--unit", "cm"}), 2,
       usage + "hornwall_design: hornwall_thickcorr has no unit 'cm': its units are in, ft, mm "
               "and m\n"},
      {ridges({"--band", "10:12", "--wall-thickness", "2:"}), 2,
       usage + "hornwall_design: invalid value '' for option '--wall-thickness': a length above "
               "zero\n"},
      {ridges({"--band", "10:12", "--wall-thickness", "0:2"}), 2,
       usage + "hornwall_design: invalid value '0' for option '--wall-thickness': a length above "
               "zero\n"},
  };
  for (const auto& c : cases) {
    const DesignRun run = design(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
}

TEST(Design, AcceptsEachLimitItselfAndWritesWhatItAsks) {
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> lines;  // lines of the answers file
  } cases[] = {
      // A hair below the window's top, and a hair apart.
      {wall("corr", {"--band", "10:19.599"}),
       {"7.6478           variable corrugation 1: height C1 (mm)\n"}},
      // The slot takes 0.7 of the pitch: CT = 0.3 x 3.122.
      {wall("corr", {"--band", "10:12", "--slot-ratio", "0.7"}),
       {"0.9366           corrugation thickness CT, axial (mm)\n"}},
      // One set serves both bands: an odd --variable is then no dual band's.
      {wall("corr", {"--band", "10:11", "--band", "12:13", "--one-set", "--variable", "3"}),
       {"3                number of variable corrugations NVAR (at most 7)\n"}},
      // T2 is T1 unless given.
      {ridges({"--band", "10:12", "--wall-thickness", "3"}),
       {"3.0 3.0          wall thicknesses: WT1 under the first, WT2 behind the last corrugation "
        "(mm)\n"}},
      // The bottom's taper height (8.844 mm) would lie below the top's (13.4925 mm): a taper
      // is never shallower at the aperture.
      {wall("corr", {"--band", "10:10.1", "--taper", "--margin", "0.45"}),
       {"13.493           variable corrugation 1: height C1 (mm)\n",
        "13.493 13.493    remaining corrugation heights: first CD1, last CD2 (mm)\n"}},
      // The least thickness is 0.5 mm in the wall's unit: 0.019685 in, up to 0.01969.
      {{"corr", "--band", "30:40", "--unit", "in", "--aperture-radius", "2", "--final-radius", "1",
        "--length", "6"},
       {"0.01969          corrugation thickness CT, axial (in)\n"}},
      {wall("corr", {"--band", "10:12", "--band", "12.001:14"}),
       {"2                corrugation type, dual band: --band 10:12 --band 12.001:14 (quarter "
        "waves, 2% margin)\n"}},
      // At 24 GHz a fifth of the pitch is 0.3123 mm: the minimum thickness rules, rounded
      // up to the 4 digits of a length; one of 4 digits stays.
      {wall("corr", {"--band", "20:24", "--min-thickness", "0.55555"}),
       {"0.5556           corrugation thickness CT, axial (mm)\n"}},
      {wall("corr", {"--band", "20:24", "--min-thickness", "0.5555"}),
       {"0.5555           corrugation thickness CT, axial (mm)\n"}},
      // The first corrugation 5 mm behind the aperture: (150 - 5 - 0.6244) / 3.122 + 1 = 47
      // corrugations, the last ending at 5 + 46 x 3.122 + 0.6244 = 149.2364 mm, cut to 5
      // digits.
      {wall("corr", {"--band", "10:12", "--first", "5"}),
       {"5.0              Z distance to first corrugation D1, to its near face (mm)\n",
        "47               number of corrugations NCORR, variable and remaining together\n",
        "149.23           end of corrugations Z position ZW2, far face of the last one (mm)\n"}},
      {wall("sinecorr", {"--band", "10:12", "--first", "5"}),
       {"5.0              Z distance to first corrugation D1 (mm)\n",
        "46               number of corrugations NCORR, variable and remaining together\n"}},
      // A fifth of the wavelength at the top is 1.4999999999 mm: the pitch goes down to
      // 1.499, not to 1.5, a hair too wide for 5 corrugations per wavelength.
      {wall("corr", {"--band", "30:39.97232774", "--per-wavelength", "5"}),
       {"1.499            Z distance to first corrugation D1, to its near face (mm)\n"}},
      // Radii of 3e6 mm: the viewer tells rho apart to 3 mm, but z to the digits of z, and
      // the base line's step over each slot is no radial face.
      {wall("corr", {"--band", "10:12", "--aperture-radius", "3e6", "--final-radius", "3.001e6"}),
       {"7.6478 7.6478    remaining corrugation heights: first CD1, last CD2 (mm)\n"}},
      // Three corrugations of two bands: of the four variable ones asked for, two, so that
      // the third, remaining, takes the first taper and serves the lower band.
      {wall("corr", {"--band", "10:12", "--band", "17:20", "--variable", "4", "--length", "6.2"}),
       {"3                number of corrugations NCORR, variable and remaining together\n",
        "2                number of variable corrugations NVAR (at most 7)\n"}},
      // 3.122 + 0.6244 + 999 999 x 3.122 mm: exactly a million corrugations.
      {wall("corr", {"--band", "10:12", "--length", "3122000.6244"}),
       {"1000000          number of corrugations NCORR, variable and remaining together\n"}},
      // Tapered over 8-20 GHz, 79 corrugations 1.873 mm apart, the last the quarter wave at
      // 20 GHz, c / (4 x 20 GHz x 0.98) = 3.82388 mm (up, 3.8239); C1 as far beyond the
      // quarter wave at 8 GHz, 9.36851 mm, as that lies within the half wave at 20 GHz,
      // 7.49481 mm: 9.36851 + 7.49481 - 3.82388 = 13.03944, up; CD1 (the third) lies 2/78
      // of the way down: 13.03944 - 9.21556 x 2 / 78 = 12.80315, up. sinecorr's taper stops
      // a step short of CD2 over its 77 remaining corrugations: 12.804 + (3.8239 - 12.804) x
      // 77 / 76 = 3.70574, up.
      {wall("corr", {"--band", "8:20", "--taper"}),
       {"13.04            variable corrugation 1: height C1 (mm)\n",
        "12.804 3.8239    remaining corrugation heights: first CD1, last CD2 (mm)\n"}},
      {wall("sinecorr", {"--band", "8:20", "--taper"}),
       {"13.04            variable corrugation 1: height C1 (mm)\n",
        "12.804 3.7058    remaining corrugation heights: first CD1, last CD2 (mm)\n"}},
      // 123 452 remaining corrugations: the object file gives their count, NCR, as
      // 123450, and sinecorr's taper divides by that.
      {wall("sinecorr", {"--band", "10:19", "--taper", "--length", "243455", "--points", "4"}),
       {"11.359 4.0253    remaining corrugation heights: first CD1, last CD2 (mm)\n"}},
  };
  for (const auto& c : cases) {
    const DesignRun run = design(c.arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    for (const std::string& line : c.lines) {
      EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    }
  }
}

TEST(Design, RoundsHeightsUpSoThatASmallMarginStillServesTheBandsBottom) {
  // Rounded down to 5 digits, a height loses up to 1e-4 of itself, more than these margins:
  // the window would open above the band's bottom.
  for (const char* band : {"1:1.5", "2.6:3.95", "4:6", "8.2:12.4", "12.4:18", "18:26.5", "26.5:40",
                           "33:50", "40:48"}) {
    for (const std::string margin : {"5e-5", "1e-5", "1e-7"}) {
      for (const char* program : {"corr", "sinecorr"}) {
        const Request request =
            request_of(wall(program, {"--band", band, "--margin", margin, "--length", "300"}));
        const Result<Design> designed = design_wall(request);
        ASSERT_TRUE(designed.ok()) << band << " " << margin << ": " << designed.reason();
        const WallMeasure& measured = designed.value().measured;
        EXPECT_EQ(measured.figures[0].coverage.fewest, measured.corrugations)
            << program << " " << band << " " << margin;
        const double deepest = quarter_wave_height(request.bands[0].low, request.margin);
        EXPECT_GE(designed.value().values.at("C1") * 1e-3, deepest) << band << " " << margin;
      }
    }
  }
  // The case: 1.87380 mm rounded down to 1.8737 left 40 GHz in no window.
  const DesignRun run = design(wall("corr", {"--band", "40:48", "--margin", "5e-5"}));
  EXPECT_NE(run.out.find("1.8738           variable corrugation 1: height C1 (mm)\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find("  band 40-48 GHz: worst 149 of 149 capacitive (100%) at 40.00 GHz"),
            std::string::npos)
      << run.err;
}

// Each band's worst coverage on the wall as written against --min-coverage, at the edge:
// the threshold that the figure meets exactly accepted, one a hair above refused with the
// figure, where it is, and the count the threshold needs.
TEST(Design, HoldsEveryBandToTheLeastCoverageAtItsEdge) {
  const std::vector<std::string> two_rows = {
      "thickcorr", "--band",           "10:12", "--band",   "17:20", "--aperture-radius",
      "60",        "--wall-thickness", "2:3.5", "--length", "150"};
  const auto with = [](std::vector<std::string> arguments, std::vector<std::string> more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  };
  const struct {
    std::vector<std::string> arguments;
    std::string refusal;  // empty: designed
  } cases[] = {
      // Two rows of ridges: each band has 49 of the 98, 50% exactly.
      {with(two_rows, {"--min-coverage", "50"}), ""},
      {with(two_rows, {"--min-coverage", "50.000001"}),
       "hornwall_design: band 10-12 GHz: worst 49 of 98 capacitive (50%) at 10.00 GHz on the "
       "wall as written, below --min-coverage 50.000001%, which needs 50 of 98: each band has "
       "about half the corrugations; lower --min-coverage\n"},
      // A taper over a band 4 times as wide as its bottom serves each end with about a
      // quarter of its corrugations, (c / 80 GHz - h2) / (h1 - h2), h2 = 1.91194 mm and
      // h1 = 7.49481 + 3.74741 - h2 = 9.33028 mm: 24.7%; on the wall as written, 37 of 149
      // serve 10 GHz, 24.832%. The default, 25%, refuses it.
      {wall("corr", {"--band", "10:40", "--taper", "--min-coverage", "24.83"}), ""},
      {wall("corr", {"--band", "10:40", "--taper", "--min-coverage", "24.84"}),
       "hornwall_design: band 10-40 GHz: worst 37 of 149 capacitive (24.8%) at 10.0 GHz on the "
       "wall as written, below --min-coverage 24.84%, which needs 38 of 149: a taper over this "
       "band serves each of its ends with about 24.7% of its corrugations; narrow the band or "
       "lower --min-coverage\n"},
      {wall("corr", {"--band", "10:40", "--taper"}),
       "hornwall_design: band 10-40 GHz: worst 37 of 149 capacitive (24.8%) at 10.0 GHz on the "
       "wall as written, below --min-coverage 25%, which needs 38 of 149: a taper over this "
       "band serves each of its ends with about 24.7% of its corrugations; narrow the band or "
       "lower --min-coverage\n"},
      // 0 asks for nothing, as it does of hornwall_view: a band's top beyond the window
      // passes; the least number above it does not.
      {wall("corr", {"--band", "10:19.59995", "--min-coverage", "0"}), ""},
      {wall("corr", {"--band", "10:19.59995", "--min-coverage", "1e-300"}),
       "hornwall_design: band 10-19.59995 GHz: worst 0 of 78 capacitive (0%) at 19.60 GHz on "
       "the wall as written, below --min-coverage 1e-300%, which needs 1 of 78: the band "
       "reaches too near the top of their window; narrow the band or lower --margin\n"},
      // A single band within its window: every corrugation, 100%, at every frequency.
      {wall("sinecorr", {"--band", "10:12", "--min-coverage", "100"}), ""},
  };
  for (const auto& c : cases) {
    const DesignRun run = design(c.arguments);
    if (c.refusal.empty()) {
      EXPECT_EQ(run.status, 0) << run.err;
      const std::string threshold = "at " + c.arguments.back() + "%;";
      EXPECT_NE(band_lines(run.err).find(threshold), std::string::npos) << run.err;
    } else {
      EXPECT_EQ(run.status, 1) << c.refusal;
      EXPECT_EQ(run.err, c.refusal);
      EXPECT_EQ(run.out, "");
    }
  }
}

TEST(Design, ReportsEachBandLineForLineAsTheViewerSummarisesTheWrittenWall) {
  // Each expected text is what hornwall_view --band prints for the object file that the
  // generator writes from the design's answers.
  const struct {
    std::vector<std::string> arguments;
    std::string lines;
  } cases[] = {
      {wall("corr", {"--band", "10:12", "--band", "17:20", "--variable", "4"}),
       "  band 10-12 GHz: worst 40 of 79 capacitive (51%) at 10.00 GHz, mean 51%, margin -2.0% / "
       "+50.0% at 25%; 13.3 per wavelength at 12.00 GHz\n"
       "  band 17-20 GHz: worst 39 of 79 capacitive (49%) at 19.60 GHz, mean 93%, margin -42.3% / "
       "+50.0% at 25%; 8.0 per wavelength at 20.00 GHz\n"},
      // Remaining heights that single precision puts a hair below a 5-digit number: the
      // object file rounds them to nearest.
      {{"corr", "--band", "2:4.203", "--taper", "--aperture-radius", "300", "--final-radius", "100",
        "--length", "588"},
       "  band 2-4.203 GHz: worst 31 of 65 capacitive (48%) at 2.00 GHz, mean 60%, margin -18.1% / "
       "+50.0% at 25%; 8.0 per wavelength at 4.20 GHz\n"},
      {wall("sinecorr", {"--band", "8:20", "--taper"}),
       "  band 8-20 GHz: worst 32 of 79 capacitive (41%) at 8.0 GHz, mean 56%, margin -13.2% / "
       "+50.0% at 25%; 8.0 per wavelength at 20.0 GHz\n"},
      // Two rows of ridges, measured by their rising faces on a floor that steps up.
      {{"thickcorr", "--band", "10:12", "--band", "17:20", "--aperture-radius", "60",
        "--wall-thickness", "2:3.5", "--length", "150"},
       "  band 10-12 GHz: worst 49 of 98 capacitive (50%) at 10.00 GHz, mean 50%, margin -2.0% / "
       "+50.0% at 25%; 12.5 per wavelength at 12.00 GHz\n"
       "  band 17-20 GHz: worst 49 of 98 capacitive (50%) at 19.60 GHz, mean 93%, margin -42.3% / "
       "+50.0% at 25%; 7.5 per wavelength at 20.00 GHz\n"},
      // A ripple, measured above the lower hull of its own profile.
      {wall("spline", {"--band", "10:13", "--unit", "cm", "--length", "15", "--aperture-radius",
                       "6", "--final-radius", "2"}),
       "  band 10-13 GHz: worst 51 of 51 capacitive (100%) at 10.00 GHz, mean 100%, margin -2.0% / "
       "+50.0% at 25%; 8.0 per wavelength at 13.00 GHz\n"},
  };
  for (const auto& c : cases) {
    const DesignRun run = design(c.arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(band_lines(run.err), c.lines);
  }
}

TEST(Design, StatesTheFiguresOfATwoBandWallAsWorkedByHand) {
  // 79 corrugations 1.873 mm apart: the 40 odd ones 7.6478 mm high, capacitive from
  // c / (4 x 7.6478 mm) = q1 = 9.799957 GHz to 2 q1 = 19.599915 GHz; the 39 even ones
  // 4.4987 mm, from q2 = 16.659949 GHz to 33.319899 GHz. --min-coverage 25% needs 20 of 79.
  const Result<Design> designed = design_wall(
      request_of(wall("corr", {"--band", "10:12", "--band", "17:20", "--variable", "4"})));
  ASSERT_TRUE(designed.ok()) << designed.reason();
  const std::vector<BandFigures>& figures = designed.value().measured.figures;
  ASSERT_EQ(figures.size(), 2u);
  const struct {
    std::uint32_t fewest;
    std::uint16_t fewest_at;  // of the 401 frequencies
    std::uint64_t capacitive;
    double down;
    double up;
  } bands[] = {
      // 10-12 GHz: the odd ones everywhere, the even ones nowhere: worst and mean 40 of 79,
      // first at 10 GHz. Shifted down, the odd ones hold to q1: 1 - q1 / 10 GHz = 2.0004%;
      // shifted up by half, to 15-18 GHz, they still serve: +50%.
      {40, 0, 40 * 401, 0.020004256125944697, 0.5},
      // 17-20 GHz: the even ones everywhere; the odd ones up to 2 q1, at 17 + k x 0.0075 GHz
      // for k up to 346: worst 39 of 79 from k = 347, 19.6025 GHz; mean (39 x 401 + 40 x
      // 347) / (79 x 401) = 93.18%. Shifted down, one or the other serves every frequency
      // until the band's bottom passes q1: 1 - q1 / 17 GHz = 42.35%; up, the even ones serve
      // to 33.3 GHz, beyond +50%.
      {39, 347, 39 * 401 + 40 * 347, 0.4235319153682028, 0.5},
  };
  for (std::size_t b = 0; b < 2; ++b) {
    const BandFigures& got = figures[b];
    EXPECT_EQ(got.coverage.corrugations, 79u) << b;
    EXPECT_EQ(got.coverage.fewest, bands[b].fewest) << b;
    EXPECT_EQ(got.coverage.fewest_at, bands[b].fewest_at) << b;
    EXPECT_EQ(got.capacitive, bands[b].capacitive) << b;
    EXPECT_TRUE(got.meets) << b;
    EXPECT_NEAR(got.down, bands[b].down, 1e-12) << b;
    EXPECT_EQ(got.up, bands[b].up) << b;
  }
}

TEST(Design, WritesItsJsonReportInTheDocumentedForm) {
  const DesignRun run = design(wall("corr", {"--band", "10:12", "-o", "/dev/null", "--json", "-"}));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, std::string("{\n"
                                 "  \"version\": 1,\n"
                                 "  \"program\": \"hornwall_design\",\n"
                                 "  \"hornwall\": \"") +
                         HORNWALL_VERSION +
                         "\",\n"
                         "  \"wall\": \"corr\",\n"
                         "  \"generator\": \"hornwall_corr\",\n"
                         "  \"unit\": \"mm\",\n"
                         "  \"bands\": [\n"
                         "    {\"low_hz\": 1e+10, \"high_hz\": 1.2e+10, \"label\": \"10-12 GHz\"}\n"
                         "  ],\n"
                         "  \"min_coverage\": 25,\n"
                         "  \"rule\": {\n"
                         "    \"kind\": \"single\",\n"
                         "    \"margin\": 0.02,\n"
                         "    \"per_wavelength\": 8,\n"
                         "    \"heights\": [7.6478],\n"
                         "    \"pitch\": 3.122,\n"
                         "    \"wanted_pitch\": 3.122,\n"
                         "    \"thickness\": 0.6244,\n"
                         "    \"first\": 3.122,\n"
                         "    \"end\": 147.35,\n"
                         "    \"corrugations\": 47,\n"
                         "    \"variable\": 2\n"
                         "  },\n"
                         "  \"object_file\": \"null.zul\",\n"
                         "  \"answers\": {\n"
                         "    \"FILE\": \"null.zul\",\n"
                         "    \"RW1\": 60,\n"
                         "    \"UNIT\": 3,\n"
                         "    \"ZW1\": 0,\n"
                         "    \"RW2\": 20,\n"
                         "    \"ZW2\": 147.35,\n"
                         "    \"NCORR\": 47,\n"
                         "    \"CT\": 0.6244,\n"
                         "    \"D1\": 3.122,\n"
                         "    \"NVAR\": 2,\n"
                         "    \"C1\": 7.6478,\n"
                         "    \"D2\": 2.4976,\n"
                         "    \"C2\": 7.6478,\n"
                         "    \"CD1\": 7.6478,\n"
                         "    \"CD2\": 7.6478\n"
                         "  },\n"
                         "  \"figures\": [\n"
                         "    {\n"
                         "      \"band\": 0,\n"
                         "      \"corrugations\": 47,\n"
                         "      \"worst\": {\"count\": 47, \"coverage\": 1, \"at_hz\": 1e+10},\n"
                         "      \"most\": {\"count\": 47, \"at_hz\": 1e+10},\n"
                         "      \"mean\": 1,\n"
                         "      \"meets\": true,\n"
                         "      \"margin\": {\"down\": 0.020004256125945093, \"up\": 0.5},\n"
                         "      \"per_wavelength\": 8.002147608370704\n"
                         "    }\n"
                         "  ],\n"
                         "  \"status\": 0,\n"
                         "  \"refusal\": null,\n"
                         "  \"outputs\": [\n"
                         "    {\"output\": \"answers\", \"path\": \"/dev/null\"},\n"
                         "    {\"output\": \"report\", \"path\": \"-\"}\n"
                         "  ]\n"
                         "}\n");
  // The report goes to standard error beside it, naming both outputs.
  EXPECT_NE(run.err.find("\nanswers: /dev/null\nreport: standard output\n"), std::string::npos)
      << run.err;
}

// The design of `arguments`, changed by `change` into a wall no design would make.
template <typename Change>
Design changed_design(std::vector<std::string> arguments, Change change) {
  const Result<Design> designed = design_wall(request_of(std::move(arguments)));
  EXPECT_TRUE(designed.ok()) << designed.reason();
  Design changed = designed.ok() ? designed.value() : Design{};
  change(changed);
  return changed;
}

TEST(WrittenWall, FindsWhatTheViewerWouldWarnOfOnAWallNoDesignMakes) {
  const struct {
    Design design;
    std::string reason;
  } cases[] = {
      // Corrugations thicker than their pitch: the first remaining one, 2.927 mm behind the
      // second variable one's near face, stands before its far face.
      {changed_design(wall("corr", {"--band", "10:12"}), [](Design& d) { d.values["CT"] = 5.0; }),
       "the wall as written runs back towards the aperture after z -15.6196 mm"},
      // Without thickness the far face falls back down the near one.
      {changed_design(wall("corr", {"--band", "10:12"}), [](Design& d) { d.values["CT"] = 0.0; }),
       "the wall as written folds back onto itself at z -3.122 mm"},
      {changed_design(wall("sinecorr", {"--band", "10:12"}),
                      [](Design& d) { d.values["RW2"] = -300.0; }),
       "the wall as written has a negative radius at z -24.9753 mm"},
      // Ridges thicker than the narrower slot, H - 2 CT: second-row ridge 1 ends 2 + 3 + 1.2
      // + 1.5 + 1.2 mm behind the aperture plane, first-row ridge 2 starts at 2 + 6 mm.
      {changed_design({"thickcorr", "--band", "10:12", "--band", "17:20", "--aperture-radius", "60",
                       "--wall-thickness", "2", "--length", "150"},
                      [](Design& d) { d.values["CT"] = 1.2; }),
       "the wall as written runs back towards the aperture after z -8.9 mm"},
      // A wall that ends before its ripple does.
      {changed_design(wall("spline", {"--band", "10:12"}),
                      [](Design& d) { d.values["ZW2"] = 140.0; }),
       "the wall as written runs back towards the aperture after z -149.852 mm"},
      // A wall's end that single precision holds as 0: RD / ZD is not a number.
      {changed_design(wall("corr", {"--band", "10:12"}),
                      [](Design& d) { d.values["ZW2"] = 1e-50; }),
       "the wall's nodes do not all evaluate to finite numbers: its lengths are too small or "
       "too large for the generator's single precision"},
  };
  for (const auto& c : cases) {
    const Result<WallMeasure> measured = measure_written_wall(c.design);
    ASSERT_FALSE(measured.ok()) << c.reason;
    EXPECT_EQ(measured.reason(), c.reason);
  }
  // The third corrugation given the upper band's height: the second to fourth serve none
  // of the lower band, between the first and fifth, which do.
  const Design broken =
      changed_design(wall("corr", {"--band", "10:12", "--band", "17:20", "--variable", "6"}),
                     [](Design& d) { d.values["C3"] = d.band_heights[1]; });
  const Result<WallMeasure> measured = measure_written_wall(broken);
  ASSERT_TRUE(measured.ok()) << measured.reason();
  using Run = std::pair<std::size_t, std::size_t>;  // first and last corrugation, from 0
  EXPECT_EQ(measured.value().interleave_breaks[0], Run(1, 3));
  EXPECT_EQ(measured.value().interleave_breaks[1], std::nullopt);
}

// The profile that carries the corrugations of the object file that the generator writes
// from the answers of `design`, as hornwall_view reads, evaluates and measures it.
view::Profile viewed_profile(const Design& design) {
  testing::MemoryFileSystem files;
  files.files["wall.answers"] = answers_text(design, "wall.zul").value();
  const testing::RunResult run = testing::run_in_memory(*design.request.wall->program, "", files,
                                                        {"--answers", "wall.answers"});
  EXPECT_EQ(run.status, 0) << run.err;
  view::TextSource source(files.files["wall.zul"]);
  view::CheckSettings settings;
  settings.bands = design.bands;
  view::Examined examined = view::examine(source, settings);
  for (view::Profile& profile : examined.wall.profiles) {
    if (!profile.corrugations.empty()) return std::move(profile);
  }
  return {};
}

// Every node that the design follows is the node that hornwall_view evaluates from the
// generator's object file, to the last bit, and so is every corrugation it measures.
TEST(WrittenWall, FollowsEveryNodeAsTheViewerEvaluatesTheGeneratorsFile) {
  const std::vector<std::string> requests[] = {
      wall("corr", {"--band", "10:12"}),
      wall("corr", {"--band", "10:12", "--band", "17:20", "--variable", "4", "--unit", "in"}),
      wall("corr", {"--band", "8:20", "--taper", "--variable", "7"}),
      {"corr", "--band", "2:4.203", "--taper", "--aperture-radius", "300", "--final-radius", "100",
       "--length", "588"},
      wall("sinecorr", {"--band", "10:12", "--points", "8", "--unit", "cm"}),
      wall("sinecorr", {"--band", "10:12", "--band", "17:20"}),
      wall("sinecorr", {"--band", "8:20", "--taper", "--variable", "1"}),
      ridges({"--band", "10:12"}),
      ridges({"--band", "10:12", "--band", "17:20", "--wall-thickness", "1:9"}),
      ridges({"--band", "8:20", "--taper", "--wall-thickness", "3:1", "--unit", "in"}),
      wall("spline", {"--band", "10:12"}),
      wall("spline", {"--band", "10:11", "--band", "12:13", "--one-set", "--points", "16"}),
      wall("spline", {"--band", "2:3", "--unit", "m", "--aperture-radius", "0.2", "--final-radius",
                      "0.6", "--length", "2.5"}),
  };
  for (const std::vector<std::string>& request : requests) {
    const Result<Design> designed = design_wall(request_of(request));
    ASSERT_TRUE(designed.ok()) << request[0] << ": " << designed.reason();
    const Design& design = designed.value();
    const view::Profile viewed = viewed_profile(design);
    const std::unique_ptr<WrittenNodes> written = design.request.wall->written(design);
    std::vector<Point> nodes;
    Nodes some{};
    const auto take = [&](std::size_t n) {
      nodes.insert(nodes.end(), some.begin(), some.begin() + n);
    };
    take(written->before(some));
    for (std::int64_t k = 0; k < written->corrugations(); ++k) take(written->nodes(k, some));
    take(written->after(some));
    const std::string what = request[0] + " " + request[1] + " " + request[2];
    ASSERT_EQ(nodes.size(), viewed.nodes.size()) << what;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      ASSERT_EQ(nodes[i].z, viewed.nodes[i].z) << what << ": node " << i;
      ASSERT_EQ(nodes[i].rho, viewed.nodes[i].rho) << what << ": node " << i;
    }
    // What it measures of them: their count, heights, widest pitch and each band's cover.
    const WallMeasure& measured = design.measured;
    ASSERT_EQ(viewed.corrugations.size(), measured.corrugations) << what;
    double lowest = viewed.corrugations[0].height;
    double highest = lowest;
    for (const view::Corrugation& corrugation : viewed.corrugations) {
      lowest = std::min(lowest, corrugation.height);
      highest = std::max(highest, corrugation.height);
    }
    EXPECT_EQ(measured.lowest, lowest) << what;
    EXPECT_EQ(measured.highest, highest) << what;
    EXPECT_EQ(measured.widest_pitch, view::widest_pitch(viewed)) << what;
    for (std::size_t b = 0; b < design.bands.size(); ++b) {
      const BandFigures& viewed_figures = viewed.bands.at(b);
      const BandFigures& figures = measured.figures.at(b);
      EXPECT_EQ(viewed_figures.coverage.fewest, figures.coverage.fewest) << what;
      EXPECT_EQ(viewed_figures.coverage.fewest_at, figures.coverage.fewest_at) << what;
      EXPECT_EQ(viewed_figures.coverage.most, figures.coverage.most) << what;
      EXPECT_EQ(viewed_figures.coverage.most_at, figures.coverage.most_at) << what;
      EXPECT_EQ(viewed_figures.capacitive, figures.capacitive) << what;
      EXPECT_EQ(viewed_figures.meets, figures.meets) << what;
      EXPECT_EQ(viewed_figures.down, figures.down) << what;
      EXPECT_EQ(viewed_figures.up, figures.up) << what;
    }
  }
}

TEST(WrittenWall, RoundsToTheirDigitsNeverTheOtherWay) {
  const struct {
    double value;
    double up;
    double down;
  } cases[] = {
      {7.647767, 7.6478, 7.6477},
      {7.6477, 7.6477, 7.6477},
      {7.64770000001, 7.6478, 7.6477},
      {7.64769999999, 7.6477, 7.6476},
      {9.99996, 10.0, 9.9999},
      {99999.5, 100000.0, 99999.0},
      {1.000004, 1.0001, 1.0},
      {1.23451e-30, 1.2346e-30, 1.2345e-30},
      {-26.76543, -26.765, -26.766},
      {-0.999996, -0.99999, -1.0},
      {-10.00004, -10.0, -10.001},
      {3.4028235e38, 3.4029e38, 3.4028e38},
      {0.0, 0.0, 0.0},
      // At the ends of the doubles, with no neighbour of 5 digits beyond: as they are.
      {1.7976931348623157e308, 1.7976931348623157e308, 1.7976e308},
      {4.9406564584124654e-324, 4.9406564584124654e-324, 4.9406564584124654e-324},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(round_to_digits(c.value, 5, Towards::up), c.up) << c.value;
    EXPECT_EQ(round_to_digits(c.value, 5, Towards::down), c.down) << c.value;
  }
}

TEST(WrittenWall, ReadsNumbersAsTheGeneratorAndTheViewerRead) {
  // The generator reads an answer to the nearest single; the object file's field holds 5
  // digits, to nearest: 129.2299957 is 129.23 there, not 129.22.
  EXPECT_EQ(generator_reads(7.6477), 7.6477f);
  EXPECT_EQ(generator_reads(1e-40), 1e-40f);
  const struct {
    float value;
    double read;
  } cases[] = {
      {129.2299957f, 129.23}, {129.22499f, 129.22},  {7.6477f, 7.6477},
      {-40.0f, -40.0},        {123456.0f, 123460.0}, {0.0f, 0.0},
  };
  for (const auto& c : cases) EXPECT_EQ(viewer_reads(c.value), c.read) << c.value;
}

}  // namespace
}  // namespace hornwall::design
