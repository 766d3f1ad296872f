#include "thickcorr_wall.hpp"

#include <cstdint>
#include <string>
#include <string_view>

#include "arithmetic.hpp"
#include "corrugation.hpp"
#include "fields.hpp"
#include "frame.hpp"

namespace hornwall {
namespace {

// One run's answers and derived values. Everything starts at zero, and an answer
// left empty keeps the value it had. Ridges are numbered 0 to nc.
struct ThickCorrWall {
  float ra;                // horn aperture radius; every outer radius is measured from it
  std::int32_t unit_code;  // position in the four-unit table
  float at;                // wall thickness at the aperture plane
  float zi;                // distance from the aperture plane to the front face of ridge 0
  float wt1;               // wall thickness under ridge 0 and in front of ridge 1
  float wt2;               // wall thickness behind the last ridge
  float lc;                // from the front face of ridge 0 to that of the last ridge
  std::int32_t nc;         // number of ridges after ridge 0
  float ct;                // axial thickness of every ridge
  float cd1;               // height of ridge 0 of the first row
  float cd2;               // height of the last ridge of the first row
  float cd3;               // height of ridge 0 of the second row
  float cd4;               // height of the last ridge of the second row
  float fl;                // length of the final wall, from the back face of the last ridge
  float ft;                // wall thickness at the far end of the final wall
  float h;                 // half the ridge spacing: how far the second row stands behind
  float z1;                // front face of ridge i, behind the front face of ridge 0
  float z2;                // back face of ridge i
  float z3;                // front face of second-row ridge i
  float z4;                // back face of second-row ridge i
  float floor_in_front;    // floor radius in front of ridge i
  float floor_behind;      // floor radius behind ridge i
};

// The variables that carry the heights of the first and of the last ridge of a row.
struct RowHeights {
  std::string_view first;
  std::string_view last;
};

constexpr RowHeights first_row{"CD1", "CD2"};
constexpr RowHeights second_row{"CD3", "CD4"};

float sum(float a, float b) { return static_cast<float>(as_double(a) + as_double(b)); }

// Z(i): the front face of ridge i behind that of ridge 0, (i * LC) / NC.
float ridge_offset(const ThickCorrWall& wall, std::int64_t i) {
  return static_cast<float>(as_double(i) * as_double(wall.lc) / as_double(wall.nc));
}

// B(0): the floor radius under ridge 0 and in front of ridge 1.
float first_floor(const ThickCorrWall& wall) { return sum(wall.wt1, wall.ra); }

// B(k): the floor radius after k equal steps from WT1 towards WT2.
float floor_radius(const ThickCorrWall& wall, std::int64_t k) {
  return static_cast<float>((as_double(wall.wt2) - as_double(wall.wt1)) * as_double(k) /
                                as_double(wall.nc) +
                            as_double(wall.wt1) + as_double(wall.ra));
}

// H: half the spacing of the ridges. NC = 0 makes it infinite (NaN when LC is 0 too),
// and the run goes on.
float half_spacing(const ThickCorrWall& wall) {
  return static_cast<float>(as_double(wall.lc) / as_double(wall.nc) / 2.0);
}

// The far end of the final wall, measured from the back face of the last ridge of
// the first row: (LC + FL) + CT, rounded once.
float final_offset(const ThickCorrWall& wall) {
  return static_cast<float>(as_double(wall.lc) + as_double(wall.fl) + as_double(wall.ct));
}

// A z column `offset` behind the front face of ridge 0.
std::string behind_ridge_0(float offset) { return quoted("-REF(ZI)-" + sci12_4(offset)); }

// The height of ridge 0 of a row, standing on `floor`.
std::string first_height(RowHeights row, float floor) {
  return quoted("REF(" + std::string(row.first) + ")+" + sci12_4(floor));
}

// The height of ridge i of a row, i steps from its first height towards its last,
// standing on `floor`. The counts are written in full when they outgrow three columns.
std::string tapered_height(RowHeights row, std::int64_t i, std::int32_t nc, float floor) {
  const std::string first(row.first);
  const std::string last(row.last);
  return quoted(int_field(i, 3) + "*(REF(" + last + ")-REF(" + first + "))/" + int_field(nc, 3) +
                "+REF(" + first + ")+" + sci12_4(floor));
}

// The four rows of one ridge: the floor in front of it, up its front face, along its
// top, down its back face to the floor behind it.
void write_ridge(ObjectWriter& out, const std::string& front, const std::string& back,
                 float floor_in_front, const std::string& height, float floor_behind) {
  out.node_row(front, sci12_4(floor_in_front));
  out.node_row(front, height);
  out.node_row(back, height);
  out.node_row(back, sci12_4(floor_behind));
}

// Asks every question after the object file name; returns the unit name.
std::string_view ask_dimensions(Dialogue& dialogue, ThickCorrWall& wall, Band band) {
  dialogue.ask(" Enter horn aperture radius ", {&wall.ra});
  dialogue.ask(" Enter units: 1 in., 2 ft., 3 mm, 4 m ", {&wall.unit_code});
  const std::string_view unit = dialogue.length_unit(four_unit_table, wall.unit_code);
  dialogue.ask(" Enter aperture wall thickness ", {&wall.at});
  dialogue.ask(" Enter variable distance to 1st corrugation ", {&wall.zi});
  dialogue.ask(" Enter 1st, last corrugation wall thicknesses ", {&wall.wt1, &wall.wt2});
  dialogue.ask(" Enter length of corrugations along horn, number ", {&wall.lc, &wall.nc});
  dialogue.ask(" Corrugation thickness ", {&wall.ct});
  if (band == Band::single) {
    dialogue.ask(" Enter variables: Corrugation depth 1st, last ", {&wall.cd1, &wall.cd2});
  } else {
    dialogue.ask(" Enter variables: 1st Corrugation depth 1st, last ", {&wall.cd1, &wall.cd2});
    dialogue.ask(" Enter variables: 2nd Corrugation depth 1st, last ", {&wall.cd3, &wall.cd4});
  }
  dialogue.ask(" Enter final wall length, thickness ", {&wall.fl, &wall.ft});
  return unit;
}

void write_variables(ObjectWriter& out, const ThickCorrWall& wall, Band band) {
  out.numeric_variable("ZI", wall.zi);
  out.numeric_variable("CD1", wall.cd1);
  out.numeric_variable("CD2", wall.cd2);
  if (band == Band::dual) {
    out.numeric_variable("CD3", wall.cd3);
    out.numeric_variable("CD4", wall.cd4);
  }
}

// The aperture wall, ridge 0 of the first row and, in the dual band, ridge 0 of the
// second row, H behind the front face of ridge 0.
void write_leading_rows(ObjectWriter& out, ThickCorrWall& wall, Band band) {
  out.node_row(sci12_4(0.0f), sci12_4(sum(wall.at, wall.ra)));
  wall.floor_behind = first_floor(wall);
  const float floor = wall.floor_behind;
  write_ridge(out, quoted("-REF(ZI)"), behind_ridge_0(wall.ct), floor,
              first_height(first_row, floor), floor);
  if (band == Band::dual) {
    wall.h = half_spacing(wall);
    write_ridge(out, behind_ridge_0(wall.h), behind_ridge_0(sum(wall.h, wall.ct)), floor,
                first_height(second_row, floor), floor);
  }
}

// Ridges 1 to NC. The wall thickness steps at the back face of each first-row ridge;
// a second-row ridge stands H behind that back face, on the floor it left.
void write_ridges(ObjectWriter& out, ThickCorrWall& wall, Band band) {
  for (std::int64_t i = 1; i <= wall.nc; ++i) {
    wall.floor_in_front = wall.floor_behind;
    wall.floor_behind = floor_radius(wall, i);
    wall.z1 = ridge_offset(wall, i);
    wall.z2 = sum(wall.z1, wall.ct);
    write_ridge(out, behind_ridge_0(wall.z1), behind_ridge_0(wall.z2), wall.floor_in_front,
                tapered_height(first_row, i, wall.nc, wall.floor_in_front), wall.floor_behind);
    if (band == Band::dual) {
      wall.z3 = sum(wall.z2, wall.h);
      wall.z4 = sum(wall.z3, wall.ct);
      write_ridge(out, behind_ridge_0(wall.z3), behind_ridge_0(wall.z4), wall.floor_behind,
                  tapered_height(second_row, i, wall.nc, wall.floor_behind), wall.floor_behind);
    }
  }
}

// Every question is asked before the first block is written, so a run that fails on
// an answer leaves the object file without any object.
void thickcorr_wall(Dialogue& dialogue, std::string_view banner, Band band) {
  ThickCorrWall wall{};
  ObjectWriter& out = dialogue.open_object_file(banner);
  const std::string_view unit = ask_dimensions(dialogue, wall, band);

  write_variables(out, wall, band);
  out.profile_header("horn_exterior", unit);
  write_leading_rows(out, wall, band);
  write_ridges(out, wall, band);
  out.node_row(behind_ridge_0(final_offset(wall)), sci12_4(sum(wall.ft, wall.ra)));
  out.short_close();
  dialogue.close_object_file();
}

}  // namespace

void thickcorr_single_band(Dialogue& dialogue) {
  thickcorr_wall(dialogue, " ZEPRA zul file: linear depth corrugated outer wall", Band::single);
}

void thickcorr_dual_band(Dialogue& dialogue) {
  thickcorr_wall(dialogue, " ZEPRA zul file: linear dual depth corrugated outer wall", Band::dual);
}

constexpr Program thickcorr_program{
    " ZEPRA ZUL file for corrugated outer wall of horn\n Linear corrugation taper\n",
    thickcorr_single_band, thickcorr_dual_band};

int run_thickcorr(Console console, FileSystem& files, std::span<const std::string> arguments) {
  return run_program(thickcorr_program, console, files, arguments);
}

}  // namespace hornwall
