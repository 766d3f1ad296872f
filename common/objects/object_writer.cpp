#include "hornwall/object_writer.hpp"

#include "hornwall/object_format.hpp"
#include "hornwall/portable.hpp"

namespace hornwall {
namespace {

namespace format = object_format;

// Room beyond a block: a line that starts within the block ends within this room, unless
// it is longer.
constexpr std::size_t spare_room = std::size_t{1} << 14;

}  // namespace

ObjectWriter::ObjectWriter(ObjectSink& sink)
    : sink_(sink),
      buffer_(make_char_buffer(block_size + spare_room)),
      capacity_(block_size + spare_room) {
  for (std::size_t i = 0; i < memo_size; ++i) {
    write_sci12_4(sci4_memo_.texts[i], 0.0f);
    write_sci12_5(sci5_memo_.texts[i], 0.0f);
  }
}

void ObjectWriter::grow(std::size_t count) {
  const std::size_t capacity = 2 * (size_ + count);
  auto larger = make_char_buffer(capacity);
  std::memcpy(larger.get(), buffer_.get(), size_);
  buffer_ = std::move(larger);
  capacity_ = capacity;
}

void ObjectWriter::write_blocks() {
  const std::size_t whole = size_ - size_ % block_size;
  const std::size_t rest = size_ - whole;
  // After a failed write nothing is kept: the rest would follow a gap.
  size_ = 0;
  sink_.write(std::string_view(buffer_.get(), whole));
  std::memmove(buffer_.get(), buffer_.get() + whole, rest);
  size_ = rest;
}

void ObjectWriter::variable_head(std::string_view name) {
  line(name, "  ", format::variable_kind, "\n(");
}

// The closing parenthesis and the empty line that ends a variable block.
void ObjectWriter::variable_tail() { line(")\n"); }

void ObjectWriter::numeric_variable(std::string_view name, float value) {
  numeric_lines(name, value);
  variable_tail();
}

void ObjectWriter::numeric_variable_pair(std::string_view first_name, float first_value,
                                         std::string_view second_name, float second_value) {
  numeric_lines(first_name, first_value);
  line(")");
  numeric_variable(second_name, second_value);
}

void ObjectWriter::profile_header(std::string_view object_name, std::string_view unit_name,
                                  ProfileLines lines) {
  line(object_name, "   ", format::profile_kind);
  line("(");
  if (lines.snap_to_aperture) line("  ", format::snap_entry, " : ", format::snap_off, ",");
  line("  ", format::unit_entry, "      : ", unit_name, ",");
  if (lines.coor_order) line("  ", format::order_entry, "       : ", format::z_rho_order, ",");
  line("  ", format::nodes_entry, "             : ", format::table_word);
  line("    (");
}

void ObjectWriter::full_close() {
  line("   )");
  line(")");
  line();
}

void ObjectWriter::short_close() {
  line("    )");
  line(")");
}

void ObjectWriter::flush() {
  if (size_ == 0) return;
  finish();
}

void ObjectWriter::finish() {
  // The buffer is emptied whether the write succeeds or fails: what failed is not
  // written again when the run is abandoned.
  const std::string_view pending(buffer_.get(), size_);
  size_ = 0;
  sink_.write(pending);
}

}  // namespace hornwall
