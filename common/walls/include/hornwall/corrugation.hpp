#pragma once

#include <cstdint>

#include "hornwall/band.hpp"
#include "hornwall/base_line.hpp"
#include "hornwall/dialogue.hpp"
#include "hornwall/object_writer.hpp"

// What the three corrugated walls share: the variable corrugations' cap, the count of
// the remaining corrugations and the two height tapers.
namespace hornwall {

// Variable corrugations 1 to 7 have variables of their own; further ones are still
// asked for, but nothing is written for them.
inline constexpr std::int64_t variable_corrugation_cap = 7;

// The number of variable corrugations that have variables: NVAR, at most the cap.
std::int64_t named_corrugations(std::int32_t nvar);

// The remaining corrugations after the variable ones, NCORR - NVAR, computed exactly.
std::int64_t remaining_count(std::int32_t ncorr, std::int32_t nvar);

// The heights of the remaining corrugations: the first taper from CD1 towards CD2 and,
// in the dual band, the second from CD3 towards CD4. They start at zero, and an answer
// left empty keeps the value it had.
struct Tapers {
  float cd1;
  float cd2;
  float cd3;
  float cd4;
};

// True when remaining corrugation `i` (from 1) follows the second taper: in the dual
// band, the even-numbered ones do.
bool takes_second_taper(Band band, std::int64_t i);

// The height that a wall computes for remaining corrugation `i` (from 1) of `nrem`: the
// linear taper from the first height of its taper, at the first remaining corrugation, to
// the last, at the last one, with the product before the division and the first height
// added last, all in double precision and rounded once. A single remaining corrugation
// takes CD1. The second taper is taken at the corrugation's own index, so the first
// corrugation that follows it is already one step along it.
float remaining_height(const Tapers& tapers, Band band, std::int64_t i, std::int64_t nrem);

// The questions that the rectangular and the sine corrugated walls ask alike: RW2, the
// corrugations' count NCORR, each variable corrugation's height C{k}, and the second band's
// taper CD3 and CD4.
extern const Question corrugated_final_radius_question;
extern const Question corrugation_count_question;
extern const Question corrugation_height_question;
extern const Question second_band_heights_question;

// The questions of the tapers: CD1 and CD2 in the single band, and in the dual band (where
// a template says more of them), then CD3 and CD4.
struct TaperQuestions {
  const Question& single;
  const Question& first;
  const Question& second;
};

// Writes " Linear taper of corrugations", asks for CD1 and CD2 and, in the dual band, for
// CD3 and CD4, then writes the taper blocks once every answer is in. Raises the failures
// of the dialogue and of the writer.
void ask_tapers(Dialogue& dialogue, ObjectWriter& out, Tapers& tapers, Band band,
                const TaperQuestions& questions);

// Asks `question` (" Enter Z distance to first corrugation ") for `d1` and writes the
// objects of the first position on the base line: D1, ZC1, ZD and RD.
void ask_first_corrugation(Dialogue& dialogue, ObjectWriter& out, const Question& question,
                           float& d1, const BaseLine& base);

// Writes the blocks CD1 and CD2 and, in the dual band, CD3 and CD4.
void write_tapers(ObjectWriter& out, const Tapers& tapers, Band band);

}  // namespace hornwall
