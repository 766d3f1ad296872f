#pragma once

#include <cstddef>
#include <ostream>
#include <string>

// The text that an output (the picture, a table) composes before it writes it.
namespace hornwall::view {

// Writes what `text` holds to `out` and empties it once it exceeds a megabyte, so that an
// output's memory does not grow with the wall; the writer writes the rest at its end.
inline void write_out_when_large(std::string& text, std::ostream& out) {
  constexpr std::size_t most_held = std::size_t{1} << 20;
  if (text.size() > most_held) {
    out << text;
    text.clear();
  }
}

}  // namespace hornwall::view
