#include "hornwall/object_writer.hpp"

namespace hornwall {
namespace {

// The buffer is written out once it holds this much.
constexpr std::size_t flush_threshold = 1 << 16;

}  // namespace

ObjectWriter::ObjectWriter(ObjectSink& sink) : sink_(sink) { buffer_.reserve(2 * flush_threshold); }

void ObjectWriter::end_line() {
  buffer_ += '\n';
  if (buffer_.size() >= flush_threshold) flush();
}

void ObjectWriter::variable_head(std::string_view name) {
  put(name);
  put("  real_variable");
  end_line();
  put("(");
  end_line();
}

// The closing parenthesis and the empty line that ends a variable block.
void ObjectWriter::variable_tail() {
  put(")");
  end_line();
  end_line();
}

void ObjectWriter::numeric_lines(std::string_view name, float value) {
  variable_head(name);
  put("  value            : ");
  put(Sci4{value});
  end_line();
}

void ObjectWriter::numeric_variable(std::string_view name, float value) {
  numeric_lines(name, value);
  variable_tail();
}

void ObjectWriter::numeric_variable_pair(std::string_view first_name, float first_value,
                                         std::string_view second_name, float second_value) {
  numeric_lines(first_name, first_value);
  put(")");
  end_line();
  numeric_variable(second_name, second_value);
}

void ObjectWriter::profile_header(std::string_view object_name, std::string_view unit_name,
                                  ProfileLines lines) {
  put(object_name);
  put("   circular_symmetric_horn_exterior");
  end_line();
  put("(");
  end_line();
  if (lines.snap_to_aperture) {
    put("  snap_to_aperture : off,");
    end_line();
  }
  put("  length_unit      : ");
  put(unit_name);
  put(",");
  end_line();
  if (lines.coor_order) {
    put("  coor_order       : z_rho,");
    end_line();
  }
  put("  nodes             : table");
  end_line();
  put("    (");
  end_line();
}

void ObjectWriter::full_close() {
  put("   )");
  end_line();
  put(")");
  end_line();
  end_line();
}

void ObjectWriter::short_close() {
  put("    )");
  end_line();
  put(")");
  end_line();
}

void ObjectWriter::flush() {
  if (buffer_.empty()) return;
  finish();
}

void ObjectWriter::finish() {
  // The buffer is emptied whether the write succeeds or fails: what failed is not
  // written again when the run is abandoned.
  const std::string_view pending = buffer_;
  struct Clear {
    std::string& buffer;
    ~Clear() { buffer.clear(); }
  } clear{buffer_};
  sink_.write(pending);
}

}  // namespace hornwall
