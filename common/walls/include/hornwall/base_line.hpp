#pragma once

#include <cstdint>
#include <string_view>

#include "hornwall/dialogue.hpp"
#include "hornwall/object_writer.hpp"
#include "hornwall/units.hpp"

namespace hornwall {

// The straight, conical base line that the spline and corrugated walls stand on: the
// radius RW1 at the aperture plane and RW2 at the distance ZD behind it. Everything
// starts at zero, and an answer left empty keeps the value it had.
struct BaseLine {
  float rw1;               // horn aperture outer radius
  std::int32_t unit_code;  // position in the program's unit table
  float zw1;               // initial outer z position, behind the aperture
  float rw2;               // radius at the end of the wall
  float rd;                // rw2 - rw1
  float zw2;               // end of the wall
  float zd;                // zw2 - zw1
};

// The questions of RW1 and ZW1, which every wall on the base line asks alike, and of the
// unit codes of the five-unit and the four-unit table.
extern const Question aperture_radius_question;
extern const Question initial_position_question;
extern const Question five_units_question;
extern const Question four_units_question;

// The questions that differ from program to program.
struct BaseLineQuestions {
  const Question& units;         // the unit question, matching `unit_table`
  UnitTable unit_table;          // five_unit_table or four_unit_table
  const Question& final_radius;  // the question for RW2
  const Question& wall_end;      // the question for ZW2
};

// The object file of a wall on the base line, and the name of its length unit.
struct BaseLineWall {
  ObjectWriter& out;
  std::string_view unit;
};

// The opening of a wall on the base line: opens the object file after the generator's
// `banner`, asks for RW1, the unit code, ZW1, RW2 and ZW2, and writes the blocks RW1, ZW1,
// RW2 and ZW2 as their answers come; computes RD and ZD. Raises the failures of the
// dialogue and of the writer, and unit code not in table (66) before any block is
// written.
BaseLineWall open_base_line_wall(Dialogue& dialogue, std::string_view banner, BaseLine& base,
                                 const BaseLineQuestions& questions);

// Writes the objects of the first position on the base line: D1 (value `d1`), ZC1 =
// REF(D1), then ZD and RD.
void write_first_position(ObjectWriter& out, float d1, const BaseLine& base);

}  // namespace hornwall
