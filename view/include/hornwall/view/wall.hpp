#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/view/names.hpp"
#include "hornwall/view/object_file.hpp"

// The wall an object file describes, evaluated: every profile with its nodes.
namespace hornwall::view {

// One evaluated node; `ok` when both coordinates evaluated to finite numbers. Kept small:
// a wall may have millions.
struct Node {
  double z = 0.0;
  double rho = 0.0;
  std::uint64_t line : 63 = 0;  // the line of its row
  std::uint64_t ok : 1 = 0;
};

// One profile and its nodes, one per row of its table, in table order.
struct Profile {
  std::string name;
  std::uint64_t line = 0;  // the line of its name
  std::string unit;        // the length_unit setting, empty when there is none
  ProfileEnd end = ProfileEnd::cut;
  std::vector<Node> nodes;
  std::size_t missing = 0;  // nodes that are not ok
};

// A whole evaluated file.
struct Wall {
  std::vector<Profile> profiles;
  std::size_t variable_count = 0;
  Names names;
  std::vector<double> values;  // by name: the value of its last definition, NaN for none

  // The value of the variable called `name`, if it has one.
  std::optional<double> value(std::string_view name) const;
};

// Evaluates every variable of `file` (a variable may reference one defined later; a name
// defined twice takes its later value), then reads the node rows of every profile again
// from `source` and evaluates them. Reports as errors, on the line of the variable or node
// row: a reference to an undefined variable (each name once per expression), variables
// that reference each other in a cycle (each cycle once, named from its first member in
// the file along its references: the first five and how many more), a row that does not
// parse, and a value that is not finite. A value that depends on a variable already
// reported is left out silently. The file's variables are let go before the rows are
// read, so that only the values stay. Throws ReadFailure.
Wall evaluate_wall(ObjectFile file, ByteSource& source, Diagnostics& diagnostics);

}  // namespace hornwall::view
