#include "hornwall/text.hpp"

namespace hornwall {

void append_printable(std::string& out, std::string_view text) {
  constexpr std::string_view hex = "0123456789abcdef";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      out += c;
    } else {
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 0xfU];
    }
  }
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trim_blanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string printable(std::string_view text) {
  std::string out;
  append_printable(out, text);
  return out;
}

std::string single_quoted(std::string_view text) {
  std::string out(1, '\'');
  out.append(text);
  out += '\'';
  return out;
}

std::string quoted_printable(std::string_view text) { return single_quoted(printable(text)); }

std::string double_quoted(std::string_view text) {
  std::string out(1, '"');
  out.append(text);
  out += '"';
  return out;
}

std::string cut_to_shown(std::string_view text) {
  std::string out(text.substr(0, shown_bytes));
  if (text.size() > shown_bytes) out += "...";
  return out;
}

std::string shown_name(std::string_view name) { return single_quoted(cut_to_shown(name)); }

}  // namespace hornwall
