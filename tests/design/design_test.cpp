#include "hornwall/design/design.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "hornwall/design/command_line.hpp"

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

// The request of a 150 mm wall of 60 to 20 mm radius, and `more`.
std::vector<std::string> wall(std::string_view program, std::vector<std::string> more) {
  std::vector<std::string> arguments{
      std::string(program), "--aperture-radius", "60", "--final-radius", "20", "--length", "150"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST(Design, WorksTheTenToTwelveGigahertzWallByHand) {
  // h = c / (4 x 10 GHz x 0.98) = 7.6477 mm; p = (c / 12 GHz) / 8 = 3.1228 mm, to 3.122;
  // CT = p / 5 = 0.6244 mm; (150 - 3.122 - 0.6244) / 3.122 + 1 = 47 corrugations.
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
            "7.6477           variable corrugation 1: height C1 (mm)\n"
            "2.4976           variable corrugation 2: gap D2 from the far face of 1 (mm)\n"
            "7.6477           variable corrugation 2: height C2 (mm)\n"
            "7.6477 7.6477    remaining corrugation heights: first CD1, last CD2 (mm)\n");
  EXPECT_NE(run.err.find("  height 7.6477 mm (0.255 wavelengths at 10.0 GHz)\n"
                         "  pitch 3.122 mm, thickness 0.6244 mm, slot 2.4976 mm\n"),
            std::string::npos)
      << run.err;
}

TEST(Design, AlternatesTwoBandsAndGrowsAPitchTooNarrowForItsSlot) {
  const DesignRun dual = design(wall("sinecorr", {"--band", "17:20", "--band", "10:12"}));
  EXPECT_EQ(dual.status, 0) << dual.err;
  EXPECT_NE(dual.out.find("2                corrugation type, dual band: --band 10:12 --band "
                          "17:20 (quarter waves, 2% margin)"),
            std::string::npos);
  EXPECT_NE(dual.out.find("7.6477 7.6477    first band (odd) remaining heights"),
            std::string::npos);
  EXPECT_NE(dual.out.find("4.4986 4.4986    second band (even) remaining heights"),
            std::string::npos);
  const DesignRun grown = design(wall("corr", {"--band", "30:40"}));
  EXPECT_NE(grown.err.find("  pitch 1.0 mm (grown from 0.9368 mm so that the slot beside the "
                           "minimum thickness is half the pitch), thickness 0.5 mm"),
            std::string::npos)
      << grown.err;
  const DesignRun fits = design(wall("corr", {"--band", "10:12", "--band", "13:14"}));
  EXPECT_NE(fits.err.find("both bands fit one window"), std::string::npos);
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
      {wall("corr", {"--band", "10:12", "--length", "3.2e6"}), 1,
       "hornwall_design: the wall holds 1024983 corrugations at the pitch of 3.122 mm, more "
       "than the 1000000 a design may have: shorten the wall or lower --per-wavelength\n"},
      {wall("sinecorr", {"--band", "10:12", "--band", "17:20", "--length", "1e12"}), 1,
       "hornwall_design: the wall holds 533902829683 corrugations at the pitch of 1.873 mm, more "
       "than the 1000000 a design may have: shorten the wall or lower --per-wavelength\n"},
      {wall("sinecorr", {"--band", "10:12", "--per-wavelength", "1e308"}), 1,
       "hornwall_design: the wall holds more than 1.8e308 corrugations at the pitch of "
       "2.4982704833333332e-307 mm, more than the 1000000 a design may have: shorten the wall or "
       "lower --per-wavelength\n"},
      {wall("corr", {"--band", "38:40", "--min-thickness", "1"}), 1,
       "hornwall_design: no pitch up to a fifth of the wavelength at 40 GHz (1.498 mm) leaves a "
       "slot of half the pitch beside the minimum thickness of 1 mm\n"},
      {wall("corr", {"--band", "10:12", "--band", "11:13"}), 1,
       "hornwall_design: bands 10-12 GHz and 11-13 GHz overlap: a dual band needs two bands "
       "apart\n"},
      {wall("corr", {"--band", "10:25"}), 1,
       "hornwall_design: band 10-25 GHz is wider than one capacitive window: corrugations a "
       "quarter wave deep at 9.8 GHz serve up to twice that, 19.6 GHz, below the band's top; "
       "use --taper to taper the heights over the band\n"},
      {wall("corr", {"--band", "10:12", "--band", "17:20", "--one-set"}), 1,
       "hornwall_design: bands 10-12 GHz and 17-20 GHz do not fit one window: corrugations for "
       "10-12 GHz serve up to 19.6 GHz\n"},
      {wall("corr", {"--band", "10:12", "--unit", "cm"}), 2,
       usage + "hornwall_design: hornwall_corr has no unit 'cm': its units are in, ft, mm and m\n"},
      {wall("flat", {"--band", "10:12"}), 2,
       usage + "hornwall_design: unknown wall 'flat': corr or sinecorr\n"},
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
      {wall("corr", {"--band", "10:12", "--per-wavelength", "4"}), 2,
       usage + "hornwall_design: invalid value '4' for option '--per-wavelength': at least 5 "
               "(the band check warns below 5)\n"},
      {wall("sinecorr", {"--band", "10:12", "--points", "7"}), 2,
       usage + "hornwall_design: invalid value '7' for option '--points': an even number from 4 "
               "to 98, so that a point stands on every crest\n"},
      {wall("corr", {"--band", "10:12", "--length", "-5"}), 2,
       usage + "hornwall_design: invalid value '-5' for option '--length': a length above zero\n"},
  };
  for (const auto& c : cases) {
    const DesignRun run = design(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace hornwall::design
