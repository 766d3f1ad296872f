#include "hornwall/corrugation.hpp"

#include <algorithm>

#include "hornwall/arithmetic.hpp"

namespace hornwall {

const Question corrugated_final_radius_question{
    " Enter radius of final corrugation ", {{{"RW2"}}}, 1, "radius of final corrugation RW2{unit}"};
const Question corrugation_count_question{
    " Enter number of corrugations along horn ",
    {{{"NCORR", ValueKind::count}}},
    1,
    "number of corrugations NCORR, variable and remaining together"};
const Question corrugation_height_question{" Enter corrugation height ",
                                           {{{"C"}}},
                                           1,
                                           "variable corrugation {k}: height C{k}{unit}",
                                           Echo::yes,
                                           Asked::each_pass};
const Question second_band_heights_question{
    " Enter variables: 2nd Corrugation depth 1st, last ",
    {{{"CD3"}, {"CD4"}}},
    2,
    "second band (even) remaining heights: first CD3, last CD4{unit}",
    Echo::yes,
    Asked::dual_band};

std::int64_t named_corrugations(std::int32_t nvar) {
  return std::min<std::int64_t>(nvar, variable_corrugation_cap);
}

std::int64_t remaining_count(std::int32_t ncorr, std::int32_t nvar) {
  return static_cast<std::int64_t>(ncorr) - static_cast<std::int64_t>(nvar);
}

bool takes_second_taper(Band band, std::int64_t i) { return band == Band::dual && i % 2 == 0; }

namespace {

// The linear taper from `first` to `last`, taken at remaining corrugation `i` of `nrem`.
float taper(float first, float last, std::int64_t i, std::int64_t nrem) {
  return to_single(as_double(first) +
                   (as_double(last) - as_double(first)) * as_double(i - 1) / as_double(nrem - 1));
}

}  // namespace

float remaining_height(const Tapers& tapers, Band band, std::int64_t i, std::int64_t nrem) {
  if (nrem == 1) return tapers.cd1;
  if (takes_second_taper(band, i)) return taper(tapers.cd3, tapers.cd4, i, nrem);
  return taper(tapers.cd1, tapers.cd2, i, nrem);
}

void ask_first_corrugation(Dialogue& dialogue, ObjectWriter& out, const Question& question,
                           float& d1, const BaseLine& base) {
  dialogue.ask(question, {&d1});
  write_first_position(out, d1, base);
}

void ask_tapers(Dialogue& dialogue, ObjectWriter& out, Tapers& tapers, Band band,
                const TaperQuestions& questions) {
  dialogue.write_line(" Linear taper of corrugations");
  if (band == Band::dual) {
    dialogue.ask(questions.first, {&tapers.cd1, &tapers.cd2});
    dialogue.ask(questions.second, {&tapers.cd3, &tapers.cd4});
  } else {
    dialogue.ask(questions.single, {&tapers.cd1, &tapers.cd2});
  }
  write_tapers(out, tapers, band);
}

void write_tapers(ObjectWriter& out, const Tapers& tapers, Band band) {
  out.numeric_variable("CD1", tapers.cd1);
  out.numeric_variable("CD2", tapers.cd2);
  if (band == Band::dual) {
    out.numeric_variable("CD3", tapers.cd3);
    out.numeric_variable("CD4", tapers.cd4);
  }
}

}  // namespace hornwall
