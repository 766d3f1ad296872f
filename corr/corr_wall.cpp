#include "hornwall/corr_wall.hpp"

#include <cstdint>
#include <string>
#include <string_view>

#include "hornwall/base_line.hpp"
#include "hornwall/corrugation.hpp"

namespace hornwall {
namespace {

// The questions, in the order they are asked, after RW1, the unit and ZW1.
const Question wall_end{" Enter end of corrugations Z position (positive) ",
                        {{{"ZW2"}}},
                        1,
                        "end of corrugations Z position ZW2, far face of the last one{unit}"};
const Question thickness{
    " Enter Corrugation thickness ", {{{"CT"}}}, 1, "corrugation thickness CT, axial{unit}"};
const Question first_distance{" Enter Z distance to first corrugation ",
                              {{{"D1"}}},
                              1,
                              "Z distance to first corrugation D1, to its near face{unit}"};
const Question variable_count{" Enter number of variable corrugations (< 8) ",
                              {{{"NVAR", ValueKind::count}}},
                              1,
                              "number of variable corrugations NVAR (at most 7)",
                              Echo::no};
const Question gap{" Enter Z distance to next corrugation ",
                   {{{"D"}}},
                   1,
                   "variable corrugation {k}: gap D{k} from the far face of {k-1}{unit}",
                   Echo::no,
                   Asked::each_later_pass};
const Question heights{" Enter remaining corrugation height 1st, last ",
                       {{{"CD1"}, {"CD2"}}},
                       2,
                       "remaining corrugation heights: first CD1, last CD2{unit}",
                       Echo::no,
                       Asked::single_band};
const Question first_heights{" Enter remaining corrugation height 1st, last ",
                             {{{"CD1"}, {"CD2"}}},
                             2,
                             "first band (odd) remaining heights: first CD1, last CD2{unit}",
                             Echo::no,
                             Asked::dual_band};

const Question* const questions[] = {&corrugation_type_question,
                                     &object_file_question,
                                     &aperture_radius_question,
                                     &four_units_question,
                                     &initial_position_question,
                                     &corrugated_final_radius_question,
                                     &wall_end,
                                     &corrugation_count_question,
                                     &thickness,
                                     &first_distance,
                                     &variable_count,
                                     &gap,
                                     &corrugation_height_question,
                                     &heights,
                                     &first_heights,
                                     &second_band_heights_question};

const BaseLineQuestions corr_questions{four_units_question, four_unit_table,
                                       corrugated_final_radius_question, wall_end};

// One run's answers. Everything starts at zero, and an answer left empty keeps the value
// it had: inside the loop, the previous pass's answer.
struct CorrWall {
  BaseLine base;       // RW1, the unit, ZW1, RW2, ZW2, with RD and ZD
  std::int32_t ncorr;  // corrugations along the horn, variable and remaining together
  float ct;            // axial thickness of every corrugation
  float d1;            // distance from the aperture to the near face of corrugation 1
  std::int32_t nvar;   // number of variable corrugations
  float gap;           // this pass: from the far face of the previous corrugation
  float height;        // this pass: height of the variable corrugation
  Tapers tapers;       // CD1, CD2 and, in the dual band, CD3, CD4
};

// The number of variable corrugations, then their passes. Passes 2 on ask the gap before their
// corrugation; every pass asks its height. Only corrugations up to the cap get variables: the last
// of them also fixes ZCF, and later passes read their answers and write nothing.
void ask_variable_corrugations(Dialogue& dialogue, ObjectWriter& out, CorrWall& wall) {
  dialogue.ask(variable_count, {&wall.nvar});
  // Without a second variable corrugation the remaining ones are counted from the first.
  if (wall.nvar <= 1) out.expression_variable("ZCF", expression("REF(ZC1)"));
  const std::int64_t last_named = named_corrugations(wall.nvar);
  for (std::int64_t i = 1; i <= wall.nvar; ++i) {
    const bool named = i <= variable_corrugation_cap;
    const std::string k = std::to_string(i);
    if (i >= 2) {
      dialogue.ask(gap, {&wall.gap}, named ? i : 0);
      if (named) {
        out.numeric_variable("D" + k, wall.gap);
        out.expression_variable("ZC" + k,
                                expression("REF(ZC", Int1{i - 1}, ")+REF(D", Int1{i}, ")+REF(CT)"));
        if (i == last_named) out.expression_variable("ZCF", expression("REF(ZC", Int1{i}, ")"));
      }
    }
    dialogue.ask(corrugation_height_question, {&wall.height}, named ? i : 0);
    if (named) {
      out.numeric_variable("C" + k, wall.height);
      out.expression_variable("RC" + k,
                              expression("REF(RD)*REF(ZC", Int1{i}, ")/REF(ZD)+REF(RW1)"));
    }
  }
}

// Up the near face, across the top, down the far face: both faces stand on the
// base-line radius at the near face.
template <typename Near, typename Far, typename Foot, typename Top>
void write_corrugation(ObjectWriter& out, const Near& near_z, const Far& far_z, const Foot& foot,
                       const Top& top) {
  out.node_row(near_z, foot);
  out.node_row(near_z, top);
  out.node_row(far_z, top);
  out.node_row(far_z, foot);
}

void write_variable_corrugation(ObjectWriter& out, std::int64_t k) {
  const Int1 n{k};
  write_corrugation(out, expression("-REF(ZC", n, ")"), expression("-REF(ZC", n, ")-REF(CT)"),
                    expression("REF(RC", n, ")"), expression("REF(RC", n, ")+REF(C", n, ")"));
}

// Remaining corrugation `i` stands `i` pitches ZCS behind ZCF, its height the pieces
// `pieces`: a number, or an expression.
template <typename... Height>
void write_remaining_corrugation(ObjectWriter& out, std::int64_t i, const Height&... pieces) {
  const Int3 index{i};
  write_corrugation(
      out, expression("-REF(ZCF)-REF(ZCS)*", index),
      expression("-REF(ZCF)-REF(ZCS)*", index, "-REF(CT)"),
      expression("REF(RD)*(REF(ZCF)+REF(ZCS)*", index, ")/REF(ZD)+REF(RW1)"),
      expression("REF(RD)*(REF(ZCF)+REF(ZCS)*", index, ")/REF(ZD)+REF(RW1)+", pieces...));
}

// The remaining corrugations, their heights as numbers or, parametric, as expressions over
// their taper's variables that give what the numbers hold: a lone remaining corrugation
// CD1, the others their taper's step along, "  3*(REF(CD2)-REF(CD1))/ 46+REF(CD1)".
void write_remaining_corrugations(ObjectWriter& out, const Tapers& tapers, Band band,
                                  std::int64_t nrem, bool parametric) {
  for (std::int64_t i = 1; i <= nrem; ++i) {
    if (!parametric) {
      write_remaining_corrugation(out, i, Sci4{remaining_height(tapers, band, i, nrem)});
    } else if (nrem == 1) {
      write_remaining_corrugation(out, i, "REF(CD1)");
    } else {
      const bool second = takes_second_taper(band, i);
      const std::string_view first = second ? "REF(CD3)" : "REF(CD1)";
      const std::string_view last = second ? "REF(CD4)" : "REF(CD2)";
      write_remaining_corrugation(out, i, Int3{i - 1}, "*(", last, "-", first, ")/", Int3{nrem - 1},
                                  "+", first);
    }
  }
}

}  // namespace

void corr_wall(Dialogue& dialogue, Band band) {
  CorrWall wall{};
  const auto [out, unit] = open_base_line_wall(
      dialogue, " ZEPRA zul file: linear depth corrugated outer wall", wall.base, corr_questions);
  dialogue.ask(corrugation_count_question, {&wall.ncorr});
  dialogue.ask(thickness, {&wall.ct});
  out.numeric_variable("CT", wall.ct);
  ask_first_corrugation(dialogue, out, first_distance, wall.d1, wall.base);
  ask_variable_corrugations(dialogue, out, wall);
  const std::int64_t nrem = remaining_count(wall.ncorr, wall.nvar);
  // The first taper is not shown back on the console; the dual band's second one is.
  ask_tapers(dialogue, out, wall.tapers, band,
             {heights, first_heights, second_band_heights_question});

  // The pitch of the remaining corrugations brings the far face of the last one to ZW2.
  if (nrem > 0) {
    out.expression_variable("ZCS", expression("(REF(ZW2)-REF(ZCF)-REF(CT))/", Int3{nrem}));
  }
  out.profile_header("horn_exterior", unit);
  out.node_row(expression("-REF(ZW1)"), expression("REF(RW1)"));
  for (std::int64_t k = 1; k <= named_corrugations(wall.nvar); ++k) {
    write_variable_corrugation(out, k);
  }
  write_remaining_corrugations(out, wall.tapers, band, nrem, dialogue.choices().parametric_heights);
  // The file ends with the last node row: the profile is left open.
}

const AnswersSchema corr_answers{questions, four_unit_table, "NVAR", variable_corrugation_cap};

const Program corr_program{
    "hornwall_corr",
    " ZEPRA ZUL file for corrugated outer wall of horn\n Linear corrugation taper\n",
    corr_wall,
    "Describes, for ZEPRA, the outer wall of a horn: a conical wall with rectangular\n"
    "corrugations of one axial thickness whose heights taper, in a single or a dual band.\n",
    "corr",
    true,
    true,
    &corr_answers};

}  // namespace hornwall
