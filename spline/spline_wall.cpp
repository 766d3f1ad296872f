#include "spline_wall.hpp"

#include <cmath>
#include <cstdint>
#include <string>

#include "base_line.hpp"
#include "fields.hpp"
#include "frame.hpp"

namespace hornwall {
namespace {

constexpr BaseLineQuestions spline_questions{" Enter units: 1 in., 2 ft., 3 mm, 4 cm, 5 m ",
                                             five_unit_table, " Enter radius of final outer wall ",
                                             " Enter end of outer wall Z position (positive) "};

// The single-precision value nearest to pi.
constexpr float pi = 3.14159274f;

// One run's answers and derived values. Everything starts at zero, and an answer
// left empty keeps the value it had.
struct SplineWall {
  BaseLine base;      // RW1, the unit, ZW1, RW2, ZW2, with RD and ZD
  std::int32_t nsin;  // number of ripple periods
  std::int32_t npts;  // number of ripple points
  float ht;           // ripple height, peak to trough
  float d1;           // position where the ripple starts
  float spl;          // axial length of the ripple
  float dz;           // axial step between ripple points
  float dphi;         // phase step between ripple points
  float zs;           // offset of a ripple point behind the ripple start
  float rsp;          // ripple height at that point
};

// The ripple height at point `i`: a raised cosine that starts at zero.
float ripple_height(const SplineWall& wall, std::int64_t i) {
  return static_cast<float>(as_double(wall.ht) / 2.0 *
                            (1.0 - std::cos(as_double(i - 1) * as_double(wall.dphi))));
}

float ripple_offset(const SplineWall& wall, std::int64_t i) {
  return static_cast<float>(as_double(i - 1) * as_double(wall.dz));
}

// The names RSP1 ... RSP9, RSP10 ...: the index field grows with its digits.
std::string ripple_name(std::int64_t i) { return "RSP" + std::to_string(i); }

std::string ripple_z(const std::string& offset) { return quoted("-ref(ZC1)-" + offset); }

std::string ripple_base(const std::string& offset) {
  return "ref(RD)*(ref(ZC1)+" + offset + ")/ref(ZD)+ref(RW1)+";
}

void write_straight_start(ObjectWriter& out, std::string_view unit) {
  out.profile_header("horn_exterior", unit);
  out.node_row(quoted("-REF(ZW1)"), quoted("REF(RW1)"));
  out.node_row(quoted("-REF(ZC1)"), quoted("REF(RC1)"));
  out.full_close();
}

void write_ripple_variables(ObjectWriter& out, SplineWall& wall) {
  for (std::int64_t i = 1; i <= wall.npts; ++i) {
    wall.rsp = ripple_height(wall, i);
    out.numeric_variable(ripple_name(i), wall.rsp);
  }
}

void write_ripple(ObjectWriter& out, std::string_view unit, SplineWall& wall) {
  out.profile_header("sinusoid_outer", unit, {.snap_to_aperture = true, .coor_order = true});
  for (std::int64_t i = 1; i <= wall.npts; ++i) {
    wall.zs = ripple_offset(wall, i);
    wall.rsp = ripple_height(wall, i);
    const std::string offset = sci12_5(wall.zs);
    out.node_row(ripple_z(offset), quoted(ripple_base(offset) + "ref(" + ripple_name(i) + ")"));
  }
  out.full_close();
}

// The last ripple point again, its height as a number, then the end of the wall.
void write_straight_end(ObjectWriter& out, std::string_view unit, const SplineWall& wall) {
  out.profile_header("horn_exterior_2", unit, {.snap_to_aperture = true});
  const std::string offset = sci12_5(wall.zs);
  out.node_row(ripple_z(offset), quoted(ripple_base(offset) + sci12_5(wall.rsp)));
  out.node_row(quoted("-ref(ZW2)"), quoted("ref(RW2)"));
  out.full_close();
}

}  // namespace

void spline_wall(Dialogue& dialogue) {
  SplineWall wall{};
  ObjectWriter& out = dialogue.open_object_file(" ZEPRA zul file: outer wall spline");

  const std::string_view unit = ask_base_line(dialogue, out, wall.base, spline_questions);
  dialogue.ask(" Enter number of sinusoids along horn, total # pts ", {&wall.nsin, &wall.npts});
  dialogue.ask(" Enter Sinusoid total height ", {&wall.ht});
  dialogue.ask(" Enter Z distance to sinusoid ", {&wall.d1});

  out.numeric_variable("D1", wall.d1);
  out.expression_variable("ZC1", "REF(D1)");
  out.numeric_variable("ZD", wall.base.zd);
  out.numeric_variable("RD", wall.base.rd);
  out.expression_variable("RC1", "REF(RD)*REF(ZC1)/REF(ZD)+REF(RW1)");
  write_straight_start(out, unit);

  dialogue.ask(" Enter Z length of sinusoid ", {&wall.spl});
  out.numeric_variable("SPL", wall.spl);
  out.expression_variable("ZC2", "REF(D1)+REF(SPL)");

  // One point fewer than the points: NPTS = 1 divides by zero, and the run goes on.
  const auto steps = static_cast<std::int64_t>(wall.npts) - 1;
  wall.dz = static_cast<float>(as_double(wall.spl) / as_double(steps));
  wall.dphi = static_cast<float>(
      2.0 * as_double(pi) * as_double(static_cast<std::int64_t>(wall.nsin)) / as_double(steps));
  write_ripple_variables(out, wall);
  write_ripple(out, unit, wall);
  write_straight_end(out, unit, wall);
  dialogue.close_object_file();
}

constexpr Program spline_program{
    " ZEPRA ZUL file for Spline outer wall of horn\n Sinusoidal initial\n", spline_wall, nullptr};

int run_spline(Console console, FileSystem& files, std::span<const std::string> arguments) {
  return run_program(spline_program, console, files, arguments);
}

}  // namespace hornwall
