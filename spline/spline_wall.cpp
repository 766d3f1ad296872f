#include "hornwall/spline_wall.hpp"

#include <cmath>
#include <cstdint>
#include <string>

#include "hornwall/arithmetic.hpp"
#include "hornwall/base_line.hpp"

namespace hornwall {
namespace {

// The questions, in the order they are asked, after RW1, the unit and ZW1.
const Question final_radius{
    " Enter radius of final outer wall ", {{{"RW2"}}}, 1, "radius of final outer wall RW2{unit}"};
const Question wall_end{" Enter end of outer wall Z position (positive) ",
                        {{{"ZW2"}}},
                        1,
                        "end of outer wall Z position ZW2, positive{unit}"};
const Question periods_and_points{
    " Enter number of sinusoids along horn, total # pts ",
    {{{"NSIN", ValueKind::count}, {"NPTS", ValueKind::count}}},
    2,
    "number of sinusoids NSIN (whole periods), total number of points NPTS"};
const Question ripple_height{" Enter Sinusoid total height ",
                             {{{"HT"}}},
                             1,
                             "sinusoid total height HT, peak to trough{unit}"};
const Question ripple_start{" Enter Z distance to sinusoid ",
                            {{{"D1"}}},
                            1,
                            "Z distance to sinusoid D1, where the ripple starts{unit}"};
const Question ripple_length{" Enter Z length of sinusoid ",
                             {{{"SPL"}}},
                             1,
                             "Z length of sinusoid SPL, axial length of the ripple{unit}"};

const Question* const questions[] = {&object_file_question, &aperture_radius_question,
                                     &five_units_question,  &initial_position_question,
                                     &final_radius,         &wall_end,
                                     &periods_and_points,   &ripple_height,
                                     &ripple_start,         &ripple_length};

const BaseLineQuestions spline_questions{five_units_question, five_unit_table, final_radius,
                                         wall_end};

// One run's answers and derived values. Everything starts at zero, and an answer
// left empty keeps the value it had.
struct SplineWall {
  BaseLine base;      // RW1, the unit, ZW1, RW2, ZW2, with RD and ZD
  std::int32_t nsin;  // number of ripple periods
  std::int32_t npts;  // number of ripple points
  float ht;           // ripple height, peak to trough
  float d1;           // position where the ripple starts
  float spl;          // axial length of the ripple
  RippleSteps steps;  // axial and phase step between ripple points
};

RipplePoint ripple_point(const SplineWall& wall, std::int64_t i) {
  return ripple_point(wall.ht, wall.steps, i);
}

void write_straight_start(ObjectWriter& out, std::string_view unit) {
  out.profile_header("horn_exterior", unit);
  out.node_row(expression("-REF(ZW1)"), expression("REF(RW1)"));
  out.node_row(expression("-REF(ZC1)"), expression("REF(RC1)"));
  out.full_close();
}

void write_ripple_variables(ObjectWriter& out, const SplineWall& wall) {
  for (std::int64_t i = 1; i <= wall.npts; ++i) {
    // RSP1 ... RSP9, RSP10 ...: the index grows with its digits.
    out.numeric_variable(expression("RSP", Int1{i}), ripple_point(wall, i).rsp);
  }
}

// The ripple rows, each on the base line at its offset plus the height RSPi. Returns the
// last point written, which the last profile starts from (zero when there is none).
RipplePoint write_ripple(ObjectWriter& out, std::string_view unit, const SplineWall& wall) {
  out.profile_header("sinusoid_outer", unit, {.snap_to_aperture = true, .coor_order = true});
  RipplePoint last{};
  for (std::int64_t i = 1; i <= wall.npts; ++i) {
    last = ripple_point(wall, i);
    out.node_row(expression("-ref(ZC1)-", Sci5{last.zs}),
                 expression("ref(RD)*(ref(ZC1)+", Sci5{last.zs}, ")/ref(ZD)+ref(RW1)+ref(RSP",
                            Int1{i}, ")"));
  }
  out.full_close();
  return last;
}

// The last ripple point again, its height as a number, then the end of the wall.
void write_straight_end(ObjectWriter& out, std::string_view unit, RipplePoint last) {
  out.profile_header("horn_exterior_2", unit, {.snap_to_aperture = true});
  out.node_row(
      expression("-ref(ZC1)-", Sci5{last.zs}),
      expression("ref(RD)*(ref(ZC1)+", Sci5{last.zs}, ")/ref(ZD)+ref(RW1)+", Sci5{last.rsp}));
  out.node_row(expression("-ref(ZW2)"), expression("ref(RW2)"));
  out.full_close();
}

}  // namespace

RippleSteps ripple_steps(float spl, std::int32_t nsin, std::int32_t npts) {
  const auto steps = static_cast<std::int64_t>(npts) - 1;
  return {to_single(as_double(spl) / as_double(steps)),
          to_single(2.0 * as_double(pi) * as_double(nsin) / as_double(steps))};
}

RipplePoint ripple_point(float ht, const RippleSteps& steps, std::int64_t i) {
  const double before = as_double(i - 1);
  return {to_single(before * as_double(steps.dz)),
          to_single(as_double(ht) / 2.0 * (1.0 - std::cos(before * as_double(steps.dphi))))};
}

void spline_wall(Dialogue& dialogue) {
  SplineWall wall{};
  const auto [out, unit] = open_base_line_wall(dialogue, " ZEPRA zul file: outer wall spline",
                                               wall.base, spline_questions);
  dialogue.ask(periods_and_points, {&wall.nsin, &wall.npts});
  dialogue.ask(ripple_height, {&wall.ht});
  dialogue.ask(ripple_start, {&wall.d1});

  write_first_position(out, wall.d1, wall.base);
  out.expression_variable("RC1", expression("REF(RD)*REF(ZC1)/REF(ZD)+REF(RW1)"));
  write_straight_start(out, unit);

  dialogue.ask(ripple_length, {&wall.spl});
  out.numeric_variable("SPL", wall.spl);
  out.expression_variable("ZC2", expression("REF(D1)+REF(SPL)"));

  // One step fewer than the points: NPTS = 1 divides by zero, and the run goes on.
  wall.steps = ripple_steps(wall.spl, wall.nsin, wall.npts);
  write_ripple_variables(out, wall);
  const RipplePoint last = write_ripple(out, unit, wall);
  write_straight_end(out, unit, last);
}

const AnswersSchema spline_answers{questions, five_unit_table, "", 0};

const Program spline_program{
    "hornwall_spline",
    " ZEPRA ZUL file for Spline outer wall of horn\n Sinusoidal initial\n",
    spline_wall,
    "Describes, for ZEPRA, the outer wall of a horn: a conical wall that carries a\n"
    "sinusoidal ripple of whole periods over one stretch.\n",
    "spline",
    false,
    false,
    &spline_answers};

}  // namespace hornwall
