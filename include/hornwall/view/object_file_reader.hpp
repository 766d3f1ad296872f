#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "hornwall/view/diagnostics.hpp"

// Reads the text of an object file into its blocks, without evaluating anything.
namespace hornwall {

// One value as written: a quoted expression (the text between the quotes) or a bare
// number ("  2.5400E+01", "NaN").
struct Cell {
  std::string_view text;
  bool quoted = false;
};

// A `real_variable` block.
struct VariableBlock {
  std::string_view name;
  std::size_t line = 0;  // the line of its name
  Cell value;
};

// One row of a profile's node table: z, then rho.
struct NodeRow {
  std::size_t line = 0;  // the line of its first column
  Cell z;
  Cell rho;
};

// How a profile block ends.
enum class ProfileEnd {
  closed,       // by its closing parentheses
  open_at_end,  // the file ends after a whole node row, as some generators leave it
  cut,          // the file is broken inside the block (an error was reported)
};

// A `circular_symmetric_horn_exterior` block.
struct ProfileBlock {
  std::string_view name;
  std::size_t line = 0;   // the line of its name
  std::string_view unit;  // the length_unit entry, empty when there is none
  std::vector<NodeRow> rows;
  ProfileEnd end = ProfileEnd::cut;
};

// The blocks of one object file, in file order; the views point into the text read.
struct ObjectFile {
  std::vector<VariableBlock> variables;
  std::vector<ProfileBlock> profiles;
};

// Reads `text` block by block. Blanks, tabs and line ends between tokens are free. The
// first thing that is not a well-formed block (an unknown word, a missing parenthesis,
// a bare value that is not a number, a quoted expression that runs past its line, a
// file that ends inside a block or a node row) is reported as an error on its line and
// ends the reading; the blocks and whole node rows read before it are kept. The result
// refers into `text`, which must outlive it.
ObjectFile read_object_file(std::string_view text, Diagnostics& diagnostics);

}  // namespace hornwall
