#include "corr_wall.hpp"

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

constexpr BaseLineQuestions corr_questions{" Enter units: 1 in., 2 ft., 3 mm, 4 m ",
                                           four_unit_table, " Enter radius of final corrugation ",
                                           " Enter end of corrugations Z position (positive) "};

// Corrugations 1 to 7 are the ones that can have variables of their own.
constexpr std::int64_t named_corrugations = 7;

// One run's answers and derived values. Everything starts at zero, and an answer left
// empty keeps the value it had: inside the loop, the previous pass's answer.
struct CorrWall {
  BaseLine base;       // RW1, the unit, ZW1, RW2, ZW2, with RD and ZD
  std::int32_t ncorr;  // corrugations along the horn, variable and remaining together
  float ct;            // axial thickness of every corrugation
  float d1;            // distance from the aperture to the near face of corrugation 1
  std::int32_t nvar;   // number of variable corrugations
  float gap;           // this pass: from the far face of the previous corrugation
  float height;        // this pass: height of the variable corrugation
  Tapers tapers;       // CD1, CD2 and, in the dual band, CD3, CD4
  std::int64_t nrem;   // number of remaining corrugations, ncorr - nvar
  float hrem;          // height of the remaining corrugation being written
};

// The linear taper from `first` at the first remaining corrugation to `last` at the
// last one, taken at corrugation `i`: the product before the division, `first` added
// last, all in double and rounded once.
float taper(float first, float last, std::int64_t i, std::int64_t nrem) {
  return static_cast<float>(as_double(first) + (as_double(last) - as_double(first)) *
                                                   as_double(i - 1) / as_double(nrem - 1));
}

// The height of remaining corrugation `i`. A single remaining corrugation takes the
// first height. In the dual band the even-numbered ones follow the second taper, taken
// at their own index, so the first of them is already one step along it.
float remaining_height(const CorrWall& wall, Band band, std::int64_t i) {
  if (wall.nrem == 1) return wall.tapers.cd1;
  if (band == Band::dual && i % 2 == 0)
    return taper(wall.tapers.cd3, wall.tapers.cd4, i, wall.nrem);
  return taper(wall.tapers.cd1, wall.tapers.cd2, i, wall.nrem);
}

// Passes 2 on ask the gap before their corrugation; every pass asks its height. Only
// corrugations 1 to 7 get variables: the last of them that exists also fixes ZCF, and
// passes 8 and later read their answers and write nothing.
void ask_variable_corrugations(Dialogue& dialogue, ObjectWriter& out, CorrWall& wall) {
  const std::int64_t last_named = std::min<std::int64_t>(wall.nvar, named_corrugations);
  for (std::int64_t i = 1; i <= wall.nvar; ++i) {
    const bool named = i <= named_corrugations;
    const std::string k = std::to_string(i);
    if (i >= 2) {
      dialogue.ask(" Enter Z distance to next corrugation ", {&wall.gap}, Echo::no);
      if (named) {
        const std::string previous = std::to_string(i - 1);
        out.numeric_variable("D" + k, wall.gap);
        out.expression_variable("ZC" + k, "REF(ZC" + previous + ")+REF(D" + k + ")+REF(CT)");
        if (i == last_named) out.expression_variable("ZCF", "REF(ZC" + k + ")");
      }
    }
    dialogue.ask(" Enter corrugation height ", {&wall.height});
    if (named) {
      out.numeric_variable("C" + k, wall.height);
      out.expression_variable("RC" + k, "REF(RD)*REF(ZC" + k + ")/REF(ZD)+REF(RW1)");
    }
  }
}

// Up the near face, across the top, down the far face: both faces stand on the
// base-line radius at the near face.
void write_corrugation(ObjectWriter& out, const std::string& near_z, const std::string& foot,
                       const std::string& top) {
  const std::string far_z = quoted(near_z + "-REF(CT)");
  out.node_row(quoted(near_z), quoted(foot));
  out.node_row(quoted(near_z), quoted(top));
  out.node_row(far_z, quoted(top));
  out.node_row(far_z, quoted(foot));
}

void write_variable_corrugation(ObjectWriter& out, std::int64_t number) {
  const std::string k = std::to_string(number);
  write_corrugation(out, "-REF(ZC" + k + ")", "REF(RC" + k + ")",
                    "REF(RC" + k + ")+REF(C" + k + ")");
}

// Remaining corrugation `i` stands `i` pitches ZCS behind ZCF; its height is a number.
void write_remaining_corrugation(ObjectWriter& out, CorrWall& wall, Band band, std::int64_t i) {
  wall.hrem = remaining_height(wall, band, i);
  const std::string index = int_field(i, 3);
  const std::string foot = "REF(RD)*(REF(ZCF)+REF(ZCS)*" + index + ")/REF(ZD)+REF(RW1)";
  write_corrugation(out, "-REF(ZCF)-REF(ZCS)*" + index, foot, foot + "+" + sci12_4(wall.hrem));
}

void corr_wall(Dialogue& dialogue, Band band) {
  CorrWall wall{};
  ObjectWriter& out =
      dialogue.open_object_file(" ZEPRA zul file: linear depth corrugated outer wall");

  const std::string_view unit = ask_base_line(dialogue, out, wall.base, corr_questions);
  dialogue.ask(" Enter number of corrugations along horn ", {&wall.ncorr});
  dialogue.ask(" Enter Corrugation thickness ", {&wall.ct});
  out.numeric_variable("CT", wall.ct);
  dialogue.ask(" Enter Z distance to first corrugation ", {&wall.d1});
  out.numeric_variable("D1", wall.d1);
  out.expression_variable("ZC1", "REF(D1)");
  out.numeric_variable("ZD", wall.base.zd);
  out.numeric_variable("RD", wall.base.rd);

  dialogue.ask(" Enter number of variable corrugations (< 8) ", {&wall.nvar}, Echo::no);
  // Without a second variable corrugation the remaining ones are counted from the first.
  if (wall.nvar <= 1) out.expression_variable("ZCF", "REF(ZC1)");
  ask_variable_corrugations(dialogue, out, wall);
  // The first taper is not shown back on the console; the dual band's second one is.
  ask_tapers(dialogue, out, wall.tapers, band, Echo::no);

  wall.nrem = static_cast<std::int64_t>(wall.ncorr) - static_cast<std::int64_t>(wall.nvar);
  if (wall.nrem > 0) {
    out.expression_variable("ZCS", "(REF(ZW2)-REF(ZCF)-REF(CT))/" + int_field(wall.nrem, 3));
  }

  out.profile_header("horn_exterior", unit);
  out.node_row(quoted("-REF(ZW1)"), quoted("REF(RW1)"));
  const std::int64_t named = std::min<std::int64_t>(wall.nvar, named_corrugations);
  for (std::int64_t k = 1; k <= named; ++k) write_variable_corrugation(out, k);
  for (std::int64_t i = 1; i <= wall.nrem; ++i) write_remaining_corrugation(out, wall, band, i);
  // The file ends with the last node row: the profile is left open.
  dialogue.close_object_file();
}

}  // namespace

void corr_single_band(Dialogue& dialogue) { corr_wall(dialogue, Band::single); }

void corr_dual_band(Dialogue& dialogue) { corr_wall(dialogue, Band::dual); }

constexpr Program corr_program{
    " ZEPRA ZUL file for corrugated outer wall of horn\n Linear corrugation taper\n",
    corr_single_band, corr_dual_band};

int run_corr(Console console, FileSystem& files, std::span<const std::string> arguments) {
  return run_program(corr_program, console, files, arguments);
}

}  // namespace hornwall
