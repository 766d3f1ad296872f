#include "base_line.hpp"

namespace hornwall {

std::string_view ask_base_line(Dialogue& dialogue, ObjectWriter& out, BaseLine& base,
                               const BaseLineQuestions& questions) {
  dialogue.ask(" Enter horn aperture outer radius ", {&base.rw1});
  dialogue.ask(questions.units, {&base.unit_code});
  const std::string_view unit = dialogue.length_unit(questions.unit_table, base.unit_code);
  out.numeric_variable("RW1", base.rw1);
  dialogue.ask(" Enter initial outer Z position relative aperture ", {&base.zw1});
  out.numeric_variable("ZW1", base.zw1);
  dialogue.ask(questions.final_radius, {&base.rw2});
  out.numeric_variable("RW2", base.rw2);
  base.rd = static_cast<float>(as_double(base.rw2) - as_double(base.rw1));
  dialogue.ask(questions.wall_end, {&base.zw2});
  out.numeric_variable("ZW2", base.zw2);
  base.zd = static_cast<float>(as_double(base.zw2) - as_double(base.zw1));
  return unit;
}

}  // namespace hornwall
