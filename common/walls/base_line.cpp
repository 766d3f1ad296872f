#include "hornwall/base_line.hpp"

#include "hornwall/arithmetic.hpp"

namespace hornwall {

const Question aperture_radius_question{
    " Enter horn aperture outer radius ", {{{"RW1"}}}, 1, "horn aperture outer radius RW1{unit}"};
const Question initial_position_question{
    " Enter initial outer Z position relative aperture ",
    {{{"ZW1"}}},
    1,
    "initial outer Z position ZW1, behind the aperture plane{unit}"};
const Question five_units_question{" Enter units: 1 in., 2 ft., 3 mm, 4 cm, 5 m ",
                                   {{{"UNIT", ValueKind::unit_code}}},
                                   1,
                                   "units: 1 in, 2 ft, 3 mm, 4 cm, 5 m"};
const Question four_units_question{" Enter units: 1 in., 2 ft., 3 mm, 4 m ",
                                   {{{"UNIT", ValueKind::unit_code}}},
                                   1,
                                   "units: 1 in, 2 ft, 3 mm, 4 m"};

BaseLineWall open_base_line_wall(Dialogue& dialogue, std::string_view banner, BaseLine& base,
                                 const BaseLineQuestions& questions) {
  ObjectWriter& out = dialogue.open_object_file(banner);
  dialogue.ask(aperture_radius_question, {&base.rw1});
  const std::string_view unit =
      dialogue.ask_unit(questions.units, questions.unit_table, base.unit_code);
  out.numeric_variable("RW1", base.rw1);
  dialogue.ask(initial_position_question, {&base.zw1});
  out.numeric_variable("ZW1", base.zw1);
  dialogue.ask(questions.final_radius, {&base.rw2});
  out.numeric_variable("RW2", base.rw2);
  base.rd = to_single(as_double(base.rw2) - as_double(base.rw1));
  dialogue.ask(questions.wall_end, {&base.zw2});
  out.numeric_variable("ZW2", base.zw2);
  base.zd = to_single(as_double(base.zw2) - as_double(base.zw1));
  return {out, unit};
}

void write_first_position(ObjectWriter& out, float d1, const BaseLine& base) {
  out.numeric_variable("D1", d1);
  out.expression_variable("ZC1", expression("REF(D1)"));
  out.numeric_variable("ZD", base.zd);
  out.numeric_variable("RD", base.rd);
}

}  // namespace hornwall
