#include "hornwall/thickcorr_wall.hpp"

#include <cstdint>
#include <string>
#include <string_view>

#include "hornwall/arithmetic.hpp"
#include "hornwall/base_line.hpp"
#include "hornwall/corrugation.hpp"

namespace hornwall {
namespace {

// The questions, in the order they are asked.
const Question radius{
    " Enter horn aperture radius ", {{{"RA"}}}, 1, "horn aperture radius RA{unit}"};
const Question aperture_wall{
    " Enter aperture wall thickness ", {{{"AT"}}}, 1, "aperture wall thickness AT{unit}"};
const Question first_distance{" Enter variable distance to 1st corrugation ",
                              {{{"ZI"}}},
                              1,
                              "distance ZI to the front face of corrugation 0{unit}"};
const Question wall_thicknesses{
    " Enter 1st, last corrugation wall thicknesses ",
    {{{"WT1"}, {"WT2"}}},
    2,
    "wall thicknesses: WT1 under the first, WT2 behind the last corrugation{unit}"};
const Question length_and_count{" Enter length of corrugations along horn, number ",
                                {{{"LC"}, {"NC", ValueKind::count}}},
                                2,
                                "length of corrugations LC{unit}, number NC after corrugation 0"};
const Question thickness{
    " Corrugation thickness ", {{{"CT"}}}, 1, "corrugation thickness CT, axial{unit}"};
const Question heights{" Enter variables: Corrugation depth 1st, last ",
                       {{{"CD1"}, {"CD2"}}},
                       2,
                       "corrugation heights: first CD1, last CD2{unit}",
                       Echo::yes,
                       Asked::single_band};
const Question first_heights{" Enter variables: 1st Corrugation depth 1st, last ",
                             {{{"CD1"}, {"CD2"}}},
                             2,
                             "first row heights: first CD1, last CD2{unit}",
                             Echo::yes,
                             Asked::dual_band};
const Question second_heights{" Enter variables: 2nd Corrugation depth 1st, last ",
                              {{{"CD3"}, {"CD4"}}},
                              2,
                              "second row heights: first CD3, last CD4{unit}",
                              Echo::yes,
                              Asked::dual_band};
const Question final_wall{" Enter final wall length, thickness ",
                          {{{"FL"}, {"FT"}}},
                          2,
                          "final wall: length FL behind the last corrugation, thickness FT{unit}"};

const Question* const questions[] = {&corrugation_type_question,
                                     &object_file_question,
                                     &radius,
                                     &four_units_question,
                                     &aperture_wall,
                                     &first_distance,
                                     &wall_thicknesses,
                                     &length_and_count,
                                     &thickness,
                                     &heights,
                                     &first_heights,
                                     &second_heights,
                                     &final_wall};

// The variables that carry the heights of the first and of the last ridge of a row.
struct RowHeights {
  std::string_view first;
  std::string_view last;
};

constexpr RowHeights first_row{"CD1", "CD2"};
constexpr RowHeights second_row{"CD3", "CD4"};

float sum(float a, float b) { return to_single(as_double(a) + as_double(b)); }

// A z column `offset` behind the front face of ridge 0.
auto behind_ridge_0(float offset) { return expression("-REF(ZI)-", Sci4{offset}); }

// The height of ridge 0 of a row, standing on `floor`.
auto first_height(const RowHeights& row, float floor) {
  return expression("REF(", row.first, ")+", Sci4{floor});
}

// The height of ridge i of a row, i steps from its first height towards its last,
// standing on `floor`. The counts are written in full when they outgrow three columns.
auto tapered_height(const RowHeights& row, std::int64_t i, std::int32_t nc, float floor) {
  return expression(Int3{i}, "*(REF(", row.last, ")-REF(", row.first, "))/", Int3{nc}, "+REF(",
                    row.first, ")+", Sci4{floor});
}

// The four rows of one ridge: the floor in front of it, up its front face, along its
// top, down its back face to the floor behind it.
template <typename Front, typename Back, typename Height>
void write_ridge(ObjectWriter& out, const Front& front, const Back& back, float floor_in_front,
                 const Height& height, float floor_behind) {
  out.node_row(front, Number{floor_in_front});
  out.node_row(front, height);
  out.node_row(back, height);
  out.node_row(back, Number{floor_behind});
}

// Asks every question after the object file name; returns the unit name.
std::string_view ask_dimensions(Dialogue& dialogue, ThickCorrWall& wall, Band band) {
  dialogue.ask(radius, {&wall.ra});
  const std::string_view unit =
      dialogue.ask_unit(four_units_question, four_unit_table, wall.unit_code);
  dialogue.ask(aperture_wall, {&wall.at});
  dialogue.ask(first_distance, {&wall.zi});
  dialogue.ask(wall_thicknesses, {&wall.wt1, &wall.wt2});
  dialogue.ask(length_and_count, {&wall.lc, &wall.nc});
  dialogue.ask(thickness, {&wall.ct});
  Tapers& row = wall.heights;
  if (band == Band::single) {
    dialogue.ask(heights, {&row.cd1, &row.cd2});
  } else {
    dialogue.ask(first_heights, {&row.cd1, &row.cd2});
    dialogue.ask(second_heights, {&row.cd3, &row.cd4});
  }
  dialogue.ask(final_wall, {&wall.fl, &wall.ft});
  return unit;
}

// The aperture wall, ridge 0 of the first row and, in the dual band, ridge 0 of the
// second row, H behind the front face of ridge 0.
void write_leading_rows(ObjectWriter& out, const ThickCorrWall& wall, Band band, float h) {
  out.node_row(Number{0.0f}, Number{sum(wall.at, wall.ra)});
  const float floor = first_floor(wall);
  write_ridge(out, expression("-REF(ZI)"), behind_ridge_0(wall.ct), floor,
              first_height(first_row, floor), floor);
  if (band == Band::dual) {
    write_ridge(out, behind_ridge_0(h), behind_ridge_0(sum(h, wall.ct)), floor,
                first_height(second_row, floor), floor);
  }
}

// Ridges 1 to NC. The wall thickness steps at the back face of each first-row ridge;
// a second-row ridge stands H behind that back face, on the floor it left.
void write_ridges(ObjectWriter& out, const ThickCorrWall& wall, Band band, float h) {
  // The floor behind one ridge is the floor in front of the next.
  float floor_in_front = first_floor(wall);
  for (std::int64_t i = 1; i <= wall.nc; ++i) {
    const float floor_behind = floor_radius(wall, i);
    const float z1 = ridge_offset(wall, i);
    const float z2 = sum(z1, wall.ct);
    write_ridge(out, behind_ridge_0(z1), behind_ridge_0(z2), floor_in_front,
                tapered_height(first_row, i, wall.nc, floor_in_front), floor_behind);
    if (band == Band::dual) {
      const float z3 = sum(z2, h);
      const float z4 = sum(z3, wall.ct);
      write_ridge(out, behind_ridge_0(z3), behind_ridge_0(z4), floor_behind,
                  tapered_height(second_row, i, wall.nc, floor_behind), floor_behind);
    }
    floor_in_front = floor_behind;
  }
}

}  // namespace

float ridge_offset(const ThickCorrWall& wall, std::int64_t i) {
  return to_single(as_double(i) * as_double(wall.lc) / as_double(wall.nc));
}

float first_floor(const ThickCorrWall& wall) { return sum(wall.wt1, wall.ra); }

float floor_radius(const ThickCorrWall& wall, std::int64_t k) {
  return to_single((as_double(wall.wt2) - as_double(wall.wt1)) * as_double(k) / as_double(wall.nc) +
                   as_double(wall.wt1) + as_double(wall.ra));
}

float half_spacing(const ThickCorrWall& wall) {
  return to_single(as_double(wall.lc) / as_double(wall.nc) / 2.0);
}

// FL runs on from the back face of the last ridge of the first row.
float final_offset(const ThickCorrWall& wall) {
  return to_single(as_double(wall.lc) + as_double(wall.fl) + as_double(wall.ct));
}

// Every question is asked before the first block is written, so a run that fails on
// an answer leaves the object file without any object.
void thickcorr_wall(Dialogue& dialogue, Band band) {
  ThickCorrWall wall{};
  ObjectWriter& out = dialogue.open_object_file(
      band == Band::single ? " ZEPRA zul file: linear depth corrugated outer wall"
                           : " ZEPRA zul file: linear dual depth corrugated outer wall");
  const std::string_view unit = ask_dimensions(dialogue, wall, band);

  out.numeric_variable("ZI", wall.zi);
  write_tapers(out, wall.heights, band);
  out.profile_header("horn_exterior", unit);
  // The second row's ridges stand H behind the first row's, every one of them.
  const float h = band == Band::dual ? half_spacing(wall) : 0.0f;
  write_leading_rows(out, wall, band, h);
  write_ridges(out, wall, band, h);
  out.node_row(behind_ridge_0(final_offset(wall)), Number{sum(wall.ft, wall.ra)});
  out.short_close();
}

const AnswersSchema thickcorr_answers{questions, four_unit_table, "", 0};

const Program thickcorr_program{
    "hornwall_thickcorr",
    " ZEPRA ZUL file for corrugated outer wall of horn\n Linear corrugation taper\n",
    thickcorr_wall,
    "Describes, for ZEPRA, the outer wall of a horn: a row of corrugations standing on a\n"
    "wall whose thickness changes in equal steps, in a single or a dual band.\n",
    "thickcorr",
    false,
    false,
    &thickcorr_answers};

}  // namespace hornwall
