#pragma once

#include <cstdint>
#include <string_view>

#include "arithmetic.hpp"
#include "dialogue.hpp"
#include "object_writer.hpp"

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

// The texts that differ from program to program.
struct BaseLineQuestions {
  std::string_view units;         // the unit question, matching `unit_table`
  std::string_view unit_table;    // five_unit_table or four_unit_table
  std::string_view final_radius;  // the question for RW2
  std::string_view wall_end;      // the question for ZW2
};

// Asks for RW1, the unit code, ZW1, RW2 and ZW2, and writes the blocks RW1, ZW1, RW2 and
// ZW2 as their answers come; computes RD and ZD. Returns the unit name. Raises the
// failures of the dialogue and of the writer, and unit code not in table (66) before
// any block is written.
std::string_view ask_base_line(Dialogue& dialogue, ObjectWriter& out, BaseLine& base,
                               const BaseLineQuestions& questions);

}  // namespace hornwall
