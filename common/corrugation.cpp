#include "corrugation.hpp"

namespace hornwall {

void ask_tapers(Dialogue& dialogue, ObjectWriter& out, Tapers& tapers, Band band, Echo first_echo) {
  dialogue.write_line(" Linear taper of corrugations");
  dialogue.ask(" Enter remaining corrugation height 1st, last ", {&tapers.cd1, &tapers.cd2},
               first_echo);
  if (band == Band::dual) {
    dialogue.ask(" Enter variables: 2nd Corrugation depth 1st, last ", {&tapers.cd3, &tapers.cd4});
  }
  out.numeric_variable("CD1", tapers.cd1);
  out.numeric_variable("CD2", tapers.cd2);
  if (band == Band::dual) {
    out.numeric_variable("CD3", tapers.cd3);
    out.numeric_variable("CD4", tapers.cd4);
  }
}

}  // namespace hornwall
