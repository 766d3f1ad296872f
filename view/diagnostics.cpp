#include "hornwall/view/diagnostics.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace hornwall {
namespace {

// Appends `text` with every byte outside printable ASCII written as \xNN, so that a
// hostile file cannot send control sequences to the terminal.
void append_printable(std::string& out, std::string_view text) {
  constexpr std::string_view hex = "0123456789ABCDEF";
  for (const char c : text) {
    if (c >= ' ' && c <= '~') {
      out += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 0xFU];
    }
  }
}

}  // namespace

void Diagnostics::error(std::size_t line, std::string text) {
  found_.push_back({line, Severity::error, std::move(text)});
  ++errors_;
}

void Diagnostics::warning(std::size_t line, std::string text) {
  found_.push_back({line, Severity::warning, std::move(text)});
  ++warnings_;
}

std::vector<Diagnostic> Diagnostics::sorted() const {
  std::vector<Diagnostic> lines = found_;
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  return lines;
}

void write_diagnostics(const Diagnostics& diagnostics, std::string_view file_name,
                       std::ostream& out) {
  std::string text;
  for (const Diagnostic& found : diagnostics.sorted()) {
    text.append(file_name);
    text += ':';
    text += std::to_string(found.line);
    text += found.severity == Severity::error ? ": error: " : ": warning: ";
    append_printable(text, found.text);
    text += '\n';
  }
  out << text;
}

std::string short_number(double value, int digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == 0.0) return "0";
  std::array<char, 32> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value,
                                     std::chars_format::general, digits);
  return std::string(text.data(), written.ptr);
}

std::string quoted(std::string_view name) {
  std::string text = "'";
  text.append(name);
  text += '\'';
  return text;
}

}  // namespace hornwall
