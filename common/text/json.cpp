#include "hornwall/json.hpp"

#include <cmath>

#include "hornwall/text.hpp"

namespace hornwall {

void append_json_string(std::string& out, std::string_view text) {
  constexpr std::string_view hex = "0123456789abcdef";
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
      out += "\\u00";
      out += hex[byte >> 4];
      out += hex[byte & 0xf];
    } else {
      out += c;
    }
  }
  out += '"';
}

void append_json_number(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  out += shortest_text(value);
}

void JsonWriter::open(char bracket, bool one_line) {
  separate();
  out_ += bracket;
  levels_.push_back({true, one_line});
}

void JsonWriter::close(char bracket) {
  const Level level = levels_.back();
  levels_.pop_back();
  if (!level.empty && !level.one_line) new_line();
  out_ += bracket;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  separate();
  append_json_string(out_, name);
  out_ += ": ";
  after_key_ = true;
  return *this;
}

void JsonWriter::string(std::string_view text) {
  separate();
  append_json_string(out_, text);
}

void JsonWriter::number(double value) {
  separate();
  append_json_number(out_, value);
}

void JsonWriter::count(std::uint64_t value) {
  separate();
  out_ += std::to_string(value);
}

void JsonWriter::boolean(bool value) {
  separate();
  out_ += value ? "true" : "false";
}

void JsonWriter::null() {
  separate();
  out_ += "null";
}

void JsonWriter::separate() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (levels_.empty()) return;
  Level& level = levels_.back();
  if (!level.empty) out_ += ',';
  if (level.one_line) {
    if (!level.empty) out_ += ' ';
  } else {
    new_line();
  }
  level.empty = false;
}

void JsonWriter::new_line() {
  out_ += '\n';
  out_.append(2 * levels_.size(), ' ');
}

}  // namespace hornwall
