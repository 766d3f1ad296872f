#include "sinecorr_wall.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "base_line.hpp"
#include "corrugation.hpp"
#include "fields.hpp"
#include "frame.hpp"

namespace hornwall {
namespace {

constexpr BaseLineQuestions sinecorr_questions{
    " Enter units: 1 in., 2 ft., 3 mm, 4 cm, 5 m ", five_unit_table,
    " Enter radius of final corrugation ", " Enter end of corrugations Z position (positive) "};

// The single-precision value nearest to pi.
constexpr float pi = 3.1415927f;

// The variable corrugations that have objects of their own. Further ones are still
// asked for, but nothing is written for them and no row draws them.
constexpr std::int64_t described_corrugations = 7;

// One run's answers and derived values. Everything starts at zero, and an answer left
// empty keeps the value it had: inside the loop, the previous corrugation's answer.
struct SineCorrWall {
  BaseLine base;       // RW1, the unit, ZW1, RW2, ZW2, with RD and ZD
  std::int32_t ncorr;  // number of corrugations, variable and remaining together
  std::int32_t nspl;   // points drawn per corrugation
  float splc;          // angle step between two points, 2 pi / nspl
  float d1;            // position of the first corrugation
  std::int32_t nvar;   // number of variable corrugations
  float length;        // length of the variable corrugation being asked for
  float height;        // its height
  Tapers tapers;       // CD1, CD2 and, in the dual band, CD3, CD4
  std::int64_t ncr;    // remaining corrugations, ncorr - nvar
};

std::string numbered(std::string_view prefix, std::int64_t k) {
  return std::string(prefix) + std::to_string(k);
}

// The number of variable corrugations that the file describes.
std::int64_t described_count(const SineCorrWall& wall) {
  return std::min<std::int64_t>(wall.nvar, described_corrugations);
}

// The length, end and height of variable corrugation k, and after the last described
// one the start of the remaining corrugations, ZCF.
void ask_variable_corrugations(Dialogue& dialogue, ObjectWriter& out, SineCorrWall& wall) {
  const std::int64_t last_described = described_count(wall);
  for (std::int64_t k = 1; k <= wall.nvar; ++k) {
    const bool described = k <= described_corrugations;
    dialogue.ask(" Enter Z distance to next corrugation ", {&wall.length});
    if (described) {
      const std::string length = numbered("D", k + 1);
      const std::string end = numbered("ZC", k + 1);
      out.numeric_variable(length, wall.length);
      out.expression_variable(end, "REF(" + numbered("ZC", k) + ")+REF(" + length + ")");
      if (k == last_described) out.expression_variable("ZCF", "REF(" + end + ")");
    }
    dialogue.ask(" Enter corrugation height ", {&wall.height});
    if (described) {
      out.numeric_variable(numbered("C", k), wall.height);
      if (k == 1) out.expression_variable("RC1", "REF(RD)*REF(ZC1)/REF(ZD)+REF(RW1)");
    }
  }
}

std::string int2(std::int64_t value) { return int_field(value, 2); }

// The rows of variable corrugation k: for the first one its start on the base line,
// then one raised-cosine point for each j = 1 ... NSPL.
void write_variable_corrugation(ObjectWriter& out, const SineCorrWall& wall, std::int64_t k) {
  const std::string start = numbered("ZC", k);
  const std::string length = numbered("D", k + 1);
  const std::string height = numbered("C", k);
  if (k == 1) out.node_row(quoted("-REF(ZC1)"), quoted("REF(RC1)"));
  for (std::int64_t j = 1; j <= wall.nspl; ++j) {
    const std::string step = "REF(" + length + ")/REF(NSPL)*" + int2(j);
    out.node_row(quoted("-REF(" + start + ")-" + step),
                 quoted("ref(RD)*(ref(" + start + ")+" + step + ")/ref(ZD)+ref(RW1)+REF(" + height +
                        ")/2.*(1.-COS(ref(SPLC)*" + int2(j) + "))"));
  }
}

// The taper that remaining corrugation i follows: in the dual band the even-numbered
// ones take the second.
std::string_view taper_of(Band band, std::int64_t i) {
  if (band == Band::dual && i % 2 == 0) return "+ref(RW1)+(ref(CD3)+(ref(CD4)-ref(CD3))*(";
  return "+ref(RW1)+(ref(CD1)+(ref(CD2)-ref(CD1))*(";
}

// The rows of remaining corrugation i, which starts i - 1 lengths ZCS behind ZCF.
void write_remaining_corrugation(ObjectWriter& out, const SineCorrWall& wall, Band band,
                                 std::int64_t i) {
  const std::string taper = std::string(taper_of(band, i)) + int2(i) + "-1)/ref(NCR))/2.";
  for (std::int64_t j = 1; j <= wall.nspl; ++j) {
    const std::string point = "REF(ZCS)*(" + int2(i - 1) + "+" + int2(j) + "/REF(NSPL))";
    out.node_row(quoted("-REF(ZCF)-" + point),
                 quoted("ref(RD)*(ref(ZCF)+" + point + ")/ref(ZD)" + taper + "*(1.-COS(ref(SPLC)*" +
                        int2(j) + "))"));
  }
}

// The profile runs from the aperture backwards; it is left open, with no close.
void write_profile(ObjectWriter& out, std::string_view unit, const SineCorrWall& wall, Band band) {
  out.profile_header("horn_exterior", unit);
  out.node_row(quoted("-REF(ZW1)"), quoted("REF(RW1)"));
  for (std::int64_t k = 1; k <= described_count(wall); ++k) {
    write_variable_corrugation(out, wall, k);
  }
  // Without points there are no rows to write, however many corrugations remain.
  if (wall.nspl <= 0) return;
  for (std::int64_t i = 1; i <= wall.ncr; ++i) write_remaining_corrugation(out, wall, band, i);
}

void sinecorr_wall(Dialogue& dialogue, Band band) {
  SineCorrWall wall{};
  ObjectWriter& out =
      dialogue.open_object_file(" ZEPRA zul file: linear depth sine corrugated outer wall");

  const std::string_view unit = ask_base_line(dialogue, out, wall.base, sinecorr_questions);
  dialogue.ask(" Enter number of corrugations along horn ", {&wall.ncorr});

  // NSPL = 0 divides by zero: SPLC is infinite, and the run goes on.
  dialogue.ask(" Enter Sine Corrugation points ", {&wall.nspl});
  wall.splc = static_cast<float>(2.0 * as_double(pi) / as_double(wall.nspl));
  out.numeric_variable_pair("SPLC", wall.splc, "NSPL", static_cast<float>(wall.nspl));

  dialogue.ask(" Enter Z distance to first corrugation ", {&wall.d1});
  out.numeric_variable("D1", wall.d1);
  out.expression_variable("ZC1", "REF(D1)");
  out.numeric_variable("ZD", wall.base.zd);
  out.numeric_variable("RD", wall.base.rd);

  dialogue.ask(" Enter number of variable corrugations (< 8) ", {&wall.nvar});
  // Without variable corrugations the remaining ones start at the first position.
  if (wall.nvar <= 0) out.expression_variable("ZCF", "REF(ZC1)");
  ask_variable_corrugations(dialogue, out, wall);
  ask_tapers(dialogue, out, wall.tapers, band, Echo::yes);

  // Counted over every variable corrugation asked for, described or not.
  wall.ncr = static_cast<std::int64_t>(wall.ncorr) - static_cast<std::int64_t>(wall.nvar);
  if (wall.ncr > 0) {
    out.expression_variable("ZCS", "(REF(ZW2)-REF(ZCF))/" + int_field(wall.ncr, 3));
    out.numeric_variable("NCR", static_cast<float>(wall.ncr));
  }
  write_profile(out, unit, wall, band);
  dialogue.close_object_file();
}

}  // namespace

void sinecorr_single_band(Dialogue& dialogue) { sinecorr_wall(dialogue, Band::single); }

void sinecorr_dual_band(Dialogue& dialogue) { sinecorr_wall(dialogue, Band::dual); }

constexpr Program sinecorr_program{
    " ZEPRA ZUL file for sine corrugated outer wall of horn\n Linear corrugation taper\n",
    sinecorr_single_band, sinecorr_dual_band};

int run_sinecorr(Console console, FileSystem& files, std::span<const std::string> arguments) {
  return run_program(sinecorr_program, console, files, arguments);
}

}  // namespace hornwall
