#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/expression.hpp"
#include "hornwall/view/lexer.hpp"
#include "hornwall/view/names.hpp"

// The blocks of an object file as a first reading finds them: the variables with their
// values parsed, and the profiles with where their node rows stand, so that the rows can
// be read again, each once, when every variable has its value.
namespace hornwall::view {

// The code of many expressions, kept in blocks that never move once written, so that a
// million values cost neither copies nor spare room beyond one block.
class CodeStore {
 public:
  // Where one expression's code lies.
  struct Place {
    std::uint32_t block = 0;
    std::uint32_t begin = 0;
    std::uint32_t size = 0;
  };
  // Keeps a copy of `code` and returns where. Throws std::length_error beyond 2^32 blocks.
  Place add(std::span<const Instruction> code);
  std::span<const Instruction> at(Place place) const {
    return std::span(blocks_[place.block]).subspan(place.begin, place.size);
  }
  std::span<Instruction> at(Place place) {
    return std::span(blocks_[place.block]).subspan(place.begin, place.size);
  }
  void swap(CodeStore& other) noexcept { blocks_.swap(other.blocks_); }

 private:
  std::vector<std::vector<Instruction>> blocks_;
};

// A `real_variable` block, kept small: a file may hold millions.
struct VariableBlock {
  std::uint64_t line = 0;  // the line of its name
  std::uint32_t name = 0;  // its number in ObjectFile::names
  CodeStore::Place code;   // its value's code: empty when the value does not parse (an
                           // error was reported)
};

// How a profile block ends.
enum class ProfileEnd {
  closed,       // by its closing parentheses
  open_at_end,  // the file ends after a whole node row, as some generators leave it
  cut,          // the file is broken inside the block (an error was reported)
};

// A `circular_symmetric_horn_exterior` block.
struct ProfileBlock {
  std::string name;
  std::uint64_t line = 0;  // the line of its name
  std::string unit;        // the length_unit setting, empty when there is none
  Position rows;           // where the search for its first node row begins
  std::size_t row_count = 0;
  ProfileEnd end = ProfileEnd::cut;
};

// The blocks of one object file, in file order.
struct ObjectFile {
  Names names;                          // the variables' names and every name referenced
  std::deque<VariableBlock> variables;  // a deque: a million grow without a copy
  CodeStore code;                       // the code of every variable's value
  std::vector<ProfileBlock> profiles;
  std::uint64_t cut_from = 0;  // see cut_line_start

  // The code of the value of variable `v`.
  std::span<const Instruction> code_of(std::size_t v) const { return code.at(variables[v].code); }
};

// Reads `source` block by block. Blanks, tabs and line ends between tokens are free. The
// first thing that is not a well-formed block (an unknown word, a missing parenthesis, a
// bare value that is not a number, a quoted expression that runs past its line, a file
// that ends inside a block or a node row, or whose last line holds part of one but no
// line end) is reported as an error on its line and ends the reading; the blocks and
// whole node rows read before it are kept. A value that does not parse and a variable
// defined again are reported as they are met. Throws ReadFailure.
ObjectFile read_object_file(ByteSource& source, Diagnostics& diagnostics);

}  // namespace hornwall::view
