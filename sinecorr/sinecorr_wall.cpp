#include "hornwall/sinecorr_wall.hpp"

#include <cstdint>
#include <string>
#include <string_view>

#include "hornwall/arithmetic.hpp"
#include "hornwall/base_line.hpp"
#include "hornwall/corrugation.hpp"

namespace hornwall {
namespace {

// The questions, in the order they are asked, after RW1, the unit and ZW1.
const Question wall_end{" Enter end of corrugations Z position (positive) ",
                        {{{"ZW2"}}},
                        1,
                        "end of corrugations Z position ZW2, positive{unit}"};
const Question points{" Enter Sine Corrugation points ",
                      {{{"NSPL", ValueKind::count}}},
                      1,
                      "sine corrugation points NSPL, points per corrugation"};
const Question first_distance{" Enter Z distance to first corrugation ",
                              {{{"D1"}}},
                              1,
                              "Z distance to first corrugation D1{unit}"};
const Question variable_count{" Enter number of variable corrugations (< 8) ",
                              {{{"NVAR", ValueKind::count}}},
                              1,
                              "number of variable corrugations NVAR (at most 7)"};
// The length of variable corrugation k is D(k+1): D1 is the distance to the first.
const Question length{" Enter Z distance to next corrugation ",
                      {{{"D"}}},
                      1,
                      "variable corrugation {k}: length D{k+1}{unit}",
                      Echo::yes,
                      Asked::each_pass,
                      1};
const Question heights{" Enter remaining corrugation height 1st, last ",
                       {{{"CD1"}, {"CD2"}}},
                       2,
                       "remaining corrugation heights: first CD1, last CD2{unit}",
                       Echo::yes,
                       Asked::single_band};
const Question first_heights{" Enter remaining corrugation height 1st, last ",
                             {{{"CD1"}, {"CD2"}}},
                             2,
                             "first band (odd) remaining heights: first CD1, last CD2{unit}",
                             Echo::yes,
                             Asked::dual_band};

const Question* const questions[] = {&corrugation_type_question,
                                     &object_file_question,
                                     &aperture_radius_question,
                                     &five_units_question,
                                     &initial_position_question,
                                     &corrugated_final_radius_question,
                                     &wall_end,
                                     &corrugation_count_question,
                                     &points,
                                     &first_distance,
                                     &variable_count,
                                     &length,
                                     &corrugation_height_question,
                                     &heights,
                                     &first_heights,
                                     &second_band_heights_question};

const BaseLineQuestions sinecorr_questions{five_units_question, five_unit_table,
                                           corrugated_final_radius_question, wall_end};

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
};

std::string numbered(std::string_view prefix, std::int64_t k) {
  return std::string(prefix) + std::to_string(k);
}

// The number of variable corrugations, then the length, end and height of variable
// corrugation k, and after the last one with
// variables the start of the remaining corrugations, ZCF.
void ask_variable_corrugations(Dialogue& dialogue, ObjectWriter& out, SineCorrWall& wall) {
  dialogue.ask(variable_count, {&wall.nvar});
  // Without variable corrugations the remaining ones start at the first position.
  if (wall.nvar <= 0) out.expression_variable("ZCF", expression("REF(ZC1)"));
  const std::int64_t last_named = named_corrugations(wall.nvar);
  for (std::int64_t k = 1; k <= wall.nvar; ++k) {
    const bool named = k <= variable_corrugation_cap;
    dialogue.ask(length, {&wall.length}, named ? k : 0);
    if (named) {
      const std::string length_name = numbered("D", k + 1);
      const std::string end = numbered("ZC", k + 1);
      out.numeric_variable(length_name, wall.length);
      out.expression_variable(end,
                              expression("REF(", numbered("ZC", k), ")+REF(", length_name, ")"));
      if (k == last_named) out.expression_variable("ZCF", expression("REF(", end, ")"));
    }
    dialogue.ask(corrugation_height_question, {&wall.height}, named ? k : 0);
    if (named) {
      out.numeric_variable(numbered("C", k), wall.height);
      if (k == 1) {
        out.expression_variable("RC1", expression("REF(RD)*REF(ZC1)/REF(ZD)+REF(RW1)"));
      }
    }
  }
}

// The rows of variable corrugation k: for the first one its start on the base line,
// then one raised-cosine point for each j = 1 ... NSPL.
void write_variable_corrugation(ObjectWriter& out, const SineCorrWall& wall, std::int64_t k) {
  const std::string start = numbered("ZC", k);
  const std::string length_name = numbered("D", k + 1);
  const std::string height_name = numbered("C", k);
  if (k == 1) out.node_row(expression("-REF(ZC1)"), expression("REF(RC1)"));
  for (std::int64_t j = 1; j <= wall.nspl; ++j) {
    out.node_row(expression("-REF(", start, ")-REF(", length_name, ")/REF(NSPL)*", Int2{j}),
                 expression("ref(RD)*(ref(", start, ")+REF(", length_name, ")/REF(NSPL)*", Int2{j},
                            ")/ref(ZD)+ref(RW1)+REF(", height_name, ")/2.*(1.-COS(ref(SPLC)*",
                            Int2{j}, "))"));
  }
}

// The rows of remaining corrugation i, which starts i - 1 lengths ZCS behind ZCF; its
// height follows the first taper or, in the dual band for even i, the second.
void write_remaining_corrugation(ObjectWriter& out, const SineCorrWall& wall, Band band,
                                 std::int64_t i) {
  const std::string_view taper = takes_second_taper(band, i)
                                     ? "+ref(RW1)+(ref(CD3)+(ref(CD4)-ref(CD3))*("
                                     : "+ref(RW1)+(ref(CD1)+(ref(CD2)-ref(CD1))*(";
  for (std::int64_t j = 1; j <= wall.nspl; ++j) {
    out.node_row(expression("-REF(ZCF)-REF(ZCS)*(", Int2{i - 1}, "+", Int2{j}, "/REF(NSPL))"),
                 expression("ref(RD)*(ref(ZCF)+REF(ZCS)*(", Int2{i - 1}, "+", Int2{j},
                            "/REF(NSPL)))/ref(ZD)", taper, Int2{i}, "-1)/ref(NCR))/2.",
                            "*(1.-COS(ref(SPLC)*", Int2{j}, "))"));
  }
}

// The profile runs from the aperture backwards; it is left open, with no close.
void write_profile(ObjectWriter& out, std::string_view unit, const SineCorrWall& wall, Band band,
                   std::int64_t ncr) {
  out.profile_header("horn_exterior", unit);
  out.node_row(expression("-REF(ZW1)"), expression("REF(RW1)"));
  for (std::int64_t k = 1; k <= named_corrugations(wall.nvar); ++k) {
    write_variable_corrugation(out, wall, k);
  }
  // Without points there are no rows to write, however many corrugations remain.
  if (wall.nspl <= 0) return;
  for (std::int64_t i = 1; i <= ncr; ++i) write_remaining_corrugation(out, wall, band, i);
}

}  // namespace

void sinecorr_wall(Dialogue& dialogue, Band band) {
  SineCorrWall wall{};
  const auto [out, unit] =
      open_base_line_wall(dialogue, " ZEPRA zul file: linear depth sine corrugated outer wall",
                          wall.base, sinecorr_questions);
  dialogue.ask(corrugation_count_question, {&wall.ncorr});

  // NSPL = 0 divides by zero: SPLC is infinite, and the run goes on.
  dialogue.ask(points, {&wall.nspl});
  wall.splc = to_single(2.0 * as_double(pi) / as_double(wall.nspl));
  out.numeric_variable_pair("SPLC", wall.splc, "NSPL", static_cast<float>(wall.nspl));

  ask_first_corrugation(dialogue, out, first_distance, wall.d1, wall.base);
  ask_variable_corrugations(dialogue, out, wall);
  ask_tapers(dialogue, out, wall.tapers, band,
             {heights, first_heights, second_band_heights_question});

  // Counted over every variable corrugation asked for, with variables or not.
  const std::int64_t ncr = remaining_count(wall.ncorr, wall.nvar);
  if (ncr > 0) {
    out.expression_variable("ZCS", expression("(REF(ZW2)-REF(ZCF))/", Int3{ncr}));
    out.numeric_variable("NCR", static_cast<float>(ncr));
  }
  write_profile(out, unit, wall, band, ncr);
}

const AnswersSchema sinecorr_answers{questions, five_unit_table, "NVAR", variable_corrugation_cap};

const Program sinecorr_program{
    "hornwall_sinecorr",
    " ZEPRA ZUL file for sine corrugated outer wall of horn\n Linear corrugation taper\n",
    sinecorr_wall,
    "Describes, for ZEPRA, the outer wall of a horn: a conical wall with sine-shaped\n"
    "(raised-cosine) corrugations whose heights taper, in a single or a dual band.\n",
    "sinecorr",
    true,
    false,
    &sinecorr_answers};

}  // namespace hornwall
