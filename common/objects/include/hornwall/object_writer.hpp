#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "hornwall/fields.hpp"
#include "hornwall/files.hpp"
#include "hornwall/object_format.hpp"
#include "hornwall/portable.hpp"

namespace hornwall {

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
// composed in a buffer of fixed size and written to the sink in whole blocks of
// block_size bytes, which keep the file's writes aligned to its pages, and the rest at
// the end. Composing a line allocates nothing (a line longer than the buffer's spare
// room grows it once), and a sci field repeated from a recent one is copied rather than
// formatted again. Every operation may raise error during write (38) for unit 43.
class ObjectWriter {
 public:
  // The size of the blocks that the sink is given, but the last.
  static constexpr std::size_t block_size = std::size_t{1} << 18;

  explicit ObjectWriter(ObjectSink& sink);
  ObjectWriter(const ObjectWriter&) = delete;
  ObjectWriter& operator=(const ObjectWriter&) = delete;

  // NAME  real_variable / ( / value as sci12.4 / ) / empty line.
  void numeric_variable(std::string_view name, float value);
  // The same, with the name given as the pieces that follow each other in it, such as
  // expression("RSP", Int1{i}), so that no string is built for it.
  template <typename... Pieces>
  void numeric_variable(const Expression<Pieces...>& name, float value) {
    numeric_lines(Unquoted<Pieces...>{name}, value);
    variable_tail();
  }
  // Two numeric variable blocks with no empty line between them, one after both.
  void numeric_variable_pair(std::string_view first_name, float first_value,
                             std::string_view second_name, float second_value);
  // NAME  real_variable / ( / the expression in double quotes / ) / empty line.
  template <typename... Pieces>
  void expression_variable(std::string_view name, const Expression<Pieces...>& value) {
    variable_head(name);
    line("  ", object_format::value_entry, "    : ", value);
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
    line("        ", z, "   ", rho);
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
  // The pieces of an expression without the quotes around them.
  template <typename... Pieces>
  struct Unquoted {
    const Expression<Pieces...>& expression;
  };

  // One line of `pieces` and its line end (or a few lines, where pieces hold line ends).
  // Room for the most it can take is made first; the pieces are then written one after
  // the other.
  template <typename... Pieces>
  void line(const Pieces&... pieces) {
    char* end = room((std::size_t{1} + ... + most(pieces)));
    ((end = write(end, pieces)), ...);
    *end++ = '\n';
    size_ = static_cast<std::size_t>(end - buffer_.get());
    if (size_ >= block_size) write_blocks();
  }

  // The most characters that a piece can take.
  static std::size_t most(std::string_view text) { return text.size(); }
  static constexpr std::size_t most(Sci4) { return sci_width; }
  static constexpr std::size_t most(Sci5) { return sci_width; }
  static constexpr std::size_t most(Number) { return sci_width; }
  template <IntWidth width>
  static constexpr std::size_t most(IntField<width>) {
    return int_max_width;
  }
  template <typename... Pieces>
  static std::size_t most(const Expression<Pieces...>& column) {
    return std::apply([](const auto&... piece) { return (std::size_t{2} + ... + most(piece)); },
                      column.pieces);
  }
  template <typename... Pieces>
  static std::size_t most(Unquoted<Pieces...> name) {
    return most(name.expression) - 2;
  }

  // Writes a piece at `dest`, where there is room for it, and returns its end.
  static char* write(char* dest, std::string_view text) {
    const std::size_t size = text.size();
    const char* source = text.data();
    // Pieces are short: two overlapping fixed-size copies take them without a call.
    if (size > 16 && size <= 32) {
      std::memcpy(dest, source, 16);
      std::memcpy(dest + size - 16, source + size - 16, 16);
    } else if (size >= 8 && size <= 16) {
      std::memcpy(dest, source, 8);
      std::memcpy(dest + size - 8, source + size - 8, 8);
    } else if (size >= 4 && size < 8) {
      std::memcpy(dest, source, 4);
      std::memcpy(dest + size - 4, source + size - 4, 4);
    } else if (size < 4) {
      for (std::size_t i = 0; i < size; ++i) dest[i] = source[i];
    } else if (size <= 64) {
      std::memcpy(dest, source, 32);
      std::memcpy(dest + size - 32, source + size - 32, 32);
    } else {
      std::memcpy(dest, source, size);
    }
    return dest + size;
  }
  char* write(char* dest, Sci4 field) {
    return write_sci<write_sci12_4>(dest, field.value, sci4_memo_);
  }
  char* write(char* dest, Sci5 field) {
    return write_sci<write_sci12_5>(dest, field.value, sci5_memo_);
  }
  char* write(char* dest, Number number) { return write(dest, Sci4{number.value}); }
  template <IntWidth width>
  char* write(char* dest, IntField<width> field) {
    return write_int(dest, field.value, width);
  }
  template <typename... Pieces>
  char* write(char* dest, const Expression<Pieces...>& column) {
    *dest++ = '"';
    dest = write(dest, Unquoted<Pieces...>{column});
    *dest++ = '"';
    return dest;
  }
  template <typename... Pieces>
  char* write(char* dest, Unquoted<Pieces...> name) {
    std::apply([&](const auto&... piece) { ((dest = write(dest, piece)), ...); },
               name.expression.pieces);
    return dest;
  }

  // `count` more characters at the end of the buffer, to be filled by the caller.
  char* room(std::size_t count) {
    if (capacity_ - size_ < count) grow(count);
    return buffer_.get() + size_;
  }
  void grow(std::size_t count);
  void write_blocks();
  // What follows the word "value" of a numeric variable, up to its number.
  static constexpr std::string_view value_gap = "            : ";
  void variable_head(std::string_view name);
  void variable_tail();
  // A numeric variable block without its closing line: its `name` (text or pieces) and
  // its value.
  template <typename Name>
  void numeric_lines(const Name& name, float value) {
    line(name, "  ", object_format::variable_kind, "\n(\n  ", object_format::value_entry, value_gap,
         Sci4{value});
  }

  // The last few sci fields of one kind that were written, and their text, to be copied
  // again: a wall repeats its coordinates from row to row. Every entry is valid (the
  // writer starts them with zero).
  static constexpr std::size_t memo_size = 4;
  struct SciMemo {
    std::uint32_t keys[memo_size];  // the bits of the values
    char texts[memo_size][sci_width];
    std::size_t next;
  };
  template <char* (*format)(char*, float)>
  static char* write_sci(char* dest, float value, SciMemo& memo) {
    const auto bits = bit_cast<std::uint32_t>(value);
    // The entries are compared all at once, without a branch for each.
    unsigned found = 0;
    for (std::size_t i = 0; i < memo_size; ++i) found |= (memo.keys[i] == bits ? 1u : 0u) << i;
    if (found != 0) {
      std::memcpy(dest, memo.texts[std::countr_zero(found)], sci_width);
    } else {
      format(dest, value);
      const std::size_t slot = memo.next++ % memo_size;
      memo.keys[slot] = bits;
      std::memcpy(memo.texts[slot], dest, sci_width);
    }
    return dest + sci_width;
  }

  ObjectSink& sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  SciMemo sci4_memo_{};
  SciMemo sci5_memo_{};
};

}  // namespace hornwall
