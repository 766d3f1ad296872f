#pragma once

#include <string>
#include <string_view>

#include "files.hpp"

namespace hornwall {

// The length-unit tables: two characters a unit, the answer 1 naming the first.
inline constexpr std::string_view five_unit_table = "inftmmcmm ";  // in ft mm cm m
inline constexpr std::string_view four_unit_table = "inftmmm ";    // in ft mm m

// The optional lines of a profile header.
struct ProfileLines {
  bool snap_to_aperture = false;
  bool coor_order = false;
};

// A quoted expression column of a node row: the text between double quotes.
std::string quoted(std::string_view expression);

// Writes the blocks of the object file, one operation per kind of block. Lines are
// composed in a buffer and written to the sink in large pieces; every operation may
// raise error during write (38) for unit 43.
class ObjectWriter {
 public:
  explicit ObjectWriter(ObjectSink& sink) : sink_(sink) {}

  // NAME  real_variable / ( / value as sci12.4 / ) / empty line.
  void numeric_variable(std::string_view name, float value);
  // Two numeric variable blocks with no empty line between them, one after both.
  void numeric_variable_pair(std::string_view first_name, float first_value,
                             std::string_view second_name, float second_value);
  // NAME  real_variable / ( / the expression in double quotes / ) / empty line.
  void expression_variable(std::string_view name, std::string_view expression);
  // The header of a circular_symmetric_horn_exterior profile, up to the opening of its
  // nodes table; `unit_name` is the two characters of a unit table entry.
  void profile_header(std::string_view object_name, std::string_view unit_name,
                      ProfileLines lines = {});
  // One node row: 8 blanks, the z column, 3 blanks, the rho column.
  void node_row(std::string_view z_column, std::string_view rho_column);
  // "   )", ")" and an empty line.
  void full_close();
  // "    )" and ")", with no empty line.
  void short_close();

  // Writes out the lines composed so far, if any.
  void flush();
  // Writes out the rest, and at least once, so that a file written by no block still
  // loses its old contents.
  void finish();

 private:
  void end_line();
  void value_lines_of_numeric(std::string_view name, float value);

  ObjectSink& sink_;
  std::string buffer_;
};

}  // namespace hornwall
