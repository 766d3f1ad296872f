#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "hornwall/fields.hpp"

namespace hornwall {

// The object file as the writer sees it: a sink of bytes.
class ObjectSink {
 public:
  virtual ~ObjectSink() = default;
  // Appends `bytes`. The first call, even with no bytes, ends the file's old contents
  // first. Raises error during write (38) for unit 43.
  virtual void write(std::string_view bytes) = 0;
  // Closes the file, keeping what was written. Raises error during write (38).
  virtual void close() = 0;
};

// The pieces that object lines are built from, besides literal text.
struct Sci4 {  // a number in the 12-column field with 4 digits after the point
  float value;
};
struct Sci5 {  // the same with 5 digits after the point
  float value;
};
template <IntWidth width>
struct IntField {  // an integer right-justified in `width` columns, in full when wider
  std::int64_t value;
};
using Int1 = IntField<IntWidth::one>;
using Int2 = IntField<IntWidth::two>;
using Int3 = IntField<IntWidth::three>;

// A column or an expression given as the pieces that follow each other in it, with no
// blanks between them but those the pieces hold (a sci field brings its leading blanks).
// It refers to its text pieces: use it within the statement that builds it, or build it
// from literals, named strings and fields only.
template <typename... Pieces>
struct Expression {
  std::tuple<Pieces...> pieces;
};

template <typename Piece>
using PieceOf = std::conditional_t<std::is_convertible_v<const Piece&, std::string_view>,
                                   std::string_view, Piece>;

// An expression of `pieces`: text (literals and strings) and fields.
template <typename... Pieces>
Expression<PieceOf<Pieces>...> expression(const Pieces&... pieces) {
  return {{PieceOf<Pieces>(pieces)...}};
}

// A node column written as a bare number, sci12.4, without quotes.
struct Number {
  float value;
};

// The optional lines of a profile header.
struct ProfileLines {
  bool snap_to_aperture = false;
  bool coor_order = false;
};

// Writes the blocks of the object file, one operation per kind of block. Lines are
// composed in a buffer and written to the sink in large pieces; every operation may
// raise error during write (38) for unit 43.
class ObjectWriter {
 public:
  explicit ObjectWriter(ObjectSink& sink);

  // NAME  real_variable / ( / value as sci12.4 / ) / empty line.
  void numeric_variable(std::string_view name, float value);
  // Two numeric variable blocks with no empty line between them, one after both.
  void numeric_variable_pair(std::string_view first_name, float first_value,
                             std::string_view second_name, float second_value);
  // NAME  real_variable / ( / the expression in double quotes / ) / empty line.
  template <typename... Pieces>
  void expression_variable(std::string_view name, const Expression<Pieces...>& value) {
    variable_head(name);
    put("  value    : ");
    put_column(value);
    end_line();
    variable_tail();
  }
  // The header of a circular_symmetric_horn_exterior profile, up to the opening of its
  // nodes table; `unit_name` is the two characters of a unit table entry.
  void profile_header(std::string_view object_name, std::string_view unit_name,
                      ProfileLines lines = {});
  // One node row: 8 blanks, the z column, 3 blanks, the rho column. A column is a
  // Number or an Expression, written in double quotes.
  template <typename Z, typename Rho>
  void node_row(const Z& z, const Rho& rho) {
    put("        ");
    put_column(z);
    put("   ");
    put_column(rho);
    end_line();
  }
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
  void put(std::string_view text) { buffer_.append(text); }
  void put(Sci4 field) { append_sci12_4(buffer_, field.value); }
  void put(Sci5 field) { append_sci12_5(buffer_, field.value); }
  template <IntWidth width>
  void put(IntField<width> field) {
    append_int(buffer_, field.value, width);
  }
  void put_column(Number number) { put(Sci4{number.value}); }
  template <typename... Pieces>
  void put_column(const Expression<Pieces...>& column) {
    buffer_ += '"';
    std::apply([this](const auto&... piece) { (this->put(piece), ...); }, column.pieces);
    buffer_ += '"';
  }
  void end_line();
  void variable_head(std::string_view name);
  void variable_tail();
  void numeric_lines(std::string_view name, float value);

  ObjectSink& sink_;
  std::string buffer_;
};

}  // namespace hornwall
