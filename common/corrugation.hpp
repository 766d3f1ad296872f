#pragma once

#include "dialogue.hpp"
#include "object_writer.hpp"

namespace hornwall {

// The corrugation type: one height taper, or two that alternate.
enum class Band { single, dual };

// The heights of the remaining corrugations: the first taper from CD1 towards CD2 and,
// in the dual band, the second from CD3 towards CD4. They start at zero, and an answer
// left empty keeps the value it had.
struct Tapers {
  float cd1;
  float cd2;
  float cd3;
  float cd4;
};

// Writes " Linear taper of corrugations", asks for CD1 and CD2 (echoed as `first_echo`
// says) and, in the dual band, for CD3 and CD4 (echoed), then writes the blocks CD1 to
// CD4 once every answer is in. Raises the failures of the dialogue and of the writer.
void ask_tapers(Dialogue& dialogue, ObjectWriter& out, Tapers& tapers, Band band, Echo first_echo);

}  // namespace hornwall
