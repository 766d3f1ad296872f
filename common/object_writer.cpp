#include "object_writer.hpp"

#include "fields.hpp"

namespace hornwall {
namespace {

constexpr std::size_t flush_threshold = 1 << 16;

}  // namespace

std::string quoted(std::string_view expression) {
  std::string column;
  column.reserve(expression.size() + 2);
  column += '"';
  column.append(expression);
  column += '"';
  return column;
}

void ObjectWriter::end_line() {
  buffer_ += '\n';
  if (buffer_.size() >= flush_threshold) flush();
}

void ObjectWriter::value_lines_of_numeric(std::string_view name, float value) {
  buffer_.append(name);
  buffer_.append("  real_variable");
  end_line();
  buffer_ += '(';
  end_line();
  buffer_.append("  value            : ");
  append_sci(buffer_, value, 4);
  end_line();
  buffer_ += ')';
  end_line();
}

void ObjectWriter::numeric_variable(std::string_view name, float value) {
  value_lines_of_numeric(name, value);
  end_line();
}

void ObjectWriter::numeric_variable_pair(std::string_view first_name, float first_value,
                                         std::string_view second_name, float second_value) {
  value_lines_of_numeric(first_name, first_value);
  numeric_variable(second_name, second_value);
}

void ObjectWriter::expression_variable(std::string_view name, std::string_view expression) {
  buffer_.append(name);
  buffer_.append("  real_variable");
  end_line();
  buffer_ += '(';
  end_line();
  buffer_.append("  value    : ");
  buffer_.append(quoted(expression));
  end_line();
  buffer_ += ')';
  end_line();
  end_line();
}

void ObjectWriter::profile_header(std::string_view object_name, std::string_view unit_name,
                                  ProfileLines lines) {
  buffer_.append(object_name);
  buffer_.append("   circular_symmetric_horn_exterior");
  end_line();
  buffer_ += '(';
  end_line();
  if (lines.snap_to_aperture) {
    buffer_.append("  snap_to_aperture : off,");
    end_line();
  }
  buffer_.append("  length_unit      : ");
  buffer_.append(unit_name);
  buffer_ += ',';
  end_line();
  if (lines.coor_order) {
    buffer_.append("  coor_order       : z_rho,");
    end_line();
  }
  buffer_.append("  nodes             : table");
  end_line();
  buffer_.append("    (");
  end_line();
}

void ObjectWriter::node_row(std::string_view z_column, std::string_view rho_column) {
  buffer_.append(8, ' ');
  buffer_.append(z_column);
  buffer_.append(3, ' ');
  buffer_.append(rho_column);
  end_line();
}

void ObjectWriter::full_close() {
  buffer_.append("   )");
  end_line();
  buffer_ += ')';
  end_line();
  end_line();
}

void ObjectWriter::short_close() {
  buffer_.append("    )");
  end_line();
  buffer_ += ')';
  end_line();
}

void ObjectWriter::flush() {
  if (buffer_.empty()) return;
  std::string pending;
  pending.swap(buffer_);
  sink_.write(pending);
}

void ObjectWriter::finish() {
  std::string pending;
  pending.swap(buffer_);
  sink_.write(pending);
}

}  // namespace hornwall
